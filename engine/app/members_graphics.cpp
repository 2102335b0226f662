#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/engine_platform.h"
#include "engine/render/kestrune_graphics.h"
#include "platform/win32/kernel/time.h"

#include <new>

bool cKestruneDefaultMembers::CreateGraphics(cKestruneEngine& engine)
{
    engine.graphics = new (std::nothrow) cKestruneGraphics();
    return engine.graphics && engine.graphics->ok;
}
void cKestruneDefaultMembers::DestroyGraphics(cKestruneEngine& engine) { DeleteMember(engine.graphics); }

void cKestruneDefaultMembers::DrawFrame(cKestruneEngine& engine)
{
    if (engine.graphics)
        engine.graphics->RenderFrame();
}
bool cKestruneDefaultMembers::HasGraphics(cKestruneEngine& engine) { return engine.graphics != nullptr; }
void cKestruneDefaultMembers::SaveScreenshot(cKestruneEngine& engine, const char* fileName)
{
    if (engine.graphics)
        engine.graphics->SaveScreenshot(fileName);
}

HWND cKestruneEngineGraphicsHost::Window() { return engine_.window; }
int32_t cKestruneEngineGraphicsHost::SimpleShadows() { return engine_.SimpleShadows; }
int32_t cKestruneEngineGraphicsHost::Antialiasing() { return engine_.Antialiasing; }
int32_t cKestruneEngineGraphicsHost::Gamma() { return engine_.Gamma; }
uint32_t cKestruneEngineGraphicsHost::FrameTime() { return engine_.Members().FrameTime(engine_); }
bool cKestruneEngineGraphicsHost::LoadRequested() { return engine_.loadRequest != 0; }
bool cKestruneEngineGraphicsHost::Inactive() { return engine_.inactive && !engine_.quit; }
void cKestruneEngineGraphicsHost::PumpMessages() { engine_.PumpMessages(); }
void cKestruneEngineGraphicsHost::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }
