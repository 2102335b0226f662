#pragma once

#include "engine/base/datafile_map.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vls::tools {

// Builds a data folder: "resource.map", the numbered archives it points into
// and loose files in "updates\". Entries keep the order they were added in.
class ArchiveBuilder {
public:
    // Packs bytes under name (stored in lower case, as the engine looks names
    // up) into the archive "resource." + suffix.
    void Add(const std::string& name, const std::vector<std::uint8_t>& bytes, const std::string& suffix = "001");
    void Add(const std::string& name, const std::string& bytes, const std::string& suffix = "001");
    // A loose file "updates/" + name.
    void AddOverride(const std::string& name, const std::string& bytes);

    // The map as it will be written (offsets follow the packing order).
    std::vector<DatafileMapEntry> Entries() const;
    std::vector<std::uint8_t> MapBytes() const;
    std::vector<std::uint8_t> ArchiveBytes(const std::string& suffix) const;

    // Everything into folder (map, archives, overrides). False on a write failure.
    bool Write(const std::filesystem::path& folder) const;
    bool WriteMap(const std::filesystem::path& folder) const;
    // Only the archives, for example into a folder that stands for a drive root.
    bool WriteArchives(const std::filesystem::path& folder) const;
    bool WriteOverrides(const std::filesystem::path& folder) const;

private:
    struct Packed {
        std::string name;
        std::string suffix;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Packed> packed_;
    std::map<std::string, std::string> overrides_;
};

// Ways to damage a map on purpose.
enum class MapDamage {
    kShortHeader,        // fewer than 4 bytes
    kCountPastEnd,       // more records claimed than the file holds
    kNegativeCount,
    kTruncatedRecord,    // the last record cut short
    kUnterminatedName,   // the first record's name fills its 68 bytes
    kUnterminatedSuffix, // the first record's suffix fills its 4 bytes
};
std::vector<std::uint8_t> DamageMap(std::vector<std::uint8_t> map, MapDamage damage);

// Writes bytes to a temporary file beside path and renames it over path.
bool WriteFileReplacing(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

} // namespace vls::tools
