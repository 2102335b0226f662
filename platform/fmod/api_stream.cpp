// Streams: decoded while they play, opened at once or on a worker thread.

#include "platform/fmod/fmod.h"
#include "platform/fmod/file_data.h"
#include "platform/fmod/sound_system.h"
#include "platform/win32/kernel/clock.h"

#include <algorithm>
#include <string>

using namespace vls::fmod;

namespace {

struct OpenRequest {
    std::string name;                 // file streams
    std::vector<std::uint8_t> bytes;  // memory streams, copied at the call
    unsigned int mode = 0;
    int offset = 0;
    int length = 0;
};

std::unique_ptr<PcmSource> OpenSource(OpenRequest& request, int& error)
{
    if (!(request.mode & FSOUND_LOADMEMORY) &&
        !LoadSoundBytes(request.name.c_str(), request.mode, request.offset, request.length, request.bytes, error))
        return nullptr;
    return OpenPcmSource(std::move(request.bytes), error);
}

void FinishOpen(FSOUND_STREAM& stream, std::unique_ptr<PcmSource> source)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    stream.source = std::move(source);
    stream.openState = stream.source ? FSOUND_STREAM::OpenState::Ready : FSOUND_STREAM::OpenState::Failed;
}

// Runs `apply` on a ready stream under the lock.
template <typename Apply>
bool WithReadyStream(FSOUND_STREAM* handle, Apply apply)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    FSOUND_STREAM* stream = FindStream(system, handle);
    if (!stream)
        return false;
    if (stream->openState != FSOUND_STREAM::OpenState::Ready) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return false;
    }
    SetError(FMOD_ERR_NONE);
    return apply(system, *stream);
}

// A worker's open ends at a moment of real time, so what a program sees at a
// given frame would differ from run to run. Where nothing is heard (the null
// output) or the program's time is not real time (a virtual clock drives it),
// a non-blocking open is done at the call instead: the stream is ready, or
// failed, before the program first asks.
bool OpensNonBlockingAtOnce(SoundSystem& system)
{
    {
        const std::lock_guard guard(system.lock);
        if (system.nullOutput)
            return true;
    }
    return vls::win32::ClockReplaced();
}

double StreamPosition(const SoundSystem& system, const FSOUND_STREAM& stream)
{
    return stream.channel >= 0 ? system.channels[stream.channel].position : stream.resumeAt;
}

} // namespace

FSOUND_STREAM* FSOUND_Stream_Open(const char* name_or_data, unsigned int mode, int offset, int length)
{
    SoundSystem& system = System();
    {
        const std::lock_guard guard(system.lock);
        if (!system.initialised) {
            SetError(FMOD_ERR_UNINITIALIZED);
            return nullptr;
        }
    }
    int error = FMOD_ERR_NONE;
    OpenRequest request;
    request.mode = mode;
    request.offset = offset;
    request.length = length;
    if (!name_or_data) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    if (mode & FSOUND_LOADMEMORY) {
        if (!LoadSoundBytes(name_or_data, mode, offset, length, request.bytes, error)) {
            SetError(error);
            return nullptr;
        }
    } else {
        request.name = name_or_data;
    }

    auto stream = std::make_unique<FSOUND_STREAM>();
    stream->mode = mode;
    FSOUND_STREAM* handle = stream.get();
    if ((mode & FSOUND_NONBLOCKING) && OpensNonBlockingAtOnce(system)) {
        // Finished before the caller can look, so a failure shows in the open
        // state as it would after a worker's open.
        int ignored = FMOD_ERR_NONE;
        std::unique_ptr<PcmSource> source = OpenSource(request, ignored);
        stream->openState = source ? FSOUND_STREAM::OpenState::Ready : FSOUND_STREAM::OpenState::Failed;
        stream->source = std::move(source);
    } else if (mode & FSOUND_NONBLOCKING) {
        stream->opener = std::thread([handle, request = std::move(request)]() mutable {
            int ignored = FMOD_ERR_NONE;
            FinishOpen(*handle, OpenSource(request, ignored));
        });
    } else {
        std::unique_ptr<PcmSource> source = OpenSource(request, error);
        if (!source) {
            SetError(error);
            return nullptr;
        }
        stream->source = std::move(source);
        stream->openState = FSOUND_STREAM::OpenState::Ready;
    }
    const std::lock_guard guard(system.lock);
    SetError(FMOD_ERR_NONE);
    system.streams.push_back(std::move(stream));
    return handle;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    SoundSystem& system = System();
    std::unique_ptr<FSOUND_STREAM> closing;
    {
        const std::lock_guard guard(system.lock);
        if (!FindStream(system, stream))
            return 0;
        SetError(FMOD_ERR_NONE);
        if (stream->channel >= 0)
            StopChannel(system.channels[stream->channel]);
        std::erase(system.endedStreams, stream);
        const auto owned = std::find_if(system.streams.begin(), system.streams.end(),
                                        [stream](const auto& entry) { return entry.get() == stream; });
        closing = std::move(*owned);
        system.streams.erase(owned);
    }
    if (closing->opener.joinable())
        closing->opener.join();
    return 1;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream)
{
    return FSOUND_Stream_PlayEx(channel, stream, nullptr, 0);
}

