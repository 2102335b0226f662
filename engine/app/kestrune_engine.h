#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_string.h"
#include "platform/win32/wintypes.h"

#include <cstdint>

class cKestruneGraphics;
class cKestruneFileSystem;
class cKestruneGameplay;
class cKestruneSound;
class cKestruneSprites;
class cKestruneFonts;
class cKestruneInventory;
class cKestruneTimer;
class cKestruneMenu;
class cKestruneMessenger;
class cKestruneHints;
class cKestruneScene;
class cKestruneScript;
class cKestruneVideo;
class cKestruneMembers;

// The engine top object: owns every subsystem, reads the settings, runs the
// main loop and tears everything down in a fixed order.
class cKestruneEngine : public cKestruneEngineLink {
public:
    // members: how the subsystems are made, driven and destroyed; null takes
    // the real ones (tests hand in their own).
    cKestruneEngine(HWND window, HINSTANCE instance, const char* basePath, cKestruneMembers* members = nullptr);
    ~cKestruneEngine() override;
    cKestruneEngine(const cKestruneEngine&) = delete;
    cKestruneEngine& operator=(const cKestruneEngine&) = delete;

    // 0 when every member came up, -1 when one failed (it has reported why).
    int32_t Init();
    int32_t Run();
    int32_t SetScene(cKestruneScene* newScene, int32_t flag);
    int32_t PumpMessages();
    // Makes next the scene entered at the next frame; a scene still waiting
    // there is deleted, as it will never be entered.
    void SetPendingScene(cKestruneScene* next);

    bool IsScriptAlive(const cKestruneScript* script) const;
    cKestruneScript* FindScriptById(uint32_t id) const;

    // The error reporter: logs "Error in module ..." with errorText, asks the
    // user, and ends the process on Cancel or a fatal error.
    int Error(const char* module, const char* where, int fatal) override;
    char* GetErrorText() override { return errorText; }
    DynArray<cKestruneScript*>& GetLiveScripts() override { return scripts; }

    cKestruneMembers& Members() { return *members_; }

    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    HMODULE module = nullptr;
    int32_t SimpleShadows = 0;
    int32_t MaxActorRating = 0;
    int32_t Antialiasing = 0;
    int32_t Speakermode = 0;
    int32_t SoundBuffer = 0;
    int32_t SoundChannelsHW = 0;
    int32_t MusicVolume = 0;
    int32_t DialogueVolume = 0;
    int32_t SFXVolume = 0;
    int32_t Subtitle = 0;
    int32_t Gamma = 0;
    int32_t windows95 = 0;
    cKestruneGraphics* graphics = nullptr;
    cKestruneFileSystem* fileSystem = nullptr;
    cKestruneGameplay* gameplay = nullptr;
    cKestruneSound* sound = nullptr;
    cKestruneSprites* sprites = nullptr;
    cKestruneFonts* fonts = nullptr;
    cKestruneInventory* inventory = nullptr;
    cKestruneTimer* timer = nullptr;
    cKestruneMenu* menu = nullptr;
    cKestruneMessenger* messenger = nullptr;
    cKestruneHints* hints = nullptr;
    cKestruneScene* scene = nullptr;
    cKestruneScene* pendingScene = nullptr;
    DynArray<cKestruneScript*> scripts;
    cKestruneVideo* video = nullptr;
    cKestruneVideo* queuedVideo = nullptr;
    cString basePath;
    char errorText[kErrorTextSize] = {};
    cString previousSceneName;
    uint8_t quit = 0;
    uint8_t newGameRequest = 0;
    uint8_t inactive = 0;
    cString savegameName;
    uint8_t loadRequest = 0;
    uint8_t demoData = 0;

private:
    void ReadSettings();

    cKestruneMembers* members_;
    bool ownsMembers_;
};
