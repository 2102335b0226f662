#include "engine/app/kestrune_engine.h"

#include "engine/app/default_members.h"
#include "engine/app/engine_members.h"
#include "engine/app/engine_platform.h"
#include "engine/app/refused_savegame.h"
#include "engine/natives/engine_natives.h"
#include "engine/world/retired_objects.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint32_t kGameStateAtStart = 0x207;

struct StartStep {
    const char* logLine; // null: nothing is logged before the step
    KestruneMember member;
};

// Each member needs the ones before it. A member that does not come up ends
// the start: one whose ready mark is checked and is not set, or any that
// could not even be allocated (a missing frame clock would leave the main
// loop waiting for a frame that never comes).
constexpr StartStep kStartSteps[] = {
    {nullptr, KestruneMember::Timer},
    {"Initializing datafile...\n", KestruneMember::FileSystem},
    {"Initializing graphics...\n", KestruneMember::Graphics},
    {"Initializing sprites...\n", KestruneMember::Sprites},
    {"Initializing sound...\n", KestruneMember::Sound},
    {"Initializing text...\n", KestruneMember::Fonts},
    {nullptr, KestruneMember::Inventory},
    {"Initializing messenger...\n", KestruneMember::Messenger},
    {"Initializing gameplay...\n", KestruneMember::Gameplay},
    {nullptr, KestruneMember::Hints},
    {nullptr, KestruneMember::Menu},
    // The video slots install the host through which a video that ends by
    // itself finds and leaves the engine's current slot.
    {nullptr, KestruneMember::Video},
    {nullptr, KestruneMember::QueuedVideo},
};

// The screens and the gameplay go first because they hold on to the scene,
// the sound and the pictures; the frame clock goes last because everything
// before it may still ask for the time.
constexpr KestruneMember kShutDownOrder[] = {
    KestruneMember::Messenger, KestruneMember::Menu, KestruneMember::Hints,
    KestruneMember::Inventory, KestruneMember::Scene, KestruneMember::PendingScene,
    KestruneMember::Video, KestruneMember::QueuedVideo, KestruneMember::Gameplay,
    KestruneMember::Sound, KestruneMember::Fonts, KestruneMember::Sprites,
    KestruneMember::Graphics, KestruneMember::FileSystem, KestruneMember::Timer,
};

struct Setting {
    const char* name;
    int32_t cKestruneEngine::*field;
    int32_t defaultValue;
};

// In the order the values are queried.
constexpr Setting kSettings[] = {
    {"SimpleShadows", &cKestruneEngine::SimpleShadows, 0},
    {"MaxActorRating", &cKestruneEngine::MaxActorRating, 10},
    {"Antialiasing", &cKestruneEngine::Antialiasing, 0},
    {"MusicVolume", &cKestruneEngine::MusicVolume, 127},
    {"DialogueVolume", &cKestruneEngine::DialogueVolume, 127},
    {"SFXVolume", &cKestruneEngine::SFXVolume, 255},
    {"Subtitle", &cKestruneEngine::Subtitle, 0},
    {"Gamma", &cKestruneEngine::Gamma, 127},
    {"Speakermode", &cKestruneEngine::Speakermode, 0},
    {"SoundBuffer", &cKestruneEngine::SoundBuffer, 0},
    {"SoundChannelsHW", &cKestruneEngine::SoundChannelsHW, 255},
};

} // namespace

cKestruneEngine::cKestruneEngine(HWND window_, HINSTANCE instance_, const char* basePath_, cKestruneMembers* members)
    : window(window_),
      instance(instance_),
      module(GetModuleHandleA(nullptr)),
      basePath(basePath_),
      members_(members ? members : new cKestruneDefaultMembers(*this)),
      ownsMembers_(members == nullptr)
{
    SetEngineLink(this);
    const cString probe = basePath + "resource.dsg";
    if (std::FILE* const file = std::fopen(MapDataPath(probe.GetText()).c_str(), "rb")) {
        demoData = 1;
        std::fclose(file);
    }
}

