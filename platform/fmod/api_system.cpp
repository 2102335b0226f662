// Output set-up, initialisation, the update call and the null output.

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"
#include "platform/fmod/sound_system.h"

#include <cstdlib>
#include <cstring>

using namespace vls::fmod;

namespace {

constexpr int kMinMixRate = 4000;
constexpr int kMaxMixRate = 96000;
constexpr int kMaxBufferMs = 5000;

bool HeadlessRequested()
{
    const char* backend = std::getenv("VEILSTRAND_BACKEND");
    return backend && std::strcmp(backend, "headless") == 0;
}

// Set-up calls are refused once the output runs.
bool SetupAllowed(SoundSystem& system)
{
    if (system.initialised) {
        SetError(FMOD_ERR_BUSY);
        return false;
    }
    SetError(FMOD_ERR_NONE);
    return true;
}

bool MixNull(std::int16_t* out, int frames)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!system.initialised || !system.nullOutput || frames < 0)
        return false;
    MixOutput(system, out, frames);
    return true;
}

} // namespace

signed char FSOUND_SetOutput(int outputtype)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!SetupAllowed(system))
        return 0;
    if (outputtype != -1 && outputtype != FSOUND_OUTPUT_NOSOUND && outputtype != FSOUND_OUTPUT_WINMM &&
        outputtype != FSOUND_OUTPUT_DSOUND) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return 0;
    }
    system.outputType = outputtype == -1 ? FSOUND_OUTPUT_DSOUND : outputtype;
    return 1;
}

signed char FSOUND_SetBufferSize(int len_ms)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!SetupAllowed(system))
        return 0;
    if (len_ms < 1 || len_ms > kMaxBufferMs) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return 0;
    }
    system.bufferMs = len_ms;
    return 1;
}

// There is no hardware mixing here: every channel is a software channel, and
// these only record what was asked.
signed char FSOUND_SetMinHardwareChannels(int min)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!SetupAllowed(system))
        return 0;
    system.minHardwareChannels = min;
    return 1;
}

signed char FSOUND_SetMaxHardwareChannels(int max)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!SetupAllowed(system))
        return 0;
    system.maxHardwareChannels = max;
    return 1;
}

signed char FSOUND_SetSpeakerMode(unsigned int speakermode)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (speakermode > FSOUND_SPEAKERMODE_SURROUND) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return 0;
    }
    SetError(FMOD_ERR_NONE);
    system.speakerMode = speakermode;
    return 1;
}

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags)
{
    (void)flags; // focus handling belongs to a window system we do not have
    SoundSystem& system = System();
    bool wantsDevice = false;
    {
        const std::lock_guard guard(system.lock);
        if (!SetupAllowed(system))
            return 0;
        if (mixrate < kMinMixRate || mixrate > kMaxMixRate || maxsoftwarechannels < 0 ||
            maxsoftwarechannels > kMaxChannels) {
            SetError(FMOD_ERR_INVALID_PARAM);
            return 0;
        }
        system.mixRate = mixrate;
        system.channels.assign(static_cast<std::size_t>(maxsoftwarechannels), Channel{});
        system.listener = Listener{};
        system.endedStreams.clear();
        system.nullOutput = true;
        system.initialised = true;
        wantsDevice = system.outputType != FSOUND_OUTPUT_NOSOUND && !HeadlessRequested();
    }
    // The device is opened without the lock: its thread takes the lock to mix.
    const bool haveDevice = wantsDevice && OpenSdlOutput(system);
    const std::lock_guard guard(system.lock);
    // Without a device the program still runs, silently, as it does headless;
    // as it wanted to be heard, its sounds keep moving with time.
    system.nullOutput = !haveDevice;
    system.followSharedClock = !haveDevice && system.outputType != FSOUND_OUTPUT_NOSOUND;
    system.nullClockRemainder = 0;
    if (const auto clock = NullClock(system))
        system.nullClockLast = clock();
    return 1;
}

void FSOUND_Close()
{
    SoundSystem& system = System();
    {
        const std::lock_guard guard(system.lock);
        if (!system.initialised)
            return;
    }
    CloseSdlOutput(system);
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    {
        const std::lock_guard guard(system.lock);
        for (Channel& channel : system.channels)
            StopChannel(channel);
        streams.swap(system.streams);
        system.samples.clear();
        system.channels.clear();
        system.endedStreams.clear();
        system.initialised = false;
        system.nullOutput = true;
        system.followSharedClock = false;
    }
    for (auto& stream : streams)
        if (stream->opener.joinable())
            stream->opener.join();
}

void FSOUND_Update()
{
    SoundSystem& system = System();
    {
        const std::lock_guard guard(system.lock);
        if (!system.initialised) {
            SetError(FMOD_ERR_UNINITIALIZED);
            return;
        }
        SetError(FMOD_ERR_NONE);
        FollowNullClock(system);
    }
    // Callbacks run without the lock so that they may call FSOUND again; a
    // stream closed meanwhile has left the queue and is not called.
    for (;;) {
        FSOUND_STREAMCALLBACK callback = nullptr;
        FSOUND_STREAM* stream = nullptr;
        void* userdata = nullptr;
        {
            const std::lock_guard guard(system.lock);
            if (system.endedStreams.empty())
                break;
            stream = system.endedStreams.front();
            system.endedStreams.erase(system.endedStreams.begin());
            callback = stream->endCallback;
            userdata = stream->endUserData;
        }
        if (callback)
            callback(stream, nullptr, 0, userdata);
    }
}

int FSOUND_GetError()
{
    return LastError();
}

void* FSOUND_GetOutputHandle()
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    return system.initialised ? &system : nullptr;
}

namespace vls::fmod {

bool NullOutputActive()
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    return system.initialised && system.nullOutput;
}

bool NullOutputRender(std::int16_t* out, int frames)
{
    return MixNull(out, frames);
}

bool NullOutputAdvance(int frames)
{
    std::vector<std::int16_t> discard(static_cast<std::size_t>(frames > 0 ? frames : 0) * 2);
    return MixNull(discard.data(), frames);
}

void SetNullOutputClock(std::uint32_t (*clock)())
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    system.nullClock = clock;
    system.nullClockRemainder = 0;
    if (const auto followed = NullClock(system))
        system.nullClockLast = followed();
}

} // namespace vls::fmod
