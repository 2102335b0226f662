#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/script/kestrune_script.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateGameplay(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyGameplay(cKestruneEngine& engine) { engine.gameplay = nullptr; }

void cKestruneDefaultMembers::SetGameState(cKestruneEngine& engine, uint32_t state) { cKestruneMembers::SetGameState(engine, state); }
int32_t cKestruneDefaultMembers::RunProjectFunction(cKestruneEngine& engine, const char* function) { return cKestruneMembers::RunProjectFunction(engine, function); }
void cKestruneDefaultMembers::InputStep(cKestruneEngine& engine) { cKestruneMembers::InputStep(engine); }
bool cKestruneDefaultMembers::HasGameplay(cKestruneEngine& engine) { return cKestruneMembers::HasGameplay(engine); }
void cKestruneDefaultMembers::GetMouseLimits(cKestruneEngine& engine, int32_t& maxX, int32_t& maxY) { cKestruneMembers::GetMouseLimits(engine, maxX, maxY); }
void cKestruneDefaultMembers::SetMouse(cKestruneEngine& engine, int32_t x, int32_t y) { cKestruneMembers::SetMouse(engine, x, y); }
int32_t* cKestruneDefaultMembers::ButtonEvent(cKestruneEngine& engine, bool right) { return cKestruneMembers::ButtonEvent(engine, right); }
uint32_t cKestruneDefaultMembers::GameState(cKestruneEngine& engine) { return cKestruneMembers::GameState(engine); }
bool cKestruneDefaultMembers::PlayerWalking(cKestruneEngine& engine) { return cKestruneMembers::PlayerWalking(engine); }
bool cKestruneDefaultMembers::ScriptedWaitPending(cKestruneEngine& engine) { return cKestruneMembers::ScriptedWaitPending(engine); }

void cKestruneEngineGraphicsHost::GameplayUpdate() { cKestruneGraphicsHost::GameplayUpdate(); }
uint32_t cKestruneEngineGraphicsHost::GameState() { return cKestruneGraphicsHost::GameState(); }
int32_t cKestruneEngineGraphicsHost::MouseX() { return cKestruneGraphicsHost::MouseX(); }
int32_t cKestruneEngineGraphicsHost::MouseY() { return cKestruneGraphicsHost::MouseY(); }
int32_t cKestruneEngineGraphicsHost::FadeActive() { return cKestruneGraphicsHost::FadeActive(); }
uint32_t cKestruneEngineGraphicsHost::FadeStart() { return cKestruneGraphicsHost::FadeStart(); }
float cKestruneEngineGraphicsHost::FadeRate() { return cKestruneGraphicsHost::FadeRate(); }
bool cKestruneEngineGraphicsHost::HasScreenControl() { return cKestruneGraphicsHost::HasScreenControl(); }
void cKestruneEngineGraphicsHost::ScreenControlRender() { cKestruneGraphicsHost::ScreenControlRender(); }
void cKestruneEngineGraphicsHost::RunScript(cKestruneScript* script, const char* function)
{
    if (script && engine_.IsScriptAlive(script))
        script->Run(function);
}
