#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"

#include <cstdint>

struct ScriptCallFrame;

// A native script function: one call frame in, a status out (0, or -1 after a
// failure it has reported). The script machine ignores the status.
using ScriptNative = std::int32_t (*)(ScriptCallFrame* frame);

// The engine's exported natives by exact name: our stand-in for looking names
// up in the engine program's own export table. Every native API registers its
// functions here at start-up (registration from a static initialiser would be
// dropped by the linker with the static library, so owners call a function).
void RegisterScriptNative(const char* name, ScriptNative function);
void UnregisterScriptNative(const char* name);
ScriptNative FindScriptNative(const char* name);

// One bound native, shared by every script.
struct NativeCacheEntry {
    cString name;
    ScriptNative function = nullptr;
};

// The native cache: owned by the gameplay object and installed by it; until
// one is installed the script machine uses a process-wide cache of its own.
class ScriptNativeCache {
public:
    DynArray<NativeCacheEntry> entries;

    // Index of the entry named name (exact), or -1.
    std::int32_t Find(const char* name) const;
    std::int32_t Add(const char* name, ScriptNative function);
};

void SetScriptNativeCache(ScriptNativeCache* cache);

namespace script_detail {
// The installed cache, or null; every native call reads it.
extern ScriptNativeCache* g_installedNativeCache;
inline ScriptNativeCache& FallbackScriptNativeCache()
{
    static ScriptNativeCache fallback;
    return fallback;
}
} // namespace script_detail

inline ScriptNativeCache& GetScriptNativeCache()
{
    ScriptNativeCache* const installed = script_detail::g_installedNativeCache;
    return installed ? *installed : script_detail::FallbackScriptNativeCache();
}
