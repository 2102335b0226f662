#pragma once

// The fast code of a translated program: the instructions that work on
// numbers and booleans in variables and constants (statements of a fixed
// form, counting, jumps), on texts joined from pieces, and the native calls
// and bare assignments between them, each run by a runner compiled for its
// operations and value types, which goes on into the next one's runner
// itself, with the script's state in a few registers instead of the run
// loop's many. The run loop enters it where such an
// instruction starts and goes on with the long form of whatever instruction
// it meets that the fast code leaves to it. A statement that ends in an
// assignment or a jump leaves the values it pushed above the stack top,
// where nothing reads them (a savegame keeps the bytes in use), so its runner
// writes none of them.

#include "engine/script/script_program.h"

// The form of a built statement, or None when no runner fits it (a shape
// outside the fixed forms). program holds its steps.
ScriptTypedForm TypedFormOf(const ScriptStatement& statement, const ScriptProgram& program);

// The highest variable index the statement names (0 when it names none).
std::uint32_t HighestVariableOf(const ScriptStatement& statement, const ScriptProgram& program);

// Builds program.fast from the finished program of size code bytes and
// points the offsets where fast instructions start at them (ScriptOp::Fast).
// decoded holds the unfused instructions. Only instructions whose variables
// lie inside a table of variableCount become fast.
void BuildScriptFastCode(
    ScriptProgram& program, const std::vector<ScriptInstruction>& decoded, std::uint32_t size, std::int32_t variableCount);

// Runs the fast code from the instruction at index until one stops; index
// is then the instruction that stopped. kFastStop, kFastBudgetSpent, or
// after a native call kFastReload or kFastRunEnded (index unchanged).
std::uint32_t RunScriptFastCode(ScriptFastInstruction* code, std::uint32_t& index, ScriptFastState& state);
