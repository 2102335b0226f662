#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateMessenger(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyMessenger(cKestruneEngine& engine) { engine.messenger = nullptr; }


void cKestruneEngineGraphicsHost::MessengerRender() { cKestruneGraphicsHost::MessengerRender(); }
