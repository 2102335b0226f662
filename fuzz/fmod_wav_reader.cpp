// Any bytes through the WAV reader, and through the decoder the sound layer
// opens files with: a refusal is fine, a crash, hang or stray read is not.

#include "platform/fmod/ogg_check.h"
#include "platform/fmod/pcm_source.h"
#include "platform/fmod/wav_reader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    vls::fmod::WavData wav;
    if (vls::fmod::ReadWav(bytes, wav) == vls::fmod::WavStatus::Ok) {
        const std::size_t frameBytes = static_cast<std::size_t>(wav.channels) * wav.bits / 8;
        if (wav.pcm.size() != static_cast<std::size_t>(wav.frames) * frameBytes || wav.pcm.data() < data ||
            wav.pcm.data() + wav.pcm.size() > data + size)
            std::abort();
    }
    vls::fmod::CheckOggPages(bytes);

    int error = 0;
    const auto source = vls::fmod::OpenPcmSource(std::vector<std::uint8_t>(data, data + size), error);
    if (source) {
        const std::vector<std::int16_t> frames = vls::fmod::ReadAllFrames(*source);
        if (frames.size() % static_cast<std::size_t>(source->channels()) != 0)
            std::abort();
    }
    return 0;
}
