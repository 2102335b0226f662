#include "platform/fmod/sound_system.h"

#include "platform/win32/kernel/clock.h"

#include <algorithm>
#include <atomic>

namespace vls::fmod {

namespace {

std::atomic<int> lastError{FMOD_ERR_NONE};

std::uint32_t SharedClockMs()
{
    return static_cast<std::uint32_t>(vls::win32::ClockMicroseconds() / 1000);
}

} // namespace

std::uint32_t (*NullClock(const SoundSystem& system))()
{
    if (system.nullClock)
        return system.nullClock;
    return system.followSharedClock ? SharedClockMs : nullptr;
}

void FollowNullClock(SoundSystem& system)
{
    const auto clock = NullClock(system);
    if (!system.initialised || !system.nullOutput || !clock)
        return;
    const std::uint32_t now = clock();
    const std::uint32_t elapsed = now - system.nullClockLast;
    system.nullClockLast = now;
    std::int64_t scaled = system.nullClockRemainder + static_cast<std::int64_t>(elapsed) * system.mixRate;
    // A stalled clock catches up by one second at most, not by the whole stall.
    scaled = std::min<std::int64_t>(scaled, static_cast<std::int64_t>(system.mixRate) * 1000);
    const int frames = static_cast<int>(scaled / 1000);
    system.nullClockRemainder = scaled % 1000;
    system.discard.resize(static_cast<std::size_t>(frames) * 2);
    MixOutput(system, system.discard.data(), frames);
}

SoundSystem::~SoundSystem()
{
    // The device's thread and the stream openers use this state: they stop
    // before it goes.
    CloseSdlOutput(*this);
    for (auto& stream : streams)
        if (stream->opener.joinable())
            stream->opener.join();
}

SoundSystem& System()
{
    static SoundSystem system;
    return system;
}

namespace {

// A program's exit routines may still close the sound system (the engine
// deletes its sound object from one). Exit routines run before the statics
// made ahead of their registration are destroyed, but after those made later:
// made while the program loads, the system outlives every routine main
// registers, however late the first FSOUND call comes.
[[maybe_unused]] const bool kSystemMadeAtLoad = (System(), true);

} // namespace

void SetError(int code)
{
    lastError = code;
}

int LastError()
{
    return lastError;
}

FSOUND_SAMPLE* FindSample(SoundSystem& system, FSOUND_SAMPLE* sample)
{
    for (const auto& owned : system.samples)
        if (owned.get() == sample && sample)
            return sample;
    SetError(system.initialised ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    return nullptr;
}

FSOUND_STREAM* FindStream(SoundSystem& system, FSOUND_STREAM* stream)
{
    for (const auto& owned : system.streams)
        if (owned.get() == stream && stream)
            return stream;
    SetError(system.initialised ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    return nullptr;
}

Channel* FindChannel(SoundSystem& system, int handle)
{
    if (!system.initialised) {
        SetError(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    const int index = handle & kChannelIndexMask;
    const std::uint32_t uses = static_cast<std::uint32_t>(handle) >> kChannelIndexBits;
    if (handle < 0 || index >= static_cast<int>(system.channels.size())) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    Channel& channel = system.channels[index];
    if (uses != 0 && uses != channel.uses) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    return &channel;
}

int ClaimChannel(SoundSystem& system, int requested)
{
    const int count = static_cast<int>(system.channels.size());
    int index = -1;
    if (requested == FSOUND_FREE) {
        for (int i = 0; i < count && index < 0; ++i)
            if (!system.channels[i].active)
                index = i;
        if (index < 0) {
            SetError(FMOD_ERR_CHANNEL_ALLOC);
            return -1;
        }
    } else {
        if (requested < 0 || (requested & kChannelIndexMask) >= count) {
            SetError(FMOD_ERR_INVALID_PARAM);
            return -1;
        }
        index = requested & kChannelIndexMask;
    }
    Channel& channel = system.channels[index];
    StopChannel(channel);
    const std::uint32_t uses = channel.uses >= kMaxChannelUses ? 1 : channel.uses + 1;
    channel = Channel{};
    channel.uses = uses;
    return index;
}

int ChannelHandle(const SoundSystem& system, int index)
{
    return static_cast<int>(system.channels[index].uses << kChannelIndexBits) | index;
}

void StopChannel(Channel& channel)
{
    if (channel.stream) {
        channel.stream->resumeAt = channel.position;
        channel.stream->channel = -1;
    }
    channel.active = false;
    channel.paused = false;
    channel.sample = nullptr;
    channel.stream = nullptr;
}

int StartStream(SoundSystem& system, FSOUND_STREAM& stream, int requested, bool paused)
{
    if (stream.openState != FSOUND_STREAM::OpenState::Ready) {
        SetError(FMOD_ERR_PLAY);
        return -1;
    }
    if (stream.channel >= 0)
        StopChannel(system.channels[stream.channel]);
    const int index = ClaimChannel(system, requested);
    if (index < 0)
        return -1;
    Channel& channel = system.channels[index];
    channel.active = true;
    channel.paused = paused;
    channel.stream = &stream;
    channel.position = stream.resumeAt;
    channel.frequency = stream.source->rate();
    channel.loop = (stream.mode & FSOUND_LOOP_NORMAL) != 0;
    stream.channel = index;
    return ChannelHandle(system, index);
}

bool SeekStream(FSOUND_STREAM& stream, std::int64_t frame)
{
    if (!stream.source->seek(frame))
        return false;
    stream.window.clear();
    stream.windowFirst = frame;
    stream.windowFrames = 0;
    return true;
}

} // namespace vls::fmod
