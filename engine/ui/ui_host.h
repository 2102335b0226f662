#pragma once

#include "engine/base/object_handles.h"

#include <cstdint>

class cKestruneCharacter;
class cKestruneScript;

// What the inventory, the dialogue player, the screen controls and the
// messenger need from members built in other folders or above this one: the
// frame clock and its timers, settings, characters (reached by handle, so a
// character freed with its scene is noticed), speech, hints, the sprite
// system and the project script. The engine installs its own host; until
// then, and in tests, the base class answers as if those members were absent
// (the frame clock excepted, which it reads through the graphics host).
class cKestruneUiHost {
public:
    virtual ~cKestruneUiHost() = default;

    // Frame clock: the frame time in ms, seconds and the last frame's delta.
    virtual uint32_t FrameTime();
    virtual float FrameSeconds();
    virtual float FrameDeltaSeconds();
    // A frame-clock timer that runs function (or a resume point "#n") of
    // script after seconds.
    virtual void AddTimer(cKestruneScript* script, const char* function, float seconds);

    // The Subtitle setting (1: spoken lines also show their text).
    virtual int32_t Subtitle();

    // Characters: the player character, a character's text colour (the
    // player's for kNoObject), speech by distance and lip sync.
    virtual ObjectHandle PlayerCharacter();
    virtual ObjectHandle CharacterHandle(const cKestruneCharacter* character);
    virtual uint32_t TextColour(ObjectHandle character);
    virtual bool PlaySpeech(const char* name, ObjectHandle character);
    virtual bool SpeechDone();
    virtual void StopSpeech();
    virtual void StartLipSync(ObjectHandle character, const char* name);
    // Stops the player character's walk (a screen control takes over).
    virtual void StopPlayerWalk();

    // Talking heads: a character with the named ".gr2" model, lit by full
    // ambient light, never idle, its brows at the origin; kNoObject when the
    // model does not load. Drawn with the camera into the viewport (the
    // device's viewport and render states are the caller's).
    virtual ObjectHandle CreateHead(const char* model, uint32_t colour);
    virtual void DeleteHead(ObjectHandle head);
    virtual void RenderHead(ObjectHandle head);
    // Places a scene character's model so that its brows sit at the origin
    // (the chat control's close-up), and draws it for the close-up.
    virtual void CentreOnBrows(ObjectHandle character);
    virtual void RenderCloseUp(ObjectHandle character);

    // Hints, the sprite system's cache and the project script.
    virtual void ShowHints(bool show);
    virtual void CacheMeshSprite(const char* name);
    virtual void RunProjectFunction(const char* function);
};

// The gameplay object's game-state word; a scratch word without one.
uint32_t& UiGameState();

// Null restores the base host.
void SetUiHost(cKestruneUiHost* host);
cKestruneUiHost& UiHost();
