#pragma once

#include "engine/base/dynarray.h"
#include "engine/script/script_value.h"

class cKestruneEngine;
class cKestruneScript;

// What a native receives for one call. It owns its arguments and its result.
struct ScriptCallFrame {
    cKestruneEngine* engine = nullptr;
    cKestruneScript* script = nullptr;
    DynArray<ScriptValue> arguments; // argument 0 is the value pushed first
    ScriptValue result;              // starts with the call site's result type
    ObjectHandle object = kNoObject; // the object the method is called on, or none

    // Argument i by the DynArray rule (an index at or past the count reads the
    // last argument); a call without arguments reads an empty value.
    const ScriptValue& Argument(std::int32_t i) const
    {
        if (arguments.count <= 0)
            return kNoArgument;
        if (i < 0)
            i = 0;
        return arguments.data[i < arguments.count ? i : arguments.count - 1];
    }

    // What a call without arguments reads.
    static const ScriptValue kNoArgument;
};
