// Loads a compiled script from the input and runs it from every start point
// (offset 0, each function, a resume point) under a jump budget.

#include "engine/base/engine_link.h"
#include "fuzz/silent_engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_natives.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// A native that reads its arguments and suspends every other call, so that
// resumption is exercised too.
std::string g_resumePoint;
int g_calls = 0;

std::int32_t Probe(ScriptCallFrame* frame)
{
    for (std::int32_t i = 0; i <= frame->arguments.count; ++i)
        frame->result.SetText(frame->Argument(i).GetText());
    if (++g_calls % 2 == 0)
        g_resumePoint = SuspendScript(frame->script);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentLink link;
    SetEngineLink(&link);
    RegisterScriptNative("cSystem__Probe", Probe);
    cKestruneScript script;
    if (script.LoadFromMemory(data, size) != 0)
        return 0;
    SetScriptJumpBudget(2000);
    script.Run("");
    for (std::int32_t i = 0; i < script.functions.count && i < 8; ++i) {
        SetScriptJumpBudget(2000);
        script.Run(script.functions.data[i].name.c_str());
    }
    if (!g_resumePoint.empty()) {
        SetScriptJumpBudget(2000);
        script.Run(g_resumePoint.c_str());
        g_resumePoint.clear();
    }
    SetScriptJumpBudget(0);
    return 0;
}
