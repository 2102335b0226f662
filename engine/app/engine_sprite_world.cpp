#include "engine/app/engine_sprite_world.h"

#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"

float cKestruneEngineSpriteWorld::FrameSeconds() { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }

float cKestruneEngineSpriteWorld::FrameDeltaSeconds()
{
    return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f;
}

double cKestruneEngineSpriteWorld::SystemSeconds() { return cKestruneTimer::GetSystemSeconds(); }
