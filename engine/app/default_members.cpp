#include "engine/app/default_members.h"

#include "engine/app/kestrune_engine.h"

cKestruneDefaultMembers::cKestruneDefaultMembers(cKestruneEngine& engine) : graphicsHost_(engine), worldHost_(engine), savegameHost_(engine), menuHost_(engine), nativeHost_(engine)
{
    SetNativeHost(&nativeHost_);
    SetSavegameHost(&savegameHost_);
    SetMenuHost(&menuHost_);
    SetGraphicsHost(&graphicsHost_);
    SetWorldHost(&worldHost_);
}

cKestruneDefaultMembers::~cKestruneDefaultMembers()
{
    SetGraphicsHost(nullptr);
    SetWorldHost(nullptr);
    SetSavegameHost(nullptr);
    SetMenuHost(nullptr);
    SetNativeHost(nullptr);
}

bool cKestruneDefaultMembers::Create(cKestruneEngine& engine, KestruneMember member)
{
    switch (member) {
    case KestruneMember::Timer: return CreateTimer(engine);
    case KestruneMember::FileSystem: return CreateFileSystem(engine);
    case KestruneMember::Graphics: return CreateGraphics(engine);
    case KestruneMember::Sprites: return CreateSprites(engine);
    case KestruneMember::Sound: return CreateSound(engine);
    case KestruneMember::Fonts: return CreateFonts(engine);
    case KestruneMember::Inventory: return CreateInventory(engine);
    case KestruneMember::Messenger: return CreateMessenger(engine);
    case KestruneMember::Gameplay: return CreateGameplay(engine);
    case KestruneMember::Hints: return CreateHints(engine);
    case KestruneMember::Menu: return CreateMenu(engine);
    case KestruneMember::Scene: return CreateScene(engine);
    case KestruneMember::PendingScene: return CreatePendingScene(engine);
    case KestruneMember::Video: return CreateVideo(engine);
    case KestruneMember::QueuedVideo: return CreateQueuedVideo(engine);
    }
    return false;
}

void cKestruneDefaultMembers::Destroy(cKestruneEngine& engine, KestruneMember member)
{
    switch (member) {
    case KestruneMember::Timer: DestroyTimer(engine); break;
    case KestruneMember::FileSystem: DestroyFileSystem(engine); break;
    case KestruneMember::Graphics: DestroyGraphics(engine); break;
    case KestruneMember::Sprites: DestroySprites(engine); break;
    case KestruneMember::Sound: DestroySound(engine); break;
    case KestruneMember::Fonts: DestroyFonts(engine); break;
    case KestruneMember::Inventory: DestroyInventory(engine); break;
    case KestruneMember::Messenger: DestroyMessenger(engine); break;
    case KestruneMember::Gameplay: DestroyGameplay(engine); break;
    case KestruneMember::Hints: DestroyHints(engine); break;
    case KestruneMember::Menu: DestroyMenu(engine); break;
    case KestruneMember::Scene: DestroyScene(engine); break;
    case KestruneMember::PendingScene: DestroyPendingScene(engine); break;
    case KestruneMember::Video: DestroyVideo(engine); break;
    case KestruneMember::QueuedVideo: DestroyQueuedVideo(engine); break;
    }
}
