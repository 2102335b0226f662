#pragma once

#include "platform/win32/wintypes.h"

#include <cstdint>

class cKestruneEngine;
class cKestruneScene;
class cKestruneScript;
class cKestruneVideo;

// The engine's members, in the order the start-up creates them, followed by
// the objects the engine owns without creating them at start.
enum class KestruneMember {
    Timer,
    FileSystem,
    Graphics,
    Sprites,
    Sound,
    Fonts,
    Inventory,
    Messenger,
    Gameplay,
    Hints,
    Menu,
    Scene,
    PendingScene,
    Video,
    QueuedVideo,
};

// Everything the engine top object, its main loop and its window procedure ask
// of the subsystems it owns, in one place. The engine decides order and
// policy; this decides how a subsystem does its part. The base class answers
// as if every member were absent; the engine's own implementation
// (default_members.cpp) reaches the real members, and tests substitute fakes
// that record what the engine asked for.
class cKestruneMembers {
public:
    virtual ~cKestruneMembers() = default;

    // Start-up and shut-down. Create makes the member into its engine field,
    // with whatever set-up follows its construction, and says whether it came
    // up: false when it could not be allocated, or when its ready mark is
    // checked at start and is not set (a member whose ready mark is not
    // checked answers true once allocated). Destroy deletes it when present
    // and clears the field.
    virtual bool Create(cKestruneEngine& engine, KestruneMember member);
    virtual void Destroy(cKestruneEngine& engine, KestruneMember member);

    // The main loop.
    virtual void SetGameState(cKestruneEngine& engine, uint32_t state);
    // -1 when there is no such savegame.
    virtual int32_t LoadSavegame(cKestruneEngine& engine, const char* name);
    virtual int32_t RunProjectFunction(cKestruneEngine& engine, const char* function);
    // The menu's new-game routine; it clears the engine's request.
    virtual void NewGame(cKestruneEngine& engine);
    // The frame clock's gate; firing due script timers is part of the question.
    virtual bool FrameDue(cKestruneEngine& engine);
    // The time of the current frame (ms on the timeGetTime scale).
    virtual uint32_t FrameTime(cKestruneEngine& engine);
    virtual void UpdateSound(cKestruneEngine& engine);
    virtual void InputStep(cKestruneEngine& engine);
    virtual void DrawFrame(cKestruneEngine& engine);

    // The identity by which savegames refer to a live script.
    virtual uint32_t ScriptIdentity(const cKestruneScript* script);

    // The scene switch.
    virtual void LeaveScene(cKestruneScene* scene, int32_t flag);
    virtual void DeleteScene(cKestruneScene* scene);
    virtual int32_t LoadScene(cKestruneScene* scene);
    virtual void CloseSceneSlot(cKestruneScene* scene);
    virtual void EnterScene(cKestruneScene* scene, int32_t flag);

    // The window procedure's view of the gameplay object.
    virtual bool HasGameplay(cKestruneEngine& engine);
    virtual void GetMouseLimits(cKestruneEngine& engine, int32_t& maxX, int32_t& maxY);
    virtual void SetMouse(cKestruneEngine& engine, int32_t x, int32_t y);
    // The pending click slot of a mouse button (0 none, 1 click, 2 double click).
    virtual int32_t* ButtonEvent(cKestruneEngine& engine, bool right);
    virtual uint32_t GameState(cKestruneEngine& engine);
    virtual bool PlayerWalking(cKestruneEngine& engine);
    virtual bool ScriptedWaitPending(cKestruneEngine& engine);
    virtual bool HasInventoryItem(cKestruneEngine& engine, const char* name);

    // The dialogue: its state is 0 when there is no dialogue object.
    virtual int32_t DialogueState(cKestruneEngine& engine);
    virtual bool DialogueSpeechPlaying(cKestruneEngine& engine);
    virtual void StopDialogueSpeech(cKestruneEngine& engine);
    virtual void EndDialogueLine(cKestruneEngine& engine);

    // The in-game menu; a missing menu is a closed one.
    virtual bool MenuOpen(cKestruneEngine& engine);
    virtual int32_t MenuScreen(cKestruneEngine& engine);
    // The options slider a held left button drags (1 to 4), else 0.
    virtual int32_t MenuActiveControl(cKestruneEngine& engine);
    virtual void OpenMenu(cKestruneEngine& engine);
    virtual void CloseMenu(cKestruneEngine& engine);
    virtual void MenuToMainScreen(cKestruneEngine& engine);
    virtual void MenuNameEntry(cKestruneEngine& engine, WPARAM character);

    // Videos, hints and the screen.
    virtual bool VideoRealtime(cKestruneVideo* video);
    // Resumes the script waiting on the video, if it holds one.
    virtual void ResumeVideoScript(cKestruneVideo* video);
    virtual void DeleteVideo(cKestruneVideo* video);
    // Detaches a queued video from those queued behind it and returns the
    // first of them (null when it was the last).
    virtual cKestruneVideo* UnlinkQueuedVideo(cKestruneVideo* video);
    virtual bool HasHints(cKestruneEngine& engine);
    virtual void ShowHints(cKestruneEngine& engine, bool show);
    virtual bool HasGraphics(cKestruneEngine& engine);
    virtual void SaveScreenshot(cKestruneEngine& engine, const char* fileName);
};
