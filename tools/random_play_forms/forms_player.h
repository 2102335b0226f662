#pragma once

// Runs a program once on the headless backend, played by a script file, in
// fresh folders, and says whether it ended cleanly: a crash, a sanitizer
// report, an uncaught exception, a failed exit or a hang is a fault.

#include <chrono>
#include <filesystem>
#include <string>

namespace vls::random_play_forms {

struct RunOptions {
    std::filesystem::path program;
    std::filesystem::path script;
    // A step not acknowledged within this time, or a shut-down that takes
    // longer, is a hang.
    std::chrono::seconds hangLimit{60};
};

struct RunOutcome {
    std::string fault;  // empty: clean
    std::string errors;  // the program's standard error
    int steps = 0;       // acknowledged steps
};

RunOutcome RunScript(const RunOptions& options);

// What an exit status and standard error show; empty for a clean run.
std::string FaultOf(int status, const std::string& errors);

}  // namespace vls::random_play_forms
