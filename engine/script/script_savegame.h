#pragma once

#include "engine/script/script_value.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class cKestruneScript;

// The payload of a script's "SCR" savegame block as plain data.
struct ScriptBlockFrame {
    std::uint32_t pc = 0;
    std::uint32_t sp = 0;
};

struct ScriptBlock {
    std::uint32_t identity = 0;
    std::uint32_t codeBase = 0;
    std::uint32_t stackBase = 0;
    std::uint32_t pc = 0;
    std::uint32_t sp = 0;
    std::uint32_t suspendCount = 0;
    std::vector<std::uint8_t> stack;        // the bytes in use, lowest first
    std::vector<ScriptValue> variables;
    std::vector<ScriptBlockFrame> frames;  // newest first, as the script lists them

    std::uint32_t CodeOffset() const { return pc - codeBase; }
};

constexpr std::uint32_t kScriptBlockStateSize = 32;
constexpr std::uint32_t kScriptBlockFrameSize = 12;

// The block of a script as it stands; the bases are written as 0, so pc and
// sp are offsets.
ScriptBlock CaptureScriptBlock(const cKestruneScript& script);
std::vector<std::uint8_t> WriteScriptBlock(const ScriptBlock& block);
// False when the payload is not exactly what its counts describe, or when a
// depth could not fit the machine's stack.
bool ReadScriptBlock(const std::uint8_t* data, std::size_t size, ScriptBlock& block);
// Whether every code offset of the block lies inside the script's code.
bool ScriptBlockFits(const ScriptBlock& block, const cKestruneScript& script);
// Puts a checked block into the script: identity, resume point, stack,
// variables of the four plain types by exact name, and the frame list.
void RestoreScriptBlock(const ScriptBlock& block, cKestruneScript& script);
