#include "tools/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <memory>

namespace vls::tools {

namespace {

// A growing file in memory that the muxer may seek back into, so that it
// writes sizes and a seek index.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    std::int64_t position = 0;
};

int WritePacket(void* opaque, std::uint8_t* data, int size)
{
    auto* file = static_cast<MemoryFile*>(opaque);
    const std::size_t end = static_cast<std::size_t>(file->position) + static_cast<std::size_t>(size);
    if (file->bytes.size() < end)
        file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->position, data, static_cast<std::size_t>(size));
    file->position += size;
    return size;
}

std::int64_t SeekFile(void* opaque, std::int64_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return static_cast<std::int64_t>(file->bytes.size());
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = static_cast<std::int64_t>(file->bytes.size());
    if (base + offset < 0)
        return AVERROR(EINVAL);
    file->position = base + offset;
    return file->position;
}

AVPixelFormat PixelFormat(VideoClipOptions::Pixels pixels)
{
    switch (pixels) {
    case VideoClipOptions::Pixels::Bgra:
        return AV_PIX_FMT_BGRA;
    case VideoClipOptions::Pixels::Bgr:
        return AV_PIX_FMT_BGR0;
    case VideoClipOptions::Pixels::Yuv420:
        return AV_PIX_FMT_YUV420P;
    case VideoClipOptions::Pixels::Yuva420:
        return AV_PIX_FMT_YUVA420P;
    }
    return AV_PIX_FMT_BGRA;
}

// Everything the writer allocates, freed in one place.
struct Writer {
    MemoryFile file;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* painted = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;

    ~Writer()
    {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&painted);
        av_frame_free(&frame);
        avcodec_free_context(&audio);
        avcodec_free_context(&video);
        avformat_free_context(format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    bool drain(AVCodecContext* codec, AVStream* stream)
    {
        for (;;) {
            const int result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
                return false;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(format, packet) < 0)
                return false;
        }
    }

    bool send(AVCodecContext* codec, AVStream* stream, const AVFrame* input)
    {
        return avcodec_send_frame(codec, input) >= 0 && drain(codec, stream);
    }
};

AVCodecContext* OpenEncoder(const char* name, AVFormatContext* format, AVStream*& stream,
    const std::function<void(AVCodecContext*)>& setUp)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context)
        return nullptr;
    setUp(context);
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    stream = avformat_new_stream(format, nullptr);
    if (avcodec_open2(context, codec, nullptr) < 0 || !stream
        || avcodec_parameters_from_context(stream->codecpar, context) < 0) {
        avcodec_free_context(&context);
        return nullptr;
    }
    stream->time_base = context->time_base;
    return context;
}

bool Paint(Writer& writer, const VideoClipOptions& options, int index)
{
    AVFrame* target = writer.frame;
    if (av_frame_make_writable(target) < 0 || av_frame_make_writable(writer.painted) < 0)
        return false;
    for (int y = 0; y < options.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(writer.painted->data[0] + std::ptrdiff_t(y) * writer.painted->linesize[0]);
        for (int x = 0; x < options.width; ++x)
            row[x] = options.paint ? options.paint(index, x, y) : PatternPixel(index, x, y);
    }
    if (target->format == AV_PIX_FMT_BGRA || target->format == AV_PIX_FMT_BGR0) {
        // 0xAARRGGBB stored little-endian is already B, G, R, A.
        av_image_copy_plane(target->data[0], target->linesize[0], writer.painted->data[0],
            writer.painted->linesize[0], options.width * 4, options.height);
    } else if (sws_scale(writer.scaler, writer.painted->data, writer.painted->linesize, 0, options.height,
                   target->data, target->linesize)
        != options.height) {
        return false;
    }
    target->pts = index;
    return true;
}

bool WriteSound(Writer& writer, const VideoClipOptions& options, std::int64_t& written, std::int64_t until)
{
    constexpr int kChunk = 1024;
    while (written < until) {
        const int count = static_cast<int>(std::min<std::int64_t>(kChunk, until - written));
        AVFrame* chunk = av_frame_alloc();
        chunk->format = AV_SAMPLE_FMT_S16;
        chunk->sample_rate = options.audioRate;
        chunk->nb_samples = count;
        av_channel_layout_default(&chunk->ch_layout, options.audioChannels);
        if (av_frame_get_buffer(chunk, 0) < 0) {
            av_frame_free(&chunk);
            return false;
        }
        auto* samples = reinterpret_cast<std::int16_t*>(chunk->data[0]);
        const std::int64_t half = std::max(1, options.audioRate / std::max(1, options.toneHz) / 2);
        for (int i = 0; i < count; ++i) {
            const std::int16_t level = ((written + i) / half) % 2 ? static_cast<std::int16_t>(-options.toneLevel) : options.toneLevel;
            for (int c = 0; c < options.audioChannels; ++c)
                samples[i * options.audioChannels + c] = level;
        }
        chunk->pts = written;
        written += count;
        const bool sent = writer.send(writer.audio, writer.audioStream, chunk);
        av_frame_free(&chunk);
        if (!sent)
            return false;
    }
    return true;
}

} // namespace

