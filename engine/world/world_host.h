#pragma once

#include <cstdint>

class cKestruneScene;
struct SavegameBlockHeader;
class ScriptValue;
struct ProjectHeader;
class cKestruneScript;
class cKestruneView;
struct granny_camera;

// What the scene, its views and layers and the gameplay object need from
// members that other folders build: the player character and the
// controllers, the sprite system, sound, texts, the graphics object list,
// the inventory bar, dialogue, menu, messenger, screen controls, video and
// hotspots. The engine installs its own host (engine/app, one file per
// subsystem); what the real engine must supply has no
// base answer.
class cKestruneWorldHost {
public:
    virtual ~cKestruneWorldHost() = default;

    // Player character and controllers.
    virtual bool HasPlayer() = 0;
    // The player's model position (x, y, z); false without a player.
    virtual bool PlayerPosition(float& x, float& y, float& z) = 0;
    virtual void SetPlayerPosition(float x, float y, float z) = 0;
    // The controller's floor height at (x, z) (controller operation 5).
    virtual float PlayerFloorHeight(float x, float z) = 0;
    // The player's and every scene character's controller re-bind the walk
    // map (controller operation 7).
    virtual void BindWalkMaps(cKestruneScene& scene) = 0;
    // Per-frame animation of the player and of the scene's characters.
    virtual void UpdatePlayer() = 0;
    virtual void UpdateSceneCharacters(cKestruneScene& scene) = 0;
    // Scene leave: stop and delete the slot-1 animation, drop the hotspot
    // index, unlink the linked object.
    virtual void ReleasePlayerSceneLinks() = 0;
    virtual bool PlayerWalking() = 0;
    // Walk to the floor point under the screen point; false when no floor
    // point is found there.
    virtual bool WalkToScreenPoint(int32_t x, int32_t y, bool run) = 0;
    // Deletes the scene's characters (the scene owns them; characters are
    // built elsewhere).
    virtual void DeleteSceneCharacters(cKestruneScene& scene) = 0;

    // The sprite system.
    virtual void SetCamera(const granny_camera& camera) = 0;
    virtual void ClearSpecialBehavior() = 0;
    virtual void ClearLights() = 0;
    virtual void PurgeMeshSpriteCache() = 0;

    // Sound, texts and the graphics object list: scene leave.
    virtual void StopSceneSounds() = 0;
    virtual void ReleaseAllTexts() = 0;
    virtual void ClearGraphicsObjects() = 0;

    // The inventory bar (state 0 when absent).
    virtual int32_t InventoryBarState() = 0;
    virtual void SetInventoryBarState(int32_t state) = 0;
    virtual void CloseInventoryBar() = 0;
    virtual bool InventoryMouseOverItem() = 0;
    virtual int32_t HeldItemCursor() = 0;
    virtual void InventoryClick(bool right) = 0;

    // Objects the gameplay object owns but other folders build.
    virtual void TakeProjectItems(const ProjectHeader& project) = 0;
    virtual void CreateDialogue() = 0;
    virtual void DeleteDialogue() = 0;
    virtual void DeletePlayer() = 0;

    // Dialogue (state 0 when absent).
    virtual int32_t DialogueState() = 0;
    virtual void ResetDialogue() = 0;
    virtual void UpdateDialogue() = 0;

    // Menu, messenger, screen control and video.
    virtual bool MenuOpen() = 0;
    virtual void MenuInput() = 0;
    virtual void MessengerClick() = 0;
    virtual bool MessengerOverPad() = 0;
    virtual bool HasScreenControl() = 0;
    virtual bool ScreenControlDone() = 0;
    virtual void ScreenControlInput() = 0;
    virtual void DeleteScreenControl() = 0;
    // Kept: the graphics host answers it for every caller.
    virtual bool HasVideo();

    // Hotspots: the hover test of the scene at band coordinates; the hovered
    // hotspot's cursor and its click events.
    virtual bool UpdateHoverHotspot(cKestruneScene& scene, int32_t x, int32_t y) = 0;
    virtual bool HasHoverHotspot(cKestruneScene& scene) = 0;
    virtual int32_t HoverHotspotCursor(cKestruneScene& scene) = 0;
    virtual void HotspotUse(cKestruneScene& scene, bool run) = 0;
    virtual void HotspotLook(cKestruneScene& scene, bool run) = 0;
    // Binds the detail-view exit hotspot to the view index.
    virtual void BindExitHotspot(int32_t viewIndex) = 0;

