// The control gallery shut down by a close signal while it sits in the tray.
#include "tests/e2e/driven_program.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

bool Acknowledged(const std::filesystem::path& ack, const std::string& line)
{
    std::ifstream in(ack);
    for (std::string got; std::getline(in, got);)
        if (got.rfind(line + " ", 0) == 0)
            return true;
    return false;
}

// Ctrl+N opens a window of its own first: its helper windows then lie above
// the forms while everything is hidden, and the close must pass them.
TEST(GalleryTray, ACloseSignalEndsTheGalleryHiddenInTheTray)
{
    vls::e2e::DrivenProgram program(GALLERY_PROGRAM_PATH);
    program.environment.emplace_back("VEILSTRAND_BACKEND", "headless");
    const auto script = program.config.write("tray.txt",
                                             "step 500\nkeydown CONTROL\nkey N\nkeyup CONTROL\nstep 200\n"
                                             "keydown MENU\nkey SPACE\nkeyup MENU\nstep 100\nkey T\nstep 300\n");
    const auto ack = program.config / "tray.ack";
    program.Start(script.string(), ack.string());
    bool played = false;
    for (int i = 0; i < 2400 && !played; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        played = program.CatchesTerminate() && Acknowledged(ack, "4");
    }
    ASSERT_TRUE(played) << program.Errors();
    ASSERT_NE(program.Errors().find("Shell_NotifyIcon add"), std::string::npos) << "the gallery went to the tray";
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(std::chrono::seconds(20)), 0) << program.Errors();
    // The main form is destroyed on the way out and takes its icon along.
    EXPECT_NE(program.Errors().find("Shell_NotifyIcon delete"), std::string::npos) << program.Errors();
}

}  // namespace
