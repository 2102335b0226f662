// Planned walks on a few maps with many start and target points, checked two
// ways: against line of sight and node pairing written out plainly here, and
// against a digest of every record of every walk (points, nodes, handles and
// arc-length tables), so that a faster planner is proven to choose the same
// routes bit for bit.

#include "engine/world/kestrune_walk_map.h"
#include "engine/world/walk_map_edge_grid.h"
#include "engine/world/walk_map_node_graph.h"
#include "engine/world/walk_map_plain_route.h"
#include "engine/world/walk_map_sight_fan.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vls::test {
namespace {

// A small generator of its own, so maps and queries are the same everywhere.
struct Rng {
    std::uint32_t state;
    std::uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    std::uint32_t Below(std::size_t n) { return Next() % static_cast<std::uint32_t>(n); }
};

using Points = std::vector<std::pair<float, float>>;

// A ring stored closed: the last point repeats the first, as scene data has it.
void Ring(LayerData& data, const Points& points, bool hole)
{
    LayerPolygon polygon;
    polygon.pointCount = static_cast<std::uint32_t>(points.size() + 1);
    polygon.flags = hole ? 1 : 0;
    polygon.firstPoint = static_cast<std::uint32_t>(data.points.size());
    data.polygons.push_back(polygon);
    for (const auto& [x, z] : points)
        data.points.push_back({x, 0.0f, z});
    data.points.push_back({points[0].first, 0.0f, points[0].second});
}

// A square of half size h around (cx, cz), turned by angle.
Points TurnedSquare(float cx, float cz, float h, float angle)
{
    Points points;
    for (int i = 0; i < 4; ++i) {
        const float a = angle + static_cast<float>(i) * 1.5707964f;
        points.emplace_back(cx + h * std::cos(a), cz + h * std::sin(a));
    }
    return points;
}

float NodeCoordinate(const LayerNode& node, int i)
{
    float v;
    std::memcpy(&v, &node.field[i], sizeof v);
    return v;
}

// A 40 x 40 floor with 4 x 4 square pillars and a lattice of 160 nodes at
// exactly representable places, so many pairs cost the same and the tie rule
// decides; some nodes stand inside pillars or on their edges.
LayerBuilder Pillars()
{
    LayerBuilder builder;
    tools::AddWalkRing(builder.data, 0, 0, 40, 40);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            tools::AddWalkRing(builder.data, 5.0f + 10.0f * i, 5.0f + 10.0f * j, 8.0f + 10.0f * i, 8.0f + 10.0f * j, true);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 10; ++j)
            tools::AddWalkNode(builder.data, 1.25f + 2.5f * i, 2.0f + 4.0f * j, 0);
    tools::BuildWalkNodeRows(builder.data);
    return builder;
}

// A slanted floor with a bay cut into it, turned squares and a triangle as
// holes (one stored open), and nodes scattered over the floor, a few right on
// hole corners.
LayerBuilder Rooms()
{
    LayerBuilder builder;
    LayerData& data = builder.data;
    Ring(data, {{0, 0}, {31.3f, 1.7f}, {29.1f, 12.2f}, {17.6f, 11.8f}, {18.4f, 18.9f}, {30.2f, 17.7f}, {31.7f, 30.4f}, {-0.8f, 29.2f}},
         false);
    Ring(data, TurnedSquare(6.3f, 7.1f, 2.1f, 0.3f), true);
    Ring(data, TurnedSquare(9.2f, 22.4f, 2.6f, 1.1f), true);
    Ring(data, TurnedSquare(24.1f, 25.3f, 1.7f, 0.7f), true);
    Ring(data, TurnedSquare(12.2f, 14.6f, 3.0f, 0.0f), true);
    Ring(data, {{22.0f, 4.9f}, {26.3f, 9.1f}, {20.2f, 8.7f}}, true);
    LayerPolygon open;
    open.pointCount = 3;
    open.flags = 1;
    open.firstPoint = static_cast<std::uint32_t>(data.points.size());
    data.polygons.push_back(open);
    data.points.insert(data.points.end(), {{3.0f, 0, 15.0f}, {5.5f, 0, 17.5f}, {3.2f, 0, 19.9f}});

    cKestruneEnvironmentLayer floor;
    const std::vector<std::uint8_t> bytes = builder.Bytes();
    floor.LoadFromMemory(bytes.data(), bytes.size());
    floor.enabled = 1;
    Rng rng{12345};
    while (data.nodes.size() < 90) {
        const float x = rng.Range(-1, 32), z = rng.Range(-1, 31);
        if (floor.ContainsPoint(x, z))
            tools::AddWalkNode(data, x, z, 0);
    }
    // Nodes on hole corners: segments that graze a corner are not blocked by it.
    for (std::uint32_t p : {data.polygons[1].firstPoint, data.polygons[4].firstPoint + 2, data.polygons[5].firstPoint + 1})
        tools::AddWalkNode(data, data.points[p].x, data.points[p].z, 0);
    tools::BuildWalkNodeRows(data);
    return builder;
}

