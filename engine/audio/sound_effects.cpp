// Effect definitions, their loading and 2D and 3D playing, and the menu's
// standalone sounds.

#include "engine/audio/kestrune_sound.h"

#include "engine/audio/sound_files.h"
#include "engine/audio/sound_host.h"
#include "platform/crt/rand.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kReleasedIdBits = 0xF000;

// Loads one file into a sample: null when the file is missing (missing is
// true then) or when FMOD refuses it even without hardware 3D.
FSOUND_SAMPLE* LoadSampleFile(const cString& file, uint32_t mode, bool& missing)
{
    uint32_t length = 0;
    uint8_t* const data = ReadSoundFile(file.GetText(), length);
    missing = data == nullptr;
    if (missing)
        return nullptr;
    const char* const bytes = reinterpret_cast<const char*>(data);
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, bytes, mode, 0, static_cast<int>(length));
    if (!sample && (mode & FSOUND_HW3D))
        sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, bytes, mode & ~FSOUND_HW3D, 0, static_cast<int>(length));
    std::free(data);
    return sample;
}

// The sample of this play, for a list a random entry other than the last one
// picked. A list of one plays its entry; an empty list plays nothing.
FSOUND_SAMPLE* PickSample(SoundDefinition& definition)
{
    if (!(definition.flags & kSoundRandomList) || !definition.samples)
        return definition.sample;
    const int32_t count = definition.sampleCount;
    if (count <= 0)
        return nullptr;
    int32_t pick = 0;
    if (count > 1) {
        const int32_t divisor = 32767 / count;
        do {
            pick = divisor > 0 ? rand() / divisor : rand() % count;
        } while (pick == definition.lastPick || pick >= count);
    }
    definition.lastPick = pick;
    definition.sample = definition.samples[pick];
    return definition.sample;
}

} // namespace

SoundDefinition* cKestruneSound::FindDefinition(int32_t id)
{
    for (int32_t i = 0; i < definitions.count; ++i) {
        if (definitions.data[i].id == id)
            return &definitions.data[i];
    }
    return nullptr;
}

void cKestruneSound::SetupSound(int32_t id, const char* name, uint32_t flags)
{
    SoundDefinition definition;
    definition.id = id;
    definition.flags = flags;
    definition.name = name ? name : "";
    definitions.Add(definition);
}

void cKestruneSound::LoadDefinition(SoundDefinition& definition, uint32_t mode2D)
{
    uint32_t mode = FSOUND_LOADMEMORY | ((definition.flags & kSoundLoop) ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
    mode |= (definition.flags & kSound3D) ? (FSOUND_HW3D | FSOUND_FORCEMONO) : mode2D;
    const char* const extension = (definition.flags & kSoundOgg) ? ".ogg" : ".wav";
    bool failed = false;
    bool missing = false;
    if (!(definition.flags & kSoundRandomList)) {
        definition.sampleCount = 1;
        definition.sample = LoadSampleFile(definition.name + extension, mode, missing);
        failed = !definition.sample && !missing;
    } else {
        FreeDefinitionSamples(definition);
        DynArray<cString> files;
        const int32_t count = SplitString(strdup(definition.name.GetText()), files, ';');
        definition.sampleCount = count;
        definition.samples = static_cast<FSOUND_SAMPLE**>(std::calloc(count > 0 ? count : 1, sizeof(FSOUND_SAMPLE*)));
        for (int32_t i = 0; i < count && definition.samples; ++i) {
            definition.samples[i] = LoadSampleFile(files.data[i] + extension, mode, missing);
            if (!definition.samples[i] && !missing) {
                failed = true;
                break;
            }
        }
    }
    if (failed)
        return;
    if (definition.flags & kSound3D) {
        definition.kind = kSoundKind3D;
        return;
    }
    FSOUND_SAMPLE* const first = definition.samples ? (definition.sampleCount > 0 ? definition.samples[0] : nullptr)
                                                    : definition.sample;
    definition.kind = (first && (FSOUND_Sample_GetMode(first) & FSOUND_STEREO)) ? kSoundKindStereo : kSoundKindMono;
}

void cKestruneSound::LoadSound(int32_t id)
{
    if (SoundDefinition* const definition = FindDefinition(id))
        LoadDefinition(*definition, FSOUND_2D);
}

int32_t cKestruneSound::StartEffect(int32_t id, float volume, float pan, const float* position,
                                    cKestruneScript* script, const char* callback, uint32_t flags, int32_t ownerTag)
{
    SoundDefinition* const definition = FindDefinition(id);
    if (!definition)
        return -1;
    if (!definition->sample && !definition->samples) {
        LoadDefinition(*definition, FSOUND_2D);
        if (!definition->sample && !definition->samples)
            return -1;
    }
    FSOUND_SAMPLE* const sample = PickSample(*definition);
    if (!sample)
        return -1;
    const SoundSettings settings = SoundHost().Settings();
    const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, 1);
    FSOUND_SetVolume(channel, ClampVolume(settings.SFXVolume * volume));
    if (position) {
        const float at[3] = {position[0], position[1], -position[2]};
        const float velocity[3] = {0.0f, 0.0f, 0.0f};
        FSOUND_3D_SetAttributes(channel, at, velocity);
    } else if (definition->kind == kSoundKindStereo) {
        FSOUND_SetPan(channel, FSOUND_STEREOPAN);
    } else if (definition->kind == kSoundKindMono) {
        FSOUND_SetPan(channel, 127 - static_cast<int>(pan * -127.0f));
    }
    SoundChannel record;
    record.kind = definition->kind;
    record.state = kChannelStartPaused;
    record.sample = sample;
    record.id = id;
    record.channel = channel;
    record.volume = volume;
    record.pan = position ? 0.0f : pan;
    record.flags = flags;
    record.callbackName = callback ? callback : "";
    if (record.callbackName.GetLength() > 0)
        record.callbackScript = script;
    record.ownerTag = position ? ownerTag : 0;
    record.serial = nextSerial_++;
    return channels.Add(record);
}

