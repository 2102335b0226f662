#include "engine/audio/kestrune_sound.h"

#include "engine/audio/sound_files.h"
#include "engine/audio/sound_host.h"
#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "platform/bink/bink.h"
#include "platform/fmod/fmod_errors.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr float kMusicFadeSpeed = 128.0f;
constexpr uint32_t kMusicModeAtOnce = 0xA000;   // from memory, 2D
constexpr uint32_t kMusicModeDeferred = 0x100A000; // the same, opened without blocking
constexpr uint32_t kStopMusicFixedSpeed = 0x2;

// Registry speaker mode -> FMOD speaker mode; other values leave FMOD's.
constexpr int kSpeakerModes[] = {
    FSOUND_SPEAKERMODE_STEREO, FSOUND_SPEAKERMODE_MONO,     FSOUND_SPEAKERMODE_QUAD,
    FSOUND_SPEAKERMODE_HEADPHONES, FSOUND_SPEAKERMODE_SURROUND, FSOUND_SPEAKERMODE_DOLBYDIGITAL,
};

// The one live sound object, which stream end notifications are meant for.
cKestruneSound* g_streamEndTarget = nullptr;

bool IsStreamKind(uint32_t kind) { return kind == kSoundKindMusic || kind == kSoundKindStream; }

float MusicVolumeFactor(const SoundSettings& settings) { return settings.MusicVolume / 255.0f * 0.5f; }

void RunCallback(cKestruneScript* script, const cString& name)
{
    if (script)
        script->Run(name.GetText());
}

void CloseStream(SoundChannel& record)
{
    if (record.stream) {
        FSOUND_Stream_Stop(record.stream);
        FSOUND_Stream_Close(record.stream);
        record.stream = nullptr;
    }
    std::free(record.streamData);
    record.streamData = nullptr;
}

} // namespace

void FreeDefinitionSamples(SoundDefinition& definition)
{
    if (definition.samples) {
        for (int32_t i = 0; i < definition.sampleCount; ++i) {
            if (definition.samples[i])
                FSOUND_Sample_Free(definition.samples[i]);
        }
        std::free(definition.samples);
        definition.samples = nullptr;
    } else if (definition.sample) {
        FSOUND_Sample_Free(definition.sample);
    }
    definition.sample = nullptr;
}

cKestruneSound::cKestruneSound()
{
    const SoundSettings settings = SoundHost().Settings();
    FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
    const uint32_t speakerMode = static_cast<uint32_t>(settings.Speakermode);
    if (speakerMode < std::size(kSpeakerModes))
        FSOUND_SetSpeakerMode(static_cast<unsigned>(kSpeakerModes[speakerMode]));
    if (static_cast<uint32_t>(settings.SoundBuffer) > 1)
        FSOUND_SetBufferSize(settings.SoundBuffer * 25);
    if (static_cast<uint32_t>(settings.SoundChannelsHW) < 255)
        FSOUND_SetMaxHardwareChannels(settings.SoundChannelsHW);
    FSOUND_SetMinHardwareChannels(32);
    if (!FSOUND_Init(44100, 16, FSOUND_INIT_GLOBALFOCUS)) {
        const int code = FSOUND_GetError();
        ReportError("sound", "", 1, "FMod init failed. Code: (%08x) - %s", static_cast<unsigned>(code),
                    FMOD_ErrorString(code));
        return;
    }
    outputHandle = FSOUND_GetOutputHandle();
    BinkSetSoundSystem(BinkOpenDirectSound, outputHandle);
    g_streamEndTarget = this;
    ready = 1;
}

cKestruneSound::~cKestruneSound()
{
    if (g_streamEndTarget == this)
        g_streamEndTarget = nullptr;
    StopSpeech();
    while (definitions.count > 0) {
        FreeDefinitionSamples(definitions.data[0]);
        definitions.RemoveAt(0);
    }
    for (int32_t i = 0; i < channels.count; ++i)
        CloseStream(channels.data[i]);
    FSOUND_Close();
}

cKestruneSound* cKestruneSound::Current() { return g_streamEndTarget; }

signed char cKestruneSound::OnStreamEnd(FSOUND_STREAM*, void*, int, void* userdata)
{
    cKestruneSound* const sound = g_streamEndTarget;
    if (sound) {
        const int32_t index = sound->FindSerial(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(userdata)));
        if (index >= 0)
            sound->channels.data[index].state = kChannelEnded;
    }
    return 1;
}

int32_t cKestruneSound::FindSerial(uint32_t serial) const
{
    for (int32_t i = 0; i < channels.count; ++i) {
        if (channels.data[i].serial == serial)
            return i;
    }
    return -1;
}

void cKestruneSound::PlayStream(SoundChannel& record)
{
    record.channel = FSOUND_Stream_Play(FSOUND_FREE, record.stream);
    FSOUND_SetVolumeAbsolute(record.channel, ClampVolume(record.volume * 255.0f));
    FSOUND_Stream_SetEndCallback(record.stream, OnStreamEnd, reinterpret_cast<void*>(uintptr_t{record.serial}));
    record.state = kChannelPlaying;
}