cKestruneEngine::~cKestruneEngine()
{
    // What was retired in the last frame may still name the scene or sprites.
    DeleteRetiredObjects();
    for (const KestruneMember member : kShutDownOrder)
        members_->Destroy(*this, member);
    if (GetEngineLink() == this)
        SetEngineLink(nullptr);
    if (ownsMembers_)
        delete members_;
}

void cKestruneEngine::ReadSettings()
{
    for (const Setting& setting : kSettings)
        this->*setting.field = setting.defaultValue;
    std::printf("Reading configuration...\n");

    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Quarrybend\\Veilstrand", &key) != ERROR_SUCCESS)
        return;
    for (const Setting& setting : kSettings) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegQueryValueExA(key, setting.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS)
            this->*setting.field = static_cast<int32_t>(value);
    }
    RegCloseKey(key);
}

int32_t cKestruneEngine::Init()
{
    srand(timeGetTime());
    RegisterEngineNatives();
    ReadSettings();
    if (IsWindows95()) {
        windows95 = 1;
        std::printf("Windows 95 detected.\n");
    }
    for (const StartStep& step : kStartSteps) {
        if (step.logLine)
            std::printf("%s", step.logLine);
        if (!members_->Create(*this, step.member))
            return -1;
    }
    return 0;
}

int32_t cKestruneEngine::Run()
{
    members_->SetGameState(*this, kGameStateAtStart);
    if (members_->LoadSavegame(*this, "lastgame") == -1) {
        // A resume point refused on damaged or updated data is not lost to
        // the "lastgame" the next menu writes.
        KeepRefusedSavegame("lastgame");
        members_->RunProjectFunction(*this, "initiate");
    }

    while (!quit) {
        if (newGameRequest)
            members_->NewGame(*this);
        if (loadRequest)
            members_->LoadSavegame(*this, savegameName.GetText());
        if (!members_->FrameDue(*this))
            continue;
        if (pendingScene) {
            cKestruneScene* const next = pendingScene;
            pendingScene = nullptr;
            SetScene(next, 0);
            // Brings the frame time up to the moment after the load, so the
            // next frame sees the load's duration and overdue timers fire.
            members_->FrameDue(*this);
        }
        members_->UpdateSound(*this);
        PumpMessages();
        members_->InputStep(*this);
        members_->DrawFrame(*this);
        // The frame's safe point: no update, input step, event or native runs.
        DeleteRetiredObjects();
    }
    return 0;
}

int32_t cKestruneEngine::SetScene(cKestruneScene* newScene, int32_t flag)
{
    // The new scene is loaded and checked while the old one still runs, so
    // a damaged scene file leaves the game where it was (and a later
    // savegame names a scene that loads).
    if (newScene) {
        const int32_t loaded = members_->LoadScene(newScene);
        members_->CloseSceneSlot(newScene);
        if (loaded != 0) {
            std::printf("The next scene could not be loaded; the game stays in the current scene.\n");
            std::fflush(stdout);
            members_->DeleteScene(newScene);
            return -1;
        }
    }
    if (scene) {
        members_->LeaveScene(scene, flag);
        cKestruneScene* const old = scene;
        scene = nullptr;
        members_->DeleteScene(old);
    }
    scene = newScene;
    if (!scene)
        return -1;
    members_->EnterScene(scene, flag);
    return 0;
}

void cKestruneEngine::SetPendingScene(cKestruneScene* next)
{
    if (pendingScene && pendingScene != next)
        members_->DeleteScene(pendingScene);
    pendingScene = next;
}

int32_t cKestruneEngine::PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = 1;
            // Ends an inactive frame's wait as well as the main loop.
            inactive = 0;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

bool cKestruneEngine::IsScriptAlive(const cKestruneScript* script) const
{
    for (int32_t i = 0; i < scripts.count; ++i) {
        if (scripts.data[i] == script)
            return true;
    }
    return false;
}

cKestruneScript* cKestruneEngine::FindScriptById(uint32_t id) const
{
    for (int32_t i = 0; i < scripts.count; ++i) {
        if (members_->ScriptIdentity(scripts.data[i]) == id)
            return scripts.data[i];
    }
    return nullptr;
}
