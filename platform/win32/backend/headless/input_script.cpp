#include "platform/win32/backend/headless/input_script.h"

#include "platform/win32/kernel/clock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vls::headless {
namespace {

constexpr std::uint32_t kNoTimeout = 0xFFFFFFFFu;
constexpr std::uint64_t kReadingMicros = 1000;

void WriteToStandardError(const std::string& message)
{
    // Not through stdio: the engine closes its stderr stream at exit, and a
    // late report must not touch a closed stream.
    const std::string line = message + "\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, line.data(), line.size());
}

// Writes all of `text`; a driver that stopped reading must not end the
// program by SIGPIPE, so the signal is held back and taken away again.
// 0, or the errno of the failure.
int WriteWithoutSigpipe(int fd, const std::string& text)
{
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    int error = 0;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            if (error == EPIPE && !wasPending) {
                const timespec now{};
                sigtimedwait(&pipeSignal, nullptr, &now);
            }
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return error;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

InputScript::InputScript(int inputFd, int ackFd, bool fifo, int wakeFd, Reporter report)
    : input_(inputFd), ack_(ackFd), fifo_(fifo), wake_(wakeFd), report_(std::move(report))
{
    if (!report_)
        report_ = WriteToStandardError;
}

InputScript::~InputScript()
{
    if (input_ >= 0)
        close(input_);
    if (ack_ >= 0)
        close(ack_);
}

std::unique_ptr<InputScript> InputScript::FromEnvironment(int wakeFd)
{
    const char* input = std::getenv("VEILSTRAND_INPUT");
    if (!input || !*input)
        return nullptr;
    const std::string inputPath = input;
    const char* ack = std::getenv("VEILSTRAND_INPUT_ACK");
    const std::string ackPath = ack ? ack : "";
    unsetenv("VEILSTRAND_INPUT");
    unsetenv("VEILSTRAND_INPUT_ACK");

    // A FIFO opens when its driver opens the other end.
    const int inputFd = OpenRetrying(inputPath.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (inputFd < 0 || fstat(inputFd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = inputFd < 0 ? errno : EISDIR;
        WriteToStandardError("VEILSTRAND_INPUT: cannot read \"" + inputPath + "\": " + std::strerror(error));
        if (inputFd >= 0)
            close(inputFd);
        return nullptr;
    }
    int ackFd = -1;
    if (!ackPath.empty()) {
        ackFd = OpenRetrying(ackPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (ackFd < 0)
            WriteToStandardError("VEILSTRAND_INPUT_ACK: cannot write \"" + ackPath + "\": " + std::strerror(errno));
    }
    return std::make_unique<InputScript>(inputFd, ackFd, !S_ISREG(info.st_mode), wakeFd, nullptr);
}

std::uint64_t InputScript::ReadClock()
{
    if (mode_.load() == Mode::RealTime)
        return win32::SystemClockMicroseconds() + realOffset_.load();
    return virtualMicros_.fetch_add(kReadingMicros) + kReadingMicros;
}

std::uint64_t InputScript::PeekClock() const
{
    if (mode_.load() == Mode::RealTime)
        return win32::SystemClockMicroseconds() + realOffset_.load();
    return virtualMicros_.load();
}

void InputScript::Sleep(std::uint32_t milliseconds)
{
    if (mode_.load() == Mode::RealTime)
        win32::SystemSleep(milliseconds);
    else
        virtualMicros_.fetch_add(static_cast<std::uint64_t>(milliseconds) * 1000);
}

bool InputScript::Wait(std::uint32_t timeoutMs)
{
    switch (mode_.load()) {
    case Mode::RealTime:
        return false;
    case Mode::Free:
        if (timeoutMs == kNoTimeout)
            return false;
        virtualMicros_.fetch_add(static_cast<std::uint64_t>(timeoutMs) * 1000);
        return true;
    case Mode::Stepping:
        break;
    }
    // Past the step's end the caller comes straight back to look for input,
    // which ends the step.
    const std::uint64_t now = virtualMicros_.load();
    if (now < stepEnd_) {
        const std::uint64_t until = timeoutMs == kNoTimeout
            ? stepEnd_
            : std::min(stepEnd_, now + static_cast<std::uint64_t>(timeoutMs) * 1000);
        virtualMicros_.store(until);
    }
    return true;
}

void InputScript::Poll(ScriptTarget& target)
{
    if (mode_.load() != Mode::Stepping || virtualMicros_.load() < stepEnd_)
        return;
    if (step_ > 0)
        Acknowledge();
    for (;;) {
        std::string line;
        bool tooLong = false;
        const LineResult result = NextLine(line, tooLong);
        if (result != LineResult::Line) {
            EndOfScript(target, result);
            return;
        }
        const std::string where = "VEILSTRAND_INPUT line " + std::to_string(lineNumber_) + ": ";
        if (tooLong) {
            Report(where + "longer than " + std::to_string(kMaxScriptLine) + " bytes");
            continue;
        }
        ScriptCommand command;
        std::string error;
        const ScriptLineKind kind = ParseScriptLine(line, command, error);
        if (kind == ScriptLineKind::Empty)
            continue;
        if (kind == ScriptLineKind::Bad) {
            Report(where + error);
            continue;
        }
        if (command.op == ScriptOp::Step) {
            ++step_;
            stepEnd_ = virtualMicros_.load() + static_cast<std::uint64_t>(command.ms) * 1000;
            return;
        }
        error = target.Apply(command);
        if (!error.empty())
            Report(where + error);
    }
}

InputScript::LineResult InputScript::NextLine(std::string& line, bool& tooLong)
{
    for (;;) {
        const std::size_t end = buffer_.find('\n');
        if (end != std::string::npos || (inputEnded_ && (!buffer_.empty() || skipping_))) {
            const std::size_t length = end == std::string::npos ? buffer_.size() : end;
            line.assign(buffer_, 0, length);
            buffer_.erase(0, end == std::string::npos ? length : end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            ++lineNumber_;
            tooLong = skipping_ || line.size() > kMaxScriptLine;
            skipping_ = false;
            return LineResult::Line;
        }
        if (inputEnded_)
            return LineResult::End;
        if (buffer_.size() > kMaxScriptLine) {
            // Only the line's number and its end matter from here on.
            buffer_.clear();
            skipping_ = true;
        }
        const LineResult filled = Fill();
        if (filled != LineResult::Line)
            return filled;
    }
}

InputScript::LineResult InputScript::Fill()
{
    for (;;) {
        pollfd fds[2] = {{input_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const nfds_t count = wake_ >= 0 ? 2 : 1;
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            readError_ = errno;
            return LineResult::Error;
        }
        // The driver's lines win over a wake-up, so a close signal only ends
        // a wait for lines that are not there.
        if (fds[0].revents != 0) {
            char chunk[4096];
            const ssize_t n = read(input_, chunk, sizeof chunk);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n < 0) {
                readError_ = errno;
                return LineResult::Error;
            }
            if (n == 0)
                inputEnded_ = true;
            buffer_.append(chunk, static_cast<std::size_t>(n));
            return LineResult::Line;
        }
        if (count == 2 && fds[1].revents != 0)
            return LineResult::Interrupted;
    }
}

void InputScript::Acknowledge()
{
    if (ack_ < 0)
        return;
    const std::string line = std::to_string(step_) + " " + std::to_string(virtualMicros_.load() / 1000) + "\n";
    if (const int error = WriteWithoutSigpipe(ack_, line)) {
        Report(std::string("VEILSTRAND_INPUT_ACK: cannot write: ") + std::strerror(error) + "; no more acknowledgements");
        close(ack_);
        ack_ = -1;
    }
}

void InputScript::Report(const std::string& message) const { report_(message); }

void InputScript::EndOfScript(ScriptTarget& target, LineResult why)
{
    if (why == LineResult::Error)
        Report(std::string("VEILSTRAND_INPUT: cannot read: ") + std::strerror(readError_));
    if (why == LineResult::Interrupted) {
        Report("VEILSTRAND_INPUT: interrupted while waiting for the next line; the script is left");
        mode_.store(Mode::Free);
        return;
    }
    if (fifo_) {
        mode_.store(Mode::Free);
        target.InputClosed();
        return;
    }
    realOffset_.store(static_cast<std::int64_t>(virtualMicros_.load() - win32::SystemClockMicroseconds()));
    mode_.store(Mode::RealTime);
}

}  // namespace vls::headless