void cKestruneSound::PlayMusic(const char* name, cKestruneScript* script, const char* callback, uint32_t flags,
                               bool atOnce)
{
    StartMusic(name, script, callback, flags, atOnce);
}

int32_t cKestruneSound::StartMusic(const char* name, cKestruneScript* script, const char* callback, uint32_t flags,
                                   bool atOnce)
{
    if (musicName == name) {
        for (int32_t i = 0; i < channels.count; ++i) {
            if (channels.data[i].kind == kSoundKindMusic && channels.data[i].state != kChannelEnded)
                return -1;
        }
    }
    musicName = name;
    uint32_t length = 0;
    uint8_t* const data = ReadSoundFile((musicName + ".ogg").GetText(), length);
    if (!data)
        return -1;
    const uint32_t mode = (atOnce ? kMusicModeAtOnce : kMusicModeDeferred)
                          | ((flags & kSoundLoop) ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
    FSOUND_STREAM* const stream =
        FSOUND_Stream_Open(reinterpret_cast<const char*>(data), mode, 0, static_cast<int>(length));
    if (!stream) {
        std::free(data);
        const int code = FSOUND_GetError();
        ReportError("sound", "playmusic", 1, "Stream init failed. Code: (%08x) - %s", static_cast<unsigned>(code),
                    FMOD_ErrorString(code));
        return -1;
    }
    SoundChannel record;
    record.kind = kSoundKindMusic;
    record.state = kChannelOpening;
    record.stream = stream;
    record.streamData = data;
    record.streamDataLength = length;
    record.flags = flags;
    record.volume = MusicVolumeFactor(SoundHost().Settings());
    record.fadeSpeed = kMusicFadeSpeed;
    record.callbackName = callback ? callback : "";
    if (record.callbackName.GetLength() > 0)
        record.callbackScript = script;
    record.serial = nextSerial_++;

    for (int32_t i = 0; i < channels.count; ++i) {
        SoundChannel& old = channels.data[i];
        if (old.kind != kSoundKindMusic)
            continue;
        if (old.state == kChannelOpening)
            WaitForStreamOpen(old.stream);
        old.state = kChannelFadeRequested;
        old.callbackScript = nullptr;
        old.fadeSpeed = kMusicFadeSpeed;
    }

    const int32_t index = channels.Add(record);
    if (atOnce) {
        SoundChannel& added = channels.data[index];
        if (!WaitForStreamOpen(added.stream)) {
            CloseStream(added);
            channels.RemoveAt(index);
            return -1;
        }
        PlayStream(added);
    }
    return index;
}

void cKestruneSound::StopMusic(float seconds, uint32_t flags)
{
    // Zero seconds ask for an infinite speed: the fade step then ends the
    // music at its first turn.
    const float speed = (flags & kStopMusicFixedSpeed) ? kMusicFadeSpeed
                        : seconds > 0.0f                 ? 256.0f / seconds
                                                         : INFINITY;
    for (int32_t i = 0; i < channels.count; ++i) {
        SoundChannel& record = channels.data[i];
        if (record.kind != kSoundKindMusic)
            continue;
        if (record.state == kChannelOpening)
            WaitForStreamOpen(record.stream);
        record.state = kChannelFadeRequested;
        record.callbackScript = nullptr;
        record.fadeSpeed = speed;
    }
    musicName = "";
}

void cKestruneSound::EndChannel(int32_t index)
{
    SoundChannel& record = channels.data[index];
    if (IsStreamKind(record.kind))
        CloseStream(record);
    // The record names the script by serial: one gone since gives null.
    cKestruneScript* const script = record.callbackScript.Get();
    const cString callback = record.callbackName;
    channels.RemoveAt(index);
    // The callback may start or stop sounds: the list is settled first.
    RunCallback(script, callback);
}

void cKestruneSound::UpdateListener()
{
    cKestruneSoundHost& host = SoundHost();
    const cKestruneView* const view = host.CurrentView();
    if (!((view && view != listenerView) || host.VideoCurrent()))
        return;
    listenerView = view;
    float m[16];
    if (!host.CameraToWorld(m))
        return;
    const float position[3] = {m[12], m[13], -m[14]};
    const float velocity[3] = {0.0f, 0.0f, 0.0f};
    FSOUND_3D_Listener_SetAttributes(position, velocity, -m[8], -m[9], m[10], m[4], m[5], -m[6]);
}

void cKestruneSound::ApplyScreenFade()
{
    const SoundScreenFade fade = SoundHost().ScreenFade();
    if (fade.mode == 0 || !fade.sound)
        return;
    float factor = fade.mode == 1 ? 1.0f - fade.progress : fade.progress;
    if (factor < 0.0f)
        factor = 0.0f;
    if (factor > 1.0f)
        factor = 1.0f;
    for (int32_t i = 0; i < channels.count; ++i) {
        const SoundChannel& record = channels.data[i];
        if (record.kind != kSoundKindMusic)
            FSOUND_SetVolume(record.channel, ClampVolume(factor * record.volume * 255.0f));
    }
}

void cKestruneSound::Update()
{
    UpdateListener();
    ApplyScreenFade();
    const float delta = SoundHost().FrameDeltaSeconds();
    for (int32_t i = 0; i < channels.count;) {
        SoundChannel& record = channels.data[i];
        switch (record.state) {
        case kChannelPlaying:
            if (!IsStreamKind(record.kind) && !FSOUND_IsPlaying(record.channel)) {
                EndChannel(i);
                continue;
            }
            break;
        case kChannelOpening: {
            const int open = FSOUND_Stream_GetOpenState(record.stream);
            if (open == 0) {
                PlayStream(record);
            } else if (open != -2) {
                // The open failed: there is nothing to play or to wait for.
                CloseStream(record);
                channels.RemoveAt(i);
                continue;
            }
            break;
        }
        case kChannelEnded:
            EndChannel(i);
            continue;
        case kChannelFading: {
            const int current = FSOUND_GetVolume(record.channel);
            const float step = delta * record.fadeSpeed;
            // An infinite or huge step (a stop over no time) ends the fade.
            const int next = step < static_cast<float>(current) ? current - static_cast<int>(step) : 0;
            if (next <= 0) {
                FSOUND_SetVolumeAbsolute(record.channel, 0);
                record.state = kChannelEnded;
            } else if (record.kind == kSoundKindMusic) {
                FSOUND_SetVolumeAbsolute(record.channel, next);
            }
            break;
        }
        case kChannelStartPaused:
            FSOUND_SetPaused(record.channel, 0);
            record.state = kChannelPlaying;
            break;
        case kChannelStopRequested:
            FSOUND_StopSound(record.channel);
            record.state = kChannelEnded;
            break;
        case kChannelFadeRequested: record.state = kChannelFading; break;
        case kChannelHoldRequested: record.state = kChannelHeld; break;
        default: break;
        }
        ++i;
    }
    if (purgePending)
        PurgeStopped();
    FSOUND_Update();
}

void cKestruneSound::PurgeStopped()
{
    for (int32_t i = 0; i < channels.count;) {
        SoundChannel& record = channels.data[i];
        if (record.state == kChannelStopRequested || record.state == kChannelEnded) {
            FSOUND_StopSound(record.channel);
            CloseStream(record);
            channels.RemoveAt(i);
            continue;
        }
        ++i;
    }
    for (int32_t i = 0; i < definitions.count;) {
        if (definitions.data[i].flags & kSoundReleasePending) {
            FreeDefinitionSamples(definitions.data[i]);
            definitions.RemoveAt(i);
            continue;
        }
        ++i;
    }
    purgePending = 0;
}

void cKestruneSound::SetChannelVolume(int32_t index, float volume)
{
    if (index < 0 || index >= channels.count)
        return;
    channels.data[index].volume = volume;
    FSOUND_SetVolume(channels.data[index].channel, ClampVolume(volume * 255.0f));
}

void cKestruneSound::StopChannel(int32_t index)
{
    if (index < 0 || index >= channels.count || IsStreamKind(channels.data[index].kind))
        return;
    channels.data[index].state = kChannelStopRequested;
}

void cKestruneSound::SetChannelFrequency(int32_t index, float factor)
{
    if (index < 0 || index >= channels.count)
        return;
    FSOUND_SetFrequency(channels.data[index].channel, static_cast<int>(factor * 44100.0f));
}

void cKestruneSound::SetChannelPosition(int32_t index, float x, float y, float z)
{
    if (index < 0 || index >= channels.count)
        return;
    const float position[3] = {x, y, -z};
    const float velocity[3] = {0.0f, 0.0f, 0.0f};
    FSOUND_3D_SetAttributes(channels.data[index].channel, position, velocity);
}

int32_t cKestruneSound::FindChannel(int32_t ownerTag) const
{
    for (int32_t i = 0; i < channels.count; ++i) {
        if (channels.data[i].kind != kSoundKindMusic && channels.data[i].ownerTag == ownerTag)
            return i;
    }
    return -1;
}

void cKestruneSound::ApplyVolumes()
{
    const SoundSettings settings = SoundHost().Settings();
    for (int32_t i = 0; i < channels.count; ++i) {
        SoundChannel& record = channels.data[i];
        if (record.kind == kSoundKindMusic) {
            record.volume = MusicVolumeFactor(settings);
            if (record.state != kChannelFading)
                FSOUND_SetVolumeAbsolute(record.channel, ClampVolume(record.volume * 255.0f));
        } else {
            FSOUND_SetVolumeAbsolute(record.channel, ClampVolume(settings.SFXVolume * record.volume));
        }
    }
    if (speechChannel != -1)
        FSOUND_SetVolumeAbsolute(speechChannel, ClampVolume(static_cast<float>(settings.DialogueVolume)));
}
