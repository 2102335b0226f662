#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace vls::fmod {

// Decoded sound, frame by frame: interleaved signed 16-bit samples in one or
// two channels.
class PcmSource {
public:
    PcmSource(int channels, int rate) : channels_(channels), rate_(rate) {}
    virtual ~PcmSource() = default;
    PcmSource(const PcmSource&) = delete;
    PcmSource& operator=(const PcmSource&) = delete;

    int channels() const { return channels_; }
    int rate() const { return rate_; }

    // Decodes up to `frames` frames into `out`; returns how many. Fewer than
    // asked means the data ended (or, for a feed, ran dry for now).
    virtual int read(std::int16_t* out, int frames) = 0;
    // Moves the next read to `frame`; false when the source cannot go there.
    virtual bool seek(std::int64_t frame) = 0;
    // True once a read reached the end of the data. A feed never ends.
    virtual bool ended() const = 0;

private:
    int channels_;
    int rate_;
};

// Decodes the bytes of a PCM WAV or Ogg Vorbis file into a source that owns
// them. On failure returns null and sets `error` to FMOD_ERR_FILE_FORMAT
// (not a format we play) or FMOD_ERR_FILE_BAD (a damaged file).
std::unique_ptr<PcmSource> OpenPcmSource(std::vector<std::uint8_t> bytes, int& error);

// Decodes a source to its end.
std::vector<std::int16_t> ReadAllFrames(PcmSource& source);

} // namespace vls::fmod
