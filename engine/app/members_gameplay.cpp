#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/kestrune_script.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/world_host.h"

#include <new>

bool cKestruneDefaultMembers::CreateGameplay(cKestruneEngine& engine)
{
    const int32_t width = engine.graphics ? engine.graphics->screenWidth : cKestruneGraphics::kScreenWidth;
    const int32_t height = engine.graphics ? engine.graphics->screenHeight : cKestruneGraphics::kScreenHeight;
    engine.gameplay = new (std::nothrow) cKestruneGameplay(width, height);
    return engine.gameplay && engine.gameplay->ok;
}
void cKestruneDefaultMembers::DestroyGameplay(cKestruneEngine& engine) { DeleteMember(engine.gameplay); }

void cKestruneDefaultMembers::SetGameState(cKestruneEngine& engine, uint32_t state)
{
    if (engine.gameplay)
        engine.gameplay->gameState = state;
}

int32_t cKestruneDefaultMembers::RunProjectFunction(cKestruneEngine& engine, const char* function)
{
    cKestruneScript* const script = engine.gameplay ? engine.gameplay->projectScript : nullptr;
    if (!script || !engine.IsScriptAlive(script))
        return -1;
    return script->Run(function);
}

void cKestruneDefaultMembers::InputStep(cKestruneEngine& engine)
{
    if (engine.gameplay)
        engine.gameplay->HandleInput();
}

bool cKestruneDefaultMembers::HasGameplay(cKestruneEngine& engine) { return engine.gameplay != nullptr; }

void cKestruneDefaultMembers::GetMouseLimits(cKestruneEngine& engine, int32_t& maxX, int32_t& maxY)
{
    if (!engine.gameplay)
        return cKestruneMembers::GetMouseLimits(engine, maxX, maxY);
    maxX = engine.gameplay->mouseMaxX;
    maxY = engine.gameplay->mouseMaxY;
}

void cKestruneDefaultMembers::SetMouse(cKestruneEngine& engine, int32_t x, int32_t y)
{
    if (!engine.gameplay)
        return;
    engine.gameplay->mouseX = x;
    engine.gameplay->mouseY = y;
}

int32_t* cKestruneDefaultMembers::ButtonEvent(cKestruneEngine& engine, bool right)
{
    if (!engine.gameplay)
        return nullptr;
    return right ? &engine.gameplay->rightEvent : &engine.gameplay->leftEvent;
}

uint32_t cKestruneDefaultMembers::GameState(cKestruneEngine& engine)
{
    return engine.gameplay ? engine.gameplay->gameState : 0;
}
bool cKestruneDefaultMembers::PlayerWalking(cKestruneEngine&) { return WorldHost().PlayerWalking(); }
// A click or a fade that a script waits for.
bool cKestruneDefaultMembers::ScriptedWaitPending(cKestruneEngine& engine)
{
    return engine.gameplay && engine.gameplay->ScriptedWaitPending();
}

void cKestruneEngineGraphicsHost::GameplayUpdate()
{
    if (engine_.gameplay)
        engine_.gameplay->Update();
}
uint32_t cKestruneEngineGraphicsHost::GameState() { return engine_.gameplay ? engine_.gameplay->gameState : 0; }
int32_t cKestruneEngineGraphicsHost::MouseX() { return engine_.gameplay ? engine_.gameplay->mouseX : 0; }
int32_t cKestruneEngineGraphicsHost::MouseY() { return engine_.gameplay ? engine_.gameplay->mouseY : 0; }
int32_t cKestruneEngineGraphicsHost::FadeActive() { return engine_.gameplay ? engine_.gameplay->fadeActive : 0; }
uint32_t cKestruneEngineGraphicsHost::FadeStart() { return engine_.gameplay ? engine_.gameplay->fadeStart : 0; }
float cKestruneEngineGraphicsHost::FadeRate()
{
    return engine_.gameplay ? engine_.gameplay->fadeRate : 1.0f;
}
void cKestruneEngineGraphicsHost::RunScript(cKestruneScript* script, const char* function)
{
    if (script)
        script->Run(function);
}
