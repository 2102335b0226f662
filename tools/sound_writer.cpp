#include "tools/sound_writer.h"

#include "platform/fmod/wav_reader.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <numbers>

namespace vls::tools {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void AppendPage(std::vector<std::uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

PcmClip MakeSine(int rate, int channels, double hz, double seconds, double amplitude)
{
    PcmClip clip;
    clip.channels = channels;
    clip.rate = rate;
    const auto frames = static_cast<std::int64_t>(std::llround(seconds * rate));
    clip.samples.reserve(static_cast<std::size_t>(frames * channels));
    for (std::int64_t i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c)
            clip.samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
    return clip;
}

std::vector<std::uint8_t> WriteWav(const PcmClip& clip, int bits)
{
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(clip.channels * bits / 8);
    const std::uint32_t dataSize = static_cast<std::uint32_t>(clip.frames()) * blockAlign;
    std::vector<std::uint8_t> out;
    Put32(out, fmod::kRiffId);
    Put32(out, 4 + 8 + fmod::kFmtPcmSize + 8 + dataSize + (dataSize & 1));
    Put32(out, fmod::kWaveId);
    Put32(out, fmod::kFmtId);
    Put32(out, fmod::kFmtPcmSize);
    Put16(out, fmod::kWavePcm);
    Put16(out, static_cast<std::uint32_t>(clip.channels));
    Put32(out, static_cast<std::uint32_t>(clip.rate));
    Put32(out, static_cast<std::uint32_t>(clip.rate) * blockAlign);
    Put16(out, blockAlign);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, fmod::kDataId);
    Put32(out, dataSize);
    for (const std::int16_t sample : clip.samples) {
        if (bits == 8)
            out.push_back(static_cast<std::uint8_t>((sample >> 8) + 128));
        else
            Put16(out, static_cast<std::uint16_t>(sample));
    }
    if (dataSize & 1)
        out.push_back(0);
    return out;
}

std::vector<std::uint8_t> EncodeOggVorbis(const PcmClip& clip, float quality)
{
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, clip.channels, clip.rate, quality);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::vector<std::uint8_t> out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPage(out, page);

    constexpr std::int64_t kChunk = 1024;
    std::int64_t written = 0;
    bool finished = false;
    while (!finished) {
        const std::int64_t count = std::min(kChunk, clip.frames() - written);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (std::int64_t i = 0; i < count; ++i)
                for (int c = 0; c < clip.channels; ++c)
                    buffer[c][i] = clip.samples[static_cast<std::size_t>((written + i) * clip.channels + c)] / 32768.0f;
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            written += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPage(out, page);
                    if (ogg_page_eos(&page))
                        finished = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace vls::tools
