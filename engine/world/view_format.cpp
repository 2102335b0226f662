#include "engine/world/view_format.h"

#include "engine/base/datafile_bytes.h"

namespace {

void ReadVector(DatafileByteReader& reader, float (&v)[3])
{
    for (float& f : v)
        f = reader.F32();
}

void WriteVector(DatafileByteWriter& writer, const float (&v)[3])
{
    for (const float f : v)
        writer.F32(f);
}

} // namespace

ViewHeader ReadViewHeader(DatafileByteReader& reader)
{
    ViewHeader header;
    header.name = reader.FixedText(kViewNameSize);
    for (std::uint32_t& word : header.unread)
        word = reader.U32();
    ReadVector(reader, header.origin);
    ReadVector(reader, header.up);
    ReadVector(reader, header.direction);
    ReadVector(reader, header.position);
    header.lens = reader.F32();
    header.farPlane = reader.F32();
    header.imageCount = static_cast<std::int8_t>(reader.U8());
    header.detail = reader.U8();
    reader.U16();
    return header;
}

ViewMapHeader ReadViewMapHeader(DatafileByteReader& reader)
{
    ViewMapHeader map;
    map.width = reader.U32();
    map.height = reader.U32();
    for (std::uint32_t& word : map.unread)
        word = reader.U32();
    return map;
}

std::uint64_t ViewMapBytes(const ViewMapHeader& map) { return std::uint64_t{map.width} * map.height * 4; }

void WriteViewHeader(DatafileByteWriter& writer, const ViewHeader& header)
{
    writer.FixedText(header.name, kViewNameSize);
    for (const std::uint32_t word : header.unread)
        writer.U32(word);
    WriteVector(writer, header.origin);
    WriteVector(writer, header.up);
    WriteVector(writer, header.direction);
    WriteVector(writer, header.position);
    writer.F32(header.lens);
    writer.F32(header.farPlane);
    writer.U8(static_cast<std::uint8_t>(header.imageCount));
    writer.U8(header.detail);
    writer.U16(0);
}

void WriteViewMapHeader(DatafileByteWriter& writer, const ViewMapHeader& map)
{
    writer.U32(map.width);
    writer.U32(map.height);
    for (const std::uint32_t word : map.unread)
        writer.U32(word);
}
