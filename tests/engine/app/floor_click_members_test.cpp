// The engine's answers that turn a click on the scene's picture into a walk:
// the current view's camera reaches the sprite system, the view's depth map
// gives the distance under a pixel, and the player walks to the floor point;
// and the hovered hotspot the caption and the scripts ask for.

#include "engine/app/default_members.h"
#include "engine/app/engine_sprite_world.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "platform/d3dx/d3dx8math.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace vls::test {
namespace {

constexpr float kFov = 1.2f;
constexpr float kEyeHeight = 3.0f;

// Records where the player was sent.
class RecordingControl : public cKestrunePlayerControl {
public:
    explicit RecordingControl(cKestruneCharacter* owner) : cKestrunePlayerControl(owner, kDefault) {}
    void WalkTo(float x, float y, float z, float dx, float dz) override { walks.push_back({x, y, z, dx, dz}); }
    void SetRun(std::uint8_t run) override { runs.push_back(run); }
    std::vector<std::vector<float>> walks;
    std::vector<int> runs;
};

class FloorClickMembersTest : public ::testing::Test {
protected:
    FloorClickMembersTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        engine.sprites = new cKestruneSprites();
        EXPECT_EQ(engine.sprites->Init(), 0);
        engine.gameplay = new cKestruneGameplay();
        engine.scene = new cKestruneScene();
        view = new cKestruneView();
        engine.scene->views.Add(view);
        engine.scene->currentView = view;
    }
    ~FloorClickMembersTest() override
    {
        delete engine.scene;
        engine.scene = nullptr;
        delete engine.gameplay->playerCharacter;
        engine.gameplay->playerCharacter = nullptr;
        delete engine.gameplay;
        engine.gameplay = nullptr;
        delete engine.sprites;
        engine.sprites = nullptr;
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // A depth map as wide as the screen with one row per band row, every
    // pixel at `depth`.
    void GiveDepth(float depth)
    {
        view->mapWidth = 1024;
        view->mapHeight = 512;
        view->depthMap = new float[1024 * 512];
        for (int i = 0; i < 1024 * 512; ++i)
            view->depthMap[i] = depth;
    }

    // A camera at eye height looking along +z, as a view builds it.
    granny_camera LevelCamera() const
    {
        granny_camera camera{};
        camera.FOVY = kFov;
        camera.NearClipPlane = 1.0f;
        camera.FarClipPlane = 200.0f;
        const D3DXVECTOR3 eye(0, kEyeHeight, 0), at(0, kEyeHeight, 1), up(0, 1, 0);
        D3DXMATRIX viewMatrix, projection;
        D3DXMatrixLookAtLH(&viewMatrix, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, kFov, 4.0f / 3.0f, 1.0f, 200.0f);
        std::memcpy(camera.View4x4, viewMatrix.m, sizeof camera.View4x4);
        std::memcpy(camera.Projection4x4, projection.m, sizeof camera.Projection4x4);
        return camera;
    }

    RecordingControl& GivePlayer()
    {
        auto* const player = new cKestruneCharacter();
        delete player->controller;
        auto* const control = new RecordingControl(player);
        player->controller = control;
        engine.gameplay->playerCharacter = player;
        return *control;
    }

    ScopedConfig config;
    FakeMembers members;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    cKestruneEngine engine{nullptr, nullptr, "", &members};
    cKestruneEngineWorldHost host{engine};
    cKestruneEngineSpriteWorld spriteWorld{engine};
    cKestruneView* view = nullptr;
};

TEST_F(FloorClickMembersTest, TheDepthSampleIsTheCurrentViewsMap)
{
    float distance = -5.0f;
    EXPECT_FALSE(spriteWorld.SampleViewDepth(300, 400, distance)) << "a view without a map";
    GiveDepth(12.5f);
    view->depthMap[(400 - 128) * 1024 + 300] = 7.0f;
    view->depthMap[(401 - 128) * 1024 + 300] = -1.0f;
    struct Case {
        int x, y;
        bool found;
        float distance;
    } const cases[] = {
        {300, 400, true, 7.0f}, {301, 400, true, 12.5f}, {300, 401, false, 0}, // a negative sample is no floor
        {300, 128, false, 0},   {300, 640, false, 0},    {1024, 400, false, 0},
    };
    for (const Case& c : cases) {
        distance = -5.0f;
        EXPECT_EQ(spriteWorld.SampleViewDepth(c.x, c.y, distance), c.found) << c.x << "," << c.y;
        if (c.found) {
            EXPECT_EQ(distance, c.distance);
        }
    }
    engine.scene->currentView = nullptr;
    EXPECT_FALSE(spriteWorld.SampleViewDepth(301, 400, distance));
}

TEST_F(FloorClickMembersTest, AClickOnTheFloorSendsThePlayerToThePointUnderIt)
{
    SetSpriteWorld(&spriteWorld);
    host.SetCamera(LevelCamera());
    EXPECT_FLOAT_EQ(engine.sprites->camera.FOVY, kFov) << "the view's camera reaches the sprites";

    EXPECT_FALSE(host.WalkToScreenPoint(512, 500, false)) << "no player";
    RecordingControl& control = GivePlayer();
    EXPECT_FALSE(host.WalkToScreenPoint(512, 500, false)) << "no depth under the pixel";
    EXPECT_TRUE(control.walks.empty());

    GiveDepth(10.0f);
    ASSERT_TRUE(host.WalkToScreenPoint(512, 500, false));
    ASSERT_EQ(control.walks.size(), 1u);
    const std::vector<float>& walk = control.walks[0];
    EXPECT_NEAR(walk[0], 0.0f, 1e-3f);
    EXPECT_NEAR(walk[2], 10.0f, 1e-3f) << "the depth is the distance along the view";
    const float below = (500.0f - 384.0f) / 384.0f * std::tan(kFov / 2) * 10.0f;
    EXPECT_NEAR(walk[1], kEyeHeight - below, 1e-3f);
    EXPECT_EQ(walk[3], 0.0f) << "no final direction";
    EXPECT_EQ(walk[4], 0.0f);
    EXPECT_TRUE(control.runs.empty());

    ASSERT_TRUE(host.WalkToScreenPoint(700, 500, true));
    EXPECT_GT(control.walks[1][0], 0.0f) << "right of the centre is +x";
    EXPECT_EQ(control.runs, std::vector<int>{1}) << "a double click runs";
    SetSpriteWorld(nullptr);
}

TEST_F(FloorClickMembersTest, TheHoveredHotspotIsTheScenesWithItsTargetsName)
{
    cKestruneEngineGraphicsHost graphics(engine);
    const char* name = "stale";
    EXPECT_EQ(graphics.HoveredHotspot(&name), nullptr);
    EXPECT_EQ(name, nullptr);

    auto* const boat = new cKestruneHotspot();
    boat->object = engine.scene->CreateObjectHandle();
    boat->object->name = "Boat";
    engine.scene->hotspots.Add(boat);
    auto* const fisher = new cKestruneHotspot();
    cKestruneCharacter character;
    character.displayName = "Fisherman";
    fisher->character = &character;
    engine.scene->hotspots.Add(fisher);
    auto* const bare = new cKestruneHotspot();
    engine.scene->hotspots.Add(bare);

    engine.scene->hoverHotspot = boat;
    EXPECT_EQ(graphics.HoveredHotspot(&name), boat);
    EXPECT_STREQ(name, "Boat");
    engine.scene->hoverHotspot = fisher;
    EXPECT_EQ(graphics.HoveredHotspot(&name), fisher);
    EXPECT_STREQ(name, "Fisherman");
    engine.scene->hoverHotspot = bare;
    EXPECT_EQ(graphics.HoveredHotspot(&name), bare);
    EXPECT_EQ(name, nullptr) << "no target, no caption";
    EXPECT_EQ(graphics.HoveredHotspot(nullptr), bare);
    fisher->character = nullptr;
}

} // namespace
} // namespace vls::test
