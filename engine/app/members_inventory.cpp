#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"

// Not part of the program yet: an absent member counts as started.
bool cKestruneDefaultMembers::CreateInventory(cKestruneEngine&) { return true; }
void cKestruneDefaultMembers::DestroyInventory(cKestruneEngine& engine) { engine.inventory = nullptr; }

bool cKestruneDefaultMembers::HasInventoryItem(cKestruneEngine& engine, const char* name) { return cKestruneMembers::HasInventoryItem(engine, name); }

void cKestruneEngineGraphicsHost::InventoryBarRender() { cKestruneGraphicsHost::InventoryBarRender(); }
cKestruneImage* cKestruneEngineGraphicsHost::HandItemIcon() { return cKestruneGraphicsHost::HandItemIcon(); }
int32_t cKestruneEngineGraphicsHost::HandItemCursor() { return cKestruneGraphicsHost::HandItemCursor(); }
