#include "engine/base/engine_link.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_machine_internal.h"
#include "engine/script/script_natives.h"

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
// its call only while the native runs.
std::vector<std::unique_ptr<ScriptCallFrame>> g_framePool;
std::size_t g_callDepth = 0;

class CallDepth {
public:
    CallDepth() : depth_(g_callDepth++)
    {
        if (g_framePool.size() <= depth_)
            g_framePool.push_back(std::make_unique<ScriptCallFrame>());
    }
    ~CallDepth() { --g_callDepth; }
    ScriptCallFrame& Frame() const { return *g_framePool[depth_]; }

private:
    std::size_t depth_;
};

} // namespace

std::int32_t cKestruneScript::CallNative(std::uint32_t callSiteIndex, std::uint32_t variableIndex)
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
        if (site.argumentCount > available)
            return Fail(kStackUnderflow);
        const auto count = static_cast<std::int32_t>(site.argumentCount);
        if (arguments.capacity < count)
            arguments.SetCapacity(count);
        for (std::int32_t i = count - 1; i >= 0; --i) {
            if (!PopInto(arguments.data[i]))
                return Fail(kStackUnderflow);
        }
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
    const bool pushed = result.type == kScriptString
        ? PushText(stack, sp, result.GetText(), static_cast<std::size_t>(result.Text().GetLength()))
        : PushPayload(stack, sp, result.type, PayloadOf(result));
    if (!pushed)
        return Fail(kStackOverflow);
    return 0;
}
