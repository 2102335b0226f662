#include "tests/support/demo_data.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

// The engine program in a folder of its own, with its own settings and
// runtime folders, on the headless backend.
class ProgramRun {
public:
    ProgramRun()
    {
        std::filesystem::create_directories(work.path());
        std::filesystem::create_directories(runtime.path());
    }

    void Start()
    {
        child_ = fork();
        if (child_ == 0) {
            if (chdir(work.path().c_str()) != 0)
                _exit(120);
            setenv("VEILSTRAND_BACKEND", "headless", 1);
            setenv("VEILSTRAND_CONFIG", config.path().c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
            execl(VLS_PROGRAM_PATH, "vls", static_cast<char*>(nullptr));
            _exit(121);
        }
    }

    // The exit status, or -signal when the program was killed.
    int Wait()
    {
        int status = 0;
        waitpid(child_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    void Terminate() { kill(child_, SIGTERM); }

    bool Running()
    {
        int status = 0;
        return waitpid(child_, &status, WNOHANG) == 0;
    }

    // Whether the program catches SIGTERM yet: from then on the signal
    // becomes a close request instead of killing it. The forked child
    // inherits the test's own handlers until it execs, so the signal mask
    // only counts once the child runs the engine.
    bool CatchesTerminate() const
    {
        std::ifstream comm("/proc/" + std::to_string(child_) + "/comm");
        std::string name;
        if (!std::getline(comm, name) || name != "vls")
            return false;
        std::ifstream status("/proc/" + std::to_string(child_) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
        }
        return false;
    }

    std::string Log() const { return work.read("kestrune.log"); }

    vls::test::TempDir work;
    vls::test::TempDir config;
    vls::test::TempDir runtime;

private:
    pid_t child_ = -1;
};

TEST(VlsProgram, AnEmptyFolderEndsTheStartWithAFailure)
{
    ProgramRun run;
    run.Start();
    EXPECT_NE(run.Wait(), 0);
    const std::string log = run.Log();
    EXPECT_EQ(log.rfind("-- Kestrune v2.0 runtime started.\n", 0), 0u) << log;
    EXPECT_NE(log.find("Error in module filesystem[]\n-> Reading resource map file failed.\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("Error was fatal, exiting...\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Destroying Kestrune object...\n"), std::string::npos) << log;
    EXPECT_GE(log.size(), std::string("-- Shut down successful.\n").size());
    EXPECT_EQ(log.substr(log.size() - 25), "-- Shut down successful.\n") << log;
}

TEST(VlsProgram, RunsUntilTerminatedAndShutsDownInOrder)
{
    ProgramRun run;
    vls::test::CopyDemoArchive(run.work.path());
    run.Start();
    for (int i = 0; i < 1200 && !run.CatchesTerminate(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_TRUE(run.CatchesTerminate());
    // Some frames of the main loop.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(run.Running());
    run.Terminate();
    EXPECT_EQ(run.Wait(), 0);
    const std::string log = run.Log();
    EXPECT_EQ(log.rfind("-- Kestrune v2.0 runtime started.\n", 0), 0u) << log;
    const size_t destroying = log.find("Destroying Kestrune object...\n");
    ASSERT_NE(destroying, std::string::npos) << log;
    EXPECT_EQ(log.substr(destroying),
        "Destroying Kestrune object...\nDestroying window...\n-- Shut down successful.\n");
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
}

} // namespace
