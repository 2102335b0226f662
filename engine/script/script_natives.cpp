#include "engine/script/script_natives.h"

#include <cstring>
#include <map>
#include <string>

namespace {

std::map<std::string, ScriptNative>& Registry()
{
    static std::map<std::string, ScriptNative> registry;
    return registry;
}

} // namespace

void RegisterScriptNative(const char* name, ScriptNative function) { Registry()[name] = function; }

void UnregisterScriptNative(const char* name) { Registry().erase(name); }

ScriptNative FindScriptNative(const char* name)
{
    const auto found = Registry().find(name);
    return found == Registry().end() ? nullptr : found->second;
}

std::int32_t ScriptNativeCache::Find(const char* name) const
{
    for (std::int32_t i = 0; i < entries.count; ++i) {
        if (std::strcmp(entries.data[i].name.GetText(), name) == 0)
            return i;
    }
    return -1;
}

std::int32_t ScriptNativeCache::Add(const char* name, ScriptNative function)
{
    NativeCacheEntry entry;
    entry.name = name;
    entry.function = function;
    return entries.Add(entry);
}

namespace script_detail {

ScriptNativeCache* g_installedNativeCache = nullptr;

} // namespace script_detail

void SetScriptNativeCache(ScriptNativeCache* cache) { script_detail::g_installedNativeCache = cache; }
