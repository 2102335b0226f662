#include "engine/script/script_identity.h"

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"

std::uint32_t ScriptToSaveId(const cKestruneScript* script) { return script ? script->SaveIdentity() : 0; }

cKestruneScript* ScriptFromSaveId(std::uint32_t id)
{
    if (id == 0)
        return nullptr;
    DynArray<cKestruneScript*>& scripts = LiveScripts();
    for (std::int32_t i = 0; i < scripts.count; ++i) {
        if (scripts.data[i]->SaveIdentity() == id)
            return scripts.data[i];
    }
    return nullptr;
}
