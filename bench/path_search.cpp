// Planning walks on a walk map of 1,000 nodes: a floor of 100 x 100 units with
// a grid of 25 pillars (holes), and nodes on a 40 x 25 lattice between them,
// their rows computed by the walk-map builder. Each query starts and ends
// behind different pillars, so it goes through the node graph.

#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_walk_map.h"
#include "tools/walk_map_builder.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct Map {
    Map()
    {
        LayerData data;
        vls::tools::AddWalkRing(data, 0, 0, 100, 100, false);
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j)
                vls::tools::AddWalkRing(data, 10.0f + i * 20.0f, 10.0f + j * 20.0f, 14.0f + i * 20.0f, 14.0f + j * 20.0f, true);
        for (int i = 0; i < 40; ++i)
            for (int j = 0; j < 25; ++j)
                vls::tools::AddWalkNode(data, 1.25f + i * 2.5f, 2.0f + j * 4.0f, 0);
        vls::tools::BuildWalkNodeRows(data);
        std::vector<std::uint8_t> bytes;
        DatafileByteWriter writer(bytes);
        WriteLayer(writer, "walkmap", data);
        auto* layer = new cKestruneEnvironmentLayer();
        layer->LoadFromMemory(bytes.data(), bytes.size());
        layer->enabled = 1;
        scene.layers.Add(layer);
        map.BindLayers(scene);
    }
    cKestruneScene scene;
    vls::tools::StandingControl control;
    cKestruneWalkMap map{&control};
};

void BM_FindPathThroughNodes(benchmark::State& state)
{
    static Map world;
    // Behind a pillar on one side, to behind another on the far side.
    const float starts[][2] = {{12, 9}, {52, 29}, {92, 69}, {32, 89}};
    const float targets[][2] = {{72, 15}, {12, 75}, {32, 15}, {92, 15}};
    std::size_t i = 0;
    for (auto _ : state) {
        world.control.position[0] = starts[i % 4][0];
        world.control.position[2] = starts[i % 4][1];
        benchmark::DoNotOptimize(world.map.FindPath(targets[i % 4][0], 0, targets[i % 4][1]));
        ++i;
    }
    state.counters["records"] = static_cast<double>(world.map.path.size());
}
BENCHMARK(BM_FindPathThroughNodes)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
