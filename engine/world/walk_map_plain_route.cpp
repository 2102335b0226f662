#include "engine/world/walk_map_plain_route.h"

#include "engine/world/kestrune_environment_layer.h"

#include <cmath>
#include <cstring>

namespace {

bool Blocked(const DynArray<cKestruneEnvironmentLayer*>& layers, float x1, float z1, float x2, float z2)
{
    for (std::int32_t i = 0; i < layers.count; ++i) {
        if (layers.data[i]->SegmentCrossesEdges(x1, z1, x2, z2))
            return true;
    }
    return false;
}

} // namespace

std::vector<std::int32_t> PlainWalkNodes(const DynArray<cKestruneEnvironmentLayer*>& layers,
                                         const cKestruneEnvironmentLayer& nodeLayer, float sx, float sz, float tx,
                                         float tz)
{
    const LayerData& data = nodeLayer.Data();
    const std::size_t n = data.nodes.size();
    if (data.rows.size() != n * n)
        return {};
    struct Seen {
        std::size_t node;
        float distance;
    };
    std::vector<Seen> fromStart, toTarget;
    for (std::size_t i = 0; i < n; ++i) {
        float x, z;
        std::memcpy(&x, &data.nodes[i].field[0], sizeof x);
        std::memcpy(&z, &data.nodes[i].field[1], sizeof z);
        if (!Blocked(layers, x, z, sx, sz))
            fromStart.push_back({i, std::sqrt((x - sx) * (x - sx) + (z - sz) * (z - sz))});
        if (!Blocked(layers, x, z, tx, tz))
            toTarget.push_back({i, std::sqrt((x - tx) * (x - tx) + (z - tz) * (z - tz))});
    }
    float best = 100000.0f;
    std::size_t a = n, b = n;
    for (const Seen& s : fromStart) {
        for (const Seen& t : toTarget) {
            const float cost = s.distance + t.distance + data.rows[s.node * n + t.node].distance;
            if (cost < best) {
                best = cost;
                a = s.node;
                b = t.node;
            }
        }
    }
    if (a == n)
        return {};
    std::vector<std::int32_t> route{static_cast<std::int32_t>(a)};
    for (int hops = 0; a != b && hops < 1000; ++hops) {
        a = data.rows[a * n + b].next;
        route.push_back(static_cast<std::int32_t>(a));
    }
    return route;
}
