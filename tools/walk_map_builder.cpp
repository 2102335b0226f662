#include "tools/walk_map_builder.h"

#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_environment_layer.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace vls::tools {

namespace {

void NodePosition(const LayerNode& node, float& x, float& z)
{
    std::memcpy(&x, &node.field[0], sizeof x);
    std::memcpy(&z, &node.field[1], sizeof z);
}

// The layer's polygons alone, enabled, as the engine reads them; false when
// they do not load.
bool LoadGeometry(const LayerData& data, cKestruneEnvironmentLayer& layer)
{
    LayerData geometry = data;
    geometry.nodes.clear();
    geometry.rows.clear();
    std::vector<std::uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    WriteLayer(writer, "walkmap", geometry);
    if (layer.LoadFromMemory(bytes.data(), bytes.size()) != 0)
        return false;
    layer.enabled = 1;
    return true;
}

} // namespace

void AddWalkPolygon(LayerData& data, const std::vector<WalkCorner>& corners, bool hole)
{
    if (corners.empty())
        return;
    LayerPolygon polygon;
    polygon.pointCount = static_cast<std::uint32_t>(corners.size() + 1);
    polygon.flags = hole ? 1 : 0;
    polygon.firstPoint = static_cast<std::uint32_t>(data.points.size());
    data.polygons.push_back(polygon);
    for (const WalkCorner& corner : corners)
        data.points.push_back({corner.x, 0.0f, corner.z});
    data.points.push_back(data.points[polygon.firstPoint]);
}

void AddWalkRing(LayerData& data, float x1, float z1, float x2, float z2, bool hole)
{
    AddWalkPolygon(data, {{x1, z1}, {x2, z1}, {x2, z2}, {x1, z2}}, hole);
}

void AddWalkNode(LayerData& data, float x, float z, std::uint32_t polygon)
{
    LayerNode node;
    std::memcpy(&node.field[0], &x, sizeof x);
    std::memcpy(&node.field[1], &z, sizeof z);
    node.field[2] = polygon;
    data.nodes.push_back(node);
}

bool AddWalkNodeOnFloor(LayerData& data, float x, float z, std::uint32_t polygon)
{
    cKestruneEnvironmentLayer layer;
    if (!LoadGeometry(data, layer) || !layer.ContainsPoint(x, z))
        return false;
    AddWalkNode(data, x, z, polygon);
    return true;
}

void BuildWalkNodeRows(LayerData& data, float maxJoin)
{
    const std::size_t n = data.nodes.size();
    data.rows.assign(n * n, LayerRowEntry());
    // The layer's own segment test decides what a node sees.
    cKestruneEnvironmentLayer layer;
    if (!LoadGeometry(data, layer))
        return;

    std::vector<float> distance(n * n, kNoWay);
    std::vector<std::uint32_t> next(n * n);
    for (std::size_t a = 0; a < n; ++a) {
        float ax, az;
        NodePosition(data.nodes[a], ax, az);
        for (std::size_t b = 0; b < n; ++b) {
            next[a * n + b] = static_cast<std::uint32_t>(a == b ? a : b);
            float bx, bz;
            NodePosition(data.nodes[b], bx, bz);
            if (a == b)
                distance[a * n + b] = 0.0f;
            else if (std::hypot(bx - ax, bz - az) <= maxJoin && !layer.SegmentCrossesEdges(ax, az, bx, bz))
                distance[a * n + b] = std::hypot(bx - ax, bz - az);
        }
    }
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t a = 0; a < n; ++a)
            for (std::size_t b = 0; b < n; ++b) {
                const float through = distance[a * n + k] + distance[k * n + b];
                if (through < distance[a * n + b]) {
                    distance[a * n + b] = through;
                    next[a * n + b] = next[a * n + k];
                }
            }
    for (std::size_t i = 0; i < n * n; ++i)
        data.rows[i] = {next[i], distance[i]};
}

} // namespace vls::tools
