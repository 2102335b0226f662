#include "engine/world/kestrune_walk_map.h"

#include "engine/base/engine_link.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "platform/win32/winmm/mmsystem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kBoundsStart = 100000.0f;
constexpr float kClampReach = 100.0f;
constexpr int kMaxHops = 1000;

float Length(float dx, float dz) { return std::sqrt(dx * dx + dz * dz); }

} // namespace

cKestruneWalkMap::cKestruneWalkMap(cKestrunePlayerControl* controller) : owner(controller) {}

void cKestruneWalkMap::Bind()
{
    if (const cKestruneScene* const scene = WorldHost().CurrentScene()) {
        BindLayers(*scene);
        return;
    }
    layers.count = 0;
    ComputeBounds();
    edges_.Clear();
    graphs_.clear();
    ChooseNodeLayer();
}

void cKestruneWalkMap::BindLayers(const cKestruneScene& scene)
{
    scene.CollectAreasByPrefix("walkmap", layers);
    ComputeBounds();
    edges_.Build(layers);
    graphs_.clear();
    for (std::int32_t i = 0; i < layers.count; ++i) {
        const cKestruneEnvironmentLayer* const layer = layers.data[i];
        if (layer->Data().nodes.empty())
            continue;
        WalkNodeGraph graph;
        if (ReadWalkNodeGraph(*layer, graph))
            graphs_.push_back(std::move(graph));
        else
            ReportError("gameplay", layer->Name().GetText(), 0, "Walk map nodes refer to missing nodes or polygons.");
    }
    ChooseNodeLayer();
}

void cKestruneWalkMap::ChooseNodeLayer()
{
    graph_ = nullptr;
    nodeLayer = nullptr;
    nodeCount = 0;
    for (const WalkNodeGraph& graph : graphs_) {
        if (graph.layer->enabled) {
            graph_ = &graph;
            nodeLayer = graph.layer;
            nodeCount = static_cast<std::int32_t>(graph.x.size());
        }
    }
}

void cKestruneWalkMap::ComputeBounds()
{
    minX = minZ = kBoundsStart;
    maxX = maxZ = -kBoundsStart;
    for (std::int32_t i = 0; i < layers.count; ++i) {
        float x1, z1, x2, z2;
        layers.data[i]->GetBounds(x1, z1, x2, z2);
        minX = std::fmin(minX, x1);
        minZ = std::fmin(minZ, z1);
        maxX = std::fmax(maxX, x2);
        maxZ = std::fmax(maxZ, z2);
    }
}

bool cKestruneWalkMap::IsWalkable(float x, float z, std::int32_t testMode) const
{
    if (testMode == 3)
        return x >= minX && x <= maxX && z >= minZ && z <= maxZ;
    std::uint8_t walkable = 0;
    for (std::int32_t i = 0; i < layers.count; ++i)
        layers.data[i]->ContainsPointOut(x, z, walkable);
    return testMode == 2 ? !walkable : walkable != 0;
}

bool cKestruneWalkMap::IsLineBlocked(float x1, float z1, float x2, float z2, std::int32_t node) const
{
    return edges_.Crosses(x1, z1, x2, z2) || BlockedAtNode(x1, z1, x2, z2, node);
}

bool cKestruneWalkMap::BlockedAtNode(float x1, float z1, float x2, float z2, std::int32_t node) const
{
    if (node == -1 || !nodeLayer || node < 0 || node >= nodeCount)
        return false;
    const LayerData& data = nodeLayer->Data();
    const std::uint32_t polygon = data.nodes[static_cast<std::size_t>(node)].field[2];
    const bool inside = nodeLayer->PointInPolygon((x1 + x2) * 0.5f, (z1 + z2) * 0.5f, polygon);
    const bool hole = data.polygons[polygon].IsHole();
    return inside == hole;
}

void cKestruneWalkMap::Clear()
{
    mode = 0;
    path.clear();
    segmentDistance = 0.0f;
}

