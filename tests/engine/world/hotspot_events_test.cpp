#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/player_control_default.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tests/engine/world/world_fixture.h"

#include <gtest/gtest.h>

#include <climits>

namespace vls::test {
namespace {

// Which event function ran last, and how often.
constexpr const char* kEvents = "var last int\n var count int\n"
                                "func on_use\n push ref last\n push int 1\n assign\n ret\n"
                                "func on_useinv\n push ref last\n push int 2\n assign\n ret\n"
                                "func on_talk\n push ref last\n push int 3\n assign\n ret\n"
                                "func on_talkinv\n push ref last\n push int 4\n assign\n ret\n"
                                "func on_look\n push ref last\n push int 5\n assign\n ret\n"
                                "func on_leavedetail\n push ref last\n push int 6\n assign\n ret\n";

class HotspotEventsTest : public WorldTest {
protected:
    HotspotEventsTest()
    {
        host.scene = &scene;
        AddLayer(scene, HoleFloor());
        script = LoadScript(kEvents);
        scene.script = script.get();
        gameplay.gameState = 0x207;
        gameplay.playerCharacter = new cKestruneCharacter();
        gameplay.playerCharacter->visible = 1;
        gameplay.playerCharacter->controller->SetPosition(1, 0, 1);
    }
    ~HotspotEventsTest() override
    {
        scene.script = nullptr;
        delete gameplay.playerCharacter;
        gameplay.playerCharacter = nullptr;
    }
    std::int32_t Last() const { return script->Variable(0)->intValue; }
    void Walk(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            host.now += 1000;
            gameplay.playerCharacter->UpdateAnimation();
        }
    }
    cKestruneHotspot& Rect(std::uint32_t view, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
    {
        auto* hotspot = new cKestruneHotspot();
        hotspot->MakeRectHotspot(x1, y1, x2, y2);
        hotspot->data.areas[0].viewIndex = view;
        scene.hotspots.Add(hotspot);
        return *hotspot;
    }

    WalkHost host;
    cKestruneScene scene;
    std::unique_ptr<cKestruneScript> script;
    cKestruneGameplay gameplay;
};

TEST_F(HotspotEventsTest, TwoDimensionalHits)
{
    cKestruneHotspot& door = Rect(0, 100, 100, 200, 200);
    cKestruneHotspot& elsewhere = Rect(1, 0, 0, 1024, 512);
    cKestruneHotspot frame;
    frame.MakeScreenFrameHotspot(50, 1);
    scene.currentViewIndex = 0;
    struct Case {
        cKestruneHotspot* hotspot;
        std::int32_t x, y;
        bool hit;
    };
    const Case cases[] = {
        {&door, 150, 150, true},   {&door, 100, 100, true},   {&door, 200, 150, false}, {&door, 99, 150, false},
        {&elsewhere, 500, 300, false}, {&frame, 10, 10, true}, {&frame, 500, 250, false}, {&frame, 1000, 500, true},
        {&door, INT_MAX, INT_MIN, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hotspot->HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;

    cKestruneObjectHandle handle(&scene);
    door.object = &handle;
    EXPECT_FALSE(door.HitTest(150, 150)) << "a disabled object is not hit";
    handle.enabled = 1;
    handle.cursor = 7;
    handle.name = "Door";
    EXPECT_TRUE(door.HitTest(150, 150));
    EXPECT_EQ(door.GetCursor(), 7);
    EXPECT_STREQ(door.GetName().GetText(), "Door");
    door.data.areas[0].cursor = 3;
    door.HitTest(150, 150);
    EXPECT_EQ(door.GetCursor(), 2) << "the area's cursor byte comes first";
    door.object = nullptr;
}

TEST_F(HotspotEventsTest, EventsByClickAndHeldItem)
{
    cKestruneHotspot& door = Rect(0, 100, 100, 200, 200);
    cKestruneObjectHandle handle(&scene);
    door.object = &handle;
    door.Use();
    EXPECT_EQ(Last(), 1) << "no walk point: the event runs at once";
    gameplay.gameState |= cKestruneGameplay::kItemHeld;
    door.Use();
    EXPECT_EQ(Last(), 2);
    door.Look();
    EXPECT_EQ(Last(), 5);
    gameplay.gameState &= ~cKestruneGameplay::kItemHeld;
    door.object = nullptr;

    cKestruneCharacter npc;
    door.character = &npc;
    door.Use();
    EXPECT_EQ(Last(), 3);
    gameplay.gameState |= cKestruneGameplay::kItemHeld;
    door.Use();
    EXPECT_EQ(Last(), 4);
    door.character = nullptr;

    // The frame a loaded project gives the detail views' exit.
    gameplay.exitHotspot = new cKestruneHotspot();
    gameplay.exitHotspot->MakeScreenFrameHotspot(50, 1);
    gameplay.exitHotspot->Use();
    EXPECT_EQ(Last(), 6);
    EXPECT_EQ(gameplay.exitHotspot->GetCursor(), 13);
}

TEST_F(HotspotEventsTest, ThePlayerWalksFirstUnlessTheGameStateSaysNot)
{
    cKestruneHotspot& door = Rect(0, 100, 100, 200, 200);
    cKestruneObjectHandle handle(&scene);
    handle.enabled = 1;
    handle.SetDestination(8, 1, 0);
    door.object = &handle;
    door.Use();
    EXPECT_EQ(Last(), 0) << "the event waits for the walk";
    EXPECT_EQ(gameplay.playerCharacter->controller->walking, 1);
    door.UseRun();
    EXPECT_EQ(static_cast<cKestrunePlayerControlDefault*>(gameplay.playerCharacter->controller)->walkMap.mode, 2)
        << "a double click while walking only runs";
    Walk(6);
    EXPECT_EQ(Last(), 1);
    EXPECT_EQ(scene.hoverHotspot, &door) << "the arrival names the hotspot";

    script->Variable(0)->intValue = 0;
    gameplay.gameState |= cKestruneGameplay::kNoWalking;
    handle.SetDestination(2, 1, 0);
    door.Look();
    EXPECT_EQ(Last(), 5) << "game state 0x20: at once, no walk";
    EXPECT_EQ(gameplay.playerCharacter->controller->walking, 0);
}

} // namespace
} // namespace vls::test
