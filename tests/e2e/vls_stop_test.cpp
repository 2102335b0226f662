// Starting and stopping the engine as a Linux program: close signals, a
// display that goes away, what reaches the terminal and the log.
#include "tests/e2e/driven_program.h"
#include "tests/support/demo_data.h"
#include "tests/support/open_counter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

using vls::e2e::DrivenProgram;
using namespace std::chrono_literals;

constexpr const char* kShutDownLines = "Destroying Kestrune object...\nDestroying window...\n-- Shut down successful.\n";
// Written when the start has passed the graphics device: the main loop is near.
constexpr const char* kStartedLine = "Initializing graphics...\n";

// The built demo's archive: the engine starts on its project.
void GiveDemoData(DrivenProgram& program) { vls::test::CopyDemoArchive(program.work.path()); }

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Waits until the program catches close signals and its log shows `line`.
bool WaitUntilRunning(const DrivenProgram& program, const std::string& line)
{
    for (int i = 0; i < 2400; ++i) {
        if (program.CatchesTerminate() && std::filesystem::exists(program.work / "kestrune.log")
            && program.work.read("kestrune.log").find(line) != std::string::npos)
            return true;
        std::this_thread::sleep_for(25ms);
    }
    return false;
}

TEST(VlsStop, RepeatedCloseSignalsLeadToTheOneOrderlyShutDown)
{
    for (const int second : {SIGTERM, SIGINT}) {
        DrivenProgram program(VLS_PROGRAM_PATH);
        GiveDemoData(program);
        program.Start("", "");
        ASSERT_TRUE(WaitUntilRunning(program, kStartedLine));
        std::this_thread::sleep_for(100ms);  // some frames of the main loop
        program.Signal(SIGTERM);
        std::this_thread::sleep_for(1ms);
        program.Signal(second);
        EXPECT_EQ(program.Wait(), 0) << program.Errors();
        const std::string log = program.work.read("kestrune.log");
        EXPECT_TRUE(EndsWith(log, kShutDownLines)) << log;
        EXPECT_EQ(Count(log, "-- Shut down successful."), 1) << log;
    }
}

// Ctrl+C or SIGTERM at any moment of the start leads to the orderly
// shut-down: sent before the process runs a line of its own (held back by a
// blocked mask until the program takes it), or at some moment after it
// catches the signal, before its window or log exist up to its first frames.
// The previous run's log is replaced whole.
TEST(VlsStop, ACloseSignalDuringTheStartShutsDownInOrder)
{
    for (const int delayMs : {-1, 0, 2, 10, 30, 60, 120}) {
        SCOPED_TRACE(delayMs);
        DrivenProgram program(VLS_PROGRAM_PATH);
        GiveDemoData(program);
        program.work.write("kestrune.log", std::string(5000, 'o') + "\nthe previous run\n");
        const int signal = delayMs % 20 == 0 ? SIGTERM : SIGINT;
        if (delayMs < 0) {
            program.blocked = {SIGINT, SIGTERM};
            program.Start("", "");
            program.Signal(signal);
        } else {
            program.Start("", "");
            bool catches = false;
            for (int i = 0; i < 20000 && !(catches = program.CatchesTerminate()); ++i)
                std::this_thread::sleep_for(std::chrono::microseconds(250));
            ASSERT_TRUE(catches);
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            program.Signal(signal);
        }
        EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0) << program.Errors();
        const std::string log = program.work.read("kestrune.log");
        EXPECT_EQ(log.rfind("-- Kestrune v2.0 runtime started.\n", 0), 0u) << log;
        EXPECT_TRUE(EndsWith(log, kShutDownLines)) << log;
        EXPECT_EQ(log.find("the previous run"), std::string::npos) << log;
    }
}

// Without a sound device the engine runs on, silent, and says so once.
TEST(VlsStop, WithoutASoundDeviceTheEngineSaysItRunsSilent)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    GiveDemoData(program);
    program.environment = {{"VEILSTRAND_BACKEND", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
        {"SDL_VIDEODRIVER", ""}, {"SDL_AUDIODRIVER", "no-such-sound-driver"}};
    const auto input = program.config.write("input.txt", "step 300\nclose\nstep 500\n");
    program.Start(input.string(), "");
    EXPECT_EQ(program.Wait(), 0) << program.Errors();
    const std::string errors = program.Errors();
    EXPECT_EQ(Count(errors, "no sound device could be opened"), 1) << errors;
    EXPECT_EQ(Count(errors, "running silent"), 1) << errors;
    EXPECT_TRUE(EndsWith(program.work.read("kestrune.log"), kShutDownLines));
}

TEST(VlsStop, WithNoDisplayTheErrorBoxAndTheFallbackAreSaidOnTheTerminal)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    // No data, no display, no backend asked for.
    program.environment = {{"VEILSTRAND_BACKEND", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}};
    program.Start("", "");
    EXPECT_NE(program.Wait(), 0);
    const std::string errors = program.Errors();
    EXPECT_EQ(Count(errors, "running without a window"), 1) << errors;
    EXPECT_NE(errors.find("no display"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Reading resource map file failed."), std::string::npos) << errors;
    EXPECT_NE(program.work.read("kestrune.log").find("Reading resource map file failed."), std::string::npos);
}

TEST(VlsStop, ALogThatCannotBeMadeIsSaidOnTheTerminal)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    std::filesystem::create_directory(program.work / "kestrune.log");
    program.Start("", "");
    EXPECT_NE(program.Wait(), 0);
    const std::string errors = program.Errors();
    EXPECT_NE(errors.find("cannot write the log kestrune.log in " + program.work.path().string()), std::string::npos)
        << errors;
    // The run still says why it stopped.
    EXPECT_NE(errors.find("Reading resource map file failed."), std::string::npos) << errors;
}

