// The engine's in-game menu played from outside on the demo: opening it writes
// "lastgame", the save screen copies it under a typed name, and the next start
// loads it (or, when it is damaged, refuses it and starts a new game).
#include "tests/e2e/demo_run.h"
#include "tests/e2e/vls_savegame_view.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::GlobalInteger;
using vls::e2e::PlayDemo;
using vls::e2e::SteadyDifference;

// Escape opens the menu; the save item (the demo's third main area) leads to
// the save screen; typed letters extend the name; a click on the entry saves.
constexpr const char* kSaveScript =
    "step 200\n"
    "key ESCAPE\n"
    "step 50\n"
    "click 500 344\n"
    "step 50\n"
    "text abc\n"
    "step 50\n"
    "click 500 290\n"
    "step 100\n"
    "close\n"
    "step 1000\n";

constexpr const char* kReopenScript = "step 200\nkey ESCAPE\nstep 50\nclose\nstep 1000\n";
// Escape, the load item, the shown entry; then the menu again after the load.
constexpr const char* kLoadScript = "step 200\nkey ESCAPE\nstep 50\nclick 500 280\nstep 50\nclick 500 290\n"
                                    "step 100\nkey ESCAPE\nstep 50\nclose\nstep 1000\n";

constexpr const char* kQuietScript = "step 300\nclose\nstep 1000\n";

// Sets the integer, float and text of every saved value bound to the global
// of that name: the game-wide one in the INF block and the project script's
// variable in its SCR block, so the two agree as in a game.
bool SetGlobal(std::vector<std::uint8_t>& save, const std::string& name, int value)
{
    constexpr std::size_t kGlobalName = 100, kText = 164, kInteger = 228, kFloat = 232;
    const std::string text = std::to_string(value);
    const std::string field = name + std::string(1, '\0');
    bool found = false;
    for (auto at = save.begin(); (at = std::search(at, save.end(), field.begin(), field.end())) != save.end(); ++at) {
        const std::size_t record = static_cast<std::size_t>(at - save.begin()) - kGlobalName;
        std::fill(save.begin() + record + kText, save.begin() + record + kText + 64, 0);
        std::copy(text.begin(), text.end(), save.begin() + record + kText);
        std::memcpy(save.data() + record + kInteger, &value, 4);
        const float asFloat = static_cast<float>(value);
        std::memcpy(save.data() + record + kFloat, &asFloat, 4);
        found = true;
    }
    return found;
}

std::filesystem::path FindSave(const std::filesystem::path& folder)
{
    if (!std::filesystem::exists(folder))
        return {};
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".savegame")
            return entry.path();
    return {};
}

TEST(VlsMenu, SaveFromTheMenuThenLoadAtTheNextStart)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    const DemoRun saved = PlayDemo(first, kSaveScript);
    ASSERT_EQ(saved.status, 0) << saved.errors;
    EXPECT_EQ(saved.log.find("Error"), std::string::npos) << saved.log;
    const auto lastgame = first.work.path() / "lastgame";
    ASSERT_TRUE(std::filesystem::exists(lastgame)) << "opening the menu writes lastgame";
    const std::vector<std::uint8_t> state = vls::test::ReadFileBytes(lastgame);
    ASSERT_GE(state.size(), 72u);
    EXPECT_EQ(std::string(state.begin(), state.begin() + 4), std::string("VLS\0", 4));
    const std::filesystem::path slot = FindSave(first.work.path() / "savegames");
    ASSERT_FALSE(slot.empty()) << saved.log;
    EXPECT_EQ(slot.stem().string().substr(slot.stem().string().size() - 3), "abc");
    EXPECT_EQ(vls::test::ReadFileBytes(slot), state) << "the slot is a copy of lastgame";
    const auto thumbnail = std::filesystem::path(slot).replace_extension(".bmp");
    ASSERT_TRUE(std::filesystem::exists(thumbnail)) << "the scene band's picture beside the slot";
    EXPECT_EQ(std::filesystem::file_size(thumbnail), 54u + 256u * 128u * 3u);

    // Loaded at the start, then saved again by opening the menu: the same
    // game state, so the same blocks but for the saving time and what moves
    // with time (the music's place, the figures' animation clocks).
    DrivenProgram second(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(second.work.path() / "lastgame", state);
    const DemoRun loaded = PlayDemo(second, kReopenScript);
    EXPECT_EQ(loaded.status, 0) << loaded.errors;
    EXPECT_EQ(loaded.log.find("refused"), std::string::npos) << loaded.log;
    EXPECT_EQ(loaded.log.find("Error"), std::string::npos) << loaded.log;
    const std::vector<std::uint8_t> again = vls::test::ReadFileBytes(second.work.path() / "lastgame");
    EXPECT_EQ(SteadyDifference(again, state), "");

    // A new game, then the load screen picks the slot: the menu opened after
    // the load writes the loaded state again.
    // The slot differs from a new game: its visit counter says 41.
    std::vector<std::uint8_t> visited = state;
    ASSERT_TRUE(SetGlobal(visited, "g_demo_visits", 41));
    DrivenProgram fourth(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(fourth.work.path() / "savegames" / slot.filename(), visited);
    const DemoRun picked = PlayDemo(fourth, kLoadScript);
    EXPECT_EQ(picked.status, 0) << picked.errors;
    EXPECT_EQ(picked.log.find("refused"), std::string::npos) << picked.log;
    const std::vector<std::uint8_t> reloaded = vls::test::ReadFileBytes(fourth.work.path() / "lastgame");
    EXPECT_EQ(GlobalInteger(reloaded, "g_demo_visits"), 41);
    EXPECT_EQ(SteadyDifference(reloaded, visited), "");

    DrivenProgram third(VLS_PROGRAM_PATH);
    std::vector<std::uint8_t> damaged = state;
    damaged.resize(damaged.size() / 2);
    vls::test::WriteFileBytes(third.work.path() / "lastgame", damaged);
    const DemoRun refused = PlayDemo(third, kQuietScript);
    EXPECT_EQ(refused.status, 0) << refused.errors;
    EXPECT_NE(refused.log.find("refused"), std::string::npos) << refused.log;
    EXPECT_NE(refused.log.find("-- Shut down successful."), std::string::npos) << "a new game ran instead";
}

}  // namespace
