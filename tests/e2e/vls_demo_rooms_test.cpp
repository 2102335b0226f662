// The demo's rooms played from outside for what each shows: a room timer,
// a detail view and its exit, an item used on another item, the weather and
// the fountain on the rock, the tower's screen controls, and the cove's boat,
// diver and robot. What the player sees is read from screenshots, the state
// from the savegame the menu writes.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/screenshot_view.h"
#include "tests/e2e/vls_savegame_view.h"
#include "tools/demo/demo_cove.h"
#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_screen_controls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::ExpectOrderlyRun;
using vls::e2e::GlobalInteger;
using vls::e2e::kSaveAndClose;
using vls::e2e::PlayDemo;
using vls::e2e::ReadBlocks;
using vls::e2e::ReadScreenshot;
using vls::e2e::Screenshot;

namespace sc = vls::tools::screen_controls;

// The names of the blocks of one tag, in file order.
std::vector<std::string> BlockNames(const std::vector<std::uint8_t>& save, const std::string& tag)
{
    std::vector<std::string> names;
    for (const vls::e2e::SavedBlock& block : ReadBlocks(save))
        if (block.tag == tag)
            names.push_back(block.name);
    return names;
}

// The functions of the pending room timers, in their saved order.
std::vector<std::string> Timers(const std::vector<std::uint8_t>& save)
{
    constexpr std::size_t kRecord = 136;
    std::vector<std::string> names;
    for (const vls::e2e::SavedBlock& block : ReadBlocks(save))
        if (block.tag == "TMR")
            for (std::size_t at = 0; at + kRecord <= block.payload.size(); at += kRecord)
                names.emplace_back(reinterpret_cast<const char*>(block.payload.data() + at),
                                   strnlen(reinterpret_cast<const char*>(block.payload.data() + at), 64));
    return names;
}

TEST(VlsDemoRooms, TheGullsTimerIsSavedWhilePendingAndFiresOnce)
{
    DrivenProgram early(VLS_PROGRAM_PATH);
    const DemoRun pending = PlayDemo(early, std::string("step 1000\n") + kSaveAndClose);
    ExpectOrderlyRun(pending);
    EXPECT_EQ(Timers(pending.lastgame), std::vector<std::string>{"gull"});
    EXPECT_EQ(GlobalInteger(pending.lastgame, "g_demo_gull_cries").value_or(0), 0);

    DrivenProgram late(VLS_PROGRAM_PATH);
    const DemoRun fired = PlayDemo(late, std::string("step 5000\n") + kSaveAndClose);
    ExpectOrderlyRun(fired);
    EXPECT_EQ(Timers(fired.lastgame), std::vector<std::string>{});
    EXPECT_EQ(GlobalInteger(fired.lastgame, "g_demo_gull_cries"), 1);
}

// The lighthouse out at sea, used, shows its close-up through the spyglass:
// black around the round eyepiece. A click on the frame of the close-up
// leaves it for the quay again.
TEST(VlsDemoRooms, TheSpyglassShowsTheLighthouseCloseAndItsFrameLeadsBack)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = PlayDemo(program, std::string("step 500\nclick 880 308\nstep 7000\nscreenshot tower.bmp\n"
                                                      "click 20 400\nstep 600\nscreenshot quay.bmp\n")
                                              + kSaveAndClose);
    ExpectOrderlyRun(run);
    const Screenshot tower = ReadScreenshot(program.work / "tower.bmp");
    const Screenshot quay = ReadScreenshot(program.work / "quay.bmp");
    ASSERT_EQ(tower.error, "");
    ASSERT_EQ(quay.error, "");
    // The band's corners are outside the eyepiece; its brass rim crosses the
    // band's middle row on the left.
    EXPECT_EQ(tower.CountNear(0, 140, 60, 200, 0x000000, 0), 60 * 60);
    EXPECT_GT(tower.CountNear(264, 380, 270, 388, 0xB08840, 12), 30);
    EXPECT_EQ(quay.CountNear(0, 140, 60, 200, 0x000000, 8), 0) << "the quay's sky again";
}

// The rope, picked up from the inventory bar and used on the lantern, is
// tied to its ring by the lantern's own script, which prints so at the top
// of the screen; the rope stays in the bar.
TEST(VlsDemoRooms, TheRopeUsedOnTheLanternIsTiedToIt)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = PlayDemo(program, std::string("step 500\nclick 150 528\nstep 6000\nmove 100 740\nstep 600\n"
                                                      "click 100 740\nstep 200\nclick 190 740\nstep 1500\n"
                                                      "screenshot printed.bmp\nstep 3500\n")
                                              + kSaveAndClose);
    ExpectOrderlyRun(run);
    const Screenshot printed = ReadScreenshot(program.work / "printed.bmp");
    ASSERT_EQ(printed.error, "");
    EXPECT_GT(printed.CountBright(340, 0, 690, 30, 120), 100) << "the printed line over the band";
    EXPECT_EQ(GlobalInteger(run.lastgame, "g_demo_rope_taken"), 1);
    EXPECT_EQ(GlobalInteger(run.lastgame, "g_demo_lantern_roped"), 1);
    EXPECT_EQ(vls::e2e::InventoryItems(run.lastgame), (std::vector<int>{1, 0, 2}));
}

} // namespace

