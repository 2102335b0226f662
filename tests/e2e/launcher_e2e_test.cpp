// vlslaunch as a program, on the headless backend: two launchers that share
// their settings and runtime folders.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <filesystem>
#include <cstdlib>
#include <thread>

#include "tests/e2e/driven_program.h"

namespace {

class LauncherRun {
public:
    LauncherRun(const std::string& config, const std::string& runtime, const std::string& input = "",
                const std::string& ack = "")
    {
        child_ = fork();
        if (child_ == 0) {
            setenv("VEILSTRAND_BACKEND", "headless", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("VEILSTRAND_CONFIG", config.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            if (!input.empty()) {
                setenv("VEILSTRAND_INPUT", input.c_str(), 1);
                setenv("VEILSTRAND_INPUT_ACK", ack.c_str(), 1);
            }
            execl(VLSLAUNCH_PROGRAM_PATH, "vlslaunch", static_cast<char*>(nullptr));
            _exit(121);
        }
    }
    // The exit status, or -1 when it did not end within `seconds`.
    int WaitFor(int seconds)
    {
        for (int i = 0; i <= seconds * 40; ++i) {
            int status = 0;
            if (waitpid(child_, &status, WNOHANG) == child_) {
                child_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
            }
            if (i < seconds * 40)
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return -1;
    }
    ~LauncherRun()
    {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }

private:
    pid_t child_ = -1;
};

// An installed game: the engine in the install folder that the registry names.
void InstallEngine(vls::e2e::DrivenProgram& program)
{
    program.work.write("vls", "#!/bin/sh\n");
    std::filesystem::permissions(program.work / "vls", std::filesystem::perms::owner_all);
    program.config.write("user.reg", "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n\"InstallPath\"=\"" +
                                         program.work.path().string() + "\"\n");
}

int LineCount(const std::string& path)
{
    std::ifstream in(path);
    return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

}  // namespace

TEST(LauncherProgram, ASecondLauncherEndsAtOnceWhileTheFirstRuns)
{
    vls::test::TempDir config, runtime, fifos;
    vls::e2e::FifoDriver driver(fifos);
    LauncherRun first(config.path().string(), runtime.path().string(), driver.InputPath(), driver.AckPath());
    ASSERT_TRUE(driver.Connect());
    driver.Send("step 100\n");
    ASSERT_FALSE(driver.NextAck().empty());

    LauncherRun second(config.path().string(), runtime.path().string());
    EXPECT_EQ(second.WaitFor(20), 0);
    EXPECT_EQ(first.WaitFor(0), -1);  // still running

    driver.Send("close\nstep 100\n");
    EXPECT_EQ(first.WaitFor(20), 0);
}

TEST(LauncherProgram, ASettingReachesTheRegistryAndStartRunsTheEngineAndCloses)
{
    vls::e2e::DrivenProgram program(VLSLAUNCH_PROGRAM_PATH);
    InstallEngine(program);
    // Hardware settings, then the check box on their panel.
    const auto settings =
        program.config.write("settings.txt", "step 100\nclick 310 324\nstep 100\nclick 220 370\nstep 100\nclose\n");
    program.Start(settings.string(), "");
    EXPECT_EQ(program.Wait(), 0);
    const std::string registry = program.config.read("user.reg");
    EXPECT_NE(registry.find("\"SoundChannelsHW\"=dword:00000000"), std::string::npos) << registry;

    // The start button runs the engine (recorded on this backend) and the
    // launcher closes by itself.
    const auto start = program.config.write("start.txt", "step 100\nclick 310 252\nstep 100\nstep 100\n");
    program.Start(start.string(), "");
    EXPECT_EQ(program.Wait(), 0);
    const std::string errors = program.Errors();
    EXPECT_NE(errors.find("shell: recorded launch of " + (program.work / "vls").string()), std::string::npos)
        << errors;
}

TEST(LauncherProgram, AChoiceInASettingsListReachesTheRegistry)
{
    vls::e2e::DrivenProgram program(VLSLAUNCH_PROGRAM_PATH);
    InstallEngine(program);
    // Hardware settings; the anti-aliasing list drops down and is the front
    // window, so the third item is clicked in its own coordinates.
    const auto script = program.config.write(
        "aa.txt", "step 1500\nclick 310 324\nstep 300\nclick 400 243\nstep 300\nclick 50 39\nstep 300\nclose\nstep 100\n");
    program.Start(script.string(), "");
    EXPECT_EQ(program.Wait(), 0);
    const std::string registry = program.config.read("user.reg");
    EXPECT_NE(registry.find("\"Antialiasing\"=dword:00000004"), std::string::npos) << registry;
}

TEST(LauncherProgram, AMessageIsASkinnedDialogThatEnterAnswers)
{
    vls::e2e::DrivenProgram program(VLSLAUNCH_PROGRAM_PATH);
    InstallEngine(program);
    // No drive holds the data files: installing them says so in a dialog.
    // Enter answers it; a close that reached the dialog in its place would
    // leave the launcher running.
    const std::string shot = (program.config / "dialog.bmp").string();
    const auto script = program.config.write("install.txt", "step 1500\nclick 310 300\nstep 1500\nscreenshot " +
                                                                shot + "\nkey RETURN\nstep 300\nclose\nstep 100\n");
    program.Start(script.string(), "");
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0);
    const std::string picture = program.config.read("dialog.bmp");
    ASSERT_GT(picture.size(), 26u) << program.Errors();
    const std::int32_t width = static_cast<std::uint8_t>(picture[18]) | static_cast<std::uint8_t>(picture[19]) << 8;
    EXPECT_GT(width, 100);
    EXPECT_LT(width, 620);  // the dialog, not the launcher
}

// Every settings list, opened with each value saved, shows its first item in
// its top row: a click there chooses it.
TEST(LauncherProgram, EachSettingsListOpensWithItsFirstItemInReach)
{
    struct List {
        const char* value;
        int items, comboY, firstValue, valueStep;
    };
    const List lists[] = {{"Antialiasing", 3, 243, 0, 2}, {"Speakermode", 6, 291, 0, 1}, {"SoundBuffer", 7, 339, 2, 1}};
    for (int saved = 0; saved < 7; ++saved) {
        vls::e2e::DrivenProgram program(VLSLAUNCH_PROGRAM_PATH);
        InstallEngine(program);
        std::string registry = program.config.read("user.reg");
        std::string script = "step 1500\nclick 310 324\nstep 300\n";
        for (const List& list : lists) {
            const int item = std::min(saved, list.items - 1);
            char line[64];
            std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", list.value,
                          list.firstValue + item * list.valueStep);
            registry += line;
            // The list is the front window while it is open.
            script += "click 400 " + std::to_string(list.comboY) + "\nstep 300\nclick 60 8\nstep 300\n";
        }
        program.config.write("user.reg", registry);
        const auto input = program.config.write("lists.txt", script + "close\nstep 100\n");
        program.Start(input.string(), "");
        ASSERT_EQ(program.Wait(), 0) << program.Errors();
        const std::string after = program.config.read("user.reg");
        for (const List& list : lists) {
            char line[64];
            std::snprintf(line, sizeof line, "\"%s\"=dword:%08x", list.value, list.firstValue);
            EXPECT_NE(after.find(line), std::string::npos) << "saved item " << saved << "\n" << after;
        }
    }
}

// Ctrl+C or SIGTERM shuts the launcher down in order while its own popups
// are open: a settings list, or a message box of its own.
TEST(LauncherProgram, ACloseSignalEndsTheLauncherWhateverIsOpen)
{
    struct Case {
        const char* what;
        const char* script;
        int steps;
    };
    const Case cases[] = {
        {"an open settings list", "step 1500\nclick 310 324\nstep 300\nclick 400 243\nstep 300\n", 3},
        {"a message box", "step 1500\nclick 310 300\nstep 1500\n", 2},
    };
    for (const Case& c : cases) {
        for (const int signal : {SIGTERM, SIGINT}) {
            SCOPED_TRACE(std::string(c.what) + (signal == SIGTERM ? " SIGTERM" : " SIGINT"));
            vls::e2e::DrivenProgram program(VLSLAUNCH_PROGRAM_PATH);
            InstallEngine(program);
            const auto script = program.config.write("open.txt", c.script);
            const std::string ack = (program.config / "open.ack").string();
            program.Start(script.string(), ack);
            bool played = false;
            for (int i = 0; i < 2400 && !played; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
                played = program.CatchesTerminate() && LineCount(ack) >= c.steps;
            }
            ASSERT_TRUE(played) << program.Errors();
            program.Signal(signal);
            EXPECT_EQ(program.Wait(std::chrono::seconds(20)), 0) << program.Errors();
        }
    }
}
