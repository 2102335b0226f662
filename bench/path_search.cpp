// Planning walks on walk maps of 250 to 16,000 nodes. Each map is a square
// floor with a grid of square pillars (holes), one pillar per 20 x 20 units,
// and nodes on a lattice between them (none inside a pillar), in two kinds:
// "wide" floors keep the lattice 2.5 x 4 units apart and grow with the node
// count, as a game's larger scenes do; "dense" ones keep the 100 x 100 floor
// of 25 pillars and put the nodes closer together. Rows follow the shortest
// ways over joins between nearby nodes that see each other, as a scene
// editor's rows run along the floor.
//
// Every query of a map is timed on its own, many times; each prints whether
// the walk searched the node graph or went straight, with its median and its
// slowest time. A walk over the graph must go through the nodes that a plain
// search of every pair chooses; that search's one run is timed beside it.
// The benchmark's counters are the slowest query's median and the mean over
// queries; after the largest map the growth of both is printed against the
// smallest.

#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_walk_map.h"
#include "engine/world/walk_map_plain_route.h"
#include "tools/walk_map_builder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <queue>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr float kPillarPitch = 20.0f;
constexpr float kPillarSide = 4.0f;
constexpr float kNodeStepX = 2.5f;
constexpr float kNodeStepZ = 4.0f;
constexpr float kDenseSide = 100.0f;
// Timings per query: enough for a stable median on a loaded machine.
constexpr int kSamples = 301;

// The floor's side and the lattice's spacing of a map of about `nodes`.
struct Layout {
    float side;
    float stepX;
    float stepZ;
};

Layout LayoutFor(int nodes, bool dense)
{
    if (dense) {
        const float scale = std::sqrt(kDenseSide * kDenseSide / (nodes * kNodeStepX * kNodeStepZ));
        return {kDenseSide, kNodeStepX * scale, kNodeStepZ * scale};
    }
    const double area = nodes * kNodeStepX * kNodeStepZ;
    const int pillars = std::max(1, static_cast<int>(std::lround(std::sqrt(area) / kPillarPitch)));
    return {pillars * kPillarPitch, kNodeStepX, kNodeStepZ};
}

bool InPillar(float x, float z)
{
    const float px = std::fmod(x, kPillarPitch), pz = std::fmod(z, kPillarPitch);
    const float low = kPillarPitch / 2 - kPillarSide / 2, high = low + kPillarSide;
    return px >= low && px <= high && pz >= low && pz <= high;
}

// The lattice of the layout outside the pillars.
LayerData MakeLayout(const Layout& layout)
{
    const float side = layout.side;
    const int pillars = static_cast<int>(std::lround(side / kPillarPitch));
    LayerData data;
    vls::tools::AddWalkRing(data, 0, 0, side, side, false);
    for (int i = 0; i < pillars; ++i)
        for (int j = 0; j < pillars; ++j) {
            const float x = i * kPillarPitch + kPillarPitch / 2 - kPillarSide / 2;
            const float z = j * kPillarPitch + kPillarPitch / 2 - kPillarSide / 2;
            vls::tools::AddWalkRing(data, x, z, x + kPillarSide, z + kPillarSide, true);
        }
    const int columns = static_cast<int>(side / layout.stepX), rows = static_cast<int>(side / layout.stepZ);
    for (int i = 0; i < columns; ++i)
        for (int j = 0; j < rows; ++j) {
            const float x = layout.stepX / 2 + i * layout.stepX, z = layout.stepZ / 2 + j * layout.stepZ;
            if (!InPillar(x, z))
                vls::tools::AddWalkNode(data, x, z, 0);
        }
    return data;
}