namespace {

// The quay's far end leads to the lighthouse's rock (its video plays on the
// way in).
constexpr const char* kToTheRock = "step 500\nclick 380 440\nstep 10000\n";

// Snow falls over the rock and the water and the spring jets up and
// splashes back; both are effects of the scene, saved with it.
TEST(VlsDemoRooms, SnowFallsAndTheSpringJetsOnTheRock)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = PlayDemo(program, std::string(kToTheRock) + "screenshot snow1.bmp\nstep 200\nscreenshot snow2.bmp\n"
                                              + kSaveAndClose);
    ExpectOrderlyRun(run);
    EXPECT_EQ(BlockNames(run.lastgame, "PAR"), (std::vector<std::string>{"WeatherSnow", "Fountain"}));
    const Screenshot first = ReadScreenshot(program.work / "snow1.bmp");
    const Screenshot second = ReadScreenshot(program.work / "snow2.bmp");
    ASSERT_EQ(first.error, "");
    ASSERT_EQ(second.error, "");
    // Flakes: white points in the evening sky right of the tower, which the
    // painted picture has none of; they move between the two pictures.
    const int flakes = first.CountNear(400, 140, 1024, 340, 0xFFFFFF, 24);
    EXPECT_GT(flakes, 40);
    EXPECT_NE(flakes, second.CountNear(400, 140, 1024, 340, 0xFFFFFF, 24));
    // The spring's jets and splashes light up the dark rock and water around
    // it; away from it only a flake or two is as bright.
    EXPECT_GT(first.CountBright(60, 460, 220, 620, 150), 1000);
    EXPECT_LT(first.CountBright(600, 460, 760, 620, 150), 100);
}

// The tower's lamp shows as a picture, its log as a book whose pages turn,
// and its door opens on the dark stair that the lighter lights where the
// mouse goes; a click on the frame closes each.
TEST(VlsDemoRooms, TheTowersLampLogAndStairAreScreenControls)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const std::string script = std::string(kToTheRock)
        + "click 300 182\nstep 4000\nscreenshot lamp.bmp\nclick 20 400\nstep 500\n"
          "click 300 466\nstep 3000\nscreenshot page1.bmp\nclick 770 400\nstep 300\nscreenshot page2.bmp\nclick 20 400\nstep 500\n"
          "click 300 564\nstep 3000\nmove 400 400\nstep 200\nscreenshot light1.bmp\nmove 700 300\nstep 200\nscreenshot light2.bmp\n"
          "click 20 400\nstep 500\nscreenshot rock.bmp\n"
        + kSaveAndClose;
    const DemoRun run = PlayDemo(program, script);
    ExpectOrderlyRun(run);
    const auto shot = [&](const char* name) {
        Screenshot picture = ReadScreenshot(program.work / name);
        EXPECT_EQ(picture.error, "") << name;
        return picture;
    };
    const Screenshot lamp = shot("lamp.bmp");
    EXPECT_EQ(lamp.CountNear(490, 360, 530, 400, sc::kLampGlass & 0xFFFFFF, 8), 40 * 40);
    const Screenshot page1 = shot("page1.bmp"), page2 = shot("page2.bmp");
    EXPECT_EQ(page1.CountNear(200, 300, 260, 360, sc::kPageTints[0] & 0xFFFFFF, 8), 60 * 60);
    EXPECT_EQ(page2.CountNear(200, 300, 260, 360, sc::kPageTints[1] & 0xFFFFFF, 8), 60 * 60) << "the next page";
    // The light falls a little above and left of the mouse; all else is dark.
    const Screenshot light1 = shot("light1.bmp"), light2 = shot("light2.bmp");
    EXPECT_EQ(light1.CountNear(260, 340, 300, 380, 0x000000, 16), 0);
    EXPECT_EQ(light1.CountNear(560, 240, 600, 280, 0x000000, 16), 40 * 40);
    EXPECT_EQ(light2.CountNear(560, 240, 600, 280, 0x000000, 16), 0) << "the light went with the mouse";
    EXPECT_EQ(light1.CountNear(0, 0, 1024, 100, 0x000000, 0), 1024 * 100);
    // Closed again: the rock with its tower.
    const Screenshot rock = shot("rock.bmp");
    EXPECT_EQ(rock.CountNear(292, 546, 308, 580, 0x462C1C, 12), 16 * 34) << "the tower's door";
}

// Down the steps at the quay's left end: in the cove the boat steers across
// with its wake behind it, the diver swims and the robot hovers, each under
// its own controller, all saved with the game.
TEST(VlsDemoRooms, TheCovesBoatDiverAndRobotRunTheirControllers)
{
    namespace cove = vls::tools::cove;
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = PlayDemo(program, std::string("step 500\nclick 18 528\nstep 9000\nscreenshot cove.bmp\n") + kSaveAndClose);
    ExpectOrderlyRun(run);
    EXPECT_EQ(BlockNames(run.lastgame, "PCR"),
              (std::vector<std::string>{"PCtrlDefault", "PCtrlZodiac", "PCtrlDiver", "PCtrlInfobot"}));

    const vls::tools::DemoFloorCamera camera(cove::kEyeX, vls::tools::kDemoEyeHeight, vls::tools::kSeaHorizonRow);
    vls::tools::FloorPoint start{}, target{};
    camera.Unproject(cove::kBoatStart, start);
    camera.Unproject(cove::kBoatTarget, target);
    const auto boat = vls::e2e::CharacterPlace(run.lastgame, "boat");
    ASSERT_TRUE(boat.has_value());
    const auto distance = [](float x, float z, vls::tools::FloorPoint p) { return std::hypot(x - p.x, z - p.z); };
    EXPECT_LT(distance(boat->first, boat->second, target), distance(start.x, start.z, target) / 2) << "the boat came across";

    const Screenshot picture = ReadScreenshot(program.work / "cove.bmp");
    ASSERT_EQ(picture.error, "");
    EXPECT_GT(picture.CountNear(0, 400, 1024, 640, 0xFCFCFC, 12), 100) << "the wake";
    EXPECT_GT(picture.CountNear(0, 400, 1024, 640, 0x972321, 24), 200) << "the boat's red hull";
}

} // namespace
