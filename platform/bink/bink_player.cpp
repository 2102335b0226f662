#include "platform/bink/bink_player.h"

#include "platform/bink/ffmpeg_library.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kIoBufferSize = 32768;
constexpr int kLargestSide = 16384;
constexpr int kRowAlign = 64;

int ReadPacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* io = static_cast<std::pair<vls::bink::StreamBytes*, std::int64_t>*>(opaque);
    const int got = io->first->read(io->second, buffer, size);
    if (got == 0)
        return AVERROR_EOF;
    if (got < 0)
        return AVERROR(EIO);
    io->second += got;
    return got;
}

std::int64_t Seek(void* opaque, std::int64_t offset, int whence)
{
    auto* io = static_cast<std::pair<vls::bink::StreamBytes*, std::int64_t>*>(opaque);
    const std::int64_t size = io->first->size();
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return size;
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = io->second;
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return AVERROR(EINVAL);
    if (offset > size || offset < -size || base + offset < 0 || base + offset > size)
        return AVERROR(EINVAL);
    io->second = base + offset;
    return io->second;
}

} // namespace

BinkPlayer::~BinkPlayer()
{
    if (!ff_)
        return; // the libraries never loaded: nothing of theirs was made
    ff_->av_free(picture_);
    ff_->sws_freeContext(scaler_);
    ff_->av_frame_free(&frame_);
    ff_->av_packet_free(&packet_);
    ff_->avcodec_free_context(&video_);
    closeDemuxer();
}

bool BinkPlayer::open(std::unique_ptr<vls::bink::StreamBytes> source, bool keepAlpha, std::string& error)
{
    const char* unavailable = nullptr;
    ff_ = vls::bink::LoadFfmpeg(&unavailable);
    if (!ff_) {
        error = unavailable;
        return false;
    }
    // Damaged streams are reported through BinkGetError; the libraries' own
    // complaints would only fill the console.
    ff_->av_log_set_level(AV_LOG_QUIET);
    bytes_ = std::move(source);
    keepAlpha_ = keepAlpha;
    if (!bytes_->fitToDeclaredLength(error) || !openDemuxer(error))
        return false;

    const int videoIndex = ff_->av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex < 0) {
        error = "The stream holds no video.";
        return false;
    }
    videoIndex_ = videoIndex;
    const AVStream* stream = format_->streams[videoIndex_];
    const AVCodec* codec = ff_->avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        error = "The video's codec is not supported.";
        return false;
    }
    video_ = ff_->avcodec_alloc_context3(codec);
    if (!video_ || ff_->avcodec_parameters_to_context(video_, stream->codecpar) < 0) {
        error = "The video decoder cannot be set up.";
        return false;
    }
    // Slice threads keep one frame out per packet in, which the frame
    // stepping relies on.
    video_->thread_type = FF_THREAD_SLICE;
    video_->thread_count = 0;
    if (ff_->avcodec_open2(video_, codec, nullptr) < 0) {
        error = "The video decoder cannot be opened.";
        return false;
    }
    width_ = stream->codecpar->width;
    height_ = stream->codecpar->height;
    if (width_ < 1 || height_ < 1 || width_ > kLargestSide || height_ > kLargestSide) {
        error = "The video's size is not supported.";
        return false;
    }
    const AVPixFmtDescriptor* pixels = ff_->av_pix_fmt_desc_get(static_cast<AVPixelFormat>(stream->codecpar->format));
    hasAlpha_ = pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA);
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) {
        rateNum_ = rate.num;
        rateDen_ = rate.den;
    }

    packet_ = ff_->av_packet_alloc();
    frame_ = ff_->av_frame_alloc();
    if (!packet_ || !frame_ || !indexFrames(error))
        return false;

    const int soundIndex = ff_->av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
    if (soundIndex >= 0 && sound.open(format_->streams[soundIndex], *ff_))
        soundIndex_ = soundIndex;
    // The converters write whole vectors, past the end of a row whose width is
    // not a multiple of theirs: rows are aligned and the buffer padded.
    picturePitch_ = (width_ * 4 + kRowAlign - 1) / kRowAlign * kRowAlign;
    picture_ = static_cast<std::uint8_t*>(
        ff_->av_mallocz(static_cast<std::size_t>(picturePitch_) * static_cast<std::size_t>(height_) + kRowAlign));
    if (!picture_) {
        error = "Out of memory.";
        return false;
    }
    return true;
}

