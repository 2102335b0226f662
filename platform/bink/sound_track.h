#pragma once

#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct FSOUND_STREAM;
struct SwrContext;

namespace vls::bink {

struct FfmpegLibrary;

// Whether BinkSetSoundSystem handed over a live sound output.
bool SoundSystemReady();
void SetSoundSystemReady(bool ready);

// The sound track of a video: decoded, turned into interleaved 16-bit mono or
// stereo, and pushed into a feed of the sound layer as the demuxer reaches
// it. Without a sound system, or while switched off, it is decoded and
// dropped, so the decoder stays in step for when it is switched on again.
class SoundTrack {
public:
    SoundTrack() = default;
    ~SoundTrack();
    SoundTrack(const SoundTrack&) = delete;
    SoundTrack& operator=(const SoundTrack&) = delete;

    // False when the track's codec cannot be decoded; the video then plays silent.
    bool open(const AVStream* stream, const FfmpegLibrary& ff);
    bool isOpen() const { return decoder_ != nullptr; }

    // Starts (or restarts, empty) the feed; off closes it.
    void setOn(bool on);
    bool isOn() const { return on_; }
    void setVolume(int volume);
    void setPaused(bool paused);
    // Forgets what the decoder holds, after a seek.
    void flush();

    // Decodes one packet of the track; packets that end before `keepFrom`
    // (in the stream's time base) are skipped.
    void consume(const AVPacket* packet, std::int64_t keepFrom);

    // The video time (seconds) of the sound the output is playing now, so
    // that pictures can follow it; dry when it has played all it was fed
    // (seconds is then where the sound ends). False while there is no such
    // clock: no real output (the null output plays only when asked), no
    // feed, or nothing fed yet.
    bool playingSeconds(double& seconds, bool& dry) const;

private:
    void push(const AVFrame* frame);
    void closeFeed();

    const FfmpegLibrary* ff_ = nullptr;
    AVCodecContext* decoder_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    FSOUND_STREAM* feed_ = nullptr;
    int channel_ = -1;
    bool on_ = true;
    bool paused_ = false;
    int volume_ = 32768;
    std::vector<std::int16_t> pcm_;
    double timeBase_ = 0.0;
    // Video time of the first frame fed since the feed started (< 0: none),
    // and how many frames went in since.
    double feedStart_ = -1.0;
    std::int64_t fed_ = 0;
};

} // namespace vls::bink
