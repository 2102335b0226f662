#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateMenu(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyMenu(cKestruneEngine& engine) { engine.menu = nullptr; }

bool cKestruneDefaultMembers::MenuOpen(cKestruneEngine& engine) { return cKestruneMembers::MenuOpen(engine); }
int32_t cKestruneDefaultMembers::MenuScreen(cKestruneEngine& engine) { return cKestruneMembers::MenuScreen(engine); }
int32_t cKestruneDefaultMembers::MenuActiveControl(cKestruneEngine& engine) { return cKestruneMembers::MenuActiveControl(engine); }
void cKestruneDefaultMembers::OpenMenu(cKestruneEngine& engine) { cKestruneMembers::OpenMenu(engine); }
void cKestruneDefaultMembers::CloseMenu(cKestruneEngine& engine) { cKestruneMembers::CloseMenu(engine); }
void cKestruneDefaultMembers::MenuToMainScreen(cKestruneEngine& engine) { cKestruneMembers::MenuToMainScreen(engine); }
void cKestruneDefaultMembers::MenuNameEntry(cKestruneEngine& engine, WPARAM character) { cKestruneMembers::MenuNameEntry(engine, character); }

bool cKestruneEngineGraphicsHost::MenuOpen() { return cKestruneGraphicsHost::MenuOpen(); }
void cKestruneEngineGraphicsHost::MenuRender() { cKestruneGraphicsHost::MenuRender(); }
