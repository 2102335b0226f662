// The demo's messenger played from outside: M opens the device, the pad
// pages to the keeper, the call button rings him, the call runs its
// dialogue with his head on the screen and hangs up, and the hang-up button
// closes the device. The next start loads the game with its contact.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/vls_savegame_view.h"
#include "tests/support/file_bytes.h"
#include "tools/demo/demo_messenger.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::GlobalInteger;
using vls::e2e::Holds;
using vls::e2e::PlayDemo;
using vls::e2e::ReadBlocks;

// The contacts' names in the messenger's block, in their saved order.
std::vector<std::string> Contacts(const std::vector<std::uint8_t>& save)
{
    constexpr std::size_t kRecord = 196;
    for (const vls::e2e::SavedBlock& block : ReadBlocks(save)) {
        if (block.tag != "MSN")
            continue;
        std::vector<std::string> names;
        for (std::size_t at = 0; at + kRecord <= block.payload.size(); at += kRecord)
            names.emplace_back(reinterpret_cast<const char*>(block.payload.data() + at),
                               strnlen(reinterpret_cast<const char*>(block.payload.data() + at), 64));
        return names;
    }
    return {"(no MSN block)"};
}

// Screen points of the device's controls: the band starts at row 128.
std::string Click(int bandX, int bandY)
{
    const std::string at = std::to_string(bandX) + " " + std::to_string(bandY + 128);
    return "move " + at + "\nstep 50\nclick " + at + "\n";
}

namespace m = vls::tools::messenger;

// Opened, paged to the keeper, called; the call's three lines and its
// hang-up; the hang-up button closes the device; the menu writes lastgame.
std::string CallScript()
{
    return "step 500\nkey M\nstep 1500\n" + Click(m::kDeviceX + 105, m::kDeviceY + 190) + "step 300\n"
        + Click(m::kConnectX + 16, m::kButtonY + 16) + "step 15000\n" + Click(m::kDisconnectX + 16, m::kButtonY + 16)
        + "step 1500\nkey ESCAPE\nstep 100\nclose\nstep 1000\n";
}

void ExpectCleanRun(const DemoRun& run)
{
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.log.find("Error"), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("failed"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("-- Shut down successful."), std::string::npos) << run.log;
}

TEST(VlsMessenger, TheKeeperIsCalledAndTheDeviceClosedAndHisContactSurvivesALoad)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    const DemoRun called = PlayDemo(first, CallScript());
    ExpectCleanRun(called);
    ASSERT_FALSE(ReadBlocks(called.lastgame).empty()) << "the menu opened after the device closed\n" << called.log;
    EXPECT_EQ(Contacts(called.lastgame), std::vector<std::string>{"keeper"});
    EXPECT_EQ(GlobalInteger(called.lastgame, "g_demo_keeper_calls"), 1) << "the call ran to its hang-up";
    EXPECT_TRUE(Holds(called.lastgame, "keeper_call")) << "the call's dialogue has its record";

    // The next start takes the game from lastgame: the contact comes back
    // from the savegame (its picture loads again) and is not added twice;
    // the keeper can be called again.
    DrivenProgram second(VLS_PROGRAM_PATH);
    vls::test::WriteFileBytes(second.work.path() / "lastgame", called.lastgame);
    const DemoRun again = PlayDemo(second, CallScript());
    ExpectCleanRun(again);
    EXPECT_EQ(Contacts(again.lastgame), std::vector<std::string>{"keeper"});
    EXPECT_EQ(GlobalInteger(again.lastgame, "g_demo_keeper_calls"), 2);
}

// Without a contact selected the call button does nothing: the keeper is
// never rung and the device stays open until M closes it.
TEST(VlsMessenger, TheCallButtonWithoutAContactRingsNobody)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const std::string script = "step 500\nkey M\nstep 1500\n" + Click(m::kConnectX + 16, m::kButtonY + 16)
        + "step 5000\nkey M\nstep 1500\nkey ESCAPE\nstep 100\nclose\nstep 1000\n";
    const DemoRun run = PlayDemo(program, script);
    ExpectCleanRun(run);
    ASSERT_FALSE(ReadBlocks(run.lastgame).empty()) << run.log;
    EXPECT_EQ(Contacts(run.lastgame), std::vector<std::string>{"keeper"}) << "opening added the keeper";
    EXPECT_EQ(GlobalInteger(run.lastgame, "g_demo_keeper_calls"), std::nullopt) << "no call ran";
    EXPECT_FALSE(Holds(run.lastgame, "keeper_call"));
}

} // namespace