bool BinkPlayer::openDemuxer(std::string& error)
{
    ioState_ = {bytes_.get(), 0};
    auto* buffer = static_cast<std::uint8_t*>(ff_->av_malloc(kIoBufferSize));
    if (buffer)
        ioContext_ = ff_->avio_alloc_context(buffer, kIoBufferSize, 0, &ioState_, ReadPacket, nullptr, Seek);
    if (!ioContext_) {
        ff_->av_free(buffer);
        error = "Out of memory.";
        return false;
    }
    format_ = ff_->avformat_alloc_context();
    if (!format_) {
        error = "Out of memory.";
        return false;
    }
    format_->pb = ioContext_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (ff_->avformat_open_input(&format_, nullptr, nullptr, nullptr) < 0) {
        error = "The stream's format is not recognised.";
        return false; // avformat_open_input freed the context
    }
    if (ff_->avformat_find_stream_info(format_, nullptr) < 0) {
        error = "The stream's contents cannot be read.";
        return false;
    }
    return true;
}

void BinkPlayer::closeDemuxer()
{
    ff_->avformat_close_input(&format_);
    if (ioContext_) {
        ff_->av_freep(&ioContext_->buffer);
        ff_->avio_context_free(&ioContext_);
    }
}

bool BinkPlayer::indexFrames(std::string& error)
{
    std::int64_t counter = 0;
    std::int64_t lastDts = AV_NOPTS_VALUE;
    int result = 0;
    while ((result = ff_->av_read_frame(format_, packet_)) >= 0) {
        if (packet_->stream_index == videoIndex_) {
            // Decoding order never runs backward in a sound stream; where it
            // does, the demuxer has wandered into bytes that are not ours.
            if (packet_->dts != AV_NOPTS_VALUE) {
                if (lastDts != AV_NOPTS_VALUE && packet_->dts <= lastDts) {
                    ff_->av_packet_unref(packet_);
                    result = AVERROR_INVALIDDATA;
                    break;
                }
                lastDts = packet_->dts;
            }
            std::int64_t pts = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
            if (pts == AV_NOPTS_VALUE)
                pts = counter;
            frames_.push_back({pts, (packet_->flags & AV_PKT_FLAG_KEY) != 0});
            ++counter;
        }
        ff_->av_packet_unref(packet_);
    }
    // A damaged stream keeps the frames found before the damage.
    if (result != AVERROR_EOF)
        error = "The stream is damaged after frame " + std::to_string(frames_.size()) + ".";
    if (frames_.empty()) {
        error = "The stream holds no frames.";
        return false;
    }
    std::stable_sort(frames_.begin(), frames_.end(),
        [](const FrameEntry& a, const FrameEntry& b) { return a.pts < b.pts; });
    frames_.front().key = true;
    return true;
}