bool cKestruneWalkMap::ClampTarget(float& x, float& z) const
{
    const float tx = x, tz = z;
    float best = 1000000.0f;
    const LayerPoint* bestA = nullptr;
    const LayerPoint* bestB = nullptr;
    float bestDB = 0.0f;
    for (std::int32_t i = 0; i < layers.count; ++i) {
        const cKestruneEnvironmentLayer& layer = *layers.data[i];
        if (!layer.enabled)
            continue;
        const LayerData& data = layer.Data();
        for (std::uint32_t p = 0; p < data.polygons.size(); ++p) {
            const LayerPolygon& polygon = data.polygons[p];
            if (polygon.pointCount < 2 || (polygon.IsHole() && !layer.PointInPolygon(tx, tz, p)))
                continue;
            // The last stored point repeats the first: the ring is the rest.
            const std::uint32_t ring = polygon.pointCount - 1;
            const LayerPoint* const points = data.points.data() + polygon.firstPoint;
            for (std::uint32_t v = 0; v < ring; ++v) {
                const float d = Length(points[v].x - tx, points[v].z - tz);
                if (d >= best)
                    continue;
                best = d;
                bestA = &points[v];
                const LayerPoint& previous = points[(v + ring - 1) % ring];
                const LayerPoint& next = points[(v + 1) % ring];
                const float dp = Length(previous.x - tx, previous.z - tz);
                const float dn = Length(next.x - tx, next.z - tz);
                bestB = dn < dp ? &next : &previous;
                bestDB = dn < dp ? dn : dp;
            }
        }
    }
    if (!bestA)
        return false;
    const float dA = best;
    const float dB = bestDB;
    if (dA >= kClampReach && dB >= kClampReach)
        return true;
    const float f = dA + dB > 0.0f ? dA / (dA + dB) : 0.0f;
    float px = bestA->x + (bestB->x - bestA->x) * f;
    float pz = bestA->z + (bestB->z - bestA->z) * f;
    px += (px - tx) * 0.001f;
    pz += (pz - tz) * 0.001f;
    if (!IsWalkable(px, pz, 1)) {
        px += (tx - px) * 0.002f;
        if (!IsWalkable(px, pz, 1))
            pz += (tz - pz) * 0.002f;
    }
    x = px;
    z = pz;
    return true;
}

std::int32_t cKestruneWalkMap::FindPath(float x, float, float z)
{
    Clear();
    float position[3];
    owner->GetPosition(position);
    if (x == position[0] && z == position[2]) {
        if (finalDirX != 0.0f || finalDirZ != 0.0f)
            owner->SetOrientation(0.0f, 0.1f, 0.0f, finalDirX, 0.0f, finalDirZ);
        finalDirX = finalDirZ = 0.0f;
        return 0;
    }
    if (!IsWalkable(x, z, 1) && !ClampTarget(x, z))
        return -1;
    if (!IsWalkable(x, z, 1))
        return -1;
    ChooseNodeLayer();
    PathRecord start;
    start.x = position[0];
    start.z = position[2];
    PathRecord target;
    target.x = x;
    target.z = z;
    if (!IsLineBlocked(start.x, start.z, x, z, -1)) {
        path.push_back(start);
        path.push_back(target);
    } else if (!PlanOverNodes(start.x, start.z, x, z)) {
        path.clear();
        return -1;
    }
    lastStepTime = timeGetTime();
    mode = 1;
    Expand();
    return 0;
}

bool cKestruneWalkMap::PlanOverNodes(float startX, float startZ, float targetX, float targetZ)
{
    std::int32_t a, b;
    if (!graph_ || !pairs_.Find(edges_, *graph_, startX, startZ, targetX, targetZ, a, b))
        return false;
    const LayerData& data = nodeLayer->Data();
    const std::size_t n = static_cast<std::size_t>(nodeCount);
    const auto nodeRecord = [&](std::int32_t node) {
        PathRecord record;
        record.x = graph_->x[static_cast<std::size_t>(node)];
        record.z = graph_->z[static_cast<std::size_t>(node)];
        record.node = node;
        return record;
    };
    PathRecord start;
    start.x = startX;
    start.z = startZ;
    path.push_back(start);
    path.push_back(nodeRecord(a));
    std::int32_t current = a;
    for (int hops = 0; current != b && hops < kMaxHops; ++hops) {
        current = static_cast<std::int32_t>(data.rows[static_cast<std::size_t>(current) * n + static_cast<std::size_t>(b)].next);
        path.push_back(nodeRecord(current));
    }
    PathRecord target;
    target.x = targetX;
    target.z = targetZ;
    path.push_back(target);
    return true;
}

void cKestruneWalkMap::Evaluate(std::size_t k, float u, float& x, float& z) const
{
    const PathRecord& p = path[k - 1];
    const PathRecord& q = path[k];
    const float v = 1.0f - u;
    const float b0 = v * v * v, b1 = 3.0f * v * v * u, b2 = 3.0f * v * u * u, b3 = u * u * u;
    x = b0 * p.x + b1 * p.outX + b2 * q.inX + b3 * q.x;
    z = b0 * p.z + b1 * p.outZ + b2 * q.inZ + b3 * q.z;
}

