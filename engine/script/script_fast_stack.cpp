// The fast runner of a bare assignment, which takes its values off the
// stack rather than from variables and constants the translator saw (the
// native call's runner is with the native calls, in script_call.cpp).

#include "engine/script/script_fast_dispatch.h"

namespace script_detail {

// Pops a value and the reference under it and assigns the one to the
// variable the other names. Texts, other types and a stack too shallow for
// the two go to the long form, which also reports what is wrong.
std::uint64_t AssignPopped(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t top = s.top;
    if (top < s.base + 10)
        return EndAt(kLongForm, in, code);
    const std::uint8_t* const stack = s.stack;
    const std::uint32_t type = stack[top];
    if ((type != kScriptInteger && type != kScriptFloat && type != kScriptBoolean)
        || stack[top - 5] != kScriptReference)
        return EndAt(kLongForm, in, code);
    std::uint32_t raw;
    std::memcpy(&raw, stack + top - 4, sizeof raw);
    const std::uint32_t payload = FromStackOrder(raw);
    std::memcpy(&raw, stack + top - 9, sizeof raw);
    const std::uint32_t index = FromStackOrder(raw);
    if (static_cast<std::int32_t>(index) < 0)
        return EndAt(kLongForm, in, code);
    // The DynArray rule: an index past the end names the last variable.
    const auto last = static_cast<std::uint32_t>(s.variableCount - 1);
    AssignPlainViews(vars[index < last ? index : last], type, payload);
    s.top = top - 10;
    return GoTo(in.next, VLS_GO_ON);
}

} // namespace script_detail
