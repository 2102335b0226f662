#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/script/script_identity.h"
#include "platform/fmod/fmod.h"

#include <cstdint>

class cKestruneCharacter;
class cKestruneScript;
class cKestruneView;
struct SavegameBlockHeader;

// Definition flags.
constexpr uint32_t kSoundLoop = 0x4;
constexpr uint32_t kSoundOgg = 0x8;
constexpr uint32_t kSound3D = 0x10;
constexpr uint32_t kSoundRandomList = 0x20;
constexpr uint32_t kSoundReleasePending = 0x2000;

// Definition kinds (kind 0: defined, not loaded) and the music channel kind.
constexpr uint32_t kSoundKindMusic = 0;
constexpr uint32_t kSoundKindStream = 1;
constexpr uint32_t kSoundKindMono = 2;
constexpr uint32_t kSoundKindStereo = 3;
constexpr uint32_t kSoundKind3D = 4;

// Channel states.
enum : uint32_t {
    kChannelPlaying = 0,
    kChannelOpening = 1,
    kChannelEnded = 2,
    kChannelFading = 3,
    kChannelHeld = 4,
    kChannelStartPaused = 5,
    kChannelStopRequested = 6,
    kChannelFadeRequested = 7,
    kChannelHoldRequested = 8,
};

// One script-defined sound id. Plain data: the sound object frees what it holds.
struct SoundDefinition {
    uint32_t kind = 0;
    int32_t id = 0;
    uint32_t flags = 0;
    cString name;
    FSOUND_SAMPLE* sample = nullptr;
    FSOUND_SAMPLE** samples = nullptr; // malloc'd, flag 0x20 only
    int32_t sampleCount = 0;
    int32_t lastPick = 0;
};

// One playing or pending music stream or effect. Plain data as above.
struct SoundChannel {
    uint32_t kind = 0;
    uint32_t state = 0;
    FSOUND_SAMPLE* sample = nullptr;
    int32_t id = 0;
    int32_t channel = -1;
    float volume = 0.0f;
    float pan = 0.0f;
    uint32_t flags = 0;
    FSOUND_STREAM* stream = nullptr;
    uint8_t* streamData = nullptr; // malloc'd, music only
    uint32_t streamDataLength = 0;
    float fadeSpeed = 128.0f;
    int32_t ownerTag = 0;
    cScriptRef callbackScript;
    cString callbackName;
    // The stream's end notification finds the record by this, wherever the
    // list has moved it.
    uint32_t serial = 0;
};

// The engine's one sound object: music streams with cross-fades, speech by
// distance, 2D and 3D effects, and the "SND" savegame block.
class cKestruneSound {
public:
    cKestruneSound();
    ~cKestruneSound();
    cKestruneSound(const cKestruneSound&) = delete;
    cKestruneSound& operator=(const cKestruneSound&) = delete;

    // The live sound object that came up, or null.
    static cKestruneSound* Current();

    void Update();

    void PlayMusic(const char* name, cKestruneScript* script, const char* callback, uint32_t flags, bool atOnce);
    void StopMusic(float seconds, uint32_t flags);

    void SetupSound(int32_t id, const char* name, uint32_t flags);
    void LoadSound(int32_t id);
    void PlaySound(int32_t id, float volume, float pan, cKestruneScript* script, const char* callback,
                   uint32_t flags, int32_t ignored = 0);
    void PlayEmittedSound(int32_t id, float volume, float x, float y, float z, cKestruneScript* script,
                          const char* callback, int32_t ownerTag, int32_t ignored = 0);
    void StopSound(int32_t id);
    void StopSounds();
    void PurgeStopped();

    void SetChannelVolume(int32_t index, float volume);
    void SetChannelFrequency(int32_t index, float factor);
    void SetChannelPosition(int32_t index, float x, float y, float z);
    int32_t FindChannel(int32_t ownerTag) const;
    // Stops one effect at the next update, as StopSound does for a whole id.
    void StopChannel(int32_t index);
    void ApplyVolumes();

    bool PlaySpeech(const char* name, cKestruneCharacter* character);
    void StopSpeech();
    bool IsSpeechDone();

    SoundDefinition* LoadUISound(const char* name, uint32_t flags);
    void PlayUISound(SoundDefinition* definition, float volume);
    void FreeUISound(SoundDefinition* definition);
    void ReleaseUISamples(SoundDefinition* definition);

    int32_t SaveBlock(int file);
    // header holds the block's header on entry and the next block's on return.
    int32_t LoadBlock(int file, SavegameBlockHeader& header);

    // Fields, in the engine's order.
    void* outputHandle = nullptr;
    uint32_t ready = 0;
    int32_t footstepSound = -1;
    uint8_t purgePending = 0;
    cString musicName;
    DynArray<SoundChannel> channels;
    DynArray<SoundDefinition> definitions;
    const cKestruneView* listenerView = nullptr;
    int32_t speechChannel = -1;
    float speechVolume = 0.0f;
    FSOUND_STREAM* speechStream = nullptr;
    uint8_t* speechData = nullptr;
    uint32_t speechDataLength = 0;
    cKestruneCharacter* speakingCharacter = nullptr;

private:
    static signed char OnStreamEnd(FSOUND_STREAM* stream, void* buffer, int length, void* userdata);

    SoundDefinition* FindDefinition(int32_t id);
    // Index of the new record, -1 when nothing started.
    int32_t StartMusic(const char* name, cKestruneScript* script, const char* callback, uint32_t flags, bool atOnce);
    int32_t StartEffect(int32_t id, float volume, float pan, const float* position, cKestruneScript* script,
                        const char* callback, uint32_t flags, int32_t ownerTag);
    void LoadDefinition(SoundDefinition& definition, uint32_t mode2D);
    void PlayStream(SoundChannel& record);
    void EndChannel(int32_t index);
    void UpdateListener();
    void ApplyScreenFade();
    int32_t FindSerial(uint32_t serial) const;

    uint32_t nextSerial_ = 1;
};

// Frees a definition's samples (and the list array).
void FreeDefinitionSamples(SoundDefinition& definition);

// Base volume (0..255, negative far away) of speech from a speaker that far
// from the camera on the floor plane.
float SpeechBaseVolume(float distance);
