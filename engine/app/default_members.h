#pragma once

#include "engine/app/engine_members.h"
#include "engine/natives/native_host.h"
#include "engine/render/graphics_host.h"
#include "engine/ui/menu_host.h"
#include "engine/world/savegame_host.h"
#include "engine/world/world_host.h"

class cKestruneEngine;

// The engine's answers to the graphics object. Every override is declared
// here once and defined in the members_<subsystem>.cpp of the subsystem that
// answers it; what the engine must answer is pure in the base class, so a
// member forgotten here does not build.
class cKestruneEngineGraphicsHost : public cKestruneGraphicsHost {
public:
    explicit cKestruneEngineGraphicsHost(cKestruneEngine& engine) : engine_(engine) {}

    // members_dialogue.cpp
    int32_t DialogueState() override;
    const void* TakeDialogueHighlight() override;
    // members_gameplay.cpp
    void GameplayUpdate() override;
    uint32_t GameState() override;
    int32_t MouseX() override;
    int32_t MouseY() override;
    int32_t FadeActive() override;
    uint32_t FadeStart() override;
    float FadeRate() override;
    bool HasScreenControl() override;
    void ScreenControlRender() override;
    void RunScript(cKestruneScript* script, const char* function) override;
    // members_graphics.cpp
    HWND Window() override;
    int32_t SimpleShadows() override;
    int32_t Antialiasing() override;
    int32_t Gamma() override;
    uint32_t FrameTime() override;
    bool LoadRequested() override;
    bool Inactive() override;
    void PumpMessages() override;
    void Sleep(uint32_t milliseconds) override;
    // members_hints.cpp
    void HintsRender() override;
    // members_inventory.cpp
    void InventoryBarRender() override;
    cKestruneImage* HandItemIcon() override;
    int32_t HandItemCursor() override;
    // members_menu.cpp
    bool MenuOpen() override;
    void MenuRender() override;
    // members_messenger.cpp
    void MessengerRender() override;
    // members_scene.cpp
    bool HasScene() override;
    void SceneSubmit(DynArray<RenderQueueEntry>& list) override;
    bool GetMirrorView(KestruneMirrorView& view) override;
    bool ScenePending() override;
    void* HoveredHotspot(const char** name) override;
    std::vector<cKestruneImage*> SceneOverlaysNamed(const char* name) override;
    // members_sound.cpp
    int32_t SFXVolume() override;
    // members_sprites.cpp
    float CameraNear() override;
    float CameraFar() override;
    void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) override;
    void CollectMeshSprites(DynArray<RenderQueueEntry>& list) override;
    void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) override;
    void MeshSpriteFrame(void* sprite, D3DXVECTOR3& position, D3DXVECTOR3& up) override;
    void ReleaseSkinBuffers() override;
    void RecreateSkinBuffers() override;
    // members_timer.cpp
    float FrameSeconds() override;
    float FrameDeltaSeconds() override;
    // members_video.cpp
    bool HasVideo() override;
    void VideoUpdate() override;
    bool VideoRealtime() override;
    void VideoDraw(int32_t withSubtitles) override;

private:
    cKestruneEngine& engine_;
};

// The engine's answers to the scene, views, layers and gameplay object.
// Overrides are declared here once and defined in members_<subsystem>.cpp.
class cKestruneEngineWorldHost : public cKestruneWorldHost {
public:
    explicit cKestruneEngineWorldHost(cKestruneEngine& engine) : engine_(engine) {}

    // members_characters.cpp
    bool HasPlayer() override;
    bool PlayerPosition(float& x, float& y, float& z) override;
    void SetPlayerPosition(float x, float y, float z) override;
    float PlayerFloorHeight(float x, float z) override;
    void BindWalkMaps(cKestruneScene& scene) override;
    void RebindPlayerWalkMap();
    void UpdatePlayer() override;
    void UpdateSceneCharacters(cKestruneScene& scene) override;
    void ReleasePlayerSceneLinks() override;
    bool PlayerWalking() override;
    bool WalkToScreenPoint(int32_t x, int32_t y, bool run) override;
    void DeleteSceneCharacters(cKestruneScene& scene) override;
    void DeletePlayer() override;
    bool SaveCharacterBlock(uint32_t character, const char* name, int file) override;
    void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                            SavegameBlockHeader& header) override;
    bool UpdateHoverHotspot(cKestruneScene& scene, int32_t x, int32_t y) override;
    bool HasHoverHotspot(cKestruneScene& scene) override;
    int32_t HoverHotspotCursor(cKestruneScene& scene) override;
    void HotspotUse(cKestruneScene& scene, bool run) override;
    void HotspotLook(cKestruneScene& scene, bool run) override;
    void BindExitHotspot(int32_t viewIndex) override;
    // members_sprites.cpp
    void SetCamera(const granny_camera& camera) override;
    // members_menu.cpp
    bool MenuOpen() override;
    void MenuInput() override;
    // members_dialogue.cpp
    void CreateDialogue() override;
    void DeleteDialogue() override;
    int32_t DialogueState() override;
    void ResetDialogue() override;
    void UpdateDialogue() override;
    // members_inventory.cpp
    void TakeProjectItems(const ProjectHeader& project) override;
    int32_t InventoryBarState() override;
    void SetInventoryBarState(int32_t state) override;
    void CloseInventoryBar() override;
    bool InventoryMouseOverItem() override;
    int32_t HeldItemCursor() override;
    void InventoryClick(bool right) override;
    // members_messenger.cpp
    void MessengerClick() override;
    bool MessengerOverPad() override;
    // members_screen_controls.cpp
    bool HasScreenControl() override;
    bool ScreenControlDone() override;
    void ScreenControlInput() override;
    void DeleteScreenControl() override;
    // members_scene.cpp
    cKestruneScene* CurrentScene() override;
    void ClearSpecialBehavior() override;
    void StopSceneSounds() override;
    void ClearLights() override;
    void PurgeMeshSpriteCache() override;
    void ReleaseAllTexts() override;
    void ClearGraphicsObjects() override;
    void SetPendingScene(cKestruneScene* scene) override;
    void SetPreviousSceneName(const char* name) override;
    // members_timer.cpp
    void TickClock() override;
    void DropTimers() override;

