// Any bytes as a walk-map layer (with its node graph) bound into a scene, and
// the rest as a walk map's saved record and path records; then walks are
// planned and stepped over it: a refusal is fine, a crash, hang or stray read
// or write is not.

#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_walk_map.h"
#include "tools/walk_map_builder.h"
#include "fuzz/silent_engine_link.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentLink link;
    SetEngineLink(&link);
    if (size < 4)
        return 0;
    std::uint32_t split;
    std::memcpy(&split, data, sizeof split);
    data += 4;
    size -= 4;
    split = size ? split % (static_cast<std::uint32_t>(size) + 1) : 0;

    cKestruneScene scene;
    auto* layer = new cKestruneEnvironmentLayer();
    scene.layers.Add(layer);
    if (layer->LoadFromMemory(data, split) == 0)
        layer->enabled = 1;
    vls::tools::StandingControl control;
    cKestruneWalkMap map(&control);
    map.BindLayers(scene);
    DatafileByteReader reader(data + split, size - split);
    map.LoadData(reader);
    for (int i = 0; i < 8; ++i)
        map.Step(1.0f);
    const float targets[][2] = {{5.0f, 5.0f}, {-3.0f, 2.0f}, {50.0f, -20.0f}};
    for (const auto& target : targets) {
        map.FindPath(target[0], 0.0f, target[1]);
        for (int i = 0; i < 8; ++i)
            map.Step(1.0f);
    }
    return 0;
}
