#include "platform/fmod/wav_reader.h"

#include "platform/fmod/byte_reader.h"

namespace vls::fmod {

namespace {

struct Format {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
};

WavStatus CheckFormat(const Format& format)
{
    if (format.tag != kWavePcm)
        return WavStatus::Unsupported;
    if (format.channels < 1 || format.channels > 2)
        return WavStatus::Unsupported;
    if (format.bits != 8 && format.bits != 16)
        return WavStatus::Unsupported;
    if (format.rate < 1 || format.rate > static_cast<std::uint32_t>(kMaxWavRate))
        return WavStatus::Damaged;
    if (format.blockAlign != format.channels * format.bits / 8)
        return WavStatus::Damaged;
    return WavStatus::Ok;
}

} // namespace

WavStatus ReadWav(std::span<const std::uint8_t> bytes, WavData& out)
{
    ByteReader reader(bytes);
    if (reader.u32() != kRiffId)
        return WavStatus::NotWav;
    reader.u32(); // RIFF size: writers disagree on it; the chunk walk is bounded by the bytes we hold
    if (reader.u32() != kWaveId || reader.failed())
        return WavStatus::NotWav;

    bool haveFormat = false;
    Format format;
    while (reader.remaining() >= 8) {
        const std::uint32_t id = reader.u32();
        const std::uint32_t size = reader.u32();
        if (size > reader.remaining())
            return WavStatus::Damaged;
        const std::span<const std::uint8_t> body = reader.bytes(size);
        if (id == kFmtId) {
            if (size < kFmtPcmSize)
                return WavStatus::Damaged;
            ByteReader fields(body);
            format.tag = fields.u16();
            format.channels = fields.u16();
            format.rate = fields.u32();
            fields.u32(); // byte rate follows from the others
            format.blockAlign = fields.u16();
            format.bits = fields.u16();
            haveFormat = true;
        } else if (id == kDataId) {
            if (!haveFormat)
                return WavStatus::Damaged;
            const WavStatus status = CheckFormat(format);
            if (status != WavStatus::Ok)
                return status;
            out.channels = format.channels;
            out.rate = static_cast<int>(format.rate);
            out.bits = format.bits;
            out.frames = size / format.blockAlign;
            out.pcm = body.first(static_cast<std::size_t>(out.frames) * format.blockAlign);
            return WavStatus::Ok;
        }
        // Chunks are padded to even sizes; a last odd chunk may lack its pad byte.
        if ((size & 1) && reader.remaining() > 0)
            reader.skip(1);
    }
    return WavStatus::Damaged;
}

} // namespace vls::fmod
