#include "engine/app/engine_graphics_host.h"

#include "engine/app/engine_members.h"
#include "engine/app/engine_platform.h"
#include "engine/app/kestrune_engine.h"
#include "engine/script/kestrune_script.h"

#include "platform/win32/kernel/time.h"

HWND cKestruneEngineGraphicsHost::Window() { return engine_.window; }
int32_t cKestruneEngineGraphicsHost::SimpleShadows() { return engine_.SimpleShadows; }
int32_t cKestruneEngineGraphicsHost::Antialiasing() { return engine_.Antialiasing; }
int32_t cKestruneEngineGraphicsHost::Gamma() { return engine_.Gamma; }
int32_t cKestruneEngineGraphicsHost::SFXVolume() { return engine_.SFXVolume; }
uint32_t cKestruneEngineGraphicsHost::FrameTime() { return engine_.Members().FrameTime(engine_); }
bool cKestruneEngineGraphicsHost::HasVideo() { return engine_.video != nullptr; }
bool cKestruneEngineGraphicsHost::ScenePending() { return engine_.pendingScene != nullptr; }
bool cKestruneEngineGraphicsHost::LoadRequested() { return engine_.loadRequest != 0; }
bool cKestruneEngineGraphicsHost::Inactive() { return engine_.inactive && !engine_.quit; }
void cKestruneEngineGraphicsHost::PumpMessages() { engine_.PumpMessages(); }
void cKestruneEngineGraphicsHost::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

void cKestruneEngineGraphicsHost::RunScript(cKestruneScript* script, const char* function)
{
    if (script && engine_.IsScriptAlive(script))
        script->Run(function);
}
