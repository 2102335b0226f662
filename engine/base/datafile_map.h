#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// "resource.map": an int32 count, then count records of 84 bytes. Shared by
// the file system (reading) and the archive builder in tools/ (writing).
constexpr std::size_t kDatafileNameSize = 68;
constexpr std::size_t kDatafileSuffixSize = 4;
constexpr std::size_t kDatafileMapEntrySize = 84;
constexpr std::size_t kDatafileMapHeaderSize = 4;

// One index record. The character fields are kept cut at their terminator
// (or at the field's width when a damaged record has none), so no comparison
// can run past a field.
struct DatafileMapEntry {
    std::string name;    // lower case, as written by the packer
    std::string archive; // the archive's suffix: "resource." + archive
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t unused = 0;
};

void EncodeDatafileMapEntry(const DatafileMapEntry& entry, std::vector<std::uint8_t>& out);
// Decodes one record from exactly kDatafileMapEntrySize bytes.
DatafileMapEntry DecodeDatafileMapEntry(const std::uint8_t* record);

// The map's record count is trusted only when that many records fit in the
// bytes that follow the count.
bool DatafileMapCountFits(std::int32_t count, std::uint64_t fileSize);

// Parses a whole map held in memory; false on a count that does not fit.
bool ParseDatafileMap(const std::uint8_t* data, std::size_t size, std::vector<DatafileMapEntry>& out);
std::vector<std::uint8_t> EncodeDatafileMap(const std::vector<DatafileMapEntry>& entries);