// Pillars whose rows claim ways shorter than the straight distance between
// their nodes, with some pairs cut off: the planner may not lean on the rows
// being distances along the floor.
LayerBuilder ShortRows()
{
    LayerBuilder builder = Pillars();
    for (std::size_t i = 0; i < builder.data.rows.size(); ++i)
        builder.data.rows[i].distance = i % 7 == 3 ? tools::kNoWay : builder.data.rows[i].distance * 0.3f;
    return builder;
}

// A generated floor like a game's larger scenes: a square room with rows of
// pillars, some turned, and a lattice of nodes between them joined only to
// near neighbours, so the rows zigzag and many node pairs cost almost the
// same. Optionally some rows are made a little shorter than the floor
// allows, so the planner may lean on them being long only as far as they
// are.
struct FloorPlan {
    std::uint32_t seed;
    int pillarsPerSide;
    float join;
    bool someRowsShort;
};

LayerBuilder PillarFloor(const FloorPlan& plan)
{
    Rng rng{plan.seed};
    LayerBuilder builder;
    LayerData& data = builder.data;
    const float side = rng.Range(40, 70);
    tools::AddWalkRing(data, 0, 0, side, side);
    const float pitch = side / static_cast<float>(plan.pillarsPerSide);
    for (int i = 0; i < plan.pillarsPerSide; ++i)
        for (int j = 0; j < plan.pillarsPerSide; ++j) {
            const float cx = pitch * (static_cast<float>(i) + rng.Range(0.35f, 0.65f));
            const float cz = pitch * (static_cast<float>(j) + rng.Range(0.35f, 0.65f));
            const float half = rng.Range(1.0f, pitch * 0.2f);
            if (rng.Below(2) == 0)
                tools::AddWalkRing(data, cx - half, cz - half, cx + half, cz + half, true);
            else
                Ring(data, TurnedSquare(cx, cz, half, rng.Range(0, 1.5f)), true);
        }
    cKestruneEnvironmentLayer floor;
    const std::vector<std::uint8_t> bytes = builder.Bytes();
    floor.LoadFromMemory(bytes.data(), bytes.size());
    floor.enabled = 1;
    const float stepX = rng.Range(2.5f, 4.0f), stepZ = rng.Range(3.0f, 4.5f);
    for (float x = stepX / 2; x < side; x += stepX)
        for (float z = stepZ / 2; z < side; z += stepZ)
            if (floor.ContainsPoint(x, z))
                tools::AddWalkNode(data, x, z, 0);
    tools::BuildWalkNodeRows(data, plan.join);
    if (plan.someRowsShort) {
        for (std::size_t i = 0; i < data.rows.size(); ++i)
            if (rng.Below(50) == 0)
                data.rows[i].distance *= 0.97f;
    }
    return builder;
}

// Line of sight as plainly as it is defined: every bound layer's own segment
// test, then the node's polygon at the midpoint.
bool PlainBlocked(const cKestruneWalkMap& map, float x1, float z1, float x2, float z2, std::int32_t node)
{
    for (std::int32_t i = 0; i < map.layers.count; ++i) {
        if (map.layers.data[i]->SegmentCrossesEdges(x1, z1, x2, z2))
            return true;
    }
    if (node < 0 || !map.nodeLayer || node >= map.nodeCount)
        return false;
    const LayerData& data = map.nodeLayer->Data();
    const std::uint32_t polygon = data.nodes[static_cast<std::size_t>(node)].field[2];
    const bool inside = map.nodeLayer->PointInPolygon((x1 + x2) * 0.5f, (z1 + z2) * 0.5f, polygon);
    return inside == data.polygons[polygon].IsHole();
}

