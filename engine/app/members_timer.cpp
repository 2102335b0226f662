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
    // A timer that resumes a suspended script (a printed line's wait) belongs
    // to that script, not to the scene: it stays while the script lives, or
    // the script would wait for ever.
    DynArray<ScriptTimer>& timers = engine_.timer->timers;
    for (int32_t i = timers.count - 1; i >= 0; --i) {
        const ScriptTimer& timer = timers.data[i];
        if (timer.functionName.CharAt(0) != '#' || !timer.script.Get())
            timers.RemoveAt(i);
    }
}

float cKestruneEngineGraphicsHost::FrameSeconds() { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }
float cKestruneEngineGraphicsHost::FrameDeltaSeconds()
{
    return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f;
}
