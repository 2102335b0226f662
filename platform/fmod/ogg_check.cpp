#include "platform/fmod/ogg_check.h"

#include "platform/fmod/byte_reader.h"

#include <array>

namespace vls::fmod {

namespace {

constexpr std::uint32_t kOggCapture = 0x5367674F; // "OggS"
constexpr std::size_t kPageHeaderSize = 27;
constexpr std::size_t kChecksumOffset = 22;
constexpr std::uint8_t kEndOfStream = 0x04;

std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
        table[i] = r;
    }
    return table;
}

// Ogg's page checksum: CRC-32 with polynomial 0x04C11DB7, not reflected, the
// checksum field itself counted as zero.
std::uint32_t PageChecksum(std::span<const std::uint8_t> page)
{
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const bool inField = i >= kChecksumOffset && i < kChecksumOffset + 4;
        const std::uint8_t byte = inField ? 0 : page[i];
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
    }
    return crc;
}

} // namespace

OggStatus CheckOggPages(std::span<const std::uint8_t> bytes)
{
    ByteReader reader(bytes);
    if (reader.u32() != kOggCapture)
        return OggStatus::NotOgg;
    reader.seek(0);

    std::uint8_t lastFlags = 0;
    while (reader.remaining() > 0) {
        const std::size_t start = reader.position();
        if (reader.u32() != kOggCapture)
            return OggStatus::Damaged;
        const std::uint8_t version = reader.u8();
        const std::uint8_t flags = reader.u8();
        reader.skip(8 + 4 + 4); // granule position, serial number, page sequence
        const std::uint32_t checksum = reader.u32();
        const std::uint8_t segments = reader.u8();
        std::size_t bodySize = 0;
        for (const std::uint8_t lacing : reader.bytes(segments))
            bodySize += lacing;
        reader.skip(bodySize);
        if (reader.failed() || version != 0)
            return OggStatus::Damaged;
        const std::span<const std::uint8_t> page = bytes.subspan(start, reader.position() - start);
        if (page.size() < kPageHeaderSize || PageChecksum(page) != checksum)
            return OggStatus::Damaged;
        lastFlags = flags;
    }
    return (lastFlags & kEndOfStream) ? OggStatus::Ok : OggStatus::Damaged;
}

} // namespace vls::fmod