    // Kept: this folder reaches the graphics object itself.
    // The graphics object: the current cursor, the letterbox edges and the
    // scene band's rows.
    virtual void SetCursor(int32_t cursor);
    virtual int32_t LetterboxTop();
    virtual int32_t LetterboxBottom();
    virtual int32_t BandTop();
    virtual int32_t BandBottom();

    // The engine's current scene, or null.
    virtual cKestruneScene* CurrentScene() = 0;

    // Characters in savegames: the CHR block of the character a script
    // variable names (false: no live character, nothing written), and the
    // reading of one CHR block into a new character stored in the variable,
    // or into a throw-away one when variable is null (an unmatched block);
    // either way the next block's header is left in header.
    virtual bool SaveCharacterBlock(uint32_t character, const char* name, int file) = 0;
    virtual void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                                    SavegameBlockHeader& header) = 0;

    // Frame clock.
    // Kept: the graphics host answers it for every caller.
    virtual uint32_t FrameTime();
    virtual void TickClock() = 0;
    virtual void DropTimers() = 0;
    // Makes scene the one the main loop enters next (a scene still waiting
    // there is deleted).
    virtual void SetPendingScene(cKestruneScene* scene) = 0;
    // Whether a scene change waits for the main loop.
    // Kept: the graphics host answers it for every caller.
    virtual bool ScenePending();
    virtual void SetPreviousSceneName(const char* name) = 0;
};

// The answers of an engine with none of the members above: what the world
// sees before the engine installs its host, and the base of test fakes.
class cKestruneNullWorldHost : public cKestruneWorldHost {
public:
    bool HasPlayer() override;
    bool PlayerPosition(float& x, float& y, float& z) override;
    void SetPlayerPosition(float x, float y, float z) override;
    float PlayerFloorHeight(float x, float z) override;
    void BindWalkMaps(cKestruneScene& scene) override;
    void UpdatePlayer() override;
    void UpdateSceneCharacters(cKestruneScene& scene) override;
    void ReleasePlayerSceneLinks() override;
    bool PlayerWalking() override;
    bool WalkToScreenPoint(int32_t x, int32_t y, bool run) override;
    void DeleteSceneCharacters(cKestruneScene& scene) override;
    void SetCamera(const granny_camera& camera) override;
    void ClearSpecialBehavior() override;
    void ClearLights() override;
    void PurgeMeshSpriteCache() override;
    void StopSceneSounds() override;
    void ReleaseAllTexts() override;
    void ClearGraphicsObjects() override;
    int32_t InventoryBarState() override;
    void SetInventoryBarState(int32_t state) override;
    void CloseInventoryBar() override;
    bool InventoryMouseOverItem() override;
    int32_t HeldItemCursor() override;
    void InventoryClick(bool right) override;
    void TakeProjectItems(const ProjectHeader& project) override;
    void CreateDialogue() override;
    void DeleteDialogue() override;
    void DeletePlayer() override;
    int32_t DialogueState() override;
    void ResetDialogue() override;
    void UpdateDialogue() override;
    bool MenuOpen() override;
    void MenuInput() override;
    void MessengerClick() override;
    bool MessengerOverPad() override;
    bool HasScreenControl() override;
    bool ScreenControlDone() override;
    void ScreenControlInput() override;
    void DeleteScreenControl() override;
    bool UpdateHoverHotspot(cKestruneScene& scene, int32_t x, int32_t y) override;
    bool HasHoverHotspot(cKestruneScene& scene) override;
    int32_t HoverHotspotCursor(cKestruneScene& scene) override;
    void HotspotUse(cKestruneScene& scene, bool run) override;
    void HotspotLook(cKestruneScene& scene, bool run) override;
    void BindExitHotspot(int32_t viewIndex) override;
    cKestruneScene* CurrentScene() override;
    bool SaveCharacterBlock(uint32_t character, const char* name, int file) override;
    void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                                    SavegameBlockHeader& header) override;
    void TickClock() override;
    void DropTimers() override;
    void SetPendingScene(cKestruneScene* scene) override;
    void SetPreviousSceneName(const char* name) override;
};

// Null restores the null host (the answers of an engine without members).
void SetWorldHost(cKestruneWorldHost* host);
cKestruneWorldHost& WorldHost();
