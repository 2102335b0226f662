#include "engine/world/hotspot_format.h"

#include "engine/base/datafile_bytes.h"

std::string ParseHotspotData(std::uint32_t areaCount, const std::uint8_t* block, std::size_t size, HotspotData& out)
{
    out = HotspotData();
    if (std::uint64_t{areaCount} * kHotspotAreaRecordSize > size)
        return "Hotspot areas are larger than its data.";
    DatafileByteReader reader(block, size);
    out.areas.resize(areaCount);
    for (HotspotArea& area : out.areas) {
        area.viewIndex = reader.U32();
        area.polygonCount = reader.U32();
        reader.U32();
        area.entryCount = reader.U32();
        reader.U32();
        area.cursor = static_cast<std::int8_t>(reader.U8());
        reader.Take(3);
    }
    for (HotspotArea& area : out.areas) {
        if (std::uint64_t{area.polygonCount} * kHotspotPolygonRecordSize > reader.Remaining())
            return "Hotspot polygons run past its data.";
        area.firstPolygon = static_cast<std::uint32_t>(out.polygons.size());
        std::uint64_t points = 0;
        for (std::uint32_t i = 0; i < area.polygonCount; ++i) {
            HotspotPolygon polygon;
            polygon.pointCount = reader.U32();
            polygon.flags = reader.U32();
            reader.U32();
            polygon.firstPoint = static_cast<std::uint32_t>(out.points.size() + points);
            points += polygon.pointCount;
            out.polygons.push_back(polygon);
        }
        if (points * kHotspotPointRecordSize + std::uint64_t{area.entryCount} * kHotspotEntryRecordSize
            > reader.Remaining())
            return "Hotspot points run past its data.";
        for (std::uint64_t i = 0; i < points; ++i) {
            HotspotPoint point;
            point.x = reader.I32();
            point.y = reader.I32();
            out.points.push_back(point);
        }
        const std::uint8_t* const entries = reader.Take(std::size_t{area.entryCount} * kHotspotEntryRecordSize);
        if (entries)
            area.entries.assign(entries, entries + std::size_t{area.entryCount} * kHotspotEntryRecordSize);
    }
    return reader.Failed() ? "Hotspot data is short." : "";
}

void WriteHotspot(DatafileByteWriter& writer, const HotspotData& data)
{
    std::vector<std::uint8_t> block;
    DatafileByteWriter body(block);
    for (const HotspotArea& area : data.areas) {
        body.U32(area.viewIndex);
        body.U32(area.polygonCount);
        body.U32(0);
        body.U32(static_cast<std::uint32_t>(area.entries.size() / kHotspotEntryRecordSize));
        body.U32(0);
        body.U8(static_cast<std::uint8_t>(area.cursor));
        body.U8(0);
        body.U16(0);
    }
    for (const HotspotArea& area : data.areas) {
        for (std::uint32_t i = 0; i < area.polygonCount; ++i) {
            const HotspotPolygon& polygon = data.polygons[area.firstPolygon + i];
            body.U32(polygon.pointCount);
            body.U32(polygon.flags);
            body.U32(0);
        }
        for (std::uint32_t i = 0; i < area.polygonCount; ++i) {
            const HotspotPolygon& polygon = data.polygons[area.firstPolygon + i];
            for (std::uint32_t j = 0; j < polygon.pointCount; ++j) {
                body.I32(data.points[polygon.firstPoint + j].x);
                body.I32(data.points[polygon.firstPoint + j].y);
            }
        }
        body.Bytes(area.entries.data(), area.entries.size());
    }
    writer.U32(static_cast<std::uint32_t>(data.areas.size()));
    writer.U32(static_cast<std::uint32_t>(block.size()));
    writer.Bytes(block.data(), block.size());
}
