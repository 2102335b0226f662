#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace vls::bink {

// The decoding libraries are loaded on the first video opened, not linked:
// they and what they need run to a hundred shared objects, which a program
// that shows no video at start would otherwise map and relocate before its
// first frame. The table holds every entry point the player calls.
#define VLS_FFMPEG_FUNCTIONS(X) \
    X(avutil, av_channel_layout_default) \
    X(avutil, av_frame_alloc) \
    X(avutil, av_frame_free) \
    X(avutil, av_frame_unref) \
    X(avutil, av_free) \
    X(avutil, av_freep) \
    X(avutil, av_log_set_level) \
    X(avutil, av_malloc) \
    X(avutil, av_mallocz) \
    X(avutil, av_pix_fmt_desc_get) \
    X(avutil, av_rescale_q) \
    X(avcodec, av_packet_alloc) \
    X(avcodec, av_packet_free) \
    X(avcodec, av_packet_unref) \
    X(avcodec, avcodec_alloc_context3) \
    X(avcodec, avcodec_find_decoder) \
    X(avcodec, avcodec_flush_buffers) \
    X(avcodec, avcodec_free_context) \
    X(avcodec, avcodec_open2) \
    X(avcodec, avcodec_parameters_to_context) \
    X(avcodec, avcodec_receive_frame) \
    X(avcodec, avcodec_send_packet) \
    X(avformat, av_find_best_stream) \
    X(avformat, av_read_frame) \
    X(avformat, av_seek_frame) \
    X(avformat, avformat_alloc_context) \
    X(avformat, avformat_close_input) \
    X(avformat, avformat_find_stream_info) \
    X(avformat, avformat_open_input) \
    X(avformat, avio_alloc_context) \
    X(avformat, avio_context_free) \
    X(swscale, sws_freeContext) \
    X(swscale, sws_getCachedContext) \
    X(swscale, sws_scale) \
    X(swresample, swr_alloc_set_opts2) \
    X(swresample, swr_convert) \
    X(swresample, swr_free) \
    X(swresample, swr_get_out_samples) \
    X(swresample, swr_init)

struct FfmpegLibrary {
#define VLS_FFMPEG_POINTER(library, name) decltype(&::name) name = nullptr;
    VLS_FFMPEG_FUNCTIONS(VLS_FFMPEG_POINTER)
#undef VLS_FFMPEG_POINTER
};

// The table, loaded on the first call; null when a library or an entry point
// is missing, with the reason in `error`. Once loaded it stays for the
// process's life: decoders may keep threads and callbacks inside it.
const FfmpegLibrary* LoadFfmpeg(const char** error = nullptr);

} // namespace vls::bink
