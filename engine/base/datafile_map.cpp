#include "engine/base/datafile_map.h"

#include "engine/base/datafile_bytes.h"

void EncodeDatafileMapEntry(const DatafileMapEntry& entry, std::vector<std::uint8_t>& out)
{
    DatafileByteWriter writer(out);
    writer.FixedText(entry.name, kDatafileNameSize);
    writer.FixedText(entry.archive, kDatafileSuffixSize);
    writer.U32(entry.offset);
    writer.U32(entry.size);
    writer.U32(entry.unused);
}

DatafileMapEntry DecodeDatafileMapEntry(const std::uint8_t* record)
{
    DatafileByteReader reader(record, kDatafileMapEntrySize);
    DatafileMapEntry entry;
    entry.name = reader.FixedText(kDatafileNameSize);
    entry.archive = reader.FixedText(kDatafileSuffixSize);
    entry.offset = reader.U32();
    entry.size = reader.U32();
    entry.unused = reader.U32();
    return entry;
}

bool DatafileMapCountFits(std::int32_t count, std::uint64_t fileSize)
{
    if (count < 0 || fileSize < kDatafileMapHeaderSize)
        return false;
    return static_cast<std::uint64_t>(count) <= (fileSize - kDatafileMapHeaderSize) / kDatafileMapEntrySize;
}

bool ParseDatafileMap(const std::uint8_t* data, std::size_t size, std::vector<DatafileMapEntry>& out)
{
    out.clear();
    DatafileByteReader reader(data, size);
    const std::int32_t count = reader.I32();
    if (reader.Failed() || !DatafileMapCountFits(count, size))
        return false;
    out.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        out.push_back(DecodeDatafileMapEntry(reader.Take(kDatafileMapEntrySize)));
    return true;
}

std::vector<std::uint8_t> EncodeDatafileMap(const std::vector<DatafileMapEntry>& entries)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter(out).I32(static_cast<std::int32_t>(entries.size()));
    for (const DatafileMapEntry& entry : entries)
        EncodeDatafileMapEntry(entry, out);
    return out;
}