TEST(VlsStop, TheSettingsFileIsOpenedOnceAtStartUp)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    GiveDemoData(program);
    const auto settings = program.config.write("user.reg",
        "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n\"Antialiasing\"=dword:00000002\n"
        "\"MusicVolume\"=dword:00000050\n\"Subtitle\"=dword:00000001\n\"Gamma\"=dword:00000003\n");
    vls::test::MakeOld(settings);
    vls::test::OpenCounter opens(program.config.path());
    ASSERT_TRUE(opens.Ready());
    const auto input = program.config.write("input.txt", "step 300\nclose\nstep 500\n");
    program.Start(input.string(), "");
    EXPECT_EQ(program.Wait(), 0) << program.Errors();
    EXPECT_TRUE(EndsWith(program.work.read("kestrune.log"), kShutDownLines));
    EXPECT_EQ(opens.Take("user.reg"), 1);
}

// A virtual X server of the test's own, on a display number it picks.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        server_ = fork();
        if (server_ == 0) {
            close(pipeFds[0]);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDERR_FILENO);
            const std::string fd = std::to_string(pipeFds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        std::string number;
        pollfd wait{pipeFds[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, 30000) == 1 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeFds[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~VirtualDisplay() { Kill(); }

    const std::string& Name() const { return name_; }
    void Kill()
    {
        if (server_ > 0) {
            kill(server_, SIGKILL);
            waitpid(server_, nullptr, 0);
            server_ = -1;
        }
    }

private:
    pid_t server_ = -1;
    std::string name_;
};

TEST(VlsStop, ALostDisplayEndsTheProgramAtOnceWithItsLogComplete)
{
    VirtualDisplay display;
    if (display.Name().empty())
        GTEST_SKIP() << "no Xvfb to run a display of our own";
    DrivenProgram program(VLS_PROGRAM_PATH);
    GiveDemoData(program);
    program.environment = {{"VEILSTRAND_BACKEND", "sdl"}, {"DISPLAY", display.Name()}, {"WAYLAND_DISPLAY", ""},
        {"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}};
    program.Start("", "");
    ASSERT_TRUE(WaitUntilRunning(program, kStartedLine)) << program.Errors();
    std::this_thread::sleep_for(300ms);  // frames drawn through the display
    display.Kill();
    const int status = program.Wait(std::chrono::seconds(20));
    EXPECT_NE(status, -1000) << "still running after the display went away";
    EXPECT_NE(status, 0);
    const std::string log = program.work.read("kestrune.log");
    EXPECT_EQ(log.rfind("-- Kestrune v2.0 runtime started.\n", 0), 0u) << log;
    EXPECT_NE(log.find(kStartedLine), std::string::npos) << log;
    // Nothing ran on after the loss: its report is the last line.
    EXPECT_TRUE(EndsWith(log, "Lost the connection to the display " + display.Name() + "; the program ends.\n"))
        << log;
    EXPECT_NE(program.Errors().find("Lost the connection to the display"), std::string::npos) << program.Errors();
}

// Whether a top-level window with this title is announced among the
// program's windows.
bool WindowAnnounced(const DrivenProgram& program, const std::string& title)
{
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(program.runtime.path(), error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            return false;
        if (!it->is_regular_file(error))
            continue;
        std::ifstream file(it->path());
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (text.find(title) != std::string::npos)
            return true;
    }
    return false;
}

// A desktop with no message-box helper of its own (a bare X server): the
// engine's error box is drawn by our own window manager and waits for the
// user; closing it ends the failed start.
TEST(VlsStop, AnErrorBoxTheDesktopCannotShowIsDrawnByTheProgram)
{
    VirtualDisplay display;
    if (display.Name().empty())
        GTEST_SKIP() << "no Xvfb to run a display of our own";
    DrivenProgram program(VLS_PROGRAM_PATH);  // no data: the start fails with an error box
    program.environment = {{"VEILSTRAND_BACKEND", "sdl"}, {"DISPLAY", display.Name()}, {"WAYLAND_DISPLAY", ""},
        {"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}, {"PATH", "/nonexistent"}};
    program.Start("", "");
    bool shown = false;
    for (int i = 0; i < 1200 && !(shown = WindowAnnounced(program, "An error occured...")); ++i)
        std::this_thread::sleep_for(25ms);
    EXPECT_TRUE(shown) << program.Errors();
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(program.CatchesTerminate()) << "the box waits for its answer";
    // The box's own close button, here by the close signal: its cancel answer.
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 1) << program.Errors();
    const std::string log = program.work.read("kestrune.log");
    EXPECT_NE(log.find("Reading resource map file failed."), std::string::npos) << log;
    EXPECT_TRUE(EndsWith(log, kShutDownLines)) << log;
}

}  // namespace
