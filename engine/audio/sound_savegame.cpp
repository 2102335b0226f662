// The "SND" savegame block of the sound object.

#include "engine/audio/kestrune_sound.h"

#include "engine/audio/sound_block.h"
#include "engine/audio/sound_host.h"
#include "engine/base/engine_link.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"

#include <cstring>
#include <string>

namespace {

void ReportDamagedBlock(const SavegameBlockHeader& header)
{
    const std::string where(header.name, strnlen(header.name, sizeof header.name));
    ReportError("SND", where.c_str(), 1, "Savegame block type or version mismatch.");
}

bool IsStream(uint32_t kind) { return kind == kSoundKindMusic || kind == kSoundKindStream; }

SoundBlockChannel SaveChannel(const SoundChannel& record)
{
    SoundBlockChannel saved;
    saved.kind = record.kind;
    saved.state = record.state;
    saved.volume = record.volume;
    saved.pan = record.pan;
    saved.flags = record.flags | kSoundBlockNoPosition;
    saved.fadeSpeed = record.fadeSpeed;
    saved.ownerTag = record.ownerTag;
    saved.callbackName = record.callbackName.GetText();
    const cKestruneScript* const script = record.callbackScript.Get();
    saved.scriptId = script ? SoundHost().ScriptIdentity(script) : 0;
    if (IsStream(record.kind)) {
        if (record.stream && FSOUND_IsPlaying(record.channel)) {
            saved.position = FSOUND_Stream_GetPosition(record.stream);
            saved.flags &= ~kSoundBlockNoPosition;
        }
    } else if (FSOUND_IsPlaying(record.channel) && FSOUND_GetCurrentSample(record.channel) == record.sample) {
        saved.id = record.id;
        saved.position = FSOUND_GetCurrentPosition(record.channel);
        float velocity[3];
        FSOUND_3D_GetAttributes(record.channel, saved.at, velocity);
        saved.flags &= ~kSoundBlockNoPosition;
    }
    return saved;
}

} // namespace

int32_t cKestruneSound::SaveBlock(int file)
{
    SoundBlock block;
    block.footstepSound = footstepSound;
    block.musicName = musicName.GetText();
    for (int32_t i = 0; i < definitions.count; ++i) {
        const SoundDefinition& definition = definitions.data[i];
        block.definitions.push_back(
            {definition.id, definition.flags, definition.name.GetText(), definition.sampleCount > 0});
    }
    for (int32_t i = 0; i < channels.count; ++i)
        block.channels.push_back(SaveChannel(channels.data[i]));
    const std::vector<uint8_t> payload = WriteSoundBlock(block);
    if (!WriteSavegameBlockHeader(file, "SND", "", static_cast<uint32_t>(payload.size())))
        return -1;
    return _write(file, payload.data(), static_cast<unsigned>(payload.size())) == static_cast<int>(payload.size())
               ? 0
               : -1;
}

int32_t cKestruneSound::LoadBlock(int file, SavegameBlockHeader& header)
{
    StopMusic(1.0f, 0);
    StopSounds();
    PurgeStopped();
    if (!CheckSavegameBlockTag(header, "SND"))
        return -1;
    // The counts decide the length; a payload that disagrees is refused
    // before anything of it is believed.
    std::vector<uint8_t> payload(kSoundBlockStateSize);
    if (header.length < kSoundBlockStateSize
        || _read(file, payload.data(), kSoundBlockStateSize) != static_cast<int>(kSoundBlockStateSize)
        || SoundBlockLength(payload.data(), payload.size()) != header.length) {
        ReportDamagedBlock(header);
        return -1;
    }
    payload.resize(header.length);
    const unsigned rest = header.length - kSoundBlockStateSize;
    SoundBlock block;
    if (_read(file, payload.data() + kSoundBlockStateSize, rest) != static_cast<int>(rest)
        || !ReadSoundBlock(payload.data(), payload.size(), block)) {
        ReportDamagedBlock(header);
        return -1;
    }

    footstepSound = block.footstepSound;
    for (const SoundBlockDefinition& definition : block.definitions) {
        SetupSound(definition.id, definition.name.c_str(), definition.flags);
        if (definition.loaded)
            LoadSound(definition.id);
    }
    cKestruneSoundHost& host = SoundHost();
    for (const SoundBlockChannel& saved : block.channels) {
        // Music saved while its stream was still opening has no position yet,
        // but it was going to play: it opens again the same way, so the next
        // update starts it from the beginning, and a save taken before that
        // update finds it opening, as the saved game did.
        const bool openingMusic = saved.kind == kSoundKindMusic && saved.state == kChannelOpening;
        if ((saved.flags & kSoundBlockNoPosition) && !openingMusic)
            continue;
        cKestruneScript* const script = host.FindScriptById(saved.scriptId);
        const char* const callback = saved.callbackName.c_str();
        if (saved.kind == kSoundKindMusic) {
            if (saved.state != kChannelPlaying && saved.state != kChannelOpening
                && saved.state != kChannelHoldRequested)
                continue;
            const int32_t index = StartMusic(block.musicName.c_str(), script, callback,
                                             saved.flags & ~kSoundBlockNoPosition, !openingMusic);
            if (index >= 0 && !openingMusic)
                FSOUND_Stream_SetPosition(channels.data[index].stream, saved.position);
            continue;
        }
        int32_t index;
        if (saved.kind == kSoundKind3D) {
            const float position[3] = {saved.at[0], saved.at[1], -saved.at[2]};
            index = StartEffect(saved.id, saved.volume, 0.0f, position, script, callback, 0, saved.ownerTag);
        } else {
            index = StartEffect(saved.id, saved.volume, saved.pan, nullptr, script, callback, saved.flags, 0);
        }
        if (index >= 0 && channels.data[index].sample)
            FSOUND_SetCurrentPosition(channels.data[index].channel, saved.position);
    }
    ReadSavegameBlockHeader(file, header);
    return 0;
}
