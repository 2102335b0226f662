#include "tests/e2e/driven_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

namespace vls::e2e {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollPause = std::chrono::milliseconds(5);

void SetOrUnset(const char* name, const std::string& value)
{
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
}

}  // namespace

DrivenProgram::DrivenProgram(std::string programPath) : program_(std::move(programPath)) {}

DrivenProgram::~DrivenProgram()
{
    if (child_ > 0) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
}

void DrivenProgram::Start(const std::string& inputPath, const std::string& ackPath)
{
    const std::string errors = (config / "stderr.txt").string();
    // Blocked around the fork, so the child holds them blocked from its
    // first instant and a signal sent right after Start waits.
    sigset_t mask;
    sigset_t previous;
    sigemptyset(&mask);
    for (const int signal : blocked)
        sigaddset(&mask, signal);
    sigprocmask(SIG_BLOCK, &mask, &previous);
    child_ = fork();
    if (child_ != 0) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        return;
    }
    const int errorFd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::filesystem::path where = folder.empty() ? work.path() : folder;
    if (errorFd < 0 || dup2(errorFd, STDERR_FILENO) < 0 || chdir(where.c_str()) != 0)
        _exit(120);
    setenv("VEILSTRAND_BACKEND", "headless", 1);
    setenv("VEILSTRAND_CONFIG", config.path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    SetOrUnset("VEILSTRAND_INPUT", inputPath);
    SetOrUnset("VEILSTRAND_INPUT_ACK", ackPath);
    for (const auto& [name, value] : environment)
        SetOrUnset(name.c_str(), value);
    if (!prefix.empty()) {
        std::vector<char*> words;
        for (std::string& word : prefix)
            words.push_back(word.data());
        words.push_back(program_.data());
        words.push_back(nullptr);
        execvp(words[0], words.data());
        _exit(121);
    }
    execl(program_.c_str(), program_.c_str(), static_cast<char*>(nullptr));
    _exit(121);
}

int DrivenProgram::Wait(std::chrono::seconds limit)
{
    // Without a child there is nothing to wait for, and nothing to kill: a
    // kill of pid -1 would reach every process the user may signal.
    if (child_ <= 0)
        return -1000;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (const std::optional<int> status = Poll())
            return *status;
        if (Clock::now() > deadline) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
            child_ = -1;
            return -1000;
        }
        std::this_thread::sleep_for(kPollPause);
    }
}

std::optional<int> DrivenProgram::Poll()
{
    int status = 0;
    if (child_ <= 0 || waitpid(child_, &status, WNOHANG) == 0)
        return std::nullopt;
    child_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void DrivenProgram::Signal(int signal)
{
    if (child_ > 0)
        kill(child_, signal);
}

bool DrivenProgram::CatchesTerminate() const
{
    // The forked child keeps the test's handlers until it runs the program.
    std::ifstream comm("/proc/" + std::to_string(child_) + "/comm");
    std::string name;
    if (child_ <= 0 || !std::getline(comm, name) || program_.find(name) == std::string::npos)
        return false;
    std::ifstream status("/proc/" + std::to_string(child_) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

FifoDriver::FifoDriver(const test::TempDir& folder)
    : input_((folder / "input.fifo").string()), ack_((folder / "ack.fifo").string())
{
    mkfifo(input_.c_str(), 0600);
    mkfifo(ack_.c_str(), 0600);
}

FifoDriver::~FifoDriver()
{
    CloseInput();
    if (ackFd_ >= 0)
        close(ackFd_);
}

bool FifoDriver::Connect(std::chrono::seconds limit)
{
    // Opening the read end without blocking lets the program open its write
    // end at any time; the input's write end opens once the program reads.
    ackFd_ = open(ack_.c_str(), O_RDONLY | O_NONBLOCK);
    const auto deadline = Clock::now() + limit;
    while ((inputFd_ = open(input_.c_str(), O_WRONLY | O_NONBLOCK)) < 0 && errno == ENXIO && Clock::now() < deadline)
        std::this_thread::sleep_for(kPollPause);
    if (inputFd_ < 0 || ackFd_ < 0)
        return false;
    fcntl(inputFd_, F_SETFL, 0);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

void FifoDriver::Send(const std::string& lines)
{
    std::size_t done = 0;
    while (inputFd_ >= 0 && done < lines.size()) {
        const ssize_t n = write(inputFd_, lines.data() + done, lines.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

std::string FifoDriver::NextAck(std::chrono::seconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        char buffer[256];
        const ssize_t n = read(ackFd_, buffer, sizeof buffer);
        if (n > 0) {
            pending_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (Clock::now() > deadline)
            return {};
        std::this_thread::sleep_for(kPollPause);
    }
}

bool FifoDriver::AckArrives(std::chrono::milliseconds wait)
{
    std::this_thread::sleep_for(wait);
    char buffer[256];
    const ssize_t n = read(ackFd_, buffer, sizeof buffer);
    if (n > 0)
        pending_.append(buffer, static_cast<std::size_t>(n));
    return !pending_.empty();
}

void FifoDriver::CloseInput()
{
    if (inputFd_ >= 0)
        close(inputFd_);
    inputFd_ = -1;
}

}  // namespace vls::e2e
