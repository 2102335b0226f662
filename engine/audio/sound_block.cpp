#include "engine/audio/sound_block.h"

#include "engine/base/datafile_bytes.h"

namespace {

constexpr size_t kMusicNameSize = 64;
constexpr size_t kDefinitionNameSize = 256;
constexpr size_t kCallbackNameSize = 64;

} // namespace

std::vector<uint8_t> WriteSoundBlock(const SoundBlock& block)
{
    std::vector<uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    writer.I32(block.footstepSound);
    writer.U32(static_cast<uint32_t>(block.definitions.size()));
    writer.U32(static_cast<uint32_t>(block.channels.size()));
    writer.FixedText(block.musicName, kMusicNameSize);
    for (const SoundBlockDefinition& definition : block.definitions) {
        writer.I32(definition.id);
        writer.U32(definition.flags);
        writer.FixedText(definition.name, kDefinitionNameSize);
        writer.U8(definition.loaded ? 1 : 0);
        writer.U8(0);
        writer.U16(0);
    }
    for (const SoundBlockChannel& channel : block.channels) {
        writer.U32(channel.kind);
        writer.U32(channel.state);
        writer.I32(channel.id);
        writer.F32(channel.volume);
        writer.F32(channel.pan);
        writer.U32(channel.flags);
        writer.F32(channel.fadeSpeed);
        writer.I32(channel.ownerTag);
        writer.FixedText(channel.callbackName, kCallbackNameSize);
        writer.U32(channel.scriptId);
        writer.U32(channel.position);
        for (float value : channel.at)
            writer.F32(value);
    }
    return bytes;
}

uint64_t SoundBlockLength(const uint8_t* state, size_t size)
{
    if (size < kSoundBlockStateSize)
        return 0;
    DatafileByteReader reader(state, size);
    reader.I32();
    const int32_t definitions = reader.I32();
    const int32_t channels = reader.I32();
    if (definitions < 0 || channels < 0)
        return 0;
    return kSoundBlockStateSize + uint64_t(definitions) * kSoundBlockDefinitionSize
           + uint64_t(channels) * kSoundBlockChannelSize;
}

bool ReadSoundBlock(const uint8_t* data, size_t size, SoundBlock& block)
{
    block = SoundBlock{};
    const uint64_t expected = SoundBlockLength(data, size);
    if (expected == 0 || expected != size)
        return false;
    DatafileByteReader reader(data, size);
    block.footstepSound = reader.I32();
    const uint32_t definitions = reader.U32();
    const uint32_t channels = reader.U32();
    block.musicName = reader.FixedText(kMusicNameSize);
    block.definitions.resize(definitions);
    for (SoundBlockDefinition& definition : block.definitions) {
        definition.id = reader.I32();
        definition.flags = reader.U32();
        definition.name = reader.FixedText(kDefinitionNameSize);
        definition.loaded = reader.U8() != 0;
        reader.Take(3);
    }
    block.channels.resize(channels);
    for (SoundBlockChannel& channel : block.channels) {
        channel.kind = reader.U32();
        channel.state = reader.U32();
        channel.id = reader.I32();
        channel.volume = reader.F32();
        channel.pan = reader.F32();
        channel.flags = reader.U32();
        channel.fadeSpeed = reader.F32();
        channel.ownerTag = reader.I32();
        channel.callbackName = reader.FixedText(kCallbackNameSize);
        channel.scriptId = reader.U32();
        channel.position = reader.U32();
        for (float& value : channel.at)
            value = reader.F32();
    }
    return !reader.Failed();
}