void cKestruneWalkMap::FillTable(std::size_t k)
{
    PathRecord& record = path[k];
    const PathRecord& previous = path[k - 1];
    record.table[0] = 0.0f;
    for (int i = 1; i < PathRecord::kTableSize; ++i) {
        float x, z;
        Evaluate(k, static_cast<float>(i) * 0.05f, x, z);
        const float dx = x - previous.x, dz = z - previous.z;
        record.table[i] = dx * dx + dz * dz;
    }
}

namespace {

// Grows a handle from the point along each direction in steps of s while no
// handle crosses an edge and the length stays within limit, then steps back
// once. Returns the length found (0 when the first step is already refused).
template <typename Blocked>
float GrowHandle(float px, float pz, const float (*directions)[2], int count, float limit, float s, Blocked blocked)
{
    // A limit that is not a finite length (damaged saved points) would never
    // be passed: no handle then.
    if (!(s > 0.0f) || !std::isfinite(limit) || !std::isfinite(s))
        return 0.0f;
    float h = s;
    for (;;) {
        bool refused = h > limit;
        for (int i = 0; i < count && !refused; ++i)
            refused = blocked(px, pz, px + h * directions[i][0], pz + h * directions[i][1]);
        if (refused)
            return h - s;
        h += s;
    }
}

// Whether the layer's polygon holds every point of the box or none, by its
// own containment test (1 or 0), or -1 when its edges may tell some points
// of the box apart. An edge's crossing of a point's row is computed in
// single precision, and lies between the edge's ends but for a few units in
// the last place of their size, so a box wholly beside that span is told
// once for all its points.
int PolygonHoldsAcross(const cKestruneEnvironmentLayer& layer, std::uint32_t index, float lowX, float lowZ, float highX,
                       float highZ)
{
    const LayerData& data = layer.Data();
    if (!layer.enabled || index >= data.polygons.size() || data.polygons[index].pointCount == 0)
        return 0;
    constexpr float kLarge = 1e18f;
    const auto ordinary = [](float v) { return std::fabs(v) <= kLarge; };
    if (!ordinary(lowX) || !ordinary(lowZ) || !ordinary(highX) || !ordinary(highZ))
        return -1;
    const LayerPolygon& polygon = data.polygons[index];
    const LayerPoint* const points = data.points.data() + polygon.firstPoint;
    bool inside = false;
    for (std::uint32_t i = 0, j = polygon.pointCount - 1; i < polygon.pointCount; j = i++) {
        const LayerPoint& a = points[j];
        const LayerPoint& b = points[i];
        if (!ordinary(a.x) || !ordinary(a.z) || !ordinary(b.x) || !ordinary(b.z))
            return -1;
        // A point's row meets the edge when lowest <= z < highest.
        const float lowest = std::fmin(a.z, b.z), highest = std::fmax(a.z, b.z);
        if (a.z == b.z || highZ < lowest || lowZ >= highest)
            continue;
        const double slack = 1e-6 * (std::fabs(double{a.x}) + std::fabs(double{b.x})) + 1e-30;
        if (lowX >= std::fmax(a.x, b.x) + slack)
            continue;
        if (highX < std::fmin(a.x, b.x) - slack && lowZ >= lowest && highZ < highest) {
            inside = !inside;
            continue;
        }
        return -1;
    }
    return inside ? 1 : 0;
}

} // namespace

int cKestruneWalkMap::NodeVerdictAcross(float x, float z, const float (*directions)[2], int count, float limit,
                                        float step, std::int32_t node) const
{
    if (node == -1 || !nodeLayer || node < 0 || node >= nodeCount)
        return 0;
    if (!(step > 0.0f) || !std::isfinite(limit) || !std::isfinite(step))
        return -1;
    // The midpoints of every handle that GrowHandle may test, by the same
    // operations.
    constexpr int kMostSteps = 64;
    float lowX = x, lowZ = z, highX = x, highZ = z;
    int steps = 0;
    for (float h = step; h <= limit; h += step) {
        if (++steps > kMostSteps)
            return -1;
        for (int i = 0; i < count; ++i) {
            const float mx = (x + (x + h * directions[i][0])) * 0.5f, mz = (z + (z + h * directions[i][1])) * 0.5f;
            lowX = std::fmin(lowX, mx);
            highX = std::fmax(highX, mx);
            lowZ = std::fmin(lowZ, mz);
            highZ = std::fmax(highZ, mz);
        }
    }
    const LayerData& data = nodeLayer->Data();
    const std::uint32_t polygon = data.nodes[static_cast<std::size_t>(node)].field[2];
    const int holds = PolygonHoldsAcross(*nodeLayer, polygon, lowX, lowZ, highX, highZ);
    if (holds < 0)
        return -1;
    return (holds == 1) == data.polygons[polygon].IsHole() ? 1 : 0;
}

