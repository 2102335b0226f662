// The engine program played from outside through VEILSTRAND_INPUT.
#include "tests/e2e/driven_program.h"
#include "tests/support/demo_data.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace {

using vls::e2e::DrivenProgram;
using vls::e2e::FifoDriver;

constexpr const char* kShutDownLines = "Destroying Kestrune object...\nDestroying window...\n-- Shut down successful.\n";

// The built demo's archive: the engine starts on its project and enters its
// first scene.
void GiveDemoData(DrivenProgram& program) { vls::test::CopyDemoArchive(program.work.path()); }

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct ScriptedRun {
    int status = 0;
    std::string log;
    std::string picture;
    std::string acks;
    std::string errors;
    bool engineScreenshot = false;
};

ScriptedRun RunScript(const std::string& script)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    GiveDemoData(program);
    const auto input = program.config.write("input.txt", script);
    program.Start(input.string(), (program.config / "ack.txt").string());
    ScriptedRun run;
    run.status = program.Wait();
    run.log = program.work.read("kestrune.log");
    if (std::filesystem::exists(program.work / "window.bmp"))
        run.picture = program.work.read("window.bmp");
    run.acks = program.config.read("ack.txt");
    run.errors = program.Errors();
    run.engineScreenshot = std::filesystem::exists(program.work / "screenshot 0.bmp");
    return run;
}

TEST(VlsDriven, AScriptPlaysTheSameRunEveryTime)
{
    const std::string script =
        "# start, a few frames, a key, a click, a picture and a close\n"
        "step 100\n"
        "key F8\n"
        "click 512 384\n"
        "step 75\n"
        "key ESCAPE\n"
        "screenshot window.bmp\n"
        "close\n"
        "step 1000\n";
    const ScriptedRun first = RunScript(script);
    const ScriptedRun second = RunScript(script);

    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(first.errors, "");
    EXPECT_TRUE(EndsWith(first.log, kShutDownLines)) << first.log;
    EXPECT_EQ(first.log.find("Error"), std::string::npos) << first.log;
    // F8 went through the window procedure to the engine's own screenshot.
    EXPECT_TRUE(first.engineScreenshot);
    ASSERT_GE(first.picture.size(), 54u + 1024u * 768u * 3u);
    EXPECT_EQ(first.picture.substr(0, 2), "BM");
    // The engine started on the demo's project.
    EXPECT_NE(first.log.find("Project, Build: Veilstrand Demo, demo data 1\n"), std::string::npos) << first.log;
    // The program ended inside the last step: two steps acknowledged, each at
    // its first frame after the step's time.
    EXPECT_EQ(std::count(first.acks.begin(), first.acks.end(), '\n'), 2) << first.acks;

    EXPECT_EQ(second.status, first.status);
    EXPECT_EQ(second.log, first.log);
    EXPECT_EQ(second.picture, first.picture);
    EXPECT_EQ(second.acks, first.acks);
}

TEST(VlsDriven, BadLinesAreReportedAndSkipped)
{
    const ScriptedRun run = RunScript(
        "step 50\n"
        "jump 10\n"
        "key NOSUCHKEY\n"
        "click 1 2 3\n"
        "close\n"
        "step 1000\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.errors.find("VEILSTRAND_INPUT line 2: unknown command \"jump\"\n"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("VEILSTRAND_INPUT line 3: unknown key \"NOSUCHKEY\"\n"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("VEILSTRAND_INPUT line 4: unknown button \"3\""), std::string::npos) << run.errors;
    // The close after them was still carried out.
    EXPECT_TRUE(EndsWith(run.log, kShutDownLines)) << run.log;
}

// The engine on the demo data, its input a FIFO that the test drives,
// through the first step of 50 ms.
class VlsFifoRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        GiveDemoData(program);
        program.Start(driver.InputPath(), driver.AckPath());
        ASSERT_TRUE(driver.Connect());
        driver.Send("step 50\n");
    }

    DrivenProgram program{VLS_PROGRAM_PATH};
    FifoDriver driver{program.config};
};

TEST_F(VlsFifoRun, TheDriverLooksAtFilesBetweenSteps)
{
    const std::string first = driver.NextAck();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.substr(0, 2), "1 ");
    // The program waits for the next line: nothing moves meanwhile.
    EXPECT_FALSE(driver.AckArrives(std::chrono::milliseconds(100)));
    EXPECT_FALSE(std::filesystem::exists(program.work / "screenshot 0.bmp"));

    driver.Send("key F8\nstep 50\n");
    const std::string second = driver.NextAck();
    EXPECT_EQ(second.substr(0, 2), "2 ");
    EXPECT_LT(std::stoul(first.substr(2)), std::stoul(second.substr(2)));
    EXPECT_TRUE(std::filesystem::exists(program.work / "screenshot 0.bmp"));

    // The driver goes away: the program shuts down in order.
    driver.CloseInput();
    EXPECT_EQ(program.Wait(), 0) << program.Errors();
    EXPECT_TRUE(EndsWith(program.work.read("kestrune.log"), kShutDownLines));
}

TEST_F(VlsFifoRun, ATerminateSignalWhileWaitingForTheDriverClosesTheProgram)
{
    ASSERT_FALSE(driver.NextAck().empty());
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    EXPECT_TRUE(EndsWith(program.work.read("kestrune.log"), kShutDownLines));
    EXPECT_NE(program.Errors().find("VEILSTRAND_INPUT: interrupted"), std::string::npos) << program.Errors();
}

}  // namespace
