// The demo played from outside on the virtual clock, as a player would: the
// player character walks on the harbour's quay, looks at and picks up the
// rope, talks with the fisherman, ties the boat with the rope, saves from the
// menu, and the next start loads the game again; and the way out to the
// lighthouse and back. The game state is read from the savegames.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/vls_savegame_view.h"
#include "tests/support/file_bytes.h"
#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_harbour_script.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::GlobalInteger;
using vls::e2e::Holds;
using vls::e2e::InventoryItems;
using vls::e2e::PlayDemo;
using vls::e2e::PlayerPlace;
using vls::e2e::ReadBlocks;
using vls::e2e::SteadyDifference;

// Spoken lines come with their subtitles.
constexpr const char* kSubtitlesOn = "[Software\\Quarrybend\\Veilstrand]\n\"Subtitle\"=dword:00000001\n";

DemoRun Play(DrivenProgram& program, const std::string& script)
{
    program.config.write("user.reg", kSubtitlesOn);
    return PlayDemo(program, script);
}

void ExpectCleanRun(const DemoRun& run)
{
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.log.find("Error"), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("refused"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("-- Shut down successful."), std::string::npos) << run.log;
}

// Where the harbour's script puts a spot of its picture on the floor.
void ExpectPlayerAt(const std::vector<std::uint8_t>& save, vls::tools::BandPoint spot, float slack)
{
    vls::tools::FloorPoint floor{};
    vls::tools::DemoFloorCamera(0.0f, vls::tools::kDemoEyeHeight, vls::tools::kSeaHorizonRow).Unproject(spot, floor);
    const auto place = PlayerPlace(save);
    ASSERT_TRUE(place.has_value());
    EXPECT_NEAR(place->first, floor.x, slack);
    EXPECT_NEAR(place->second, floor.z, slack);
}

std::vector<std::string> CharacterBlocks(const std::vector<std::uint8_t>& save)
{
    std::vector<std::string> names;
    for (const vls::e2e::SavedBlock& block : ReadBlocks(save))
        if (block.tag == "CHR")
            names.push_back(block.name);
    return names;
}

// The fisherman's talk: the second question is marked chosen in the
// dialogue's record.
bool AskedAboutTheBoat(const std::vector<std::uint8_t>& save)
{
    for (const vls::e2e::SavedBlock& block : ReadBlocks(save)) {
        const std::vector<std::uint8_t>& p = block.payload;
        if (block.tag != "DLG" || p.size() < 1 + 64 + 4 + 3 * 4)
            continue;
        const std::string name(reinterpret_cast<const char*>(p.data() + 1));
        std::uint32_t second = 0;
        std::memcpy(&second, p.data() + 1 + 64 + 4 + 2 * 4, 4);
        return name == "greeting" && second == 1;
    }
    return false;
}

// Screen places of the harbour (the band starts at row 128).
constexpr const char* kPlayScript =
    "step 500\n"
    "# walk on the quay\n"
    "click 300 560\n"
    "step 2500\n"
    "# look at the rope: the player walks to it and says what it is\n"
    "click 150 528 right\n"
    "step 4000\n"
    "# pick it up\n"
    "click 150 528\n"
    "step 4000\n"
    "# talk to the fisherman and ask about the boat; both speak; goodbye\n"
    "click 435 520\n"
    "step 3000\n"
    "click 200 675\n"
    "step 6000\n"
    "click 200 717\n"
    "step 500\n"
    "# the inventory bar: take the rope (its newest item) and use it on the boat\n"
    "move 100 740\n"
    "step 600\n"
    "click 100 740\n"
    "step 200\n"
    "move 600 430\n"
    "step 100\n"
    "click 600 430\n"
    "step 6000\n"
    "# the menu writes lastgame; save it as \"tied\"\n"
    "key ESCAPE\n"
    "step 100\n"
    "click 500 344\n"
    "step 50\n"
    "text tied\n"
    "step 50\n"
    "click 500 290\n"
    "step 100\n"
    "close\n"
    "step 1000\n";

// The menu's load screen shows the one slot; after the load the menu opens
// again, which writes lastgame.
constexpr const char* kLoadScript = "step 200\nkey ESCAPE\nstep 50\nclick 500 280\nstep 50\nclick 500 290\n"
                                    "step 100\nkey ESCAPE\nstep 50\nclose\nstep 1000\n";

