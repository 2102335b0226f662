#pragma once

#include "engine/base/object_handles.h"

#include <cstdint>

class cKestruneCharacter;
class cKestruneScript;

// What the inventory, the dialogue player, the screen controls and the
// messenger need from members built in other folders or above this one: the
// frame clock and its timers, settings, characters (reached by handle, so a
// character freed with its scene is noticed), speech, hints, the sprite
// system and the project script. The engine installs its own host; what
// the real engine must supply has no base answer.
class cKestruneUiHost {
public:
    virtual ~cKestruneUiHost() = default;

    // Frame clock: the frame time in ms, seconds and the last frame's delta.
    // Kept: the graphics host answers them for every caller.
    virtual uint32_t FrameTime();
    virtual float FrameSeconds();
    virtual float FrameDeltaSeconds();
    // A frame-clock timer that runs function (or a resume point "#n") of
    // script after seconds.
    virtual void AddTimer(cKestruneScript* script, const char* function, float seconds) = 0;

    // The Subtitle setting (1: spoken lines also show their text).
    virtual int32_t Subtitle() = 0;

    // Characters: the player character, a character's text colour (the
    // player's for kNoObject), speech by distance and lip sync.
    virtual ObjectHandle PlayerCharacter() = 0;
    virtual ObjectHandle CharacterHandle(const cKestruneCharacter* character) = 0;
    virtual uint32_t TextColour(ObjectHandle character) = 0;
    virtual bool PlaySpeech(const char* name, ObjectHandle character) = 0;
    virtual bool SpeechDone() = 0;
    virtual void StopSpeech() = 0;
    virtual void StartLipSync(ObjectHandle character, const char* name) = 0;
    // Stops the player character's walk (a screen control takes over).
    virtual void StopPlayerWalk() = 0;

    // Talking heads: a character with the named ".gr2" model, lit by full
    // ambient light, never idle, its brows at the origin; kNoObject when the
    // model does not load. Drawn with the camera into the viewport (the
    // device's viewport and render states are the caller's).
    virtual ObjectHandle CreateHead(const char* model, uint32_t colour) = 0;
    virtual void DeleteHead(ObjectHandle head) = 0;
    virtual void RenderHead(ObjectHandle head) = 0;
    // Places a scene character's model so that its brows sit at the origin
    // (the chat control's close-up), and draws it for the close-up.
    virtual void CentreOnBrows(ObjectHandle character) = 0;
    virtual void RenderCloseUp(ObjectHandle character) = 0;

    // Hints, the sprite system's cache and the project script.
    virtual void ShowHints(bool show) = 0;
    virtual void CacheMeshSprite(const char* name) = 0;
    virtual void RunProjectFunction(const char* function) = 0;
};

// The answers of an engine with none of the members above: what the ui
// members see before the engine installs its host, and the base of test fakes.
class cKestruneNullUiHost : public cKestruneUiHost {
public:
    void AddTimer(cKestruneScript* script, const char* function, float seconds) override;
    int32_t Subtitle() override;
    ObjectHandle PlayerCharacter() override;
    ObjectHandle CharacterHandle(const cKestruneCharacter* character) override;
    uint32_t TextColour(ObjectHandle character) override;
    bool PlaySpeech(const char* name, ObjectHandle character) override;
    bool SpeechDone() override;
    void StopSpeech() override;
    void StartLipSync(ObjectHandle character, const char* name) override;
    void StopPlayerWalk() override;
    ObjectHandle CreateHead(const char* model, uint32_t colour) override;
    void DeleteHead(ObjectHandle head) override;
    void RenderHead(ObjectHandle head) override;
    void CentreOnBrows(ObjectHandle character) override;
    void RenderCloseUp(ObjectHandle character) override;
    void ShowHints(bool show) override;
    void CacheMeshSprite(const char* name) override;
    void RunProjectFunction(const char* function) override;
};

// The gameplay object's game-state word; a scratch word without one.
uint32_t& UiGameState();

// Null restores the null host (the answers of an engine without members).
void SetUiHost(cKestruneUiHost* host);
cKestruneUiHost& UiHost();
