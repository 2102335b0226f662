#pragma once

// One line of an input script (VEILSTRAND_INPUT): the commands a driver uses
// to play a program through the headless backend. The README describes the
// format for the people who write scripts.

#include "platform/win32/backend/backend.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vls::headless {

enum class ScriptOp {
    Step,        // ms: let the program run this much virtual time
    KeyDown,     // vk
    KeyUp,       // vk
    Key,         // vk: down, then up
    Text,        // text: typed characters, UTF-8
    Move,        // x, y: window coordinates
    ButtonDown,  // x, y, button
    ButtonUp,    // x, y, button
    Click,       // x, y, button: down, then up
    Wheel,       // x, y, wheel
    Activate,    // the desktop makes the front window the foreground one
    Deactivate,  // the desktop takes the foreground away from it
    Close,       // the desktop's close button on the front window
    Screenshot,  // text: the BMP file the front window's picture goes to
};

struct ScriptCommand {
    ScriptOp op = ScriptOp::Step;
    std::uint32_t ms = 0;
    int vk = 0;
    int x = 0;
    int y = 0;
    backend::MouseButton button = backend::MouseButton::Left;
    int wheel = 0;
    std::string text;
};

// The longest step: a day, so that virtual microseconds never come near
// overflowing however long a script runs.
constexpr std::uint32_t kMaxStepMs = 86400000;

enum class ScriptLineKind { Command, Empty, Bad };

// Parses one line (without its line end). Empty: blank or a comment ("#" as
// the first non-blank character). Bad: `error` says why.
ScriptLineKind ParseScriptLine(std::string_view line, ScriptCommand& command, std::string& error);

// A virtual-key code from its name ("ESCAPE", "VK_F8", "m", "NUMPAD5") or
// its number (27, 0x1B); 0 for neither.
int VirtualKeyFromName(std::string_view name);

}  // namespace vls::headless