std::uint32_t PatternPixel(int frame, int x, int y)
{
    const std::uint32_t alpha = static_cast<std::uint32_t>(x + y + frame) & 0xFF;
    return alpha << 24 | (static_cast<std::uint32_t>(x) & 0xFF) << 16 | (static_cast<std::uint32_t>(y) & 0xFF) << 8
        | (static_cast<std::uint32_t>(frame) & 0xFF);
}

std::vector<std::uint8_t> WriteVideoClip(const VideoClipOptions& options, std::string& error)
{
    Writer writer;
    constexpr int kIoBufferSize = 32768;
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
    writer.io = avio_alloc_context(buffer, kIoBufferSize, 1, &writer.file, nullptr, WritePacket, SeekFile);
    if (avformat_alloc_output_context2(&writer.format, nullptr, "matroska", nullptr) < 0 || !writer.io) {
        error = "The Matroska muxer is not available.";
        return {};
    }
    writer.format->pb = writer.io;
    writer.format->flags |= AVFMT_FLAG_CUSTOM_IO;

    const AVPixelFormat pixels = PixelFormat(options.pixels);
    const bool lossy = options.codec == VideoClipOptions::Codec::Mpeg4;
    writer.video = OpenEncoder(lossy ? "mpeg4" : "ffv1", writer.format, writer.videoStream, [&](AVCodecContext* c) {
        if (lossy)
            c->bit_rate = static_cast<std::int64_t>(options.width) * options.height * options.rate / 4;
        c->width = options.width;
        c->height = options.height;
        c->pix_fmt = pixels;
        c->time_base = {1, options.rate};
        c->framerate = {options.rate, 1};
        c->gop_size = std::max(1, options.keyInterval);
    });
    if (!writer.video) {
        error = "The video encoder cannot be opened.";
        return {};
    }
    writer.videoStream->avg_frame_rate = {options.rate, 1};
    if (options.audioRate > 0) {
        writer.audio = OpenEncoder("pcm_s16le", writer.format, writer.audioStream, [&](AVCodecContext* c) {
            c->sample_fmt = AV_SAMPLE_FMT_S16;
            c->sample_rate = options.audioRate;
            av_channel_layout_default(&c->ch_layout, options.audioChannels);
            c->time_base = {1, options.audioRate};
        });
        if (!writer.audio) {
            error = "The sound encoder cannot be opened.";
            return {};
        }
    }

    writer.frame = av_frame_alloc();
    writer.painted = av_frame_alloc();
    writer.packet = av_packet_alloc();
    writer.frame->format = pixels;
    writer.frame->width = options.width;
    writer.frame->height = options.height;
    writer.painted->format = AV_PIX_FMT_BGRA;
    writer.painted->width = options.width;
    writer.painted->height = options.height;
    writer.scaler = sws_getContext(options.width, options.height, AV_PIX_FMT_BGRA, options.width, options.height, pixels,
        SWS_POINT, nullptr, nullptr, nullptr);
    if (av_frame_get_buffer(writer.frame, 0) < 0 || av_frame_get_buffer(writer.painted, 0) < 0 || !writer.scaler
        || avformat_write_header(writer.format, nullptr) < 0) {
        error = "The clip cannot be started.";
        return {};
    }

    std::int64_t soundWritten = 0;
    for (int index = 0; index < options.frames; ++index) {
        if (writer.audio
            && !WriteSound(writer, options, soundWritten, std::int64_t(index + 1) * options.audioRate / options.rate)) {
            error = "The sound cannot be encoded.";
            return {};
        }
        if (!Paint(writer, options, index) || !writer.send(writer.video, writer.videoStream, writer.frame)) {
            error = "Frame " + std::to_string(index) + " cannot be encoded.";
            return {};
        }
    }
    if (!writer.send(writer.video, writer.videoStream, nullptr)
        || (writer.audio && !writer.send(writer.audio, writer.audioStream, nullptr))
        || av_write_trailer(writer.format) < 0) {
        error = "The clip cannot be finished.";
        return {};
    }
    avio_flush(writer.io);
    return std::move(writer.file.bytes);
}

} // namespace vls::tools
