#pragma once

// Writers for the sound formats the sound layer reads, for tests and for the
// launcher's demo sounds.

#include <cstdint>
#include <vector>

namespace vls::tools {

// Interleaved signed 16-bit frames.
struct PcmClip {
    int channels = 1;
    int rate = 44100;
    std::vector<std::int16_t> samples;

    std::int64_t frames() const { return static_cast<std::int64_t>(samples.size()) / channels; }
};

// A sine of `hz` at `amplitude` (0..32767), the same in every channel.
PcmClip MakeSine(int rate, int channels, double hz, double seconds, double amplitude);

// A PCM WAV file, 16-bit signed or 8-bit unsigned.
std::vector<std::uint8_t> WriteWav(const PcmClip& clip, int bits = 16);

// An Ogg Vorbis file at the given VBR quality (-0.1 .. 1.0).
std::vector<std::uint8_t> EncodeOggVorbis(const PcmClip& clip, float quality = 0.5f);

} // namespace vls::tools
