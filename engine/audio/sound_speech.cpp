// Speech: one stream for the line being spoken, as loud as the speaker is near.

#include "engine/audio/kestrune_sound.h"

#include "engine/audio/sound_files.h"
#include "engine/audio/sound_host.h"
#include "engine/base/engine_link.h"
#include "platform/fmod/fmod_errors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr uint32_t kSpeechMode = 0xA000; // from memory, 2D, opened at once
constexpr float kFullVolumeDistance = 10.0f;
constexpr float kMaxAttenuatedDistance = 223.0f;
constexpr float kVolumePerUnit = 1.25f;

} // namespace

// Base volume (0..255) of a speaker d units from the camera on the floor plane.
float SpeechBaseVolume(float distance)
{
    const float beyond = std::min(std::max(distance - kFullVolumeDistance, 0.0f), kMaxAttenuatedDistance);
    return 255.0f - std::trunc(beyond) * kVolumePerUnit;
}

bool cKestruneSound::PlaySpeech(const char* name, cKestruneCharacter* character)
{
    StopSpeech();
    const cString file = cString(name ? name : "") + ".ogg";
    uint32_t length = 0;
    uint8_t* const data = ReadSoundFile(file.GetText(), length);
    if (!data)
        return false;
    FSOUND_STREAM* const stream =
        FSOUND_Stream_Open(reinterpret_cast<const char*>(data), kSpeechMode, 0, static_cast<int>(length));
    if (!stream) {
        std::free(data);
        const int code = FSOUND_GetError();
        ReportError("sound", "playspeech", 1, "Stream init failed. Code: (%08x) - %s", static_cast<unsigned>(code),
                    FMOD_ErrorString(code));
        return false;
    }
    if (!WaitForStreamOpen(stream)) {
        FSOUND_Stream_Close(stream);
        std::free(data);
        return false;
    }
    speechStream = stream;
    speechData = data;
    speechDataLength = length;
    speechChannel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, 1);
    speechVolume = 255.0f;
    cKestruneSoundHost& host = SoundHost();
    if (character) {
        speakingCharacter = character;
        float speaker[3];
        float camera[16];
        if (host.CharacterPosition(character, speaker) && host.CameraToWorld(camera)) {
            const float dx = speaker[0] - camera[12];
            const float dz = speaker[2] - camera[14];
            speechVolume = SpeechBaseVolume(std::sqrt(dx * dx + dz * dz));
        }
    }
    // Far speakers would get a negative volume: they are silent instead.
    FSOUND_SetVolumeAbsolute(speechChannel, ClampVolume(host.Settings().DialogueVolume / 255.0f * speechVolume));
    FSOUND_SetPaused(speechChannel, 0);
    return true;
}

void cKestruneSound::StopSpeech()
{
    if (speechChannel != -1)
        FSOUND_StopSound(speechChannel);
    if (speechStream) {
        FSOUND_Stream_Stop(speechStream);
        FSOUND_Stream_Close(speechStream);
        speechStream = nullptr;
    }
    std::free(speechData);
    speechData = nullptr;
    speechDataLength = 0;
    speechChannel = -1;
    speakingCharacter = nullptr;
}

bool cKestruneSound::IsSpeechDone()
{
    if (speechChannel != -1 && FSOUND_IsPlaying(speechChannel))
        return false;
    speakingCharacter = nullptr;
    return true;
}
