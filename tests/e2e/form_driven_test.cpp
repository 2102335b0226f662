// Message-loop programs (the launcher and the class library's forms) played
// from outside through VEILSTRAND_INPUT.
#include "tests/e2e/driven_program.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using vls::e2e::DrivenProgram;
using vls::e2e::FifoDriver;

std::string Events(const DrivenProgram& program)
{
    return std::filesystem::exists(program.work / "events.txt") ? program.work.read("events.txt") : "";
}

TEST(FormDriven, InputReachesTheFormAtWindowCoordinatesInLockstep)
{
    DrivenProgram program(FORM_PROGRAM_PATH);
    FifoDriver driver(program.config);
    program.Start(driver.InputPath(), driver.AckPath());
    ASSERT_TRUE(driver.Connect());

    driver.Send("step 100\n");
    ASSERT_EQ(driver.NextAck().substr(0, 2), "1 ");
    EXPECT_EQ(Events(program), "");

    driver.Send("click 10 20\nkey A\nclick 30 40 right\nbogus\nstep 100\n");
    ASSERT_EQ(driver.NextAck().substr(0, 2), "2 ");
    EXPECT_EQ(Events(program), "left 10 20\nkey 65\nright 30 40\n");

    driver.Send("close\nstep 100\n");
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_EQ(Events(program), "left 10 20\nkey 65\nright 30 40\nclosed\n");
    EXPECT_EQ(program.Errors(), "VEILSTRAND_INPUT line 5: unknown command \"bogus\"\n");
}

TEST(FormDriven, TheLauncherRunsWithAScript)
{
    DrivenProgram program(VLSLAUNCH_PROGRAM_PATH);
    const auto input = program.config.write("input.txt", "step 100\nclose\nstep 100\n");
    program.Start(input.string(), "");
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_EQ(program.Errors(), "");
}

}  // namespace
