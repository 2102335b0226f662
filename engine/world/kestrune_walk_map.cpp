#include "engine/world/kestrune_walk_map.h"

#include "engine/base/engine_link.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "platform/win32/winmm/mmsystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kBoundsStart = 100000.0f;
constexpr float kNoCost = 100000.0f;
constexpr float kClampReach = 100.0f;
constexpr int kMaxHops = 1000;
// Widens the polygon boxes so that rounding in the edge test never finds a
// crossing the box test has ruled out.
constexpr float kBoxMargin = 0.001f;

float Length(float dx, float dz) { return std::sqrt(dx * dx + dz * dz); }

float NodeX(const LayerNode& node)
{
    float x;
    std::memcpy(&x, &node.field[0], sizeof x);
    return x;
}

float NodeZ(const LayerNode& node)
{
    float z;
    std::memcpy(&z, &node.field[1], sizeof z);
    return z;
}

// A node graph is used only when every row entry names a node of the graph
// at a distance that is not negative and every node names a polygon of its
// layer, so the planner can follow rows and polygons without checks of its
// own.
bool NodeGraphValid(const cKestruneEnvironmentLayer& layer)
{
    const LayerData& data = layer.Data();
    const std::size_t n = data.nodes.size();
    for (const LayerNode& node : data.nodes) {
        if (node.field[2] >= data.polygons.size())
            return false;
    }
    for (const LayerRowEntry& entry : data.rows) {
        if (entry.next >= n || entry.distance < 0.0f)
            return false;
    }
    return data.rows.size() == n * n;
}

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
    polygonBoxes_.clear();
    validNodeLayers_.clear();
    ChooseNodeLayer();
}

void cKestruneWalkMap::BindLayers(const cKestruneScene& scene)
{
    scene.CollectAreasByPrefix("walkmap", layers);
    ComputeBounds();
    polygonBoxes_.assign(static_cast<std::size_t>(layers.count), {});
    for (std::int32_t i = 0; i < layers.count; ++i) {
        const LayerData& data = layers.data[i]->Data();
        for (const LayerPolygon& polygon : data.polygons) {
            Box box{kBoundsStart, kBoundsStart, -kBoundsStart, -kBoundsStart};
            for (std::uint32_t p = 0; p < polygon.pointCount; ++p) {
                const LayerPoint& point = data.points[polygon.firstPoint + p];
                box.minX = std::fmin(box.minX, point.x - kBoxMargin);
                box.minZ = std::fmin(box.minZ, point.z - kBoxMargin);
                box.maxX = std::fmax(box.maxX, point.x + kBoxMargin);
                box.maxZ = std::fmax(box.maxZ, point.z + kBoxMargin);
            }
            polygonBoxes_[static_cast<std::size_t>(i)].push_back(box);
        }
    }
    validNodeLayers_.clear();
    for (std::int32_t i = 0; i < layers.count; ++i) {
        const cKestruneEnvironmentLayer* const layer = layers.data[i];
        if (layer->Data().nodes.empty())
            continue;
        if (NodeGraphValid(*layer))
            validNodeLayers_.push_back(layer);
        else
            ReportError("gameplay", layer->Name().GetText(), 0, "Walk map nodes refer to missing nodes or polygons.");
    }
    ChooseNodeLayer();
}

void cKestruneWalkMap::ChooseNodeLayer()
{
    nodeLayer = nullptr;
    nodeCount = 0;
    for (const cKestruneEnvironmentLayer* layer : validNodeLayers_) {
        if (layer->enabled) {
            nodeLayer = layer;
            nodeCount = static_cast<std::int32_t>(layer->Data().nodes.size());
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
    const float lowX = std::fmin(x1, x2), highX = std::fmax(x1, x2);
    const float lowZ = std::fmin(z1, z2), highZ = std::fmax(z1, z2);
    for (std::int32_t i = 0; i < layers.count; ++i) {
        const cKestruneEnvironmentLayer& layer = *layers.data[i];
        if (!layer.enabled)
            continue;
        const std::vector<Box>& boxes = polygonBoxes_[static_cast<std::size_t>(i)];
        for (std::uint32_t p = 0; p < boxes.size(); ++p) {
            const Box& box = boxes[p];
            // NaN coordinates fail every comparison and go to the full test.
            if (highX < box.minX || lowX > box.maxX || highZ < box.minZ || lowZ > box.maxZ)
                continue;
            if (layer.SegmentCrossesPolygon(p, x1, z1, x2, z2))
                return true;
        }
    }
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
    if (!nodeLayer)
        return false;
    const LayerData& data = nodeLayer->Data();
    struct Seen {
        std::int32_t node;
        float distance;
    };
    std::vector<Seen> fromStart, toTarget;
    for (std::int32_t i = 0; i < nodeCount; ++i) {
        const float nx = NodeX(data.nodes[static_cast<std::size_t>(i)]);
        const float nz = NodeZ(data.nodes[static_cast<std::size_t>(i)]);
        // A node without a finite distance could never be part of the cheapest pair.
        const float toStart = Length(nx - startX, nz - startZ);
        const float toEnd = Length(nx - targetX, nz - targetZ);
        if (std::isfinite(toStart) && !IsLineBlocked(nx, nz, startX, startZ, -1))
            fromStart.push_back({i, toStart});
        if (std::isfinite(toEnd) && !IsLineBlocked(nx, nz, targetX, targetZ, -1))
            toTarget.push_back({i, toEnd});
    }
    // The chosen pair is the cheapest one, and of equally cheap pairs the
    // first in node order (the order the lists were built in). Walking both
    // lists from their nearest nodes finds that pair while passing over
    // every pair that cannot reach the best cost.
    const auto nearer = [](const Seen& l, const Seen& r) { return l.distance < r.distance; };
    std::stable_sort(fromStart.begin(), fromStart.end(), nearer);
    std::stable_sort(toTarget.begin(), toTarget.end(), nearer);
    float best = kNoCost;
    std::int32_t a = -1, b = -1;
    const std::size_t n = static_cast<std::size_t>(nodeCount);
    for (const Seen& s : fromStart) {
        if (s.distance > best)
            break;
        const LayerRowEntry* const row = data.rows.data() + static_cast<std::size_t>(s.node) * n;
        for (const Seen& t : toTarget) {
            if (s.distance + t.distance > best)
                break;
            const float cost = s.distance + t.distance + row[t.node].distance;
            const bool earlier = a >= 0 && (s.node < a || (s.node == a && t.node < b));
            if (cost < best || (cost == best && earlier)) {
                best = cost;
                a = s.node;
                b = t.node;
            }
        }
    }
    if (a < 0)
        return false;
    const auto nodeRecord = [&](std::int32_t node) {
        PathRecord record;
        record.x = NodeX(data.nodes[static_cast<std::size_t>(node)]);
        record.z = NodeZ(data.nodes[static_cast<std::size_t>(node)]);
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

} // namespace

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
        const float h = GrowHandle(r.x, r.z, directions, 2, limit, 0.1f * limit,
                                   [&](float x1, float z1, float x2, float z2) { return IsLineBlocked(x1, z1, x2, z2, node); });
        r.inX = r.x - h * tx;
        r.inZ = r.z - h * tz;
        r.outX = r.x + h * tx;
        r.outZ = r.z + h * tz;
    }
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
