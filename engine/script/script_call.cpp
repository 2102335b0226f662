#include "engine/base/engine_link.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_fast_dispatch.h"
#include "engine/script/script_machine_internal.h"
#include "engine/script/script_natives.h"

#include <bit>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

using namespace script_detail;

const ScriptValue ScriptCallFrame::kNoArgument;

std::int32_t cKestruneScript::BindNative(const char* name)
{
    ScriptNativeCache& cache = GetScriptNativeCache();
    const std::int32_t cached = cache.Find(name);
    if (cached >= 0)
        return cached;
    if (const ScriptNative function = FindScriptNative(name))
        return cache.Add(name, function);
    ReportError("script", "", 1, "Function %s not found!", name);
    return -1;
}

namespace {

// Call frames are kept for reuse, one per nesting level of native calls, so
// that a call allocates nothing for values without text. A frame belongs to
// its call only while the native runs. The frames are chained from the
// outermost level down, and g_nextFrame is the one the next call takes.
struct PooledCallFrame {
    ScriptCallFrame frame;
    PooledCallFrame* deeper = nullptr;
};
std::vector<std::unique_ptr<PooledCallFrame>> g_framePool;
PooledCallFrame* g_nextFrame = nullptr;

// A call one level deeper than any before it adds a frame; the call is kept
// out of the way of the others.
[[gnu::noinline]] PooledCallFrame* AddCallFrame()
{
    g_framePool.push_back(std::make_unique<PooledCallFrame>());
    PooledCallFrame* const added = g_framePool.back().get();
    if (g_framePool.size() > 1)
        g_framePool[g_framePool.size() - 2]->deeper = added;
    return added;
}

class CallDepth {
public:
    CallDepth() : taken_(g_nextFrame)
    {
        if (!taken_) [[unlikely]]
            taken_ = AddCallFrame();
        g_nextFrame = taken_->deeper;
    }
    ~CallDepth() { g_nextFrame = taken_; }
    ScriptCallFrame& Frame() const { return taken_->frame; }

private:
    PooledCallFrame* taken_;
};

// The bytes of word that are zero, each marked by its top bit.
std::uint64_t ZeroBytes(std::uint64_t word)
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

} // namespace

// A text of up to 15 characters, as most texts handed to natives are (names
// of functions, items, characters): its characters lie reversed below the
// type byte, after the NUL that opens it, so two words read from there and
// byte-swapped give them in order. False, with nothing taken, for a longer
// text or one too near the stack's base, which PopInto then takes.
inline bool cKestruneScript::PopShortText(ScriptValue& argument)
{
    if constexpr (std::endian::native != std::endian::little)
        return false;
    if (sp < stackBase_ + 9)
        return false;
    std::uint64_t words[2];
    std::memcpy(&words[0], stack + sp - 8, sizeof words[0]);
    words[0] = __builtin_bswap64(words[0]);
    std::uint64_t zero = ZeroBytes(words[0]);
    std::uint32_t length = 0;
    if (zero != 0) {
        words[1] = 0;
    } else {
        if (sp < stackBase_ + 17)
            return false;
        std::memcpy(&words[1], stack + sp - 16, sizeof words[1]);
        words[1] = __builtin_bswap64(words[1]);
        zero = ZeroBytes(words[1]);
        if (zero == 0)
            return false;
        length = 8;
    }
    length += static_cast<std::uint32_t>(__builtin_ctzll(zero)) / 8;
    char text[sizeof words];
    std::memcpy(text, words, sizeof text);
    // The same text again (an argument a call site passes every time) keeps
    // the storage it has.
    argument.SetText(text, length);
    argument.type = kScriptString;
    argument.intValue = 0;
    argument.floatValue = 0.0f;
    argument.boolValue = length == 4 && std::memcmp(text, "true", 4) == 0;
    argument.object = kNoObject;
    sp -= length + 2;
    return true;
}

// Numbers, booleans and short texts, most of the arguments, take their views
// here; a value that carries names from a native that set them, and every
// other value, goes through PopInto. The caller has checked that sp lies in
// the stack; pops only lower it.
inline bool cKestruneScript::PopArgument(ScriptValue& argument)
{
    if (sp < stackBase_ + 5
        || (argument.name.GetText()[0] | argument.className.GetText()[0] | argument.globalName.GetText()[0]) != 0)
        return PopInto(argument);
    const std::uint32_t type = stack[sp];
    if (type == kScriptString)
        return PopShortText(argument) || PopInto(argument);
    if (type != kScriptInteger && type != kScriptFloat && type != kScriptBoolean)
        return PopInto(argument);
    std::uint32_t raw;
    std::memcpy(&raw, stack + sp - 4, sizeof raw);
    const std::uint32_t payload = FromStackOrder(raw);
    sp -= 5;
    argument.type = type;
    AssignPlainViews(argument, type, payload);
    return true;
}

