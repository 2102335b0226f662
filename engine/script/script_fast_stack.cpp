// The fast runners of a bare assignment and of bare arithmetic, which take
// their values off the stack rather than from variables and constants the
// translator saw, as after a native call (whose runner is with the native
// calls, in script_call.cpp).

#include "engine/script/script_fast_dispatch.h"

namespace script_detail {

namespace {

// The value whose type byte is at top, when it holds no text and lies above
// base.
VLS_INLINE bool PeekPlain(
    const std::uint8_t* stack, std::uint32_t top, std::uint32_t base, std::uint32_t& type, std::uint32_t& payload)
{
    if (top < base + 5 || stack[top] == kScriptString)
        return false;
    std::uint32_t raw;
    std::memcpy(&raw, stack + top - 4, sizeof raw);
    type = stack[top];
    payload = FromStackOrder(raw);
    return true;
}

} // namespace

// Pops a value and the reference under it and assigns the one to the
// variable the other names. Texts, other types and a stack too shallow for
// the two go to the long form, which also reports what is wrong.
std::uint64_t AssignPopped(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t top = s.top;
    std::uint32_t type, payload, referenceType, index;
    if (!PeekPlain(s.stack, top, s.base, type, payload) || !PeekPlain(s.stack, top - 5, s.base, referenceType, index)
        || (type != kScriptInteger && type != kScriptFloat && type != kScriptBoolean)
        || referenceType != kScriptReference || static_cast<std::int32_t>(index) < 0)
        return EndAt(kLongForm, in, code);
    // The DynArray rule: an index past the end names the last variable.
    const auto last = static_cast<std::uint32_t>(s.variableCount - 1);
    AssignPlainViews(vars[index < last ? index : last], type, payload);
    s.top = top - 10;
    return GoTo(in.next, VLS_GO_ON);
}

// A binary instruction on the two values on top, worked out as the run loop
// does and pushed in their place. Texts, a stack too shallow for the two and
// an integer division by zero go to the long form, which reports what fails.
std::uint64_t BinaryPopped(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t top = s.top;
    std::uint32_t aType, a, bType, b, type, result;
    if (!PeekPlain(s.stack, top, s.base, bType, b) || !PeekPlain(s.stack, top - 5, s.base, aType, a)
        || !BinaryResult(in.general.op, aType, a, bType, b, kNoText, type, result))
        return EndAt(kLongForm, in, code);
    WriteStackValue(s.stack, top - 10, type, result);
    s.top = top - 5;
    return GoTo(in.next, VLS_GO_ON);
}

// The same for a unary instruction on the value on top.
std::uint64_t UnaryPopped(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t top = s.top;
    std::uint32_t xType, x, type, result;
    if (!PeekPlain(s.stack, top, s.base, xType, x))
        return EndAt(kLongForm, in, code);
    UnaryResult(in.general.op, xType, x, type, result);
    WriteStackValue(s.stack, top - 5, type, result);
    return GoTo(in.next, VLS_GO_ON);
}

} // namespace script_detail
