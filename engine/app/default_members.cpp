#include "engine/app/default_members.h"

#include "engine/app/engine_platform.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/script/kestrune_script.h"

#include <new>

namespace {

template <typename T>
void DeleteMember(T*& field)
{
    delete field;
    field = nullptr;
}

} // namespace

cKestruneDefaultMembers::cKestruneDefaultMembers(cKestruneEngine& engine) : graphicsHost_(engine)
{
    SetGraphicsHost(&graphicsHost_);
}

cKestruneDefaultMembers::~cKestruneDefaultMembers() { SetGraphicsHost(nullptr); }

bool cKestruneDefaultMembers::Create(cKestruneEngine& engine, KestruneMember member)
{
    switch (member) {
    case KestruneMember::Timer:
        engine.timer = new (std::nothrow) cKestruneTimer();
        return engine.timer != nullptr;
    case KestruneMember::FileSystem:
        engine.fileSystem = new (std::nothrow) cKestruneFileSystem();
        return engine.fileSystem && engine.fileSystem->ready;
    case KestruneMember::Graphics:
        engine.graphics = new (std::nothrow) cKestruneGraphics();
        return engine.graphics && engine.graphics->ok;
    case KestruneMember::Fonts:
        engine.fonts = new (std::nothrow) cKestruneFonts();
        return engine.fonts != nullptr;
    // Members that are not part of the program yet.
    case KestruneMember::Sprites:
    case KestruneMember::Sound:
    case KestruneMember::Inventory:
    case KestruneMember::Messenger:
    case KestruneMember::Gameplay:
    case KestruneMember::Hints:
    case KestruneMember::Menu:
    case KestruneMember::Scene:
    case KestruneMember::PendingScene:
    case KestruneMember::Video:
    case KestruneMember::QueuedVideo:
        return true;
    }
    return false;
}

void cKestruneDefaultMembers::Destroy(cKestruneEngine& engine, KestruneMember member)
{
    switch (member) {
    case KestruneMember::Timer: DeleteMember(engine.timer); break;
    case KestruneMember::FileSystem: DeleteMember(engine.fileSystem); break;
    case KestruneMember::Graphics: DeleteMember(engine.graphics); break;
    case KestruneMember::Sprites: engine.sprites = nullptr; break;
    case KestruneMember::Sound: engine.sound = nullptr; break;
    case KestruneMember::Fonts: DeleteMember(engine.fonts); break;
    case KestruneMember::Inventory: engine.inventory = nullptr; break;
    case KestruneMember::Messenger: engine.messenger = nullptr; break;
    case KestruneMember::Gameplay: engine.gameplay = nullptr; break;
    case KestruneMember::Hints: engine.hints = nullptr; break;
    case KestruneMember::Menu: engine.menu = nullptr; break;
    case KestruneMember::Scene: engine.scene = nullptr; break;
    case KestruneMember::PendingScene: engine.pendingScene = nullptr; break;
    case KestruneMember::Video: engine.video = nullptr; break;
    case KestruneMember::QueuedVideo: engine.queuedVideo = nullptr; break;
    }
}

uint32_t cKestruneDefaultMembers::ScriptIdentity(const cKestruneScript* script) { return script->id; }

bool cKestruneDefaultMembers::FrameDue(cKestruneEngine& engine) { return engine.timer && engine.timer->Tick(); }

uint32_t cKestruneDefaultMembers::FrameTime(cKestruneEngine& engine)
{
    return engine.timer ? engine.timer->frameTime : 0;
}

void cKestruneDefaultMembers::NewGame(cKestruneEngine& engine) { engine.newGameRequest = 0; }

int32_t cKestruneDefaultMembers::LoadSavegame(cKestruneEngine& engine, const char*)
{
    engine.loadRequest = 0;
    return -1;
}

void cKestruneDefaultMembers::DrawFrame(cKestruneEngine& engine)
{
    if (engine.graphics)
        engine.graphics->RenderFrame();
}

bool cKestruneDefaultMembers::HasGraphics(cKestruneEngine& engine) { return engine.graphics != nullptr; }

void cKestruneDefaultMembers::SaveScreenshot(cKestruneEngine& engine, const char* fileName)
{
    if (engine.graphics)
        engine.graphics->SaveScreenshot(fileName);
}
