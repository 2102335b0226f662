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
