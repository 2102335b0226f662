// Fast runners of what compiled code puts around a call: constants pushed
// as arguments (a count, a function's or an item's name), and the popreg
// that takes the call's result off the stack. With them a call between
// statements keeps the run in the fast code from its arguments to the
// statement after it.

#include "engine/script/script_fast_dispatch.h"

namespace script_detail {

namespace {

// Whether bytes more bytes pushed on top leave the room the fast code keeps.
VLS_INLINE bool Leaves(std::uint32_t top, std::uint64_t bytes)
{
    return top + bytes + kFastRoomSlots * 5u <= kStackLast;
}

} // namespace

// A constant other than a text: in.general's type and payload.
std::uint64_t PushConstant(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t top = s.top;
    if (!Leaves(top, 5))
        return EndAt(kLongForm, in, code);
    WriteStackValue(s.stack, top, in.general.type, in.general.a);
    s.top = top + 5;
    return GoTo(in.next, VLS_GO_ON);
}

// in.constant is where the text's stack image starts in the program's
// reversed code. A text too long for the room the fast code keeps goes to
// the long form, which reports an overflow where there is one.
std::uint64_t PushConstantText(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t length = in.general.b;
    if (!Leaves(s.top, std::uint64_t{length} + 2))
        return EndAt(kLongForm, in, code);
    PushTextImage(s.stack, s.top, s.program->reversedCode.data() + in.constant, length);
    return GoTo(in.next, VLS_GO_ON);
}

// The same for a text of up to 15 characters whose image has 16 bytes of the
// reversed code from its start: the image goes over in two words, and the
// bytes it writes past the text lie above the new top, in the room the
// fast code keeps.
std::uint64_t PushShortConstantText(VLS_RUNNER_ARGUMENTS)
{
    const std::uint32_t length = in.general.b;
    const std::uint32_t top = s.top;
    if (!Leaves(top, length + 2))
        return EndAt(kLongForm, in, code);
    std::uint8_t image[kShortTextImage];
    std::memcpy(image, s.program->reversedCode.data() + in.constant, sizeof image);
    std::uint8_t* const to = s.stack + top + 1;
    std::memcpy(to, image, sizeof image);
    to[length + 1] = kScriptString;
    s.top = top + length + 2;
    return GoTo(in.next, VLS_GO_ON);
}

} // namespace script_detail

// A number, boolean, object or reference goes into the scratch value as the
// run loop's pop leaves it: type and payload, the text untouched. A text,
// or a stack with too little above the run's base, goes to the long form.
std::uint64_t cKestruneScript::PopScratchInFastCode(VLS_RUNNER_ARGUMENTS)
{
    using namespace script_detail;
    const std::uint32_t top = s.top;
    if (top < s.base + 5 || s.stack[top] == kScriptString)
        return EndAt(kLongForm, in, code);
    std::uint32_t raw;
    std::memcpy(&raw, s.stack + top - 4, sizeof raw);
    cKestruneScript& script = *s.script;
    StackItem& scratch = script.runStates_[static_cast<std::size_t>(script.runDepth_ - 1)]->scratch;
    scratch.type = s.stack[top];
    scratch.payload = FromStackOrder(raw);
    s.top = top - 5;
    return GoTo(in.next, VLS_GO_ON);
}
