// Samples: decoded whole when loaded, played by any number of channels.

#include "platform/fmod/fmod.h"
#include "platform/fmod/file_data.h"
#include "platform/fmod/sound_system.h"

#include <algorithm>

using namespace vls::fmod;

namespace {

constexpr unsigned int kFormatBits = FSOUND_16BITS | FSOUND_MONO | FSOUND_STEREO | FSOUND_SIGNED;

void FoldToMono(FSOUND_SAMPLE& sample)
{
    for (std::int64_t i = 0; i < sample.length; ++i)
        sample.frames[i] = static_cast<std::int16_t>((sample.frames[2 * i] + sample.frames[2 * i + 1]) / 2);
    sample.frames.resize(static_cast<std::size_t>(sample.length));
    sample.channels = 1;
}

} // namespace

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name_or_data, unsigned int mode, int offset, int length)
{
    {
        SoundSystem& system = System();
        const std::lock_guard guard(system.lock);
        if (!system.initialised) {
            SetError(FMOD_ERR_UNINITIALIZED);
            return nullptr;
        }
    }
    if (index < FSOUND_UNMANAGED) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    // Decoding happens outside the lock so that playing sounds go on meanwhile.
    int error = FMOD_ERR_NONE;
    std::vector<std::uint8_t> bytes;
    if (!LoadSoundBytes(name_or_data, mode, offset, length, bytes, error)) {
        SetError(error);
        return nullptr;
    }
    const std::unique_ptr<PcmSource> source = OpenPcmSource(std::move(bytes), error);
    if (!source) {
        SetError(error);
        return nullptr;
    }
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    sample->frames = ReadAllFrames(*source);
    sample->channels = source->channels();
    sample->rate = source->rate();
    sample->length = static_cast<std::int64_t>(sample->frames.size()) / sample->channels;
    if ((mode & FSOUND_FORCEMONO) && sample->channels == 2)
        FoldToMono(*sample);
    sample->mode = (mode & ~(kFormatBits | FSOUND_LOADMEMORY | FSOUND_NONBLOCKING)) | FSOUND_16BITS | FSOUND_SIGNED |
                   (sample->channels == 2 ? FSOUND_STEREO : FSOUND_MONO);
    if (!(sample->mode & (FSOUND_LOOP_OFF | FSOUND_LOOP_NORMAL)))
        sample->mode |= FSOUND_LOOP_OFF;

    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!system.initialised) {
        SetError(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    SetError(FMOD_ERR_NONE);
    system.samples.push_back(std::move(sample));
    return system.samples.back().get();
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sptr)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindSample(system, sptr))
        return;
    SetError(FMOD_ERR_NONE);
    for (Channel& channel : system.channels)
        if (channel.sample == sptr)
            StopChannel(channel);
    std::erase_if(system.samples, [sptr](const auto& owned) { return owned.get() == sptr; });
}

unsigned int FSOUND_Sample_GetMode(FSOUND_SAMPLE* sptr)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindSample(system, sptr))
        return 0;
    SetError(FMOD_ERR_NONE);
    return sptr->mode;
}
