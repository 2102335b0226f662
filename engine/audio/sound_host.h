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
// frame clock, savegame identities). The engine installs its own; what the real
// engine must supply has no base answer.
class cKestruneSoundHost {
public:
    virtual ~cKestruneSoundHost() = default;

    virtual SoundSettings Settings() const = 0;
    // The current scene's current view; null without a scene.
    virtual const cKestruneView* CurrentView() const = 0;
    virtual bool VideoCurrent() const = 0;
    // The camera's inverse view matrix (row 1 up, row 2 look, row 3 position);
    // false when there is no camera.
    virtual bool CameraToWorld(float matrix[16]) const = 0;
    virtual SoundScreenFade ScreenFade() const = 0;
    virtual float FrameDeltaSeconds() const = 0;
    // The world position of a character's model; false when it has none.
    virtual bool CharacterPosition(const cKestruneCharacter* character, float position[3]) const = 0;
    // Savegame identities of scripts.
    virtual uint32_t ScriptIdentity(const cKestruneScript* script) const = 0;
    virtual cKestruneScript* FindScriptById(uint32_t id) const = 0;
};

// The answers of an engine with no scene, no camera and no fade: what the
// sound object sees before the engine installs its host, and the base of test
// fakes.
class cKestruneNullSoundHost : public cKestruneSoundHost {
public:
    SoundSettings Settings() const override { return {}; }
    const cKestruneView* CurrentView() const override { return nullptr; }
    bool VideoCurrent() const override { return false; }
    bool CameraToWorld(float matrix[16]) const override;
    SoundScreenFade ScreenFade() const override { return {}; }
    float FrameDeltaSeconds() const override { return 0.0f; }
    bool CharacterPosition(const cKestruneCharacter* character, float position[3]) const override;
    uint32_t ScriptIdentity(const cKestruneScript* script) const override;
    cKestruneScript* FindScriptById(uint32_t id) const override;
};

// Null restores the null host (the answers of an engine without members).
void SetSoundHost(cKestruneSoundHost* host);
cKestruneSoundHost& SoundHost();