float cKestruneWalkMap::GrowHandles(float x, float z, const float (*directions)[2], int count, float limit, float step,
                                    std::int32_t node)
{
    // Every handle is tested no longer than the limit, along directions no
    // longer than the longest; a little more covers the rounding of the
    // handles' ends.
    double longest = 0.0;
    for (int i = 0; i < count; ++i)
        longest = std::max({longest, std::fabs(double{directions[i][0]}), std::fabs(double{directions[i][1]})});
    edges_.Gather(x, z, (double{limit} * longest + 1e-6) * 1.001, nearby_);
    // The node's polygon mostly answers alike for every handle: then once.
    const int verdict = NodeVerdictAcross(x, z, directions, count, limit, step, node);
    return GrowHandle(x, z, directions, count, limit, step, [&](float x1, float z1, float x2, float z2) {
        if (edges_.CrossesNearby(nearby_, x1, z1, x2, z2))
            return true;
        return verdict >= 0 ? verdict == 1 : BlockedAtNode(x1, z1, x2, z2, node);
    });
}

void cKestruneWalkMap::Expand()
{
    for (PathRecord& record : path) {
        record.inX = record.outX = record.x;
        record.inZ = record.outZ = record.z;
    }
    const std::size_t count = path.size();
    for (std::size_t k = 1; k + 1 < count; ++k) {
        PathRecord& r = path[k];
        const PathRecord& previous = path[k - 1];
        const PathRecord& next = path[k + 1];
        const float legA = Length(previous.x - r.x, previous.z - r.z);
        const float legB = Length(next.x - r.x, next.z - r.z);
        const float ax = legA > 0.0f ? (previous.x - r.x) / legA : 0.0f;
        const float az = legA > 0.0f ? (previous.z - r.z) / legA : 0.0f;
        const float bx = legB > 0.0f ? (next.x - r.x) / legB : 0.0f;
        const float bz = legB > 0.0f ? (next.z - r.z) / legB : 0.0f;
        const float tx = (bx - ax) * 0.5f, tz = (bz - az) * 0.5f;
        const float limit = 0.5f * std::fmin(legA, legB);
        const float directions[2][2] = {{-tx, -tz}, {tx, tz}};
        const std::int32_t node = r.node;
        const float h = GrowHandles(r.x, r.z, directions, 2, limit, 0.1f * limit, node);
        r.inX = r.x - h * tx;
        r.inZ = r.z - h * tz;
        r.outX = r.x + h * tx;
        r.outZ = r.z + h * tz;
    }
    // The handles of the ends run along a third of the first and last legs,
    // which are often long: the grid serves their few long segments better
    // than gathered edges would.
    const auto blockedFor = [this](std::int32_t node) {
        return [this, node](float x1, float z1, float x2, float z2) { return IsLineBlocked(x1, z1, x2, z2, node); };
    };
    if (count >= 2 && (finalDirX != 0.0f || finalDirZ != 0.0f)) {
        PathRecord& last = path[count - 1];
        const PathRecord& before = path[count - 2];
        const float limit = Length(last.x - before.x, last.z - before.z) / 3.0f;
        const float directions[1][2] = {{-finalDirX, -finalDirZ}};
        const float h = GrowHandle(last.x, last.z, directions, 1, limit, std::fmax(0.04f * limit, 0.01f),
                                   blockedFor(last.node));
        last.inX = last.x - h * finalDirX;
        last.inZ = last.z - h * finalDirZ;
    }
    if (count >= 2) {
        PathRecord& first = path[0];
        const PathRecord& second = path[1];
        float up[3], facing[3];
        owner->GetAxes(up, facing);
        const float legX = second.x - first.x, legZ = second.z - first.z;
        if (legX * facing[0] + legZ * facing[2] > 0.0f) {
            const float limit = Length(legX, legZ) / 3.0f;
            const float directions[1][2] = {{facing[0], facing[2]}};
            const float h = GrowHandle(first.x, first.z, directions, 1, limit, std::fmax(0.04f * limit, 0.01f),
                                       blockedFor(first.node));
            first.outX = first.x + h * facing[0];
            first.outZ = first.z + h * facing[2];
        }
    }
    for (std::size_t k = 1; k < count; ++k)
        FillTable(k);
}
