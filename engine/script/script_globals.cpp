#include "engine/script/script_globals.h"

#include <cstring>

namespace {

ScriptGlobalTable* g_installed = nullptr;

} // namespace

ScriptValue ScriptGlobalTable::FetchGlobal(const char* globalName, std::uint32_t defaultType) const
{
    for (std::int32_t i = 0; i < entries.count; ++i) {
        if (std::strcmp(entries.data[i].globalName.GetText(), globalName) == 0)
            return entries.data[i];
    }
    ScriptValue fresh(defaultType);
    fresh.globalName = globalName;
    return fresh;
}

void ScriptGlobalTable::StoreGlobal(const ScriptValue& value)
{
    for (std::int32_t i = 0; i < entries.count; ++i) {
        if (entries.data[i].globalName == value.globalName) {
            entries.data[i] = value;
            return;
        }
    }
    entries.Add(value);
}

void ScriptGlobalTable::Clear()
{
    while (entries.count > 0)
        entries.RemoveAt(entries.count - 1);
}

void SetScriptGlobalTable(ScriptGlobalTable* table) { g_installed = table; }

ScriptGlobalTable& GetScriptGlobalTable()
{
    static ScriptGlobalTable fallback;
    return g_installed ? *g_installed : fallback;
}
