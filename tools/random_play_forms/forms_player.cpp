#include "tools/random_play_forms/forms_player.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/temp_dir.h"

namespace vls::random_play_forms {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollPause = std::chrono::milliseconds(10);
// The status a run gets when the player had to kill it.
constexpr int kKilled = -1000;

const char* const kReports[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                                "terminate called", "Uncaught exception", "ERROR: UndefinedBehaviorSanitizer"};

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

int CountSteps(const std::filesystem::path& script)
{
    std::ifstream in(script);
    int steps = 0;
    for (std::string line; std::getline(in, line);)
        steps += line.rfind("step ", 0) == 0;
    return steps;
}

// The launcher's web buttons call the desktop's opener; a stand-in that
// does nothing keeps a play from opening pages.
void PutOpenerStandIn(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    const std::filesystem::path opener = folder / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
}

// Waits for the child up to `limit`; the status, or kKilled when it had to
// be killed.
int WaitFor(pid_t child, std::chrono::seconds limit)
{
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            return kKilled;
        }
        std::this_thread::sleep_for(kPollPause);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace

std::string FaultOf(int status, const std::string& errors)
{
    for (const char* report : kReports)
        if (errors.find(report) != std::string::npos)
            return std::string("report \"") + report + "\" (exit status " + std::to_string(status) + ")";
    if (status == kKilled)
        return "hang: killed";
    if (status < 0)
        return "killed by signal " + std::to_string(-status);
    if (status != 0)
        return "exit status " + std::to_string(status);
    return {};
}

RunOutcome RunScript(const RunOptions& options)
{
    test::TempDir work, config, runtime;
    const std::filesystem::path ack = config / "ack.txt";
    const std::filesystem::path errors = config / "stderr.txt";
    const std::filesystem::path tools = config / "bin";
    PutOpenerStandIn(tools);
    const int total = CountSteps(options.script);
    const std::string script = std::filesystem::absolute(options.script).string();
    const pid_t child = fork();
    if (child == 0) {
        const int errorFd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errorFd < 0 || dup2(errorFd, STDERR_FILENO) < 0 || chdir(work.path().c_str()) != 0)
            _exit(120);
        setenv("VEILSTRAND_BACKEND", "headless", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("VEILSTRAND_CONFIG", config.path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        setenv("VEILSTRAND_INPUT", script.c_str(), 1);
        setenv("VEILSTRAND_INPUT_ACK", ack.c_str(), 1);
        const char* path = std::getenv("PATH");
        setenv("PATH", (tools.string() + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
        execl(options.program.c_str(), options.program.c_str(), static_cast<char*>(nullptr));
        dprintf(STDERR_FILENO, "random_play_forms: cannot start %s: %s\n", options.program.c_str(), strerror(errno));
        _exit(121);
    }
    RunOutcome outcome;
    auto lastProgress = Clock::now();
    int status = 0;
    for (;;) {
        if (waitpid(child, &status, WNOHANG) == child) {
            status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            break;
        }
        const int acknowledged = CountLines(ReadText(ack));
        if (acknowledged != outcome.steps) {
            outcome.steps = acknowledged;
            lastProgress = Clock::now();
        }
        if (outcome.steps >= total) {
            // The script is played: the program is asked to shut down in order.
            kill(child, SIGTERM);
            status = WaitFor(child, options.hangLimit);
            if (status == kKilled)
                outcome.fault = "hang: no shut-down within " + std::to_string(options.hangLimit.count()) + " s";
            break;
        }
        if (Clock::now() - lastProgress > options.hangLimit) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            outcome.fault = "hang: step " + std::to_string(outcome.steps + 1) + " not acknowledged within " +
                            std::to_string(options.hangLimit.count()) + " s";
            break;
        }
        std::this_thread::sleep_for(kPollPause);
    }
    outcome.errors = ReadText(errors);
    if (outcome.fault.empty())
        outcome.fault = FaultOf(status, outcome.errors);
    return outcome;
}

}  // namespace vls::random_play_forms
