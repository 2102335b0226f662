#include "tools/archive_builder.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <system_error>
#include <unistd.h>

namespace vls::tools {

namespace {

// Map names are lower case: the engine lower-cases the name it looks up and
// compares it byte for byte, so a packed "Font1" could never be found.
std::string LowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

} // namespace

void ArchiveBuilder::Add(const std::string& name, const std::vector<std::uint8_t>& bytes, const std::string& suffix)
{
    packed_.push_back({name, suffix, bytes});
}

void ArchiveBuilder::Add(const std::string& name, const std::string& bytes, const std::string& suffix)
{
    Add(name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), suffix);
}

void ArchiveBuilder::AddOverride(const std::string& name, const std::string& bytes) { overrides_[name] = bytes; }

std::vector<DatafileMapEntry> ArchiveBuilder::Entries() const
{
    std::map<std::string, std::uint32_t> fill;
    std::vector<DatafileMapEntry> entries;
    for (const Packed& item : packed_) {
        DatafileMapEntry entry;
        entry.name = LowerAscii(item.name);
        entry.archive = item.suffix;
        entry.offset = fill[item.suffix];
        entry.size = static_cast<std::uint32_t>(item.bytes.size());
        fill[item.suffix] += entry.size;
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::uint8_t> ArchiveBuilder::MapBytes() const { return EncodeDatafileMap(Entries()); }

std::vector<std::uint8_t> ArchiveBuilder::ArchiveBytes(const std::string& suffix) const
{
    std::vector<std::uint8_t> archive;
    for (const Packed& item : packed_) {
        if (item.suffix == suffix)
            archive.insert(archive.end(), item.bytes.begin(), item.bytes.end());
    }
    return archive;
}

bool ArchiveBuilder::Write(const std::filesystem::path& folder) const
{
    return WriteMap(folder) && WriteArchives(folder) && WriteOverrides(folder);
}

bool ArchiveBuilder::WriteMap(const std::filesystem::path& folder) const
{
    return WriteFileReplacing(folder / "resource.map", MapBytes());
}

bool ArchiveBuilder::WriteArchives(const std::filesystem::path& folder) const
{
    std::set<std::string> suffixes;
    for (const Packed& item : packed_)
        suffixes.insert(item.suffix);
    for (const std::string& suffix : suffixes) {
        if (!WriteFileReplacing(folder / ("resource." + suffix), ArchiveBytes(suffix)))
            return false;
    }
    return true;
}

bool ArchiveBuilder::WriteOverrides(const std::filesystem::path& folder) const
{
    for (const auto& [name, bytes] : overrides_) {
        std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        if (!WriteFileReplacing(folder / "updates" / name, data))
            return false;
    }
    return true;
}

std::vector<std::uint8_t> DamageMap(std::vector<std::uint8_t> map, MapDamage damage)
{
    auto setCount = [&map](std::int32_t count) {
        for (int i = 0; i < 4; ++i)
            map[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(count) >> (8 * i));
    };
    const bool hasRecord = map.size() >= kDatafileMapHeaderSize + kDatafileMapEntrySize;
    switch (damage) {
    case MapDamage::kShortHeader:
        map.resize(2);
        break;
    case MapDamage::kCountPastEnd:
        setCount(static_cast<std::int32_t>((map.size() - kDatafileMapHeaderSize) / kDatafileMapEntrySize + 1));
        break;
    case MapDamage::kNegativeCount:
        setCount(-1);
        break;
    case MapDamage::kTruncatedRecord:
        if (hasRecord)
            map.resize(map.size() - kDatafileMapEntrySize / 2);
        break;
    case MapDamage::kUnterminatedName:
        if (hasRecord) {
            for (std::size_t i = 0; i < kDatafileNameSize; ++i) {
                if (map[kDatafileMapHeaderSize + i] == 0)
                    map[kDatafileMapHeaderSize + i] = 'x';
            }
        }
        break;
    case MapDamage::kUnterminatedSuffix:
        if (hasRecord) {
            for (std::size_t i = 0; i < kDatafileSuffixSize; ++i) {
                if (map[kDatafileMapHeaderSize + kDatafileNameSize + i] == 0)
                    map[kDatafileMapHeaderSize + kDatafileNameSize + i] = '9';
            }
        }
        break;
    }
    return map;
}

bool WriteFileReplacing(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    const std::filesystem::path temporary = path.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace vls::tools
