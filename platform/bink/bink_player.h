#pragma once

#include "platform/bink/sound_track.h"
#include "platform/bink/stream_bytes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwsContext;

namespace vls::bink {
struct FfmpegLibrary;
}

// The decoding state behind a BINK: the demuxer over our own I/O context,
// the video decoder, the index of frames found at open, the picture last
// decoded and the sound track.
struct BinkPlayer {
    BinkPlayer() = default;
    ~BinkPlayer();
    BinkPlayer(const BinkPlayer&) = delete;
    BinkPlayer& operator=(const BinkPlayer&) = delete;

    struct FrameEntry {
        std::int64_t pts;
        bool key;
    };

    // Opens the demuxer and the decoders and indexes the video's frames.
    // False with `error` set when the stream cannot be played.
    bool open(std::unique_ptr<vls::bink::StreamBytes> source, bool keepAlpha, std::string& error);

    int width() const { return width_; }
    int height() const { return height_; }
    int frameCount() const { return static_cast<int>(frames_.size()); }
    bool hasAlpha() const { return hasAlpha_; }
    bool hasSound() const { return soundIndex_ >= 0; }
    // The stream's own rate as a fraction; 0/0 when it gives none.
    int rateNumerator() const { return rateNum_; }
    int rateDenominator() const { return rateDen_; }

    // Decodes frame `index` (0-based) into the picture. False with `error`
    // set when it cannot; the previous picture stays.
    bool decode(int index, std::string& error);
    // Copies the picture as B, G, R, A; false before the first frame.
    bool copy(std::uint8_t* dest, std::int64_t pitch, int rows, int columns);

    // The bytes behind the stream, for what reading them cost.
    const vls::bink::StreamBytes& stream() const { return *bytes_; }

    vls::bink::SoundTrack sound;
    // Pacing: the clock time at which frame `anchorFrame` was due; set again
    // when playing resumes or jumps.
    std::uint32_t anchorMs = 0;
    std::uint32_t anchorFrame = 1;

private:
    bool openDemuxer(std::string& error);
    void closeDemuxer();
    bool indexFrames(std::string& error);
    bool seekToKey(int index);
    bool convert();

    const vls::bink::FfmpegLibrary* ff_ = nullptr;
    std::unique_ptr<vls::bink::StreamBytes> bytes_;
    // The I/O context's state: the bytes and the read position.
    std::pair<vls::bink::StreamBytes*, std::int64_t> ioState_{};
    AVIOContext* ioContext_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* scaler_ = nullptr;
    int videoIndex_ = -1;
    int soundIndex_ = -1;
    int width_ = 0;
    int height_ = 0;
    int rateNum_ = 0;
    int rateDen_ = 0;
    bool hasAlpha_ = false;
    bool keepAlpha_ = false;
    std::vector<FrameEntry> frames_;
    // The frame the decoder yields next; -1 when it must seek first.
    int nextIndex_ = -1;
    bool drained_ = false;
    bool packetPending_ = false;
    // Sound before this time (sound stream's time base) is dropped after a seek.
    std::int64_t soundKeepFrom_ = 0;
    std::uint8_t* picture_ = nullptr; // av_malloc'd, for the converters' alignment
    int picturePitch_ = 0;
    bool pictureValid_ = false;
};