// The nodes of a walk over the graph, plainly. Empty when there is no pair.
std::vector<std::int32_t> PlainNodeRoute(const cKestruneWalkMap& map, float sx, float sz, float tx, float tz)
{
    return map.nodeLayer ? PlainWalkNodes(map.layers, *map.nodeLayer, sx, sz, tx, tz) : std::vector<std::int32_t>();
}

// The digests in the tests below are those of the walks as first planned:
// when one changes, some route, handle or table has changed.
class WalkRouteTest : public WorldTest {
protected:
    WalkRouteTest() { host.scene = &scene; }

    // Every polygon point of the bound layers.
    std::vector<LayerPoint> Corners() const
    {
        std::vector<LayerPoint> corners;
        for (std::int32_t i = 0; i < map.layers.count; ++i) {
            const LayerData& data = map.layers.data[i]->Data();
            corners.insert(corners.end(), data.points.begin(), data.points.end());
        }
        return corners;
    }

    struct Tally {
        std::uint64_t digest = 1469598103934665603ull;
        int direct = 0, overNodes = 0, none = 0, checked = 0;
        void Add(const void* bytes, std::size_t size)
        {
            for (std::size_t i = 0; i < size; ++i) {
                digest ^= static_cast<const std::uint8_t*>(bytes)[i];
                digest *= 1099511628211ull;
            }
        }
    };

    // Plans walks between random points, points on nodes and corners, and
    // points far off the floor, with random facings and final directions.
    Tally Walks(std::uint32_t seed, int count)
    {
        Tally tally;
        Rng rng{seed};
        const std::vector<LayerPoint> corners = Corners();
        const LayerData* const nodes = map.nodeLayer ? &map.nodeLayer->Data() : nullptr;
        const auto pick = [&](float& x, float& z, bool far) {
            const std::uint32_t kind = rng.Below(20);
            if (far && kind < 2) {
                x = map.maxX + rng.Range(50, 150);
                z = rng.Range(map.minZ, map.maxZ);
            } else if (kind < 5 && nodes) {
                const LayerNode& node = nodes->nodes[rng.Below(nodes->nodes.size())];
                x = NodeCoordinate(node, 0);
                z = NodeCoordinate(node, 1);
            } else if (kind < 7) {
                const LayerPoint& corner = corners[rng.Below(corners.size())];
                x = corner.x;
                z = corner.z;
            } else {
                x = rng.Range(map.minX - 2, map.maxX + 2);
                z = rng.Range(map.minZ - 2, map.maxZ + 2);
            }
        };
        for (int q = 0; q < count; ++q) {
            float sx, sz, tx, tz;
            pick(sx, sz, false);
            pick(tx, tz, true);
            if (rng.Below(20) == 0) {
                tx = sx;
                tz = sz;
            }
            const float turn = rng.Range(0, 6.2831853f);
            control.facing[0] = std::cos(turn);
            control.facing[2] = std::sin(turn);
            const float final = rng.Range(0, 6.2831853f);
            const bool withFinal = rng.Below(5) < 3;
            map.finalDirX = withFinal ? std::cos(final) : 0.0f;
            map.finalDirZ = withFinal ? std::sin(final) : 0.0f;
            control.position[0] = sx;
            control.position[2] = sz;

            const bool plainTarget = map.IsWalkable(tx, tz, 1) && (tx != sx || tz != sz);
            const std::int32_t result = map.FindPath(tx, 0, tz);
            const std::uint32_t size = static_cast<std::uint32_t>(map.path.size());
            tally.Add(&result, sizeof result);
            tally.Add(&map.mode, sizeof map.mode);
            tally.Add(&size, sizeof size);
            for (const PathRecord& record : map.path) {
                tally.Add(&record.x, 6 * sizeof(float));
                tally.Add(&record.node, sizeof record.node);
                tally.Add(record.table, sizeof record.table);
            }
            (size == 2 ? tally.direct : size > 2 ? tally.overNodes : tally.none)++;
            if (plainTarget)
                CheckPlainRoute(sx, sz, tx, tz, result, q, tally);
        }
        return tally;
    }

