#include "engine/base/engine_link.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_machine_internal.h"
#include "engine/script/script_natives.h"

#include <utility>

using namespace script_detail;

const ScriptValue& ScriptCallFrame::Argument(std::int32_t i) const
{
    static const ScriptValue empty;
    if (arguments.count <= 0)
        return empty;
    if (i < 0)
        i = 0;
    return arguments.data[i < arguments.count ? i : arguments.count - 1];
}

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

std::int32_t cKestruneScript::CallNative(std::uint32_t callSiteIndex, std::uint32_t variableIndex)
{
    if (callSites.count <= 0 || static_cast<std::int32_t>(callSiteIndex) < 0)
        return Fail(kBadCallSite);
    ScriptCallSite& site = callSites.At(static_cast<std::int32_t>(callSiteIndex));

    ScriptCallFrame frame;
    frame.engine = g_engine;
    frame.script = this;
    frame.result.type = site.resultType;
    if (const ScriptValue* const target = Variable(static_cast<std::int32_t>(variableIndex)))
        frame.object = target->object;

    StackItem item;
    for (std::uint32_t i = 0; i < site.argumentCount; ++i) {
        if (!PopItem(item))
            return Fail(kStackUnderflow);
        frame.arguments.Add(ItemToValue(item));
    }
    for (std::int32_t i = 0, j = frame.arguments.count - 1; i < j; ++i, --j)
        std::swap(frame.arguments.data[i], frame.arguments.data[j]);

    if (site.binding == -1)
        site.binding = BindNative(site.nativeName.c_str());
    // The binder's report is fatal; when the reporter returns all the same,
    // the run ends here.
    if (site.binding < 0)
        return -1;
    const ScriptNativeCache& cache = GetScriptNativeCache();
    if (cache.entries.count <= 0)
        return Fail(kBadCallSite);
    cache.entries.At(site.binding).function(&frame);

    ScriptValue result = frame.result;
    result.Normalise();
    ValueToItem(result, item);
    if (!PushItem(item))
        return Fail(kStackOverflow);
    return 0;
}
