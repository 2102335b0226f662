#pragma once

#include <cstdint>

class cKestruneCharacter;
class cKestruneScript;
class cKestruneView;

// The engine settings the sound object reads (registry values of the engine
// object); the defaults are the engine's own.
struct SoundSettings {
    int32_t Speakermode = 0;
    int32_t SoundBuffer = 0;
    int32_t SoundChannelsHW = 255;
    int32_t MusicVolume = 127;
    int32_t DialogueVolume = 255;
    int32_t SFXVolume = 255;
};

// The gameplay's screen fade as the sound sees it.
struct SoundScreenFade {
    int32_t mode = 0;      // 0 none, 1 fade out, 2 fade in
    bool sound = false;    // the fade takes the effects with it
    float progress = 0.0f; // seconds since the fade started x its rate
};

// What the sound object asks of the layers above it (camera, scene, gameplay,
// frame clock, savegame identities). The engine installs its own; the base
// class answers as an engine with no scene, no camera and no fade.
class cKestruneSoundHost {
public:
    virtual ~cKestruneSoundHost() = default;

    virtual SoundSettings Settings() const { return {}; }
    // The current scene's current view; null without a scene.
    virtual const cKestruneView* CurrentView() const { return nullptr; }
    virtual bool VideoCurrent() const { return false; }
    // The camera's inverse view matrix (row 1 up, row 2 look, row 3 position);
    // false when there is no camera.
    virtual bool CameraToWorld(float matrix[16]) const;
    virtual SoundScreenFade ScreenFade() const { return {}; }
    virtual float FrameDeltaSeconds() const { return 0.0f; }
    // The world position of a character's model; false when it has none.
    virtual bool CharacterPosition(const cKestruneCharacter* character, float position[3]) const;
    // Savegame identities of scripts.
    virtual uint32_t ScriptIdentity(const cKestruneScript* script) const;
    virtual cKestruneScript* FindScriptById(uint32_t id) const;
};

// Null restores the base answers.
void SetSoundHost(cKestruneSoundHost* host);
cKestruneSoundHost& SoundHost();