    void CheckPlainRoute(float sx, float sz, float tx, float tz, std::int32_t result, int q, Tally& tally)
    {
        ++tally.checked;
        std::vector<std::int32_t> nodes;
        if (PlainBlocked(map, sx, sz, tx, tz, -1)) {
            nodes = PlainNodeRoute(map, sx, sz, tx, tz);
            if (nodes.empty()) {
                EXPECT_EQ(result, -1) << "walk " << q;
                EXPECT_TRUE(map.path.empty()) << "walk " << q;
                return;
            }
        }
        EXPECT_EQ(result, 0) << "walk " << q;
        ASSERT_EQ(map.path.size(), nodes.size() + 2) << "walk " << q;
        EXPECT_EQ(map.path.front().x, sx);
        EXPECT_EQ(map.path.front().z, sz);
        EXPECT_EQ(map.path.back().x, tx);
        EXPECT_EQ(map.path.back().z, tz);
        EXPECT_EQ(map.path.front().node, -1);
        EXPECT_EQ(map.path.back().node, -1);
        for (std::size_t k = 0; k < nodes.size(); ++k)
            EXPECT_EQ(map.path[k + 1].node, nodes[k]) << "walk " << q << " record " << k + 1;
    }

    // Segments chosen to find any difference from the plain test: random
    // ones, corner to corner, node to corner, along and beyond edges, points
    // and coordinates that are not finite or very large.
    void CheckLineOfSight(std::uint32_t seed) { CheckLineOfSight(seed, map.minX, map.minZ, map.maxX, map.maxZ); }
    void CheckLineOfSight(std::uint32_t seed, float lowX, float lowZ, float highX, float highZ)
    {
        Rng rng{seed};
        const std::vector<LayerPoint> corners = Corners();
        const auto corner = [&] { return corners[rng.Below(corners.size())]; };
        const auto check = [&](float x1, float z1, float x2, float z2) {
            const std::int32_t node = map.nodeCount > 0 && rng.Below(3) == 0 ? static_cast<std::int32_t>(rng.Below(map.nodeCount)) : -1;
            ASSERT_EQ(map.IsLineBlocked(x1, z1, x2, z2, node), PlainBlocked(map, x1, z1, x2, z2, node))
                << x1 << "," << z1 << " to " << x2 << "," << z2 << " node " << node;
        };
        for (int i = 0; i < 3000; ++i)
            check(rng.Range(lowX - 5, highX + 5), rng.Range(lowZ - 5, highZ + 5), rng.Range(lowX - 5, highX + 5),
                  rng.Range(lowZ - 5, highZ + 5));
        for (int i = 0; i < 3000; ++i) {
            const LayerPoint a = corner(), b = corner();
            check(a.x, a.z, b.x, b.z);
            const float k = rng.Below(2) ? rng.Range(-2, 3) : static_cast<float>(rng.Below(5)) * 0.5f - 1.0f;
            check(a.x, a.z, a.x + (b.x - a.x) * k, a.z + (b.z - a.z) * k);
            check(a.x + (b.x - a.x) * k, a.z + (b.z - a.z) * k, a.x, a.z);
            check(a.x, a.z, a.x, a.z);
        }
        if (map.nodeLayer) {
            const LayerData& data = map.nodeLayer->Data();
            for (int i = 0; i < 2000; ++i) {
                const LayerNode& node = data.nodes[rng.Below(data.nodes.size())];
                const LayerPoint b = corner();
                check(NodeCoordinate(node, 0), NodeCoordinate(node, 1), b.x, b.z);
            }
        }
        const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
        for (const float v : odd) {
            for (int slot = 0; slot < 4; ++slot) {
                float c[4] = {rng.Range(0, 30), rng.Range(0, 30), rng.Range(0, 30), rng.Range(0, 30)};
                c[slot] = v;
                check(c[0], c[1], c[2], c[3]);
            }
        }
    }

