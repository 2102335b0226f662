#include "engine/audio/sound_host.h"

#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"

namespace {

cKestruneNullSoundHost g_baseHost;
cKestruneSoundHost* g_host = nullptr;

} // namespace

bool cKestruneNullSoundHost::CameraToWorld(float[16]) const { return false; }

bool cKestruneNullSoundHost::CharacterPosition(const cKestruneCharacter*, float[3]) const { return false; }

uint32_t cKestruneNullSoundHost::ScriptIdentity(const cKestruneScript* script) const
{
    return script ? script->SaveIdentity() : 0;
}

cKestruneScript* cKestruneNullSoundHost::FindScriptById(uint32_t id) const
{
    if (id == 0)
        return nullptr;
    const DynArray<cKestruneScript*>& scripts = LiveScripts();
    for (int32_t i = 0; i < scripts.count; ++i) {
        if (ScriptIdentity(scripts.data[i]) == id)
            return scripts.data[i];
    }
    return nullptr;
}

void SetSoundHost(cKestruneSoundHost* host) { g_host = host; }

cKestruneSoundHost& SoundHost() { return g_host ? *g_host : g_baseHost; }
