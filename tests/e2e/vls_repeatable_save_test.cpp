// Played from a script, the engine's clock is virtual, and so is the time
// its savegames record: the same script writes the same savegame.
#include "tests/e2e/demo_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::PlayDemo;

// The saving time is the first field of the info block's payload.
constexpr std::size_t kSavingTime = 72 + 72;

constexpr const char* kScript = "step 500\nclick 300 560\nstep 2500\nkey ESCAPE\nstep 50\nclose\nstep 1000\n";

TEST(VlsRepeatableSave, TheSameScriptWritesTheSameSavegame)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    const DemoRun one = PlayDemo(first, kScript);
    DrivenProgram second(VLS_PROGRAM_PATH);
    const DemoRun two = PlayDemo(second, kScript);
    ASSERT_EQ(one.status, 0) << one.errors;
    ASSERT_EQ(two.status, 0) << two.errors;
    ASSERT_GE(one.lastgame.size(), kSavingTime + 16);
    std::uint16_t time[8];
    std::memcpy(time, one.lastgame.data() + kSavingTime, sizeof time);
    EXPECT_EQ(time[0], 2000) << "the virtual clock's date";
    EXPECT_EQ(time[1], 1);
    EXPECT_EQ(time[3], 1);
    EXPECT_EQ(time[4], 0) << "about three seconds after its start";
    EXPECT_EQ(time[5], 0);
    EXPECT_TRUE(one.lastgame == two.lastgame) << "the two runs wrote different savegames";
}

} // namespace
