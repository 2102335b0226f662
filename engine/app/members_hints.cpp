#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateHints(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyHints(cKestruneEngine& engine) { engine.hints = nullptr; }

bool cKestruneDefaultMembers::HasHints(cKestruneEngine& engine) { return cKestruneMembers::HasHints(engine); }
void cKestruneDefaultMembers::ShowHints(cKestruneEngine& engine, bool show) { cKestruneMembers::ShowHints(engine, show); }

void cKestruneEngineGraphicsHost::HintsRender() { cKestruneGraphicsHost::HintsRender(); }
