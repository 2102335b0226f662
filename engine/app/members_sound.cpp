#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateSound(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroySound(cKestruneEngine& engine) { engine.sound = nullptr; }

void cKestruneDefaultMembers::UpdateSound(cKestruneEngine& engine) { cKestruneMembers::UpdateSound(engine); }

int32_t cKestruneEngineGraphicsHost::SFXVolume() { return engine_.SFXVolume; }
