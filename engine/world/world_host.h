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
// subsystem); until then, and in tests, the base class answers as if every
// member were absent (the graphics object and the frame clock excepted, which
// it reaches itself), and tests install fakes that record what was asked.
class cKestruneWorldHost {
public:
    virtual ~cKestruneWorldHost() = default;

    // Player character and controllers.
    virtual bool HasPlayer();
    // The player's model position (x, y, z); false without a player.
    virtual bool PlayerPosition(float& x, float& y, float& z);
    virtual void SetPlayerPosition(float x, float y, float z);
    // The controller's floor height at (x, z) (controller operation 5).
    virtual float PlayerFloorHeight(float x, float z);
    // The player's and every scene character's controller re-bind the walk
    // map (controller operation 7).
    virtual void BindWalkMaps(cKestruneScene& scene);
    // Per-frame animation of the player and of the scene's characters.
    virtual void UpdatePlayer();
    virtual void UpdateSceneCharacters(cKestruneScene& scene);
    // Scene leave: stop and delete the slot-1 animation, drop the hotspot
    // index, unlink the linked object.
    virtual void ReleasePlayerSceneLinks();
    virtual bool PlayerWalking();
    // Walk to the floor point under the screen point; false when no floor
    // point is found there.
    virtual bool WalkToScreenPoint(int32_t x, int32_t y, bool run);
    // Deletes the scene's characters (the scene owns them; characters are
    // built elsewhere).
    virtual void DeleteSceneCharacters(cKestruneScene& scene);

    // The sprite system.
    virtual void SetCamera(const granny_camera& camera);
    virtual void ClearSpecialBehavior();
    virtual void ClearLights();
    virtual void PurgeMeshSpriteCache();

    // Sound, texts and the graphics object list: scene leave.
    virtual void StopSceneSounds();
    virtual void ReleaseAllTexts();
    virtual void ClearGraphicsObjects();

    // The inventory bar (state 0 when absent).
    virtual int32_t InventoryBarState();
    virtual void SetInventoryBarState(int32_t state);
    virtual void CloseInventoryBar();
    virtual bool InventoryMouseOverItem();
    virtual int32_t HeldItemCursor();
    virtual void InventoryClick(bool right);

    // Objects the gameplay object owns but other folders build.
    virtual void TakeProjectItems(const ProjectHeader& project);
    virtual void CreateDialogue();
    virtual void DeleteDialogue();
    virtual void DeletePlayer();

    // Dialogue (state 0 when absent).
    virtual int32_t DialogueState();
    virtual void ResetDialogue();
    virtual void UpdateDialogue();

    // Menu, messenger, screen control and video.
    virtual bool MenuOpen();
    virtual void MenuInput();
    virtual void MessengerClick();
    virtual bool MessengerOverPad();
    virtual bool HasScreenControl();
    virtual bool ScreenControlDone();
    virtual void ScreenControlInput();
    virtual void DeleteScreenControl();
    virtual bool HasVideo();

    // Hotspots: the hover test of the scene at band coordinates; the hovered
    // hotspot's cursor and its click events.
    virtual bool UpdateHoverHotspot(cKestruneScene& scene, int32_t x, int32_t y);
    virtual bool HasHoverHotspot(cKestruneScene& scene);
    virtual int32_t HoverHotspotCursor(cKestruneScene& scene);
    virtual void HotspotUse(cKestruneScene& scene, bool run);
    virtual void HotspotLook(cKestruneScene& scene, bool run);
    // Binds the detail-view exit hotspot to the view index.
    virtual void BindExitHotspot(int32_t viewIndex);

    // The graphics object: the current cursor, the letterbox edges and the
    // scene band's rows.
    virtual void SetCursor(int32_t cursor);
    virtual int32_t LetterboxTop();
    virtual int32_t LetterboxBottom();
    virtual int32_t BandTop();
    virtual int32_t BandBottom();

    // The engine's current scene, or null.
    virtual cKestruneScene* CurrentScene();

    // Characters in savegames: the CHR block of the character a script
    // variable names (false: no live character, nothing written), and the
    // reading of one CHR block into a new character stored in the variable,
    // or into a throw-away one when variable is null (an unmatched block);
    // either way the next block's header is left in header. The base answer
    // passes over the payload.
    virtual bool SaveCharacterBlock(uint32_t character, const char* name, int file);
    virtual void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                                    SavegameBlockHeader& header);

    // Frame clock.
    virtual uint32_t FrameTime();
    virtual void TickClock();
    virtual void DropTimers();
    // Makes scene the one the main loop enters next (a scene still waiting
    // there is deleted); the base answer deletes it at once.
    virtual void SetPendingScene(cKestruneScene* scene);
    // Whether a scene change waits for the main loop.
    virtual bool ScenePending();
    virtual void SetPreviousSceneName(const char* name);
};

// Null restores the base host.
void SetWorldHost(cKestruneWorldHost* host);
cKestruneWorldHost& WorldHost();
