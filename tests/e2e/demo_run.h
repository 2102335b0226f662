#pragma once

// The engine played on the demo by an input script, and what the run left
// behind.

#include "tests/e2e/driven_program.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vls::e2e {

struct DemoRun {
    int status = 0;
    std::string log;
    std::string errors;
    // The savegame the run left in its work folder; empty when none.
    std::vector<std::uint8_t> lastgame;
};

// Gives `program` the demo's archive and runs it with `script` to its end.
DemoRun PlayDemo(DrivenProgram& program, const std::string& script);

// The end of a play: Escape opens the menu, which writes "lastgame", and
// the window's close button quits.
inline constexpr const char* kSaveAndClose = "key ESCAPE\nstep 100\nclose\nstep 1000\n";

// A run that ended by itself with status 0, reported nothing on standard
// error or as an error in its log, and shut down in order.
void ExpectOrderlyRun(const DemoRun& run);

// Whether `text` occurs somewhere in `bytes`.
bool Holds(const std::vector<std::uint8_t>& bytes, const std::string& text);

} // namespace vls::e2e
