#pragma once

#include <cstdint>

// The five settings the options screen edits.
enum class MenuSetting { MusicVolume, DialogueVolume, SFXVolume, Gamma, Subtitle };

// What the in-game menu needs of the engine and of the members beside it.
// The engine installs its own host (engine/app/members_menu.cpp).
class cKestruneMenuHost {
public:
    virtual ~cKestruneMenuHost() = default;

    // What keeps the menu from opening.
    virtual bool VideoPlaying() = 0;
    virtual int32_t DialogueState() = 0;

    virtual int32_t& Setting(MenuSetting setting) = 0;
    virtual bool DemoData() = 0;
    virtual void RequestQuit() = 0;
    virtual void RequestNewGame() = 0;
    virtual void RequestLoad(const char* fileName) = 0;
    virtual void SetPreviousSceneName(const char* name) = 0;

    // The new game's clearing of members the menu does not reach itself.
    virtual void ClearInventory() = 0;
    virtual void ClearMessengerItems() = 0;
    virtual void ClearDialogueRecords() = 0;
    virtual void DeleteScene() = 0;
};

// The answers of an engine that is not there: nothing blocks the menu,
// settings are kept here, requests are remembered. What the menu sees before
// the engine installs its host, and the base of test fakes.
class cKestruneNullMenuHost : public cKestruneMenuHost {
public:
    bool VideoPlaying() override;
    int32_t DialogueState() override;
    int32_t& Setting(MenuSetting setting) override;
    bool DemoData() override;
    void RequestQuit() override;
    void RequestNewGame() override;
    void RequestLoad(const char* fileName) override;
    void SetPreviousSceneName(const char* name) override;
    void ClearInventory() override;
    void ClearMessengerItems() override;
    void ClearDialogueRecords() override;
    void DeleteScene() override;

    int32_t settings[5] = {127, 127, 255, 127, 1};
    bool quit = false;
    bool newGame = false;
    bool load = false;
};

// Null restores the null host (the answers of an engine without members).
void SetMenuHost(cKestruneMenuHost* host);
cKestruneMenuHost& MenuHost();