    // Lines of sight gathered around one point, as the planner files them
    // for the many lines from the nodes to an end of a walk and for the
    // handles of a smoothed walk: from random points, corners and places
    // right beside edges, to random places, corners, points on the same
    // edges and points that are not finite.
    void CheckLinesFromOnePoint(std::uint32_t seed, float lowX, float lowZ, float highX, float highZ)
    {
        Rng rng{seed};
        WalkEdgeGrid grid;
        grid.Build(map.layers);
        const std::vector<LayerPoint> corners = Corners();
        const auto corner = [&] { return corners[rng.Below(corners.size())]; };
        const auto place = [&](float& x, float& z) {
            const std::uint32_t kind = rng.Below(4);
            const LayerPoint a = corner(), b = corner();
            if (kind == 0) {
                x = a.x;
                z = a.z;
            } else if (kind == 1) {
                const float k = rng.Below(2) ? rng.Range(-0.5f, 1.5f) : static_cast<float>(rng.Below(5)) * 0.25f;
                x = a.x + (b.x - a.x) * k;
                z = a.z + (b.z - a.z) * k;
            } else {
                x = rng.Range(lowX - 5, highX + 5);
                z = rng.Range(lowZ - 5, highZ + 5);
            }
        };
        const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f};
        WalkSightFan fan, regionFan;
        WalkEdgeGrid::Nearby nearby;
        for (int p = 0; p < 60; ++p) {
            float px, pz;
            place(px, pz);
            const double reach = 2.0 * (highX - lowX + highZ - lowZ) * rng.Range(0.2f, 1.0f);
            fan.Build(grid, px, pz, reach);
            // A region around this point and another, drawn through a place
            // (often a corner) so that lines from places near its rim pass
            // close to the edges it leaves out; sometimes tighter.
            WalkSightFan::Region region;
            place(region.otherX, region.otherZ);
            region.share = rng.Below(4) == 0 ? 0.0 : rng.Below(3) == 0 ? 1.0 : rng.Range(0.5f, 1.0f);
            const auto measure = [&](float x, float z) {
                return std::hypot(double{x} - px, double{z} - pz)
                     + region.share * std::hypot(double{x} - region.otherX, double{z} - region.otherZ);
            };
            float rimX, rimZ;
            place(rimX, rimZ);
            region.limit = measure(rimX, rimZ) * (rng.Below(5) == 0 ? 0.3 : 1.0);
            regionFan.Build(grid, px, pz, reach, &region);
            for (int i = 0; i < 300; ++i) {
                float x, z;
                place(x, z);
                if (i % 100 == 99)
                    (rng.Below(2) ? x : z) = odd[rng.Below(3)];
                const bool blocked = PlainBlocked(map, x, z, px, pz, -1);
                ASSERT_EQ(fan.Crosses(x, z), blocked) << x << "," << z << " to " << px << "," << pz << " reach " << reach;
                if (std::isfinite(x) && std::isfinite(z) && measure(x, z) <= region.limit) {
                    ASSERT_EQ(regionFan.Crosses(x, z), blocked) << x << "," << z << " to " << px << "," << pz << " in a region";
                }
            }
            const float radius = rng.Range(0.01f, 10.0f);
            grid.Gather(px, pz, radius, nearby);
            for (int i = 0; i < 100; ++i) {
                const float turn = rng.Range(0, 6.2831853f), length = rng.Range(0, radius * 1.5f);
                const float x = px + length * std::cos(turn), z = pz + length * std::sin(turn);
                ASSERT_EQ(grid.CrossesNearby(nearby, px, pz, x, z), PlainBlocked(map, px, pz, x, z, -1))
                    << px << "," << pz << " to " << x << "," << z << " radius " << radius;
            }
        }
    }

    // The handles of every inner point of the walk, grown plainly: the
    // node's polygon is asked at every handle's midpoint.
    void CheckPlainHandles(int q)
    {
        for (std::size_t k = 1; k + 1 < map.path.size(); ++k) {
            const PathRecord& r = map.path[k];
            const PathRecord& previous = map.path[k - 1];
            const PathRecord& next = map.path[k + 1];
            const float legA = std::sqrt((previous.x - r.x) * (previous.x - r.x) + (previous.z - r.z) * (previous.z - r.z));
            const float legB = std::sqrt((next.x - r.x) * (next.x - r.x) + (next.z - r.z) * (next.z - r.z));
            const float ax = legA > 0.0f ? (previous.x - r.x) / legA : 0.0f;
            const float az = legA > 0.0f ? (previous.z - r.z) / legA : 0.0f;
            const float bx = legB > 0.0f ? (next.x - r.x) / legB : 0.0f;
            const float bz = legB > 0.0f ? (next.z - r.z) / legB : 0.0f;
            const float tx = (bx - ax) * 0.5f, tz = (bz - az) * 0.5f;
            const float limit = 0.5f * std::fmin(legA, legB), step = 0.1f * limit;
            float h = 0.0f;
            if (step > 0.0f && std::isfinite(limit)) {
                for (h = step;; h += step) {
                    if (h > limit || PlainBlocked(map, r.x, r.z, r.x - h * tx, r.z - h * tz, r.node)
                        || PlainBlocked(map, r.x, r.z, r.x + h * tx, r.z + h * tz, r.node))
                        break;
                }
                h -= step;
            }
            ASSERT_EQ(r.outX, r.x + h * tx) << "walk " << q << " record " << k;
            ASSERT_EQ(r.outZ, r.z + h * tz) << "walk " << q << " record " << k;
            ASSERT_EQ(r.inX, r.x - h * tx) << "walk " << q << " record " << k;
            ASSERT_EQ(r.inZ, r.z - h * tz) << "walk " << q << " record " << k;
        }
    }

    WalkHost host;
    cKestruneScene scene;
    FakeControl control;
    cKestruneWalkMap map{&control};
};

