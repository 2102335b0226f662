#pragma once

// How the runners of the fast code (script_typed.h) hand on to each other;
// shared by the files that define runners, not for other users.

#include "engine/script/script_machine_internal.h"

#define VLS_INLINE __attribute__((always_inline)) inline

namespace script_detail {

// How a run of the fast code ends: the chain ran out and the fast code goes
// on at the offset; the run loop runs the long form of the instruction
// there; that instruction spent the last jump of the jump budget; a native
// left the run loop to take up the script's state again (kFastReload); or a
// native ended the run.
enum FastEnd : std::uint64_t { kGoOn = 0, kLongForm = 1, kSpent = 2, kReload = 3, kEnded = 4 };

VLS_INLINE std::uint64_t EndAt(FastEnd end, const ScriptFastInstruction& in, const std::uint8_t* code)
{
    return std::uint64_t{end} << 32 | static_cast<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(&in) - code);
}

#define VLS_RUNNER_ARGUMENTS_TAIL ScriptFastState &s, ScriptValue *vars, std::uint8_t *code, std::uint32_t chain
#define VLS_RUNNER_ARGUMENTS ScriptFastInstruction &in, VLS_RUNNER_ARGUMENTS_TAIL
// What a runner passes on to the next.
#define VLS_GO_ON s, vars, code, chain

// Runs the instruction at offset, whose runner goes on from there.
VLS_INLINE std::uint64_t GoTo(std::uint32_t offset, VLS_RUNNER_ARGUMENTS_TAIL)
{
    if (chain == 0)
        return offset;
    ScriptFastInstruction& next = *reinterpret_cast<ScriptFastInstruction*>(code + offset);
    return next.run(next, s, vars, code, chain - 1);
}

// A jump spends one of the jump budget first.
VLS_INLINE std::uint64_t JumpFrom(const ScriptFastInstruction& in, VLS_RUNNER_ARGUMENTS_TAIL)
{
    if (g_jumpBudgetActive && g_jumpsLeft-- == 0)
        return EndAt(kSpent, in, code);
    return GoTo(in.jump, VLS_GO_ON);
}

// A test's jump by the truth of its value.
VLS_INLINE std::uint64_t Branch(const ScriptFastInstruction& in, bool value, VLS_RUNNER_ARGUMENTS_TAIL)
{
    if (value == in.whenTrue)
        return JumpFrom(in, VLS_GO_ON);
    return GoTo(in.next, VLS_GO_ON);
}

// The first run of an instruction, and the next after one that declined:
// picks the runner for the types its values have now.
std::uint64_t PickFastRunner(VLS_RUNNER_ARGUMENTS);

// Values of other types than the runner's, or no room on the stack: the run
// loop runs this one, and the next run picks again.
VLS_INLINE std::uint64_t Decline(ScriptFastInstruction& in, const std::uint8_t* code)
{
    in.run = &PickFastRunner;
    return EndAt(kLongForm, in, code);
}

// The runners of a bare assignment and bare arithmetic, which take their
// values off the stack (script_fast_stack.cpp).
std::uint64_t AssignPopped(VLS_RUNNER_ARGUMENTS);
std::uint64_t BinaryPopped(VLS_RUNNER_ARGUMENTS);
std::uint64_t UnaryPopped(VLS_RUNNER_ARGUMENTS);

// The runners of a constant's push (script_fast_call.cpp). A short text's
// runner copies kShortTextImage bytes of its image, which the code must hold.
std::uint64_t PushConstant(VLS_RUNNER_ARGUMENTS);
std::uint64_t PushConstantText(VLS_RUNNER_ARGUMENTS);
std::uint64_t PushShortConstantText(VLS_RUNNER_ARGUMENTS);
inline constexpr std::uint32_t kShortTextImage = 16;
static_assert(kShortTextImage + 1 <= 2 + kFastRoomSlots * 5, "the copy must stay in the room the fast code keeps");

} // namespace script_detail

// Text statements (script_text_runs.cpp). The one that starts at offset p of
// the decoded code of size bytes, added to program, or kNoTextStatement.
std::uint32_t BuildTextStatement(const std::vector<ScriptInstruction>& decoded, std::uint32_t p, std::uint32_t size,
    ScriptProgram& program);
// The runner of in's text statement when its first piece is a text now, or
// null.
ScriptFastRun TextRunner(const ScriptFastInstruction& in, const ScriptFastState& s, const ScriptValue* vars);
