// The engine's in-game menu played from outside on the demo: opening it writes
// "lastgame", the save screen copies it under a typed name, and the next start
// loads it (or, when it is damaged, refuses it and starts a new game).
#include "tests/e2e/driven_program.h"
#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

using vls::e2e::DrivenProgram;

struct MenuRun {
    int status = 0;
    std::string log;
    std::string errors;
};

// Runs the engine on the demo in `program`'s work folder with the script.
MenuRun Play(DrivenProgram& program, const std::string& script)
{
    vls::test::CopyDemoArchive(program.work.path());
    const auto input = program.config.write("input.txt", script);
    program.Start(input.string(), (program.config / "ack.txt").string());
    MenuRun run;
    run.status = program.Wait();
    run.log = program.work.read("kestrune.log");
    run.errors = program.Errors();
    return run;
}

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
// Where the saving time stands: in the info record after two block headers.
constexpr std::size_t kSaveTime = 144;

constexpr const char* kQuietScript = "step 300\nclose\nstep 1000\n";

// Sets the integer and text of the INF block's global of that name.
bool SetGlobal(std::vector<std::uint8_t>& save, const std::string& name, int value)
{
    constexpr std::size_t kGlobals = 144 + 288, kRecord = 240, kGlobalName = 100, kText = 164, kInteger = 228;
    const std::string text = std::to_string(value);
    std::uint32_t count = 0;
    std::memcpy(&count, save.data() + 144 + 272, 4);
    for (std::size_t at = kGlobals; at + kRecord <= save.size() && at < kGlobals + count * kRecord; at += kRecord) {
        if (std::string(reinterpret_cast<const char*>(save.data() + at + kGlobalName)) != name)
            continue;
        std::fill(save.begin() + at + kText, save.begin() + at + kText + 64, 0);
        std::copy(text.begin(), text.end(), save.begin() + at + kText);
        std::memcpy(save.data() + at + kInteger, &value, 4);
        return true;
    }
    return false;
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
    const MenuRun saved = Play(first, kSaveScript);
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
    // game state, so the same bytes but for the saving time.
    DrivenProgram second(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(second.work.path() / "lastgame", state);
    const MenuRun loaded = Play(second, kReopenScript);
    EXPECT_EQ(loaded.status, 0) << loaded.errors;
    EXPECT_EQ(loaded.log.find("refused"), std::string::npos) << loaded.log;
    EXPECT_EQ(loaded.log.find("Error"), std::string::npos) << loaded.log;
    std::vector<std::uint8_t> again = vls::test::ReadFileBytes(second.work.path() / "lastgame");
    ASSERT_EQ(again.size(), state.size());
    std::vector<std::uint8_t> before = state;
    std::fill(before.begin() + kSaveTime, before.begin() + kSaveTime + 16, 0);
    std::fill(again.begin() + kSaveTime, again.begin() + kSaveTime + 16, 0);
    const auto differ = std::mismatch(again.begin(), again.end(), before.begin());
    EXPECT_EQ(differ.first, again.end()) << "first difference at byte " << (differ.first - again.begin());

    // A new game, then the load screen picks the slot: the menu opened after
    // the load writes the loaded state again.
    // The slot differs from a new game: its visit counter says 41.
    std::vector<std::uint8_t> visited = state;
    ASSERT_TRUE(SetGlobal(visited, "g_demo_visits", 41));
    DrivenProgram fourth(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(fourth.work.path() / "savegames" / slot.filename(), visited);
    const MenuRun picked = Play(fourth, kLoadScript);
    EXPECT_EQ(picked.status, 0) << picked.errors;
    EXPECT_EQ(picked.log.find("refused"), std::string::npos) << picked.log;
    std::vector<std::uint8_t> reloaded = vls::test::ReadFileBytes(fourth.work.path() / "lastgame");
    ASSERT_EQ(reloaded.size(), visited.size());
    std::fill(reloaded.begin() + kSaveTime, reloaded.begin() + kSaveTime + 16, 0);
    std::fill(visited.begin() + kSaveTime, visited.begin() + kSaveTime + 16, 0);
    EXPECT_EQ(reloaded, visited);

    DrivenProgram third(VLS_PROGRAM_PATH);
    std::vector<std::uint8_t> damaged = state;
    damaged.resize(damaged.size() / 2);
    vls::test::WriteFileBytes(third.work.path() / "lastgame", damaged);
    const MenuRun refused = Play(third, kQuietScript);
    EXPECT_EQ(refused.status, 0) << refused.errors;
    EXPECT_NE(refused.log.find("refused"), std::string::npos) << refused.log;
    EXPECT_NE(refused.log.find("-- Shut down successful."), std::string::npos) << "a new game ran instead";
}

}  // namespace
