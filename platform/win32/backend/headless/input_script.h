#pragma once

// A program played from outside: VEILSTRAND_INPUT names a file or a FIFO of
// script lines (script_line.h), and while the script drives, the program's
// clock is virtual, so a run is the same every time.
//
// Lockstep: the script is read at the program's looks for input. Each read
// runs up to and with the next "step" line: commands before it are handed
// on at once, and the step then lets the program run until it next looks for
// input with the step's time passed; the step is acknowledged on
// VEILSTRAND_INPUT_ACK ("<step number> <virtual ms>") and the next lines are
// read, which for a FIFO waits for the driver.
//
// The virtual clock moves forward 1 ms at every reading, because a program
// may spin on the clock waiting for its next frame; a wait for input or a
// timer moves it to the wait's end or the step's end, whichever is first, and
// Sleep moves it by the time slept. At the end of a file the clock goes on in
// real time from where it stands; at the end of a FIFO the program is asked
// to close and the clock stays virtual.

#include "platform/win32/backend/headless/script_line.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vls::headless {

// What the script acts on (the headless backend).
class ScriptTarget {
public:
    virtual ~ScriptTarget() = default;
    // Carries out every command but Step; a non-empty result is the reason
    // it could not be done.
    virtual std::string Apply(const ScriptCommand& command) = 0;
    // A FIFO's driver went away: the program should close.
    virtual void InputClosed() = 0;
};

// Lines longer than this are reported and skipped, never buffered whole.
constexpr std::size_t kMaxScriptLine = 4096;

class InputScript {
public:
    using Reporter = std::function<void(const std::string& message)>;

    // Takes over both descriptors (ack may be -1). `fifo`: the input ends with
    // a close request rather than with real time. `wakeFd`, when not -1, ends
    // a wait for the driver's next line (a close signal arrived).
    InputScript(int inputFd, int ackFd, bool fifo, int wakeFd, Reporter report);
    ~InputScript();
    InputScript(const InputScript&) = delete;
    InputScript& operator=(const InputScript&) = delete;

    // From VEILSTRAND_INPUT and VEILSTRAND_INPUT_ACK, which are then removed
    // from the environment so that programs this one starts do not read the
    // same script. Null when unset or when the input cannot be opened (the
    // reason goes to standard error).
    static std::unique_ptr<InputScript> FromEnvironment(int wakeFd);

    // The program's clock in microseconds; reading it moves it while the
    // clock is virtual.
    std::uint64_t ReadClock();
    // The same without moving it, for the backend's own time stamps.
    std::uint64_t PeekClock() const;
    void Sleep(std::uint32_t milliseconds);
    // A wait for input or timers of at most timeoutMs (0xFFFFFFFF: none).
    // True when it has been passed in virtual time; false when the caller
    // must really wait.
    bool Wait(std::uint32_t timeoutMs);

    // The program looks for input: once the step's time has passed, the step
    // is acknowledged and the script read up to its next step.
    void Poll(ScriptTarget& target);

    bool Virtual() const { return mode_.load() != Mode::RealTime; }
    std::uint32_t StepsDone() const { return step_; }

private:
    enum class Mode {
        Stepping,    // reading the script
        Free,        // no more script, virtual time (FIFO closed, interrupted)
        RealTime,    // no more script, real time (the file ended)
    };
    enum class LineResult { Line, End, Interrupted, Error };

    LineResult NextLine(std::string& line, bool& tooLong);
    LineResult Fill();
    void Acknowledge();
    void Report(const std::string& message) const;
    void EndOfScript(ScriptTarget& target, LineResult why);

    int input_ = -1;
    int ack_ = -1;
    bool fifo_ = false;
    int wake_ = -1;
    Reporter report_;

    std::string buffer_;
    std::size_t lineNumber_ = 0;
    bool inputEnded_ = false;
    bool skipping_ = false;  // inside a line that is too long
    int readError_ = 0;

    std::atomic<Mode> mode_{Mode::Stepping};
    std::atomic<std::uint64_t> virtualMicros_{0};
    std::uint64_t stepEnd_ = 0;
    std::uint32_t step_ = 0;
    // RealTime: the clock is the system clock plus this.
    std::atomic<std::int64_t> realOffset_{0};
};

}  // namespace vls::headless
