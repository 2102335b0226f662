#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_inventory.h"
#include "engine/ui/kestrune_menu.h"
#include "engine/ui/kestrune_messenger.h"
#include "engine/world/kestrune_gameplay.h"

bool cKestruneDefaultMembers::CreateMenu(cKestruneEngine& engine)
{
    engine.menu = new cKestruneMenu();
    return true;
}
void cKestruneDefaultMembers::DestroyMenu(cKestruneEngine& engine) { DeleteMember(engine.menu); }

bool cKestruneDefaultMembers::MenuOpen(cKestruneEngine& engine) { return engine.menu && engine.menu->open; }
int32_t cKestruneDefaultMembers::MenuScreen(cKestruneEngine& engine) { return engine.menu ? engine.menu->screen : 0; }
// Only a slider that a press on the options screen itself took keeps
// following a held button.
int32_t cKestruneDefaultMembers::MenuActiveControl(cKestruneEngine& engine)
{
    return engine.menu ? engine.menu->DraggedSlider() : 0;
}
void cKestruneDefaultMembers::OpenMenu(cKestruneEngine& engine)
{
    if (engine.menu)
        engine.menu->Open();
}
void cKestruneDefaultMembers::CloseMenu(cKestruneEngine& engine)
{
    if (engine.menu)
        engine.menu->Close();
}
void cKestruneDefaultMembers::MenuToMainScreen(cKestruneEngine& engine)
{
    if (engine.menu)
        engine.menu->ReturnToMain();
}
void cKestruneDefaultMembers::MenuNameEntry(cKestruneEngine& engine, WPARAM character)
{
    if (engine.menu)
        engine.menu->TypeChar(static_cast<uint32_t>(character));
}
void cKestruneDefaultMembers::NewGame(cKestruneEngine& engine)
{
    engine.newGameRequest = 0;
    if (engine.menu)
        engine.menu->StartNewGame();
}

bool cKestruneEngineGraphicsHost::MenuOpen() { return engine_.menu && engine_.menu->open; }
void cKestruneEngineGraphicsHost::MenuRender()
{
    if (engine_.menu)
        engine_.menu->Render();
}

bool cKestruneEngineWorldHost::MenuOpen() { return engine_.menu && engine_.menu->open; }
void cKestruneEngineWorldHost::MenuInput()
{
    if (engine_.menu)
        engine_.menu->HandleInput();
}

bool cKestruneEngineMenuHost::VideoPlaying() { return engine_.video != nullptr; }
int32_t cKestruneEngineMenuHost::DialogueState() { return engine_.Members().DialogueState(engine_); }

int32_t& cKestruneEngineMenuHost::Setting(MenuSetting setting)
{
    switch (setting) {
    case MenuSetting::MusicVolume: return engine_.MusicVolume;
    case MenuSetting::DialogueVolume: return engine_.DialogueVolume;
    case MenuSetting::SFXVolume: return engine_.SFXVolume;
    case MenuSetting::Gamma: return engine_.Gamma;
    case MenuSetting::Subtitle: break;
    }
    return engine_.Subtitle;
}

bool cKestruneEngineMenuHost::DemoData() { return engine_.demoData != 0; }
void cKestruneEngineMenuHost::RequestQuit() { engine_.quit = 1; }
void cKestruneEngineMenuHost::RequestNewGame() { engine_.newGameRequest = 1; }
void cKestruneEngineMenuHost::RequestLoad(const char* fileName)
{
    engine_.savegameName = fileName;
    engine_.loadRequest = 1;
}
void cKestruneEngineMenuHost::SetPreviousSceneName(const char* name) { engine_.previousSceneName = name; }
void cKestruneEngineMenuHost::ClearInventory()
{
    if (engine_.inventory)
        engine_.inventory->Clear();
}
void cKestruneEngineMenuHost::ClearMessengerItems()
{
    if (engine_.messenger)
        engine_.messenger->ClearItems();
}
void cKestruneEngineMenuHost::ClearDialogueRecords()
{
    if (engine_.gameplay && engine_.gameplay->dialogue)
        engine_.gameplay->dialogue->records.clear();
}
void cKestruneEngineMenuHost::DeleteScene()
{
    if (!engine_.scene)
        return;
    cKestruneScene* const scene = engine_.scene;
    engine_.scene = nullptr;
    engine_.Members().DeleteScene(scene);
}
