#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The payload of the "SND" savegame block as plain data.
struct SoundBlockDefinition {
    int32_t id = 0;
    uint32_t flags = 0;
    std::string name;
    bool loaded = false;
};

struct SoundBlockChannel {
    uint32_t kind = 0;
    uint32_t state = 0;
    int32_t id = 0;
    float volume = 0.0f;
    float pan = 0.0f;
    uint32_t flags = 0;
    float fadeSpeed = 0.0f;
    int32_t ownerTag = 0;
    std::string callbackName;
    uint32_t scriptId = 0;
    uint32_t position = 0;
    float at[3] = {};
};

struct SoundBlock {
    int32_t footstepSound = -1;
    std::string musicName;
    std::vector<SoundBlockDefinition> definitions;
    std::vector<SoundBlockChannel> channels;
};

constexpr uint32_t kSoundBlockStateSize = 76;
constexpr uint32_t kSoundBlockDefinitionSize = 268;
constexpr uint32_t kSoundBlockChannelSize = 116;
// Set in a saved channel's flags when no playing position was captured.
constexpr uint32_t kSoundBlockNoPosition = 0x1000;

std::vector<uint8_t> WriteSoundBlock(const SoundBlock& block);
// The payload length the counts at the start of a payload ask for; 0 when
// the state is short or a count is negative.
uint64_t SoundBlockLength(const uint8_t* state, size_t size);
// False when the payload is not exactly what its counts describe.
bool ReadSoundBlock(const uint8_t* data, size_t size, SoundBlock& block);
