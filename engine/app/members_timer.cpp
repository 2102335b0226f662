#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"

#include <new>

bool cKestruneDefaultMembers::CreateTimer(cKestruneEngine& engine)
{
    engine.timer = new (std::nothrow) cKestruneTimer();
    return engine.timer != nullptr;
}
void cKestruneDefaultMembers::DestroyTimer(cKestruneEngine& engine) { DeleteMember(engine.timer); }

bool cKestruneDefaultMembers::FrameDue(cKestruneEngine& engine) { return engine.timer && engine.timer->Tick(); }
uint32_t cKestruneDefaultMembers::FrameTime(cKestruneEngine& engine) { return engine.timer ? engine.timer->frameTime : 0; }

void cKestruneEngineWorldHost::TickClock()
{
    if (engine_.timer)
        engine_.timer->Tick();
}

void cKestruneEngineWorldHost::DropTimers()
{
    if (!engine_.timer)
        return;
    DynArray<ScriptTimer>& timers = engine_.timer->timers;
    while (timers.count > 0)
        timers.RemoveAt(timers.count - 1);
}

float cKestruneEngineGraphicsHost::FrameSeconds() { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }
float cKestruneEngineGraphicsHost::FrameDeltaSeconds()
{
    return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f;
}
