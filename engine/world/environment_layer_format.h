#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DatafileByteReader;
class DatafileByteWriter;

// The environment-layer record of a ".scene" stream: a 92-byte header and a
// data block of polygons, their points, floor triangles, walk-map nodes and
// the nodes' distance rows. The reader checks every count and reference
// against the block, so the run-time object can trust what it holds.
constexpr std::uint32_t kLayerHeaderSize = 92;
constexpr std::uint32_t kLayerNameSize = 64;
constexpr std::uint32_t kLayerPolygonRecordSize = 12;
constexpr std::uint32_t kLayerPointRecordSize = 12;
constexpr std::uint32_t kLayerTriangleRecordSize = 12;
constexpr std::uint32_t kLayerNodeRecordSize = 16;
constexpr std::uint32_t kLayerRowEntrySize = 8;

struct LayerHeader {
    std::string name;
    std::uint32_t dataSize = 0;
    std::uint32_t polygonCount = 0;
    std::uint32_t triangleCount = 0;
    std::uint32_t nodeCount = 0;
};

struct LayerPoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct LayerPolygon {
    std::uint32_t pointCount = 0;
    std::uint32_t flags = 0;       // low byte non-zero: a hole
    std::uint32_t firstPoint = 0;  // index into the layer's point table
    bool IsHole() const { return (flags & 0xFF) != 0; }
};

// A triangle's corners as indexes into the layer's point table (the file
// stores each as polygon index << 16 | point index within that polygon).
struct LayerTriangle {
    std::uint32_t corner[3] = {};
};

// The walk map reads the three node fields and the rows.
struct LayerNode {
    std::uint32_t field[3] = {};
};

struct LayerRowEntry {
    std::uint32_t next = 0;
    float distance = 0.0f;
};

struct LayerData {
    std::vector<LayerPolygon> polygons;
    std::vector<LayerPoint> points;
    std::vector<LayerTriangle> triangles;
    std::vector<LayerNode> nodes;
    std::vector<LayerRowEntry> rows; // nodes.size() entries per node, node after node
};

LayerHeader ReadLayerHeader(DatafileByteReader& reader);
// Empty when the block holds what the header claims; otherwise why not.
std::string ParseLayerData(const LayerHeader& header, const std::uint8_t* block, std::size_t size, LayerData& out);

// The writing side, for our tools.
void WriteLayer(DatafileByteWriter& writer, const std::string& name, const LayerData& data);
