#include "engine/world/environment_layer_format.h"

#include "engine/base/datafile_bytes.h"

LayerHeader ReadLayerHeader(DatafileByteReader& reader)
{
    LayerHeader header;
    header.name = reader.FixedText(kLayerNameSize);
    header.dataSize = reader.U32();
    header.polygonCount = reader.U32();
    reader.U32();
    header.triangleCount = reader.U32();
    reader.U32();
    header.nodeCount = reader.U32();
    reader.U32();
    return header;
}

std::string ParseLayerData(const LayerHeader& header, const std::uint8_t* block, std::size_t size, LayerData& out)
{
    out = LayerData();
    // The row table is node count squared, which can pass 64 bits; a node
    // count past the block size could never fit, so it is refused first.
    if (header.nodeCount > size)
        return "Environment layer tables are larger than its data.";
    // Every size is checked before anything is reserved for it, in 64 bits so
    // that no product of file fields can wrap.
    const std::uint64_t fixed = std::uint64_t{header.polygonCount} * kLayerPolygonRecordSize
        + std::uint64_t{header.triangleCount} * kLayerTriangleRecordSize
        + std::uint64_t{header.nodeCount} * kLayerNodeRecordSize
        + std::uint64_t{header.nodeCount} * header.nodeCount * kLayerRowEntrySize;
    if (fixed > size)
        return "Environment layer tables are larger than its data.";
    DatafileByteReader reader(block, size);
    std::vector<std::uint32_t> polygonStart(header.polygonCount);
    std::uint64_t pointTotal = 0;
    out.polygons.resize(header.polygonCount);
    for (LayerPolygon& polygon : out.polygons) {
        polygon.pointCount = reader.U32();
        polygon.flags = reader.U32();
        reader.U32();
        polygon.firstPoint = static_cast<std::uint32_t>(pointTotal);
        pointTotal += polygon.pointCount;
        if (fixed + pointTotal * kLayerPointRecordSize > size)
            return "Environment layer points run past its data.";
    }
    out.points.resize(static_cast<std::size_t>(pointTotal));
    for (LayerPoint& point : out.points) {
        point.x = reader.F32();
        point.y = reader.F32();
        point.z = reader.F32();
    }
    out.triangles.resize(header.triangleCount);
    for (LayerTriangle& triangle : out.triangles) {
        for (std::uint32_t& corner : triangle.corner) {
            const std::uint32_t reference = reader.U32();
            const std::uint32_t polygon = reference >> 16;
            const std::uint32_t point = reference & 0xFFFF;
            if (polygon >= out.polygons.size() || point >= out.polygons[polygon].pointCount)
                return "Environment layer triangle refers to a missing point.";
            corner = out.polygons[polygon].firstPoint + point;
        }
    }
    out.nodes.resize(header.nodeCount);
    for (LayerNode& node : out.nodes) {
        for (std::uint32_t& field : node.field)
            field = reader.U32();
        reader.U32();
    }
    out.rows.resize(std::size_t{header.nodeCount} * header.nodeCount);
    for (LayerRowEntry& entry : out.rows) {
        entry.next = reader.U32();
        entry.distance = reader.F32();
    }
    return reader.Failed() ? "Environment layer data is short." : "";
}

void WriteLayer(DatafileByteWriter& writer, const std::string& name, const LayerData& data)
{
    std::uint64_t size = data.polygons.size() * kLayerPolygonRecordSize + data.points.size() * kLayerPointRecordSize
        + data.triangles.size() * kLayerTriangleRecordSize + data.nodes.size() * kLayerNodeRecordSize
        + data.rows.size() * kLayerRowEntrySize;
    writer.FixedText(name, kLayerNameSize);
    writer.U32(static_cast<std::uint32_t>(size));
    writer.U32(static_cast<std::uint32_t>(data.polygons.size()));
    writer.U32(0);
    writer.U32(static_cast<std::uint32_t>(data.triangles.size()));
    writer.U32(0);
    writer.U32(static_cast<std::uint32_t>(data.nodes.size()));
    writer.U32(0);
    for (const LayerPolygon& polygon : data.polygons) {
        writer.U32(polygon.pointCount);
        writer.U32(polygon.flags);
        writer.U32(0);
    }
    for (const LayerPoint& point : data.points) {
        writer.F32(point.x);
        writer.F32(point.y);
        writer.F32(point.z);
    }
    // Corners go back to polygon << 16 | point within it.
    for (const LayerTriangle& triangle : data.triangles) {
        for (const std::uint32_t corner : triangle.corner) {
            std::uint32_t polygon = 0;
            while (polygon + 1 < data.polygons.size() && data.polygons[polygon + 1].firstPoint <= corner)
                ++polygon;
            const std::uint32_t first = data.polygons.empty() ? 0 : data.polygons[polygon].firstPoint;
            writer.U32(polygon << 16 | (corner - first));
        }
    }
    for (const LayerNode& node : data.nodes) {
        for (const std::uint32_t field : node.field)
            writer.U32(field);
        writer.U32(0);
    }
    for (const LayerRowEntry& entry : data.rows) {
        writer.U32(entry.next);
        writer.F32(entry.distance);
    }
}
