#include "platform/fmod/pcm_feed.h"

#include "platform/fmod/sound_system.h"

#include <algorithm>
#include <deque>

namespace vls::fmod {

namespace {

constexpr int kFeedSeconds = 4;

class FeedSource final : public PcmSource {
public:
    FeedSource(int channels, int rate) : PcmSource(channels, rate) {}

    int push(const std::int16_t* frames, int count)
    {
        const std::size_t capacity = static_cast<std::size_t>(rate()) * kFeedSeconds * channels();
        const std::size_t room = (capacity - queued_.size()) / channels();
        const int taken = static_cast<int>(std::min<std::size_t>(room, static_cast<std::size_t>(count)));
        queued_.insert(queued_.end(), frames, frames + static_cast<std::size_t>(taken) * channels());
        return taken;
    }

    int read(std::int16_t* out, int frames) override
    {
        const int count = static_cast<int>(std::min<std::size_t>(queued_.size() / channels(), frames));
        const auto end = queued_.begin() + static_cast<std::ptrdiff_t>(count) * channels();
        std::copy(queued_.begin(), end, out);
        queued_.erase(queued_.begin(), end);
        return count;
    }

    // Played frames are gone; only staying where it is makes sense.
    bool seek(std::int64_t) override { return false; }
    bool ended() const override { return false; }

private:
    std::deque<std::int16_t> queued_;
};

} // namespace

FSOUND_STREAM* OpenPcmFeed(int rate, int channels)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!system.initialised) {
        SetError(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    if (rate < 1 || rate > 192000 || channels < 1 || channels > 2) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    SetError(FMOD_ERR_NONE);
    auto stream = std::make_unique<FSOUND_STREAM>();
    stream->mode = FSOUND_2D | FSOUND_LOOP_OFF;
    stream->source = std::make_unique<FeedSource>(channels, rate);
    stream->openState = FSOUND_STREAM::OpenState::Ready;
    stream->isFeed = true;
    system.streams.push_back(std::move(stream));
    return system.streams.back().get();
}

int FeedPcm(FSOUND_STREAM* feed, const std::int16_t* frames, int count)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindStream(system, feed))
        return -1;
    if (!feed->isFeed || count < 0 || (count > 0 && !frames)) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return -1;
    }
    SetError(FMOD_ERR_NONE);
    return static_cast<FeedSource&>(*feed->source).push(frames, count);
}

} // namespace vls::fmod
