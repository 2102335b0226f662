#pragma once

#include <cstdint>
#include <span>

namespace vls::fmod {

// RIFF WAVE layout shared by the reader and the writer in tools/.
inline constexpr std::uint32_t kRiffId = 0x46464952;   // "RIFF"
inline constexpr std::uint32_t kWaveId = 0x45564157;   // "WAVE"
inline constexpr std::uint32_t kFmtId = 0x20746D66;    // "fmt "
inline constexpr std::uint32_t kDataId = 0x61746164;   // "data"
inline constexpr std::uint16_t kWavePcm = 1;
inline constexpr std::uint32_t kFmtPcmSize = 16;       // fields of a PCM format chunk
inline constexpr int kMaxWavRate = 192000;

enum class WavStatus {
    Ok,
    NotWav,        // no RIFF WAVE header: some other format
    Unsupported,   // a WAVE, but not 8 or 16-bit PCM in one or two channels
    Damaged,       // a chunk runs past the end, a chunk is missing or malformed
};

// The PCM of a WAV file: frames of `channels` samples, 8-bit unsigned or
// 16-bit signed little-endian, pointing into the bytes that were parsed.
struct WavData {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::int64_t frames = 0;
    std::span<const std::uint8_t> pcm;
};

// Finds "fmt " and "data" among the chunks. Chunks are walked by their sizes
// within the given bytes only; a data chunk that claims more than the file
// holds is damage, not an invitation to read on.
WavStatus ReadWav(std::span<const std::uint8_t> bytes, WavData& out);

} // namespace vls::fmod
