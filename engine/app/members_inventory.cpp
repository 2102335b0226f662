#include "engine/app/default_members.h"
#include "engine/app/engine_ui_host.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/ui/kestrune_inventory.h"

#include <new>

// The inventory is the first of the members that the ui host serves.
bool cKestruneDefaultMembers::CreateInventory(cKestruneEngine& engine)
{
    InstallEngineUiHost(engine);
    engine.inventory = new (std::nothrow) cKestruneInventory();
    return engine.inventory != nullptr;
}

// What is deleted after the inventory (scenes, gameplay) no longer asks the host.
void cKestruneDefaultMembers::DestroyInventory(cKestruneEngine& engine)
{
    DeleteMember(engine.inventory);
    RemoveEngineUiHost();
}

bool cKestruneDefaultMembers::HasInventoryItem(cKestruneEngine& engine, const char* name)
{
    return engine.inventory && engine.inventory->HasItem(engine.inventory->FindItem(name)) != 0;
}

void cKestruneEngineGraphicsHost::InventoryBarRender()
{
    if (engine_.inventory)
        engine_.inventory->Render();
}

// The item in hand is drawn with its cursor picture over the inventory
// background; no further cursor goes on top.
cKestruneImage* cKestruneEngineGraphicsHost::HandItemIcon()
{
    const InventoryItem* const held = engine_.inventory ? engine_.inventory->Held() : nullptr;
    return held ? held->cursorImage : nullptr;
}

int32_t cKestruneEngineGraphicsHost::HandItemCursor() { return -1; }

void cKestruneEngineWorldHost::TakeProjectItems(const ProjectHeader& project)
{
    if (engine_.inventory)
        engine_.inventory->LoadProject(project);
}

int32_t cKestruneEngineWorldHost::InventoryBarState() { return engine_.inventory ? engine_.inventory->barState : 0; }

void cKestruneEngineWorldHost::SetInventoryBarState(int32_t state)
{
    if (engine_.inventory)
        engine_.inventory->barState = state;
}

void cKestruneEngineWorldHost::CloseInventoryBar()
{
    if (engine_.inventory)
        engine_.inventory->CloseBar();
}

bool cKestruneEngineWorldHost::InventoryMouseOverItem()
{
    return engine_.inventory && engine_.inventory->IsMouseOverItem();
}

// The cursor index one past the project's cursors draws the item in hand.
int32_t cKestruneEngineWorldHost::HeldItemCursor()
{
    const cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->cursors.count : 0;
}

void cKestruneEngineWorldHost::InventoryClick(bool right)
{
    if (!engine_.inventory)
        return;
    if (right)
        engine_.inventory->OnRightClick();
    else
        engine_.inventory->OnLeftClick();
}
