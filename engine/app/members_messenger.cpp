#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/ui/kestrune_messenger.h"

#include <new>

// A messenger whose device pictures are missing stops the start; it has
// reported which picture it lacked.
bool cKestruneDefaultMembers::CreateMessenger(cKestruneEngine& engine)
{
    engine.messenger = new (std::nothrow) cKestruneMessenger();
    return engine.messenger && engine.messenger->ok;
}

// The messenger goes first at shut-down; the ui host stays for the inventory.
void cKestruneDefaultMembers::DestroyMessenger(cKestruneEngine& engine) { DeleteMember(engine.messenger); }

void cKestruneEngineGraphicsHost::MessengerRender()
{
    if (engine_.messenger)
        engine_.messenger->Render();
}

void cKestruneEngineWorldHost::MessengerClick()
{
    if (engine_.messenger)
        engine_.messenger->HandleClick();
}

bool cKestruneEngineWorldHost::MessengerOverPad() { return engine_.messenger && engine_.messenger->IsMouseOverButton(); }