bool BinkPlayer::seekToKey(int index)
{
    int key = index;
    while (key > 0 && !frames_[static_cast<std::size_t>(key)].key)
        --key;
    ff_->avcodec_flush_buffers(video_);
    sound.flush();
    drained_ = false;
    packetPending_ = false;
    if (ff_->av_seek_frame(format_, videoIndex_, frames_[static_cast<std::size_t>(key)].pts, AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // Some demuxers cannot seek at all: start over from the first byte.
    closeDemuxer();
    std::string ignored;
    return openDemuxer(ignored);
}

bool BinkPlayer::decode(int index, std::string& error)
{
    if (index < 0 || index >= frameCount()) {
        error = "No such frame.";
        return false;
    }
    const std::int64_t target = frames_[static_cast<std::size_t>(index)].pts;
    if (index != nextIndex_) {
        if (!seekToKey(index)) {
            nextIndex_ = -1;
            error = "The stream cannot be read again.";
            return false;
        }
        if (soundIndex_ >= 0)
            soundKeepFrom_ = ff_->av_rescale_q(target, format_->streams[videoIndex_]->time_base,
                format_->streams[soundIndex_]->time_base);
    }
    for (;;) {
        const int received = ff_->avcodec_receive_frame(video_, frame_);
        if (received >= 0) {
            const std::int64_t shown = frame_->best_effort_timestamp;
            if (shown != AV_NOPTS_VALUE && shown < target) {
                ff_->av_frame_unref(frame_);
                continue;
            }
            const bool converted = convert();
            ff_->av_frame_unref(frame_);
            nextIndex_ = index + 1;
            if (!converted)
                error = "Frame " + std::to_string(index + 1) + " has an unusable picture.";
            return converted;
        }
        if (received == AVERROR_EOF) {
            nextIndex_ = -1;
            error = "The stream ends before frame " + std::to_string(index + 1) + ".";
            return false;
        }
        if (received != AVERROR(EAGAIN)) {
            nextIndex_ = index + 1;
            error = "Frame " + std::to_string(index + 1) + " cannot be decoded.";
            return false;
        }
        if (drained_) {
            // A drained decoder that still wants input has nothing more to give.
            nextIndex_ = -1;
            error = "The stream ends before frame " + std::to_string(index + 1) + ".";
            return false;
        }
        if (!packetPending_) {
            if (ff_->av_read_frame(format_, packet_) < 0) {
                drained_ = true;
                ff_->avcodec_send_packet(video_, nullptr);
                continue;
            }
            if (packet_->stream_index == soundIndex_)
                sound.consume(packet_, soundKeepFrom_);
            if (packet_->stream_index != videoIndex_) {
                ff_->av_packet_unref(packet_);
                continue;
            }
        }
        const int sent = ff_->avcodec_send_packet(video_, packet_);
        packetPending_ = sent == AVERROR(EAGAIN);
        if (packetPending_)
            continue;
        ff_->av_packet_unref(packet_);
        if (sent < 0) {
            nextIndex_ = index + 1;
            error = "Frame " + std::to_string(index + 1) + " cannot be decoded.";
            return false;
        }
    }
}

bool BinkPlayer::convert()
{
    if (frame_->width < 1 || frame_->height < 1 || frame_->width > kLargestSide || frame_->height > kLargestSide)
        return false;
    scaler_ = ff_->sws_getCachedContext(scaler_, frame_->width, frame_->height, static_cast<AVPixelFormat>(frame_->format),
        width_, height_, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler_)
        return false;
    std::uint8_t* planes[4] = {picture_, nullptr, nullptr, nullptr};
    const int pitches[4] = {picturePitch_, 0, 0, 0};
    if (ff_->sws_scale(scaler_, frame_->data, frame_->linesize, 0, frame_->height, planes, pitches) != height_)
        return false;
    if (!hasAlpha_ || !keepAlpha_) {
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* row = picture_ + static_cast<std::size_t>(y) * picturePitch_;
            for (int x = 0; x < width_; ++x)
                row[x * 4 + 3] = 0xFF;
        }
    }
    pictureValid_ = true;
    return true;
}

bool BinkPlayer::copy(std::uint8_t* dest, std::int64_t pitch, int rows, int columns)
{
    if (!pictureValid_)
        return false;
    rows = std::min(rows, height_);
    columns = std::min(columns, width_);
    if (rows <= 0 || columns <= 0)
        return true;
    for (int y = 0; y < rows; ++y)
        std::memcpy(dest + pitch * y, picture_ + static_cast<std::size_t>(y) * picturePitch_,
            static_cast<std::size_t>(columns) * 4);
    return true;
}