private:
    cKestruneEngine& engine_;
};

// The engine's answers to the savegame writer and reader (members_savegame.cpp):
// each owner's block goes to its member.
class cKestruneEngineSavegameHost : public cKestruneSavegameHost {
public:
    explicit cKestruneEngineSavegameHost(cKestruneEngine& engine) : engine_(engine) {}

    void SaveBlock(SavegameOwner owner, int file) override;
    void LoadBlock(SavegameOwner owner, int file, SavegameBlockHeader& header) override;
    std::uint32_t EffectCount() override;
    void SaveEffects(int file) override;
    void LoadEffect(int file, SavegameBlockHeader& header) override;
    void EnterRestoredScene(cKestruneScene* scene) override;
    const char* PreviousSceneName() override;
    void SetPreviousSceneName(const char* name) override;

private:
    cKestruneEngine& engine_;
};

// The engine's answers to the in-game menu (members_menu.cpp).
class cKestruneEngineMenuHost : public cKestruneMenuHost {
public:
    explicit cKestruneEngineMenuHost(cKestruneEngine& engine) : engine_(engine) {}

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

private:
    cKestruneEngine& engine_;
};

// The engine's answers to the script natives (members_natives.cpp).
class cKestruneEngineNativeHost : public cKestruneNativeHost {
public:
    explicit cKestruneEngineNativeHost(cKestruneEngine& engine) : engine_(engine) {}

    const char* PreviousSceneName() override;
    void RequestNewGame() override;
    void AddRoomTimer(cKestruneScript* script, const char* function, float seconds) override;
    cKestruneHints* Hints() override;
    bool MenuOpen() override;
    bool HasInventoryItem(const char* name) override;
    cKestruneVideo* CurrentVideo() override;
    void QueueVideo(cKestruneVideo* video) override;
    void OpenMessenger() override;
    void CloseMessenger() override;
    void CloseMessengerConnection() override;
    void AddMessengerItem(const char* a, const char* b, const char* c, const char* d, uint32_t colour) override;
    void Print(const char* first, const char* second, cKestruneScript* script) override;

private:
    cKestruneEngine& engine_;
};

// The engine's own members: builds and drives the real subsystems. Every
// override is declared here once and defined in the members_<subsystem>.cpp
// of its subsystem, so subsystems never share an edit point. A subsystem that
// is not part of the program yet keeps a null field and counts as started, so
// the start-up and shut-down order stays right around it.
class cKestruneDefaultMembers : public cKestruneMembers {
public:
    explicit cKestruneDefaultMembers(cKestruneEngine& engine);
    ~cKestruneDefaultMembers() override;

    // default_members.cpp: dispatch to the subsystems' Create and Destroy.
    bool Create(cKestruneEngine& engine, KestruneMember member) override;
    void Destroy(cKestruneEngine& engine, KestruneMember member) override;

