#include "platform/fmod/mixer.h"

#include <algorithm>
#include <cmath>

namespace vls::fmod {

namespace {

constexpr int kMixBlockFrames = 1024;
constexpr float kMinDistance = 1.0f; // full loudness within this, 1 / distance beyond

// What the mixer can read of a channel's data now: frames [0, end) of `data`,
// `data` starting at frame `first`.
struct FrameSpan {
    const std::int16_t* data = nullptr;
    std::int64_t first = 0;
    std::int64_t end = 0;
    bool complete = true; // `end` is the end of the data, not just of what is decoded
};

float Dot(const float* a, const float* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Decodes the stream so that frames [first, first + count) are held, as far
// as the data goes.
FrameSpan StreamSpan(FSOUND_STREAM& stream, std::int64_t first, std::int64_t count)
{
    PcmSource& source = *stream.source;
    const int channels = source.channels();
    const std::int64_t windowEnd = stream.windowFirst + stream.windowFrames;
    if (first < stream.windowFirst || first > windowEnd) {
        SeekStream(stream, first);
    } else if (first > stream.windowFirst) {
        const std::int64_t drop = first - stream.windowFirst;
        stream.window.erase(stream.window.begin(), stream.window.begin() + drop * channels);
        stream.windowFirst = first;
        stream.windowFrames -= drop;
    }
    while (stream.windowFrames < count && !source.ended()) {
        const std::int64_t want = count - stream.windowFrames;
        const std::size_t used = static_cast<std::size_t>(stream.windowFrames) * channels;
        stream.window.resize(used + static_cast<std::size_t>(want) * channels);
        const int got = source.read(stream.window.data() + used, static_cast<int>(want));
        stream.windowFrames += got;
        stream.window.resize(static_cast<std::size_t>(stream.windowFrames) * channels);
        if (got == 0)
            break;
    }
    return {stream.window.data(), stream.windowFirst, stream.windowFirst + stream.windowFrames, source.ended()};
}

StereoGain ChannelGain(const SoundSystem& system, const Channel& channel)
{
    StereoGain gain = channel.is3d ? SpatialGain(system.listener, channel.position3d) : PanGain(channel.pan);
    const float volume = static_cast<float>(channel.volume) / 255.0f;
    gain.left *= volume;
    gain.right *= volume;
    return gain;
}

// Mixes frames from `span` with linear interpolation until `frames` are done
// or the span runs out; returns the frames done.
int MixSpan(Channel& channel, const FrameSpan& span, int channels, double step, StereoGain gain, float* acc, int frames)
{
    const double remaining = static_cast<double>(span.end) - channel.position;
    const int count = static_cast<int>(std::min<double>(frames, std::ceil(remaining / step)));
    double position = channel.position;
    int done = 0;
    for (; done < count; ++done) {
        const std::int64_t index = static_cast<std::int64_t>(position);
        if (index >= span.end)
            break;
        const float frac = static_cast<float>(position - static_cast<double>(index));
        const std::int16_t* s0 = span.data + (index - span.first) * channels;
        const std::int16_t* s1 = index + 1 < span.end ? s0 + channels : s0;
        const float left = s0[0] + (s1[0] - s0[0]) * frac;
        const float right = channels == 2 ? s0[1] + (s1[1] - s0[1]) * frac : left;
        acc[2 * done] += left * gain.left;
        acc[2 * done + 1] += right * gain.right;
        position += step;
    }
    channel.position = position;
    return done;
}

void FinishChannel(SoundSystem& system, Channel& channel)
{
    FSOUND_STREAM* stream = channel.stream;
    StopChannel(channel);
    if (stream && stream->endCallback && !stream->isFeed &&
        std::find(system.endedStreams.begin(), system.endedStreams.end(), stream) == system.endedStreams.end())
        system.endedStreams.push_back(stream);
}

void MixChannel(SoundSystem& system, Channel& channel, float* acc, int frames)
{
    const double step = static_cast<double>(channel.frequency) / system.mixRate;
    if (step <= 0)
        return;
    const StereoGain gain = ChannelGain(system, channel);
    FSOUND_STREAM* stream = channel.stream;
    const int channels = stream ? stream->source->channels() : channel.sample->channels;
    int done = 0;
    // The end is checked after the last frame too, so a sound that has played
    // out stops playing in the same block.
    for (;;) {
        const std::int64_t index = static_cast<std::int64_t>(channel.position);
        FrameSpan span;
        if (stream) {
            const auto need = static_cast<std::int64_t>(std::ceil((frames - done) * step)) + 2;
            span = StreamSpan(*stream, index, need);
        } else {
            span = {channel.sample->frames.data(), 0, channel.sample->length, true};
        }
        if (index < span.first) {
            // The source could not go back (a feed): play on from what it holds.
            channel.position = static_cast<double>(span.first);
            continue;
        }
        if (index >= span.end) {
            if (!span.complete)
                return; // a feed that ran dry: wait for more without moving on
            if (!channel.loop || span.end == 0) {
                if (stream)
                    channel.position = static_cast<double>(span.end);
                FinishChannel(system, channel);
                return;
            }
            channel.position -= static_cast<double>(span.end);
            if (stream && !SeekStream(*stream, 0)) {
                FinishChannel(system, channel);
                return;
            }
            continue;
        }
        if (done == frames)
            return;
        done += MixSpan(channel, span, channels, step, gain, acc + 2 * done, frames - done);
    }
}

} // namespace

StereoGain BalanceGain(float position)
{
    const float x = std::clamp(position, -1.0f, 1.0f);
    return {x > 0 ? 1 - x : 1.0f, x < 0 ? 1 + x : 1.0f};
}

StereoGain PanGain(int pan)
{
    if (pan == FSOUND_STEREOPAN)
        return {};
    return BalanceGain(static_cast<float>(pan - 128) / 127.0f);
}

StereoGain SpatialGain(const Listener& listener, const float* source)
{
    float offset[3];
    for (int i = 0; i < 3; ++i)
        offset[i] = source[i] - listener.position[i];
    const float distance = std::sqrt(Dot(offset, offset));
    if (!std::isfinite(distance))
        return {0, 0}; // a position that is no position is not heard, and must not poison the mix
    const float loudness = distance <= kMinDistance ? 1.0f : kMinDistance / distance;

    // Left-handed: right = up x forward.
    const float* up = listener.up;
    const float* forward = listener.forward;
    float right[3] = {up[1] * forward[2] - up[2] * forward[1], up[2] * forward[0] - up[0] * forward[2],
                      up[0] * forward[1] - up[1] * forward[0]};
    const float rightLength = std::sqrt(Dot(right, right));
    float side = 0;
    if (distance > 1e-6f && rightLength > 1e-6f)
        side = Dot(offset, right) / (distance * rightLength);
    StereoGain gain = BalanceGain(side);
    gain.left *= loudness;
    gain.right *= loudness;
    return gain;
}

void MixOutput(SoundSystem& system, std::int16_t* out, int frames)
{
    system.mixBuffer.resize(2 * kMixBlockFrames);
    float* acc = system.mixBuffer.data();
    const bool mono = system.speakerMode == FSOUND_SPEAKERMODE_MONO;
    while (frames > 0) {
        const int block = std::min(frames, kMixBlockFrames);
        std::fill(acc, acc + 2 * block, 0.0f);
        for (Channel& channel : system.channels)
            if (channel.active && !channel.paused)
                MixChannel(system, channel, acc, block);
        for (int i = 0; i < block; ++i) {
            float left = acc[2 * i];
            float right = acc[2 * i + 1];
            if (mono)
                left = right = (left + right) * 0.5f;
            out[2 * i] = static_cast<std::int16_t>(std::lrintf(std::clamp(left, -32768.0f, 32767.0f)));
            out[2 * i + 1] = static_cast<std::int16_t>(std::lrintf(std::clamp(right, -32768.0f, 32767.0f)));
        }
        out += 2 * block;
        frames -= block;
    }
}

} // namespace vls::fmod