namespace {

// PopArgument's commonest case, a number or a boolean into an argument that
// carries no names, on a stack top kept in a register: the stores into the
// argument may alias any byte, and would make a member top be read again.
// False, with nothing taken, for every other case.
inline bool PopPlainArgument(const std::uint8_t* stack, std::uint32_t& top, std::uint32_t base, ScriptValue& argument)
{
    if (top < base + 5)
        return false;
    const std::uint32_t type = stack[top];
    if ((type != kScriptInteger && type != kScriptFloat && type != kScriptBoolean)
        || (argument.name.GetText()[0] | argument.className.GetText()[0] | argument.globalName.GetText()[0]) != 0)
        return false;
    std::uint32_t raw;
    std::memcpy(&raw, stack + top - 4, sizeof raw);
    top -= 5;
    argument.type = type;
    AssignPlainViews(argument, type, FromStackOrder(raw));
    return true;
}

} // namespace

// Both callers have it inline: a call from the fast code passes through no
// more calls than the native's own.
__attribute__((always_inline)) inline std::int32_t cKestruneScript::CallNativeBody(
    std::uint32_t callSiteIndex, std::uint32_t variableIndex)
{
    if (callSites.count <= 0 || static_cast<std::int32_t>(callSiteIndex) < 0)
        return Fail(kBadCallSite);
    ScriptCallSite& site = callSites.At(static_cast<std::int32_t>(callSiteIndex));

    const CallDepth depth;
    ScriptCallFrame& frame = depth.Frame();
    frame.engine = g_engine;
    frame.script = this;
    frame.result.Reset(site.resultType);
    frame.object = kNoObject;
    if (const ScriptValue* const target = Variable(static_cast<std::int32_t>(variableIndex)))
        frame.object = target->object;

    // The last argument is on top; argument 0 is the value pushed first.
    DynArray<ScriptValue>& arguments = frame.arguments;
    arguments.count = 0;
    if (site.argumentCount > 0) {
        const std::uint64_t available = sp > stackBase_ ? (sp - stackBase_) / 2 : 0;
        // A damaged savegame or a native may have moved sp past the stack's
        // end, and the pops below read the stack without checking it.
        if (site.argumentCount > available || sp > kStackLast)
            return Fail(kStackUnderflow);
        const auto count = static_cast<std::int32_t>(site.argumentCount);
        if (arguments.capacity < count)
            arguments.SetCapacity(count);
        ScriptValue* const first = arguments.data;
        const std::uint8_t* const bytes = stack;
        const std::uint32_t base = stackBase_;
        std::uint32_t top = sp;
        for (ScriptValue* argument = first + count; argument != first;) {
            if (PopPlainArgument(bytes, top, base, *--argument))
                continue;
            sp = top;
            if (!PopArgument(*argument))
                return Fail(kStackUnderflow);
            top = sp;
        }
        sp = top;
        arguments.count = count;
    }

    if (site.binding == -1)
        site.binding = BindNative(site.nativeName.c_str());
    // The binder's report is fatal; when the reporter returns all the same,
    // the run ends here.
    if (site.binding < 0)
        return -1;
    const ScriptNativeCache& cache = GetScriptNativeCache();
    if (cache.entries.count <= 0)
        return Fail(kBadCallSite);
    const std::int32_t suspensionsBefore = suspendCount;
    cache.entries.At(site.binding).function(&frame);
    // The native deleted this script: its run ends here, nothing more is
    // written into it.
    if (deletePending_)
        return -1;
    // A suspended run ends at the end instruction, which publishes nothing,
    // and the resume reloads the globals: without this, a global the script
    // set before a spoken line or a video would be lost when it resumes.
    if (suspendCount > suspensionsBefore)
        StoreGlobals();

    // The payload of each type is the field the type names, so the result
    // is pushed without normalising the frame's copy first.
    const ScriptValue& result = frame.result;
    const std::uint32_t type = result.type;
    const bool pushed = type == kScriptString
        ? PushText(stack, sp, result.GetText(), static_cast<std::size_t>(result.Text().GetLength()))
        : PushPayload(stack, sp, type,
              type == kScriptInteger ? static_cast<std::uint32_t>(result.intValue) : PayloadOf(result));
    if (!pushed)
        return Fail(kStackOverflow);
    return 0;
}

std::int32_t cKestruneScript::CallNative(std::uint32_t callSiteIndex, std::uint32_t variableIndex)
{
    return CallNativeBody(callSiteIndex, variableIndex);
}

__attribute__((always_inline)) inline std::int32_t cKestruneScript::CallNativeInFastCode(
    const ScriptInstruction& call, ScriptFastState& state)
{
    pc = call.next;
    sp = state.top;
    const std::uint64_t serial = program_.serial;
    if (CallNativeBody(call.b, call.a) != 0)
        return -1;
    // A native may suspend the script (moving pc), grow the variable table
    // or load other code into the script.
    if (pc != call.next || variables.data != state.variables || variables.count != state.variableCount
        || program_.serial != serial || sp + kFastRoomSlots * 5u > kStackLast)
        return 1;
    state.top = sp;
    return 0;
}

std::uint64_t cKestruneScript::RunNativeInFastCode(VLS_RUNNER_ARGUMENTS)
{
    const std::int32_t result = s.script->CallNativeInFastCode(in.general, s);
    // Past a native that ended the run or changed what the fast code
    // stands on, in may be gone: only its address is passed on.
    if (result < 0)
        return EndAt(kEnded, in, code);
    if (result > 0)
        return EndAt(kReload, in, code);
    return GoTo(in.next, VLS_GO_ON);
}
