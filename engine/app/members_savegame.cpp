#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/script/kestrune_script.h"

uint32_t cKestruneDefaultMembers::ScriptIdentity(const cKestruneScript* script) { return script->id; }
void cKestruneDefaultMembers::NewGame(cKestruneEngine& engine) { engine.newGameRequest = 0; }
int32_t cKestruneDefaultMembers::LoadSavegame(cKestruneEngine& engine, const char*)
{
    engine.loadRequest = 0;
    return -1;
}
