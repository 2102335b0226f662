#pragma once

#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "platform/win32/kernel/clock.h"
#include "tests/engine/world/layer_fixture.h"
#include "tools/walk_map_builder.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace vls::test {

// A controller that keeps its own position and facing, so the walk map can be
// tested without a model.
class FakeControl : public cKestrunePlayerControl {
public:
    FakeControl() : cKestrunePlayerControl(nullptr, kDefault) {}
    float GetHeight(float, float) override { return height; }
    void SetPosition(float x, float y, float z) override
    {
        position[0] = x;
        position[1] = y;
        position[2] = z;
    }
    void GetPosition(float out[3]) override
    {
        for (int i = 0; i < 3; ++i)
            out[i] = position[i];
    }
    void SetOrientation(float, float, float, float fx, float, float fz) override
    {
        const float length = std::hypot(fx, fz);
        if (length > 0.0f) {
            facing[0] = fx / length;
            facing[2] = fz / length;
        }
        ++turns;
    }
    void GetAxes(float out1[3], float out2[3]) override
    {
        out1[0] = out1[2] = 0.0f;
        out1[1] = 1.0f;
        for (int i = 0; i < 3; ++i)
            out2[i] = facing[i];
    }

    float position[3] = {};
    float facing[3] = {-1.0f, 0.0f, 0.0f};
    float height = 0.5f;
    int turns = 0;
};

// The scene the walk map binds, the frame clock and a virtual millisecond
// clock behind timeGetTime.
class WalkHost : public cKestruneNullWorldHost {
public:
    WalkHost()
    {
        SetWorldHost(this);
        vls::win32::SetClockSource([this] { return std::uint64_t{now} * 1000; });
    }
    ~WalkHost() override
    {
        vls::win32::SetClockSource({});
        SetWorldHost(nullptr);
    }
    cKestruneScene* CurrentScene() override { return scene; }
    std::uint32_t FrameTime() override { return now; }

    cKestruneScene* scene = nullptr;
    std::uint32_t now = 100000;
};

// A 10 x 10 floor with a hole from (4, 2) to (6, 8) and a node at each
// corner around the hole; optionally an island from (20, 0) to (30, 10).
inline LayerBuilder HoleFloor(bool island = false)
{
    LayerBuilder builder;
    tools::AddWalkRing(builder.data, 0, 0, 10, 10);
    tools::AddWalkRing(builder.data, 4, 2, 6, 8, true);
    if (island)
        tools::AddWalkRing(builder.data, 20, 0, 30, 10);
    tools::AddWalkNode(builder.data, 3, 1, 0);
    tools::AddWalkNode(builder.data, 7, 1, 0);
    tools::AddWalkNode(builder.data, 3, 9, 0);
    tools::AddWalkNode(builder.data, 7, 9, 0);
    tools::BuildWalkNodeRows(builder.data);
    return builder;
}

// Appends an enabled layer made from builder to the scene, which owns it.
inline cKestruneEnvironmentLayer* AddLayer(cKestruneScene& scene, const LayerBuilder& builder,
                                           const std::string& name = "walkmap")
{
    auto* layer = new cKestruneEnvironmentLayer();
    const std::vector<std::uint8_t> bytes = builder.Bytes(name);
    layer->LoadFromMemory(bytes.data(), bytes.size());
    layer->enabled = 1;
    scene.layers.Add(layer);
    return layer;
}

} // namespace vls::test