int FSOUND_Stream_PlayEx(int channel, FSOUND_STREAM* stream, FSOUND_DSPUNIT* dsp, signed char startpaused)
{
    (void)dsp; // no DSP units here
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindStream(system, stream))
        return -1;
    SetError(FMOD_ERR_NONE);
    FollowNullClock(system);
    return StartStream(system, *stream, channel, startpaused != 0);
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream)
{
    return WithReadyStream(stream, [](SoundSystem& system, FSOUND_STREAM& target) {
        if (target.channel >= 0)
            StopChannel(system.channels[target.channel]);
        if (!target.isFeed)
            SeekStream(target, 0);
        target.resumeAt = 0;
        return true;
    });
}

int FSOUND_Stream_GetOpenState(FSOUND_STREAM* stream)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindStream(system, stream))
        return -1;
    SetError(FMOD_ERR_NONE);
    switch (stream->openState) {
    case FSOUND_STREAM::OpenState::Ready:
        return 0;
    case FSOUND_STREAM::OpenState::Opening:
        return -2;
    case FSOUND_STREAM::OpenState::Failed:
        break;
    }
    return -3;
}

signed char FSOUND_Stream_SetEndCallback(FSOUND_STREAM* stream, FSOUND_STREAMCALLBACK callback, void* userdata)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindStream(system, stream))
        return 0;
    SetError(FMOD_ERR_NONE);
    stream->endCallback = callback;
    stream->endUserData = userdata;
    return 1;
}

unsigned int FSOUND_Stream_GetPosition(FSOUND_STREAM* stream)
{
    unsigned int position = 0;
    WithReadyStream(stream, [&position](SoundSystem& system, FSOUND_STREAM& target) {
        position = static_cast<unsigned int>(StreamPosition(system, target));
        return true;
    });
    return position;
}

signed char FSOUND_Stream_SetPosition(FSOUND_STREAM* stream, unsigned int position)
{
    return WithReadyStream(stream, [position](SoundSystem& system, FSOUND_STREAM& target) {
        if (target.isFeed || !SeekStream(target, position)) {
            SetError(FMOD_ERR_INVALID_PARAM);
            return false;
        }
        if (target.channel >= 0)
            system.channels[target.channel].position = position;
        else
            target.resumeAt = position;
        return true;
    }) ? 1 : 0;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream)
{
    int ms = 0;
    WithReadyStream(stream, [&ms](SoundSystem& system, FSOUND_STREAM& target) {
        const double frames = StreamPosition(system, target);
        ms = static_cast<int>(frames * 1000.0 / target.source->rate());
        return true;
    });
    return ms;
}
