#include "platform/bink/sound_track.h"

#include "platform/fmod/fmod.h"
#include "platform/fmod/null_output.h"
#include "platform/fmod/pcm_feed.h"

#include "platform/bink/ffmpeg_library.h"

#include <algorithm>

namespace vls::bink {

namespace {

bool g_soundSystemReady = false;

constexpr int kFullVolume = 32768;
constexpr int kMixerVolumeMax = 255;

} // namespace

bool SoundSystemReady()
{
    return g_soundSystemReady;
}

void SetSoundSystemReady(bool ready)
{
    g_soundSystemReady = ready;
}

SoundTrack::~SoundTrack()
{
    closeFeed();
    if (!ff_)
        return; // never opened: nothing of the libraries was made
    ff_->swr_free(&resampler_);
    ff_->av_frame_free(&frame_);
    ff_->avcodec_free_context(&decoder_);
}

bool SoundTrack::open(const AVStream* stream, const FfmpegLibrary& ff)
{
    ff_ = &ff;
    const AVCodec* codec = ff_->avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return false;
    decoder_ = ff_->avcodec_alloc_context3(codec);
    if (!decoder_ || ff_->avcodec_parameters_to_context(decoder_, stream->codecpar) < 0
        || ff_->avcodec_open2(decoder_, codec, nullptr) < 0 || decoder_->sample_rate < 1
        || decoder_->ch_layout.nb_channels < 1) {
        ff_->avcodec_free_context(&decoder_);
        return false;
    }
    rate_ = decoder_->sample_rate;
    timeBase_ = av_q2d(stream->time_base);
    channels_ = std::min(decoder_->ch_layout.nb_channels, 2);
    AVChannelLayout out{};
    ff_->av_channel_layout_default(&out, channels_);
    if (ff_->swr_alloc_set_opts2(&resampler_, &out, AV_SAMPLE_FMT_S16, rate_, &decoder_->ch_layout,
            decoder_->sample_fmt, rate_, 0, nullptr) < 0
        || ff_->swr_init(resampler_) < 0) {
        ff_->swr_free(&resampler_);
        ff_->avcodec_free_context(&decoder_);
        return false;
    }
    frame_ = ff_->av_frame_alloc();
    setOn(true);
    return true;
}

void SoundTrack::closeFeed()
{
    if (feed_)
        FSOUND_Stream_Close(feed_);
    feed_ = nullptr;
    channel_ = -1;
}

void SoundTrack::setOn(bool on)
{
    on_ = on;
    closeFeed();
    feedStart_ = -1.0;
    fed_ = 0;
    if (!on || !decoder_ || !SoundSystemReady())
        return;
    feed_ = vls::fmod::OpenPcmFeed(rate_, channels_);
    if (!feed_)
        return;
    channel_ = FSOUND_Stream_Play(FSOUND_FREE, feed_);
    if (channel_ < 0) {
        closeFeed();
        return;
    }
    setVolume(volume_);
    setPaused(paused_);
}

void SoundTrack::setVolume(int volume)
{
    volume_ = std::max(volume, 0);
    if (channel_ >= 0) {
        const long long scaled = static_cast<long long>(volume_) * kMixerVolumeMax / kFullVolume;
        FSOUND_SetVolume(channel_, static_cast<int>(std::min<long long>(scaled, kMixerVolumeMax)));
    }
}

void SoundTrack::setPaused(bool paused)
{
    paused_ = paused;
    if (channel_ >= 0)
        FSOUND_SetPaused(channel_, paused ? 1 : 0);
}

void SoundTrack::flush()
{
    if (decoder_)
        ff_->avcodec_flush_buffers(decoder_);
}

void SoundTrack::consume(const AVPacket* packet, std::int64_t keepFrom)
{
    if (!decoder_)
        return;
    if (packet->pts != AV_NOPTS_VALUE && packet->pts + std::max<std::int64_t>(packet->duration, 0) <= keepFrom)
        return;
    if (ff_->avcodec_send_packet(decoder_, packet) < 0)
        return; // a damaged sound packet is a moment of silence, not a failure
    while (ff_->avcodec_receive_frame(decoder_, frame_) >= 0) {
        push(frame_);
        ff_->av_frame_unref(frame_);
    }
}

void SoundTrack::push(const AVFrame* frame)
{
    const int room = ff_->swr_get_out_samples(resampler_, frame->nb_samples);
    if (room <= 0)
        return;
    pcm_.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(channels_));
    auto* out = reinterpret_cast<std::uint8_t*>(pcm_.data());
    const int made = ff_->swr_convert(resampler_, &out, room, const_cast<const std::uint8_t**>(frame->extended_data),
        frame->nb_samples);
    if (made <= 0 || !feed_)
        return;
    // A full feed means the sound is far ahead of the picture; what does not
    // fit is dropped rather than held without bound.
    const int taken = vls::fmod::FeedPcm(feed_, pcm_.data(), made);
    if (taken > 0) {
        if (feedStart_ < 0.0 && frame->pts != AV_NOPTS_VALUE)
            feedStart_ = static_cast<double>(frame->pts) * timeBase_;
        fed_ += taken;
    }
}

bool SoundTrack::playingSeconds(double& seconds, bool& dry) const
{
    if (channel_ < 0 || feedStart_ < 0.0 || vls::fmod::NullOutputActive())
        return false;
    const std::int64_t played = FSOUND_Stream_GetPosition(feed_);
    dry = played >= fed_;
    seconds = feedStart_ + static_cast<double>(dry ? fed_ : played) / rate_;
    return true;
}

} // namespace vls::bink
