#include "engine/script/script_globals.h"

#include "engine/script/kestrune_script.h"

#include <cstring>

namespace {

ScriptGlobalTable* g_installed = nullptr;

// A name takes other text only when it differs: the names of a variable and
// of its global entry stay the same from one publication to the next.
void TakeName(cString& name, const cString& from)
{
    if (name != from)
        name = from;
}

} // namespace

const ScriptValue* ScriptGlobalTable::FindGlobal(const char* globalName) const
{
    return const_cast<ScriptGlobalTable*>(this)->FindGlobal(globalName);
}

ScriptValue* ScriptGlobalTable::FindGlobal(const char* globalName)
{
    for (std::int32_t i = 0; i < entries.count; ++i) {
        if (std::strcmp(entries.data[i].globalName.GetText(), globalName) == 0)
            return &entries.data[i];
    }
    return nullptr;
}

ScriptValue ScriptGlobalTable::FetchGlobal(const char* globalName, std::uint32_t defaultType) const
{
    if (const ScriptValue* const found = FindGlobal(globalName))
        return *found;
    ScriptValue fresh(defaultType);
    fresh.globalName = globalName;
    return fresh;
}

void ScriptGlobalTable::StoreGlobal(const ScriptValue& value)
{
    if (ScriptValue* const found = FindGlobal(value.globalName.GetText()))
        *found = value;
    else
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

void cKestruneScript::ListGlobalNamed() const
{
    globalNamed_.clear();
    for (std::int32_t i = 0; i < variables.count; ++i) {
        if (variables.data[i].globalName.GetText()[0] != 0)
            globalNamed_.push_back(i);
    }
    globalNamedFor_ = variables.data;
    globalNamedCount_ = variables.count;
    hasGlobalNamed_ = !globalNamed_.empty();
}

// Each window becomes what FetchGlobal gives for it, worked in place so that
// a run of a script with globals copies no names: the global's name is the
// window's by the lookup, and the window keeps its own name and class name
// because engine code finds variables by name and a fresh global has neither.
void cKestruneScript::LoadGlobalsFrom()
{
    const ScriptGlobalTable& globals = GetScriptGlobalTable();
    for (const std::int32_t i : GlobalNamed()) {
        ScriptValue& variable = variables.data[i];
        if (variable.type > kScriptObject)
            continue;
        const ScriptValue* const global = globals.FindGlobal(variable.globalName.GetText());
        if (!global) {
            // A fresh value of the window's own type.
            variable.SetText("");
            variable.intValue = 0;
            variable.floatValue = 0.0f;
            variable.boolValue = 0;
            variable.object = kNoObject;
            continue;
        }
        variable.type = global->type;
        variable.SetText(global->Text());
        variable.intValue = global->intValue;
        variable.floatValue = global->floatValue;
        variable.boolValue = global->boolValue;
        variable.object = global->object;
    }
}

// Each window is published as a normalised copy; an entry that exists takes
// the copy's fields in place.
void cKestruneScript::StoreGlobalsFrom() const
{
    ScriptGlobalTable& table = GetScriptGlobalTable();
    for (const std::int32_t i : GlobalNamed()) {
        const ScriptValue& variable = variables.data[i];
        if (variable.type > kScriptObject)
            continue;
        ScriptValue* const entry = table.FindGlobal(variable.globalName.GetText());
        if (!entry) {
            ScriptValue copy = variable;
            copy.Normalise();
            table.entries.Add(copy);
            continue;
        }
        entry->type = variable.type;
        TakeName(entry->name, variable.name);
        TakeName(entry->className, variable.className);
        // Normalising spells the text of numbers and booleans from their views.
        if (variable.type != kScriptInteger && variable.type != kScriptFloat && variable.type != kScriptBoolean)
            entry->SetText(variable.Text());
        entry->intValue = variable.intValue;
        entry->floatValue = variable.floatValue;
        entry->boolValue = variable.boolValue;
        entry->object = variable.object;
        entry->Normalise();
    }
}