TEST(VlsDemoPlay, WalkLookTakeTalkUseSaveQuitAndLoad)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    const DemoRun played = Play(first, kPlayScript);
    ExpectCleanRun(played);
    const std::vector<std::uint8_t>& state = played.lastgame;
    ASSERT_FALSE(ReadBlocks(state).empty()) << "lastgame holds a whole savegame";
    EXPECT_EQ(GlobalInteger(state, "g_demo_rope_taken"), 1) << "the rope was picked up";
    EXPECT_EQ(GlobalInteger(state, "g_demo_boat_tied"), 1) << "and used on the boat";
    EXPECT_EQ(InventoryItems(state), (std::vector<int>{0, 2})) << "the lantern and the messenger are left, the rope used up";
    EXPECT_TRUE(AskedAboutTheBoat(state));
    ExpectPlayerAt(state, vls::tools::harbour::kBoatSide, 0.05f);
    EXPECT_TRUE(Holds(state, "harbour_theme")) << "the harbour's music plays";
    EXPECT_EQ(CharacterBlocks(state), (std::vector<std::string>{"$pc$", "fisher"})) << "the fisherman is the scene's";

    const auto slot = first.work.path() / "savegames" / "tied.savegame";
    ASSERT_TRUE(std::filesystem::exists(slot)) << played.log;
    EXPECT_EQ(vls::test::ReadFileBytes(slot), state) << "the slot is a copy of lastgame";

    // Started again with only the slot: loaded from the menu, the game is
    // the one saved.
    DrivenProgram second(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(second.work.path() / "savegames" / "tied.savegame", state);
    const DemoRun loaded = Play(second, kLoadScript);
    ExpectCleanRun(loaded);
    EXPECT_EQ(SteadyDifference(loaded.lastgame, state), "");
    ExpectPlayerAt(loaded.lastgame, vls::tools::harbour::kBoatSide, 0.05f);
    EXPECT_EQ(CharacterBlocks(loaded.lastgame), (std::vector<std::string>{"$pc$", "fisher"}))
        << "no second player or fisherman came back with the load";
}

// The quay's far end leads out: the player walks there and the lighthouse is
// entered; its video (two seconds, with subtitles) plays on the first visit.
constexpr const char* kOutScript = "step 500\nclick 380 440\nstep 7000\nstep 3000\nkey ESCAPE\nstep 100\nclose\nstep 1000\n";
// Back across the water: the player walks to the shore and comes back to the
// harbour at the quay's end.
constexpr const char* kBackScript = "step 300\nclick 800 360\nstep 6000\nkey ESCAPE\nstep 100\nclose\nstep 1000\n";

TEST(VlsDemoPlay, TheQuayLeadsToTheLighthouseAndItsShoreBack)
{
    DrivenProgram out(VLS_PROGRAM_PATH);
    const DemoRun there = Play(out, kOutScript);
    ExpectCleanRun(there);
    ASSERT_FALSE(ReadBlocks(there.lastgame).empty()) << there.log;
    EXPECT_TRUE(Holds(there.lastgame, std::string("SCN\0lighthouse", 14)) || Holds(there.lastgame, "lighthouse_rock"))
        << "the lighthouse is the current scene";
    EXPECT_TRUE(Holds(there.lastgame, "lighthouse_theme")) << "its music plays";
    EXPECT_EQ(GlobalInteger(there.lastgame, "g_demo_intro_seen"), 1);
    EXPECT_EQ(GlobalInteger(there.lastgame, "g_demo_intro_ended"), 1) << "the room's script went on after the video";

    DrivenProgram back(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(back.work.path() / "lastgame", there.lastgame);
    const DemoRun home = Play(back, kBackScript);
    ExpectCleanRun(home);
    EXPECT_TRUE(Holds(home.lastgame, "harbour_quay")) << "the harbour again";
    EXPECT_EQ(GlobalInteger(home.lastgame, "g_demo_intro_seen"), 1) << "the video is not shown twice";
    ExpectPlayerAt(home.lastgame, vls::tools::harbour::kQuayEnd, 0.05f);
}

} // namespace