void cKestruneSound::PlaySound(int32_t id, float volume, float pan, cKestruneScript* script, const char* callback,
                               uint32_t flags, int32_t)
{
    StartEffect(id, volume, pan, nullptr, script, callback, flags, 0);
}

void cKestruneSound::PlayEmittedSound(int32_t id, float volume, float x, float y, float z, cKestruneScript* script,
                                      const char* callback, int32_t ownerTag, int32_t)
{
    const float position[3] = {x, y, z};
    StartEffect(id, volume, 0.0f, position, script, callback, 0, ownerTag);
}

void cKestruneSound::StopSound(int32_t id)
{
    for (int32_t i = 0; i < channels.count; ++i) {
        SoundChannel& record = channels.data[i];
        // Music carries id 0 too; stopping an effect never stops it.
        if (record.kind != kSoundKindMusic && record.kind != kSoundKindStream && record.id == id)
            record.state = kChannelStopRequested;
    }
}

void cKestruneSound::StopSounds()
{
    StopSpeech();
    for (int32_t i = 0; i < channels.count; ++i) {
        SoundChannel& record = channels.data[i];
        if (record.kind != kSoundKindMusic)
            record.state = kChannelStopRequested;
        record.callbackScript = nullptr;
    }
    for (int32_t i = 0; i < definitions.count; ++i) {
        definitions.data[i].flags |= kSoundReleasePending;
        definitions.data[i].id |= kReleasedIdBits;
    }
    purgePending = 1;
    footstepSound = -1;
}

SoundDefinition* cKestruneSound::LoadUISound(const char* name, uint32_t flags)
{
    SoundDefinition* const definition = new SoundDefinition;
    definition->flags = flags;
    definition->name = name ? name : "";
    LoadDefinition(*definition, FSOUND_HW2D);
    return definition;
}

void cKestruneSound::PlayUISound(SoundDefinition* definition, float volume)
{
    if (!definition)
        return;
    FSOUND_SAMPLE* const sample = PickSample(*definition);
    if (!sample)
        return;
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    FSOUND_SetVolume(channel, ClampVolume(SoundHost().Settings().SFXVolume * volume));
}

void cKestruneSound::FreeUISound(SoundDefinition* definition)
{
    if (!definition)
        return;
    FreeDefinitionSamples(*definition);
    delete definition;
}

void cKestruneSound::ReleaseUISamples(SoundDefinition* definition)
{
    if (definition && (definition->flags & kSoundReleasePending))
        FreeDefinitionSamples(*definition);
}
