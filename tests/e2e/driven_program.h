#pragma once

// A program run as its own process on the headless backend, played by an
// input script, in folders of its own.

#include "tests/support/temp_dir.h"

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vls::e2e {

class DrivenProgram {
public:
    explicit DrivenProgram(std::string programPath);
    ~DrivenProgram();
    DrivenProgram(const DrivenProgram&) = delete;
    DrivenProgram& operator=(const DrivenProgram&) = delete;

    // Starts the program in work() with VEILSTRAND_INPUT and
    // VEILSTRAND_INPUT_ACK at these paths (empty: not set); its standard
    // error goes to the file "stderr.txt" of the config folder.
    void Start(const std::string& inputPath, const std::string& ackPath);
    // The exit status, -signal when killed, or -1000 when the program had not
    // ended in time (it is then killed).
    int Wait(std::chrono::seconds limit = std::chrono::seconds(60));
    // The exit status as Wait gives it once the program has ended, without
    // waiting; nothing while it runs.
    std::optional<int> Poll();

    void Signal(int signal);
    // The running program's process id; -1 when none runs.
    pid_t Pid() const { return child_; }
    // Whether the program runs and catches SIGTERM, so the signal asks it to
    // close instead of killing it.
    bool CatchesTerminate() const;

    std::string Errors() const { return config.read("stderr.txt"); }

    // Set in the program's environment after the ones above; an empty value
    // takes the variable out (VEILSTRAND_BACKEND included).
    std::vector<std::pair<std::string, std::string>> environment;
    // Words run before the program, which becomes their last argument (a
    // shell that makes a private mount first, for example).
    std::vector<std::string> prefix;
    // When set, the program runs in this folder instead of in work().
    std::filesystem::path folder;
    // Signals blocked in the program as it starts, as a parent may leave
    // them: one sent before the program unblocks it waits until then.
    std::vector<int> blocked;

    test::TempDir work;
    test::TempDir config;
    test::TempDir runtime;

private:
    std::string program_;
    pid_t child_ = -1;
};

// The driver's end of a FIFO pair: lines go to the program's input, and
// acknowledgements come back.
class FifoDriver {
public:
    // Makes the two FIFOs in `folder`.
    explicit FifoDriver(const test::TempDir& folder);
    ~FifoDriver();

    std::string InputPath() const { return input_; }
    std::string AckPath() const { return ack_; }

    // Opens the driver's ends once the program has opened the input; false
    // when it does not within the limit.
    bool Connect(std::chrono::seconds limit = std::chrono::seconds(60));
    void Send(const std::string& lines);
    // The next acknowledgement line (without its end), or "" when none came
    // within the limit.
    std::string NextAck(std::chrono::seconds limit = std::chrono::seconds(60));
    // Whether anything was acknowledged within `wait`.
    bool AckArrives(std::chrono::milliseconds wait);
    // Closes the input: the program is asked to close.
    void CloseInput();

private:
    std::string input_;
    std::string ack_;
    int inputFd_ = -1;
    int ackFd_ = -1;
    std::string pending_;
};

}  // namespace vls::e2e