// Every landmark's bound on a row, computed as the planner computes it in
// single precision, is no more than the row itself, for every pair whose
// row is finite; and a landmark with a row that is not finite is not used.
void CheckLandmarkBounds(const LayerBuilder& builder)
{
    const std::vector<std::uint8_t> bytes = builder.Bytes();
    cKestruneEnvironmentLayer layer;
    ASSERT_EQ(layer.LoadFromMemory(bytes.data(), bytes.size()), 0);
    WalkNodeGraph graph;
    ASSERT_TRUE(ReadWalkNodeGraph(layer, graph));
    const LayerData& data = layer.Data();
    const std::size_t n = data.nodes.size();
    ASSERT_FALSE(graph.landmarks.empty());
    ASSERT_EQ(graph.landmarkShortfall.size(), graph.landmarks.size());
    for (std::size_t l = 0; l < graph.landmarks.size(); ++l) {
        const float shortfall = graph.landmarkShortfall[l];
        const LayerRowEntry* const own = data.rows.data() + std::size_t{graph.landmarks[l]} * n;
        bool finite = true;
        for (std::size_t b = 0; b < n; ++b)
            finite = finite && std::isfinite(own[b].distance);
        if (!finite) {
            EXPECT_EQ(shortfall, std::numeric_limits<float>::infinity()) << "landmark " << l;
            continue;
        }
        const float* const marks = graph.landmarkRows.data() + l * n;
        for (std::size_t a = 0; a < n; ++a) {
            for (std::size_t b = 0; b < n; ++b) {
                const float row = data.rows[a * n + b].distance;
                if (!std::isfinite(row))
                    continue;
                // Both ways the planner sums it: from the start side and
                // from the target side.
                const float fromStart = marks[b] + -(marks[a] + shortfall);
                const float fromTarget = -marks[a] + (marks[b] - shortfall);
                ASSERT_LE(fromStart, row) << "landmark " << l << " pair " << a << ", " << b;
                ASSERT_LE(fromTarget, row) << "landmark " << l << " pair " << a << ", " << b;
            }
        }
    }
}

TEST(WalkLandmarkTest, BoundsNeverPassARow)
{
    SCOPED_TRACE("rows along the floor");
    CheckLandmarkBounds(Pillars());
    CheckLandmarkBounds(Rooms());
    CheckLandmarkBounds(PillarFloor({5, 3, 7.0f, true}));
    {
        SCOPED_TRACE("rows far shorter than the floor, some cut off");
        CheckLandmarkBounds(ShortRows());
    }
    // One row of each landmark's way much shorter than the others make it,
    // rows that are not finite, and a landmark's own row not finite.
    LayerBuilder odd = Rooms();
    LayerData& data = odd.data;
    const std::size_t n = data.nodes.size();
    Rng rng{5};
    for (int i = 0; i < 40; ++i)
        data.rows[rng.Below(n) * n + rng.Below(n)].distance *= 0.1f;
    data.rows[3 * n + 7].distance = std::numeric_limits<float>::infinity();
    data.rows[8 * n + 2].distance = std::numeric_limits<float>::quiet_NaN();
    data.rows[n + 5].distance = 3e38f;
    {
        SCOPED_TRACE("odd rows");
        CheckLandmarkBounds(odd);
    }
    cKestruneEnvironmentLayer layer;
    const std::vector<std::uint8_t> bytes = odd.Bytes();
    layer.LoadFromMemory(bytes.data(), bytes.size());
    WalkNodeGraph graph;
    ASSERT_TRUE(ReadWalkNodeGraph(layer, graph));
    for (const std::uint32_t landmark : graph.landmarks)
        data.rows[std::size_t{landmark} * n + rng.Below(n)].distance = std::numeric_limits<float>::infinity();
    SCOPED_TRACE("landmark rows not finite");
    CheckLandmarkBounds(odd);
}