// Rows over joins between lattice neighbours up to two steps apart that see
// each other (the layer's own segment test), by one shortest-way search from
// every node, spread over a few threads. Floyd-Warshall would take hours at
// 16,000 nodes.
void BuildRows(LayerData& data, const Layout& layout)
{
    const std::size_t n = data.nodes.size();
    std::vector<float> x(n), z(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::memcpy(&x[i], &data.nodes[i].field[0], sizeof(float));
        std::memcpy(&z[i], &data.nodes[i].field[1], sizeof(float));
    }
    LayerData geometry = data;
    geometry.nodes.clear();
    std::vector<std::uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    WriteLayer(writer, "walkmap", geometry);
    cKestruneEnvironmentLayer layer;
    layer.LoadFromMemory(bytes.data(), bytes.size());

    // Nodes by lattice cell, to find neighbours.
    std::map<std::pair<int, int>, std::uint32_t> at;
    const auto cell = [&](std::size_t i) {
        return std::pair{static_cast<int>(std::lround((x[i] - layout.stepX / 2) / layout.stepX)),
                         static_cast<int>(std::lround((z[i] - layout.stepZ / 2) / layout.stepZ))};
    };
    for (std::size_t i = 0; i < n; ++i)
        at[cell(i)] = static_cast<std::uint32_t>(i);
    std::vector<std::vector<std::pair<std::uint32_t, float>>> joins(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto [ci, cj] = cell(i);
        for (int di = -2; di <= 2; ++di)
            for (int dj = -2; dj <= 2; ++dj) {
                const auto found = at.find({ci + di, cj + dj});
                if ((di == 0 && dj == 0) || found == at.end())
                    continue;
                const std::uint32_t k = found->second;
                if (!layer.SegmentCrossesEdges(x[i], z[i], x[k], z[k]))
                    joins[i].push_back({k, std::hypot(x[k] - x[i], z[k] - z[i])});
            }
    }

    data.rows.assign(n * n, LayerRowEntry{0, vls::tools::kNoWay});
    const auto fromNode = [&](std::size_t source) {
        LayerRowEntry* const row = data.rows.data() + source * n;
        std::vector<float> distance(n, std::numeric_limits<float>::infinity());
        std::vector<std::uint32_t> parent(n, static_cast<std::uint32_t>(source));
        using Item = std::pair<float, std::uint32_t>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
        distance[source] = 0.0f;
        open.push({0.0f, static_cast<std::uint32_t>(source)});
        while (!open.empty()) {
            const auto [d, i] = open.top();
            open.pop();
            if (d > distance[i])
                continue;
            for (const auto& [k, length] : joins[i]) {
                if (d + length < distance[k]) {
                    distance[k] = d + length;
                    parent[k] = i;
                    open.push({distance[k], k});
                }
            }
        }
        // The parents lead from each node back to the source; the row's next
        // node is the one on that chain whose parent is the source, found
        // once per chain.
        std::vector<std::uint32_t> first(n, std::numeric_limits<std::uint32_t>::max());
        first[source] = static_cast<std::uint32_t>(source);
        std::vector<std::uint32_t> chain;
        for (std::size_t t = 0; t < n; ++t) {
            if (!std::isfinite(distance[t])) {
                row[t] = {static_cast<std::uint32_t>(t), vls::tools::kNoWay};
                continue;
            }
            std::uint32_t k = static_cast<std::uint32_t>(t);
            chain.clear();
            while (first[k] == std::numeric_limits<std::uint32_t>::max() && parent[k] != source) {
                chain.push_back(k);
                k = parent[k];
            }
            const std::uint32_t hop = first[k] != std::numeric_limits<std::uint32_t>::max() ? first[k] : k;
            first[k] = hop;
            for (const std::uint32_t c : chain)
                first[c] = hop;
            row[t] = {hop, distance[t]};
        }
    };
    constexpr unsigned kThreads = 3;
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < kThreads; ++w)
        threads.emplace_back([&, w] {
            for (std::size_t s = w; s < n; s += kThreads)
                fromNode(s);
        });
    for (std::thread& t : threads)
        t.join();
}

struct Map {
    explicit Map(const Layout& layout)
    {
        LayerData data = MakeLayout(layout);
        BuildRows(data, layout);
        side = 0;
        for (const LayerPoint& p : data.points)
            side = std::max(side, p.x);
        nodeCount = data.nodes.size();
        std::vector<std::uint8_t> bytes;
        {
            DatafileByteWriter writer(bytes);
            WriteLayer(writer, "walkmap", data);
        }
        data = LayerData();
        auto* layer = new cKestruneEnvironmentLayer();
        layer->LoadFromMemory(bytes.data(), bytes.size());
        bytes = std::vector<std::uint8_t>();
        layer->enabled = 1;
        scene.layers.Add(layer);
        map.BindLayers(scene);
    }
    cKestruneScene scene;
    vls::tools::StandingControl control;
    cKestruneWalkMap map{&control};
    float side = 0;
    std::size_t nodeCount = 0;
};

struct Query {
    float from[2];
    float to[2];
};

