#pragma once

// Runners for statements of a fixed form whose values are numbers or
// booleans: each is compiled for one set of operations and value types, so
// that it works on registers instead of a table of values and types.

#include "engine/script/script_program.h"

// The form of a built statement, or None when no runner fits it (an object
// value, or a shape outside the fixed forms). program holds its steps.
ScriptTypedForm TypedFormOf(const ScriptStatement& statement, const ScriptProgram& program);

// The highest variable index the statement names (0 when it names none).
std::uint32_t HighestVariableOf(const ScriptStatement& statement, const ScriptProgram& program);

// The runner a statement with a form starts with: it puts in the runner for
// the types its values have now (or one that always declines, when none
// fits) and runs it.
int PickTypedRunner(ScriptStatement& statement, const ScriptLeaf* leaves, ScriptValue* variables,
    std::int32_t variableCount, std::uint8_t* stack, std::uint32_t top);
