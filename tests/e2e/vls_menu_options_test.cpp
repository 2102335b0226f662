// The demo's options screen and the engine's start played from outside: the
// press that opens the options screen leaves the slider under the mouse
// alone, a press on the slider drags it, the drawn back button leaves the
// screen, and data without a messenger picture ends the start naming it.
#include "tests/e2e/demo_run.h"
#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"

#include "engine/base/datafile_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::PlayDemo;

// The demo's main "Options" item covers (352, 384)-(672, 432) on screen; the
// gamma slider on the options screen covers (456, 400)-(594, 432), so the
// press that opens the screen lies over the slider. The back button is the
// engine's fixed (736, 304)-(791, 412).
std::string OptionsScript(const std::string& onOptions)
{
    return "step 300\nkey ESCAPE\nstep 100\n"
           "mousedown 500 410\nstep 100\nmove 502 412\nstep 100\nmouseup 502 412\nstep 100\n"
        + onOptions + "click 763 360\nstep 100\nkey ESCAPE\nstep 100\nclose\nstep 1000\n";
}

std::string SavedGamma(const DrivenProgram& program)
{
    const std::string reg = program.config.read("user.reg");
    const std::size_t at = reg.find("\"Gamma\"=dword:");
    return at == std::string::npos ? "(none)\n" + reg : reg.substr(at + 14, 8);
}

TEST(VlsMenuOptions, ThePressThatOpensTheScreenLeavesTheSliderUnderIt)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const DemoRun run = PlayDemo(program, OptionsScript(""));
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.log.find("Error"), std::string::npos) << run.log;
    // Written by the back button when it left the screen, unchanged.
    EXPECT_EQ(SavedGamma(program), "0000007f");
}

TEST(VlsMenuOptions, APressOnTheSliderDragsIt)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    // Pressed on the slider at x 520, held and moved to x 560: the value is
    // (560 - 456) * 2 - 10.
    const DemoRun run = PlayDemo(program, OptionsScript("mousedown 520 410\nstep 100\nmove 560 410\nstep 100\n"
                                                        "mouseup 560 410\nstep 100\n"));
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(SavedGamma(program), "000000c6");
}

TEST(VlsStart, AMissingMessengerPictureEndsTheStartNamingIt)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    vls::test::CopyDemoArchive(program.work.path());
    const auto mapPath = program.work.path() / "resource.map";
    const std::vector<std::uint8_t> map = vls::test::ReadFileBytes(mapPath);
    std::vector<DatafileMapEntry> entries;
    ASSERT_TRUE(ParseDatafileMap(map.data(), map.size(), entries));
    const auto removed = std::remove_if(entries.begin(), entries.end(),
                                        [](const DatafileMapEntry& e) { return e.name == "messenger_ready.image"; });
    ASSERT_NE(removed, entries.end());
    entries.erase(removed, entries.end());
    vls::test::WriteFileBytes(mapPath, EncodeDatafileMap(entries));

    const auto input = program.config.write("input.txt", "step 500\nclose\nstep 500\n");
    program.Start(input.string(), "");
    EXPECT_NE(program.Wait(), 0);
    const std::string log = program.work.read("kestrune.log");
    EXPECT_NE(log.find("Error in module messenger[3]\n-> File reading failed.\nmessenger_ready.image\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("-- Shut down successful."), std::string::npos) << log;
}

}  // namespace
