#include "engine/app/kestrune_engine.h"
#include "engine/app/program.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include "platform/user/user_control.h"
#include "platform/user/winuser.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kReturnedStatus = 7;

struct ChildResult {
    int status;
    std::string log;
    std::string boxText;
};

// Runs one error report in a child process whose log is a file, answers the
// box with answer and reports how the child ended.
ChildResult ReportInChild(int answer, int fatal, const char* text)
{
    const vls::test::TempDir dir;
    const std::string logPath = (dir / "kestrune.log").string();
    const std::string boxPath = (dir / "box.txt").string();
    const pid_t child = fork();
    if (child == 0) {
        std::freopen(logPath.c_str(), "w", stdout);
        vls::user::SetMessageBoxHook([&](HWND, const std::string& body, const std::string& caption, UINT type) {
            if (std::FILE* const f = std::fopen(boxPath.c_str(), "w")) {
                std::fprintf(f, "%s|%s|%x", caption.c_str(), body.c_str(), type);
                std::fclose(f);
            }
            return answer;
        });
        vls::test::FakeMembers members;
        g_engine = new cKestruneEngine(nullptr, nullptr, "", &members);
        std::atexit(ShutDown);
        std::snprintf(g_engine->errorText, sizeof(g_engine->errorText), "%s", text);
        g_engine->Error("filesystem", "resource.map", fatal);
        std::printf("carried on\n");
        std::fflush(stdout);
        _exit(kReturnedStatus);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, dir.read("kestrune.log"),
        std::filesystem::exists(boxPath) ? dir.read("box.txt") : ""};
}

const std::string kReportLine = "Error in module filesystem[resource.map]\n-> Reading 100% failed.\n";

TEST(ErrorReport, OkOnANonFatalErrorCarriesOn)
{
    // Only a fatal mark of exactly 1 ends the run.
    for (const int fatal : {0, 2, -1}) {
        SCOPED_TRACE(fatal);
        const ChildResult r = ReportInChild(IDOK, fatal, "Reading 100% failed.");
        EXPECT_EQ(r.status, kReturnedStatus);
        EXPECT_EQ(r.log, kReportLine + "carried on\n");
        EXPECT_EQ(r.boxText, "An error occured...|" + kReportLine + "|41011");
    }
}

TEST(ErrorReport, CancelEndsTheProcessThroughTheExitRoutine)
{
    const ChildResult r = ReportInChild(IDCANCEL, 0, "Reading 100% failed.");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.log,
        kReportLine + "Destroying Kestrune object...\nDestroying window...\n-- Shut down successful.\n");
}

TEST(ErrorReport, AFatalErrorEndsTheProcessWithAFailureStatus)
{
    // Cancel on a fatal error ends the run before the fatal line, still as a failure.
    const ChildResult cancelled = ReportInChild(IDCANCEL, 1, "Reading 100% failed.");
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.log,
        kReportLine + "Destroying Kestrune object...\nDestroying window...\n-- Shut down successful.\n");

    const ChildResult r = ReportInChild(IDOK, 1, "Reading 100% failed.");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log,
        kReportLine +
            "Error was fatal, exiting...\nDestroying Kestrune object...\nDestroying window...\n-- Shut down successful.\n");
}

} // namespace
