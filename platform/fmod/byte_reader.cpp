#include "platform/fmod/byte_reader.h"

namespace vls::fmod {

bool ByteReader::take(std::size_t count)
{
    if (failed_ || count > remaining()) {
        failed_ = true;
        return false;
    }
    return true;
}

std::uint8_t ByteReader::u8()
{
    if (!take(1))
        return 0;
    return bytes_[pos_++];
}

std::uint16_t ByteReader::u16()
{
    if (!take(2))
        return 0;
    const std::uint16_t value = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return value;
}

std::uint32_t ByteReader::u32()
{
    if (!take(4))
        return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes_[pos_ + i];
    pos_ += 4;
    return value;
}

std::uint64_t ByteReader::u64()
{
    const std::uint64_t low = u32();
    const std::uint64_t high = u32();
    return failed_ ? 0 : (high << 32) | low;
}

std::span<const std::uint8_t> ByteReader::bytes(std::size_t count)
{
    if (!take(count))
        return {};
    const auto out = bytes_.subspan(pos_, count);
    pos_ += count;
    return out;
}

void ByteReader::skip(std::size_t count)
{
    if (take(count))
        pos_ += count;
}

void ByteReader::seek(std::size_t offset)
{
    if (offset > bytes_.size()) {
        failed_ = true;
        return;
    }
    pos_ = offset;
}

} // namespace vls::fmod
