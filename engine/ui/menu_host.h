#pragma once

#include <cstdint>

// The five settings the options screen edits.
enum class MenuSetting { MusicVolume, DialogueVolume, SFXVolume, Gamma, Subtitle };

// What the in-game menu needs of the engine and of the members beside it.
// The engine installs its own host (engine/app/members_menu.cpp); the base
// answers as if there were no engine: nothing blocks the menu, settings are
// kept here, requests are remembered.
class cKestruneMenuHost {
public:
    virtual ~cKestruneMenuHost() = default;

    // What keeps the menu from opening.
    virtual bool VideoPlaying();
    virtual int32_t DialogueState();

    virtual int32_t& Setting(MenuSetting setting);
    virtual bool DemoData();
    virtual void RequestQuit();
    virtual void RequestNewGame();
    virtual void RequestLoad(const char* fileName);
    virtual void SetPreviousSceneName(const char* name);

    // The new game's clearing of members the menu does not reach itself.
    virtual void ClearInventory();
    virtual void ClearMessengerItems();
    virtual void ClearDialogueRecords();
    virtual void DeleteScene();

    int32_t settings[5] = {127, 127, 255, 127, 1};
    bool quit = false;
    bool newGame = false;
    bool load = false;
};

// Null restores the base host.
void SetMenuHost(cKestruneMenuHost* host);
cKestruneMenuHost& MenuHost();