// Queries in units of the pillar pitch, so each map gets the same kinds:
// across the whole floor from behind a pillar to behind another, across a
// quarter of it, a short hop round one pillar, and clear straight walks
// along an aisle.
std::vector<Query> QueriesFor(float side)
{
    const float p = kPillarPitch;
    const float far = side - p;
    const float mid = std::floor(side / p / 2) * p;
    const float behind = p / 2 + kPillarSide / 2 + 0.7f; // just past a pillar's far face
    const float before = p / 2 - kPillarSide / 2 - 0.7f;
    return {
        {{behind, p / 2}, {far + before, far + p / 2}},
        {{far + behind, p / 2}, {before, far + p / 2 - 0.3f}},
        {{p / 2, behind}, {mid + p / 2 + 0.4f, mid + before}},
        {{mid + behind, mid + p / 2}, {mid + before, mid + p / 2 + 0.2f}},
        {{p / 2 + 0.1f, behind}, {p + p / 2, far + before}},
        {{1.0f, 1.0f}, {side - 1.0f, 1.3f}},
        {{1.0f, 1.0f}, {side - 1.0f, side - 1.0f}},
        {{mid + 0.5f, 0.5f}, {mid + 0.5f, side - 0.5f}},
    };
}

struct Growth {
    double slowestUs = 0;
    double meanUs = 0;
};
std::map<std::pair<bool, int>, Growth> g_growth;

double Microseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void BM_FindPath(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    const bool dense = state.range(1) != 0;
    const Map world(LayoutFor(nodes, dense));
    auto& map = const_cast<cKestruneWalkMap&>(world.map);
    auto& control = const_cast<vls::tools::StandingControl&>(world.control);
    const std::vector<Query> queries = QueriesFor(world.side);
    std::vector<std::vector<double>> samples(queries.size());
    for (auto _ : state) {
        for (std::size_t q = 0; q < queries.size(); ++q) {
            control.position[0] = queries[q].from[0];
            control.position[2] = queries[q].from[1];
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(map.FindPath(queries[q].to[0], 0, queries[q].to[1]));
            samples[q].push_back(Microseconds(std::chrono::steady_clock::now() - start));
        }
    }
    std::printf("%s walk map of %zu nodes, floor %.0f x %.0f:\n", dense ? "dense" : "wide", world.nodeCount, world.side,
                world.side);
    double slowest = 0, sum = 0;
    for (std::size_t q = 0; q < queries.size(); ++q) {
        control.position[0] = queries[q].from[0];
        control.position[2] = queries[q].from[1];
        const std::int32_t result = map.FindPath(queries[q].to[0], 0, queries[q].to[1]);
        const bool graph = map.path.size() > 2 && map.path[1].node >= 0;
        const char* kind = result != 0 ? "no walk" : graph ? "node graph" : "straight";
        // The walk's nodes against the plain search's, timed once.
        std::vector<std::int32_t> planned;
        for (std::size_t k = 1; graph && k + 1 < map.path.size(); ++k)
            planned.push_back(map.path[k].node);
        const auto plainStart = std::chrono::steady_clock::now();
        const std::vector<std::int32_t> plain =
            graph ? PlainWalkNodes(map.layers, *map.nodeLayer, queries[q].from[0], queries[q].from[1], queries[q].to[0],
                                   queries[q].to[1])
                  : std::vector<std::int32_t>();
        const double plainUs = Microseconds(std::chrono::steady_clock::now() - plainStart);
        if (result != 0 || planned != plain) {
            std::printf("  query %zu: the walk does not go through the plain search's nodes\n", q);
            state.SkipWithError("a walk differs from the plain search");
        }
        std::vector<double>& s = samples[q];
        std::sort(s.begin(), s.end());
        const double median = s[s.size() / 2];
        std::printf("  query %zu (%.1f, %.1f) -> (%.1f, %.1f): %-10s %3zu records  median %8.2f us  worst %8.2f us"
                    "  plain search %10.0f us\n",
                    q, queries[q].from[0], queries[q].from[1], queries[q].to[0], queries[q].to[1], kind, map.path.size(),
                    median, s.back(), plainUs);
        slowest = std::max(slowest, median);
        sum += median;
    }
    const double mean = sum / static_cast<double>(queries.size());
    state.counters["slowest_query_us"] = slowest;
    state.counters["mean_query_us"] = mean;
    g_growth[{dense, nodes}] = {slowest, mean};
    const Growth* base = nullptr;
    std::printf("growth of the %s maps:\n", dense ? "dense" : "wide");
    for (const auto& [key, growth] : g_growth) {
        if (key.first != dense)
            continue;
        base = base ? base : &growth;
        std::printf("  %6d nodes: slowest %8.2f us (x%.2f), mean %8.2f us (x%.2f)\n", key.second, growth.slowestUs,
                    growth.slowestUs / base->slowestUs, growth.meanUs, growth.meanUs / base->meanUs);
    }
    std::fflush(stdout);
}
BENCHMARK(BM_FindPath)
    ->ArgNames({"nodes", "dense"})
    ->ArgsProduct({{250, 1000, 4000, 16000}, {0, 1}})
    ->Iterations(kSamples)
    ->Unit(benchmark::kMicrosecond);

} // namespace