    // members_dialogue.cpp
    int32_t DialogueState(cKestruneEngine& engine) override;
    bool DialogueSpeechPlaying(cKestruneEngine& engine) override;
    void StopDialogueSpeech(cKestruneEngine& engine) override;
    void EndDialogueLine(cKestruneEngine& engine) override;
    // members_gameplay.cpp
    void SetGameState(cKestruneEngine& engine, uint32_t state) override;
    int32_t RunProjectFunction(cKestruneEngine& engine, const char* function) override;
    void InputStep(cKestruneEngine& engine) override;
    bool HasGameplay(cKestruneEngine& engine) override;
    void GetMouseLimits(cKestruneEngine& engine, int32_t& maxX, int32_t& maxY) override;
    void SetMouse(cKestruneEngine& engine, int32_t x, int32_t y) override;
    int32_t* ButtonEvent(cKestruneEngine& engine, bool right) override;
    uint32_t GameState(cKestruneEngine& engine) override;
    bool PlayerWalking(cKestruneEngine& engine) override;
    bool ScriptedWaitPending(cKestruneEngine& engine) override;
    // members_graphics.cpp
    void DrawFrame(cKestruneEngine& engine) override;
    bool HasGraphics(cKestruneEngine& engine) override;
    void SaveScreenshot(cKestruneEngine& engine, const char* fileName) override;
    // members_hints.cpp
    bool HasHints(cKestruneEngine& engine) override;
    void ShowHints(cKestruneEngine& engine, bool show) override;
    // members_inventory.cpp
    bool HasInventoryItem(cKestruneEngine& engine, const char* name) override;
    // members_menu.cpp
    bool MenuOpen(cKestruneEngine& engine) override;
    int32_t MenuScreen(cKestruneEngine& engine) override;
    int32_t MenuActiveControl(cKestruneEngine& engine) override;
    void OpenMenu(cKestruneEngine& engine) override;
    void CloseMenu(cKestruneEngine& engine) override;
    void MenuToMainScreen(cKestruneEngine& engine) override;
    void MenuNameEntry(cKestruneEngine& engine, WPARAM character) override;
    // members_savegame.cpp
    uint32_t ScriptIdentity(const cKestruneScript* script) override;
    void NewGame(cKestruneEngine& engine) override;
    int32_t LoadSavegame(cKestruneEngine& engine, const char* name) override;
    // members_scene.cpp
    void LeaveScene(cKestruneScene* scene, int32_t flag) override;
    void DeleteScene(cKestruneScene* scene) override;
    int32_t LoadScene(cKestruneScene* scene) override;
    void CloseSceneSlot(cKestruneScene* scene) override;
    void EnterScene(cKestruneScene* scene, int32_t flag) override;
    // members_sound.cpp
    void UpdateSound(cKestruneEngine& engine) override;
    // members_timer.cpp
    bool FrameDue(cKestruneEngine& engine) override;
    uint32_t FrameTime(cKestruneEngine& engine) override;
    // members_video.cpp
    bool VideoRealtime(cKestruneVideo* video) override;
    void ResumeVideoScript(cKestruneVideo* video) override;
    void DeleteVideo(cKestruneVideo* video) override;
    cKestruneVideo* UnlinkQueuedVideo(cKestruneVideo* video) override;

private:
    bool CreateFileSystem(cKestruneEngine& engine); // members_files.cpp
    void DestroyFileSystem(cKestruneEngine& engine);
    bool CreateFonts(cKestruneEngine& engine); // members_fonts.cpp
    void DestroyFonts(cKestruneEngine& engine);
    bool CreateGameplay(cKestruneEngine& engine); // members_gameplay.cpp
    void DestroyGameplay(cKestruneEngine& engine);
    bool CreateGraphics(cKestruneEngine& engine); // members_graphics.cpp
    void DestroyGraphics(cKestruneEngine& engine);
    bool CreateHints(cKestruneEngine& engine); // members_hints.cpp
    void DestroyHints(cKestruneEngine& engine);
    bool CreateInventory(cKestruneEngine& engine); // members_inventory.cpp
    void DestroyInventory(cKestruneEngine& engine);
    bool CreateMenu(cKestruneEngine& engine); // members_menu.cpp
    void DestroyMenu(cKestruneEngine& engine);
    bool CreateMessenger(cKestruneEngine& engine); // members_messenger.cpp
    void DestroyMessenger(cKestruneEngine& engine);
    bool CreateScene(cKestruneEngine& engine); // members_scene.cpp
    void DestroyScene(cKestruneEngine& engine);
    bool CreatePendingScene(cKestruneEngine& engine); // members_scene.cpp
    void DestroyPendingScene(cKestruneEngine& engine);
    bool CreateSound(cKestruneEngine& engine); // members_sound.cpp
    void DestroySound(cKestruneEngine& engine);
    bool CreateSprites(cKestruneEngine& engine); // members_sprites.cpp
    void DestroySprites(cKestruneEngine& engine);
    bool CreateTimer(cKestruneEngine& engine); // members_timer.cpp
    void DestroyTimer(cKestruneEngine& engine);
    bool CreateVideo(cKestruneEngine& engine); // members_video.cpp
    void DestroyVideo(cKestruneEngine& engine);
    bool CreateQueuedVideo(cKestruneEngine& engine); // members_video.cpp
    void DestroyQueuedVideo(cKestruneEngine& engine);

    cKestruneEngineGraphicsHost graphicsHost_;
    cKestruneEngineWorldHost worldHost_;
    cKestruneEngineSavegameHost savegameHost_;
    cKestruneEngineMenuHost menuHost_;
    cKestruneEngineNativeHost nativeHost_;
};

// Deletes a member and clears its field.
template <typename T>
void DeleteMember(T*& field)
{
    delete field;
    field = nullptr;
}
