// The demo's way out to its second room played from outside: the lantern's
// dialogue offers the way, the lighthouse is entered, its music starts and
// its short video plays to its end, after which the room's script goes on.
// The game state is read from "lastgame", which opening the menu writes.
#include "tests/e2e/driven_program.h"
#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

using vls::e2e::DrivenProgram;

// The integer of the INF block's global of that name.
std::optional<int> Global(const std::vector<std::uint8_t>& save, const std::string& name)
{
    constexpr std::size_t kCount = 144 + 272, kGlobals = 144 + 288, kRecord = 240, kName = 100, kInteger = 228;
    if (save.size() < kGlobals)
        return std::nullopt;
    std::uint32_t count = 0;
    std::memcpy(&count, save.data() + kCount, 4);
    for (std::size_t at = kGlobals; at + kRecord <= save.size() && at < kGlobals + count * kRecord; at += kRecord) {
        if (std::string(reinterpret_cast<const char*>(save.data() + at + kName)) != name)
            continue;
        int value = 0;
        std::memcpy(&value, save.data() + at + kInteger, 4);
        return value;
    }
    return std::nullopt;
}

bool Holds(const std::vector<std::uint8_t>& bytes, const std::string& text)
{
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// The mouse at the bottom opens the inventory bar; the lantern (its first
// item) is taken and used on itself, which starts the greeting; its second
// option ("Show me the way.") leaves for the lighthouse, whose video starts.
// The video (two seconds) ends by itself well within the long step, so the
// one Escape after it opens the menu.
constexpr const char* kWayOutScript =
    "step 300\n"
    "move 100 740\n"
    "step 600\n"
    "click 100 740\n"
    "step 200\n"
    "click 100 740\n"
    "step 300\n"
    "move 300 680\n"
    "step 100\n"
    "click 300 680\n"
    "step 6000\n"
    "key ESCAPE\n"
    "step 300\n"
    "close\n"
    "step 1000\n";

TEST(VlsLighthouse, TheGreetingLeadsToTheLighthouseWhoseVideoHoldsItsScriptUntilItEnds)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    vls::test::CopyDemoArchive(program.work.path());
    const auto input = program.config.write("input.txt", kWayOutScript);
    program.Start(input.string(), (program.config / "ack.txt").string());
    ASSERT_EQ(program.Wait(), 0) << program.Errors();
    const std::string log = program.work.read("kestrune.log");
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    EXPECT_NE(log.find("-- Shut down successful."), std::string::npos) << log;

    const auto lastgame = program.work.path() / "lastgame";
    ASSERT_TRUE(std::filesystem::exists(lastgame)) << log;
    const std::vector<std::uint8_t> state = vls::test::ReadFileBytes(lastgame);
    // The game names its current scene first, the one before it second.
    const std::string here = "lighthouse";
    ASSERT_GE(state.size(), 200u);
    EXPECT_TRUE(Holds(state, here + std::string(1, '\0'))) << "the lighthouse is the current scene";
    EXPECT_TRUE(Holds(state, "lighthouse_theme")) << "its music plays";
    EXPECT_EQ(Global(state, "g_demo_intro_seen"), 1) << "the video was started once";
    EXPECT_EQ(Global(state, "g_demo_intro_ended"), 1) << "the room's script went on once the video ended";
    EXPECT_EQ(Global(state, "g_demo_visits"), 1);
}

}  // namespace