TEST_F(WalkRouteTest, LatticeOfNodesAmongPillars)
{
    AddLayer(scene, Pillars());
    map.Bind();
    CheckLineOfSight(7);
    CheckLinesFromOnePoint(7, map.minX, map.minZ, map.maxX, map.maxZ);
    const Tally tally = Walks(99, 400);
    EXPECT_GT(tally.overNodes, 100);
    EXPECT_GT(tally.direct, 40);
    EXPECT_GT(tally.none, 20);
    EXPECT_GT(tally.checked, 200);
    EXPECT_EQ(tally.digest, 0x550ef02cc5c75f26ull) << std::hex << tally.digest;
}

TEST_F(WalkRouteTest, ScatteredNodesOnASlantedFloorWithAnIslandLayer)
{
    AddLayer(scene, Rooms());
    AddLayer(scene, LayerBuilder().Rect(40, 0, 50, 10), "walkmap_island");
    AddLayer(scene, LayerBuilder().Rect(0, 0, 20, 20), "view_room");
    map.Bind();
    ASSERT_EQ(map.layers.count, 2);
    CheckLineOfSight(8);
    CheckLinesFromOnePoint(8, map.minX, map.minZ, map.maxX, map.maxZ);
    const Tally tally = Walks(100, 400);
    EXPECT_GT(tally.overNodes, 60);
    EXPECT_GT(tally.direct, 40);
    EXPECT_GT(tally.none, 20);
    EXPECT_EQ(tally.digest, 0x599943f440e44deeull) << std::hex << tally.digest;

    // A layer switched off after binding no longer blocks.
    scene.layers.data[0]->enabled = 0;
    CheckLineOfSight(9);
    scene.layers.data[0]->enabled = 1;
}

