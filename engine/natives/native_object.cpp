#include "engine/natives/engine_natives.h"

#include "engine/base/object_handles.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_object_handle.h"

namespace {

// pi / 180 in single precision, as scripts' degrees are converted.
constexpr float kDegreesToRadians = 0.017453292f;

cKestruneObjectHandle* HandleOf(const ScriptCallFrame* frame)
{
    return ResolveObjectAs<cKestruneObjectHandle>(frame->object, ObjectKind::Object);
}

// A call on a variable whose object is gone (or of another class) does
// nothing and leaves the result as the call site preset it.
std::int32_t cObject__GetEnabled(ScriptCallFrame* frame)
{
    if (const cKestruneObjectHandle* const handle = HandleOf(frame)) {
        frame->result.type = kScriptBoolean;
        frame->result.boolValue = static_cast<std::uint8_t>(handle->enabled & 0xFF);
    }
    return 0;
}

std::int32_t cObject__PutEnabled(ScriptCallFrame* frame)
{
    if (cKestruneObjectHandle* const handle = HandleOf(frame))
        handle->enabled = frame->Argument(0).boolValue;
    return 0;
}

std::int32_t cObject__SetPathfinderDest(ScriptCallFrame* frame)
{
    if (cKestruneObjectHandle* const handle = HandleOf(frame))
        handle->SetDestination(frame->Argument(0).floatValue, frame->Argument(1).floatValue,
                               frame->Argument(2).floatValue * kDegreesToRadians);
    return 0;
}

} // namespace

void RegisterObjectNatives()
{
    RegisterScriptNative("cObject__GetEnabled", cObject__GetEnabled);
    RegisterScriptNative("cObject__PutEnabled", cObject__PutEnabled);
    RegisterScriptNative("cObject__SetPathfinderDest", cObject__SetPathfinderDest);
}
