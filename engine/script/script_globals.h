#pragma once

#include "engine/base/dynarray.h"
#include "engine/script/script_value.h"

// The game-wide globals, keyed by global name (exact, case-sensitive). The
// gameplay object owns the table and installs it; until one is installed the
// script machine uses a process-wide table of its own.
class ScriptGlobalTable {
public:
    DynArray<ScriptValue> entries;

    // The first entry named globalName, or null.
    const ScriptValue* FindGlobal(const char* globalName) const;
    ScriptValue* FindGlobal(const char* globalName);
    // A copy of the first entry named globalName, or a fresh value of
    // defaultType carrying that global name. Never adds an entry.
    ScriptValue FetchGlobal(const char* globalName, std::uint32_t defaultType) const;
    // Replaces the entry with the same global name, or appends the value.
    void StoreGlobal(const ScriptValue& value);
    void Clear();
};

void SetScriptGlobalTable(ScriptGlobalTable* table);
ScriptGlobalTable& GetScriptGlobalTable();