// Layers whose edges all lie on one line, hold points that are not finite or
// near the float limit, repeat points, or cross the floor many times over.
TEST_F(WalkRouteTest, LineOfSightOnOddGeometry)
{
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    Rng rng{77};
    LayerBuilder crossing;
    std::vector<LayerPoint> zigzag;
    for (int i = 0; i < 300; ++i)
        zigzag.push_back({rng.Range(0, 100), 0, rng.Range(0, 100)});
    crossing.data.polygons.push_back({300, 0, 0});
    crossing.data.points = zigzag;
    struct Case {
        const char* what;
        LayerBuilder layer;
    };
    const Case cases[] = {
        {"one wall along z", LayerBuilder().Polygon({{5, 0, 0}, {5, 0, 10}}).Polygon({{7, 0, 3}})},
        {"one wall along x", LayerBuilder().Polygon({{0, 0, 5}, {10, 0, 5}, {10, 0, 5}})},
        {"a point at infinity", LayerBuilder().Rect(0, 0, 10, 10).Polygon({{2, 0, 2}, {kInf, 0, 3}, {4, 0, 8}, {2, 0, 2}}, true)},
        {"a point that is not a number", LayerBuilder().Rect(0, 0, 10, 10).Polygon({{2, 0, 2}, {5, 0, kNaN}, {4, 0, 8}, {2, 0, 2}}, true)},
        {"near the float limit", LayerBuilder().Rect(-1e30f, -1e30f, 1e30f, 1e30f).Rect(2, 2, 4, 4, true)},
        {"repeated points", LayerBuilder().Polygon({{0, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {10, 0, 10}, {0, 0, 0}})},
        {"three hundred long edges", crossing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cKestruneScene odd;
        AddLayer(odd, c.layer);
        map.BindLayers(odd);
        CheckLineOfSight(11, -20, -20, 120, 120);
        CheckLinesFromOnePoint(12, -20, -20, 120, 120);
    }
}

TEST_F(WalkRouteTest, RowsShorterThanTheFloorAndPairsCutOff)
{
    AddLayer(scene, ShortRows());
    map.Bind();
    const Tally tally = Walks(101, 400);
    EXPECT_GT(tally.overNodes, 100);
    EXPECT_EQ(tally.digest, 0x00c8fd2f70dc4097ull) << std::hex << tally.digest;
}

TEST_F(WalkRouteTest, GeneratedPillarFloorsMatchThePlainSearch)
{
    const FloorPlan plans[] = {
        {1, 3, 9.0f, false}, {2, 4, 6.0f, false}, {3, 2, 12.0f, false}, {4, 4, 100000.0f, false},
        {5, 3, 7.0f, true},  {6, 5, 6.0f, false}, {7, 3, 5.0f, false},  {8, 4, 8.0f, true},
    };
    for (const FloorPlan& plan : plans) {
        SCOPED_TRACE(testing::Message() << "seed " << plan.seed);
        cKestruneScene floor;
        host.scene = &floor;
        AddLayer(floor, PillarFloor(plan));
        map.Bind();
        ASSERT_GT(map.nodeCount, 100);
        CheckLineOfSight(plan.seed);
        CheckLinesFromOnePoint(plan.seed, map.minX, map.minZ, map.maxX, map.maxZ);
        const Tally tally = Walks(plan.seed, 400);
        EXPECT_GT(tally.overNodes, 50);
        EXPECT_GT(tally.checked, 200);
        host.scene = &scene;
    }
}

// Walks whose ends stand right beside a wall, where one near edge hides
// much of the floor from an end and the nodes it hides are passed over in
// bulk, and whose inner points stand near the floor's rim or in narrow
// polygons, where a node's polygon is asked once for all its handles: ends
// on either side of an edge, a hair to a step away from it, by its middle
// and by its corners, on maps with square, turned and slanted walls.
TEST_F(WalkRouteTest, EndsBesideWallsMatchThePlainSearch)
{
    struct Case {
        const char* what;
        LayerBuilder floor;
    };
    const Case cases[] = {
        {"pillars", Pillars()},
        {"rooms", Rooms()},
        {"turned pillars", PillarFloor({21, 4, 6.0f, false})},
        {"wide pillars", PillarFloor({22, 3, 9.0f, false})},
        {"rows cut short", ShortRows()},
    };
    const float offsets[] = {1e-4f, 0.01f, 0.3f, 0.7f, 1.5f};
    const float alongs[] = {0.0f, 0.02f, 0.5f, 0.98f, 1.0f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cKestruneScene floor;
        host.scene = &floor;
        AddLayer(floor, c.floor);
        map.Bind();
        const LayerData& data = map.layers.data[0]->Data();
        // A place beside edge p of the rings: along its length, off it to
        // its left or right.
        std::vector<std::pair<float, float>> places;
        for (const LayerPolygon& polygon : data.polygons) {
            for (std::uint32_t p = 1; p < polygon.pointCount; ++p) {
                const LayerPoint& a = data.points[polygon.firstPoint + p - 1];
                const LayerPoint& b = data.points[polygon.firstPoint + p];
                const float dx = b.x - a.x, dz = b.z - a.z, length = std::sqrt(dx * dx + dz * dz);
                if (!(length > 0.0f))
                    continue;
                for (const float along : alongs)
                    for (const float offset : offsets)
                        for (const float side : {-1.0f, 1.0f})
                            places.emplace_back(a.x + dx * along - side * offset * dz / length,
                                                a.z + dz * along + side * offset * dx / length);
            }
        }
        Rng rng{31};
        Tally tally;
        for (int q = 0; q < 600; ++q) {
            const auto [sx, sz] = places[rng.Below(places.size())];
            const auto [tx, tz] = places[rng.Below(places.size())];
            if (!map.IsWalkable(sx, sz, 1) || !map.IsWalkable(tx, tz, 1) || (sx == tx && sz == tz))
                continue;
            control.position[0] = sx;
            control.position[2] = sz;
            map.finalDirX = map.finalDirZ = 0.0f;
            const std::int32_t result = map.FindPath(tx, 0, tz);
            (map.path.size() > 2 ? tally.overNodes : tally.direct)++;
            CheckPlainRoute(sx, sz, tx, tz, result, q, tally);
            CheckPlainHandles(q);
            if (HasFatalFailure())
                return;
        }
        EXPECT_GT(tally.overNodes, 100);
        host.scene = &scene;
    }
}

} // namespace
} // namespace vls::test
