#include "engine/base/datafile_bytes.h"

#include <cstring>

const std::uint8_t* DatafileByteReader::Take(std::size_t n)
{
    if (failed_ || n > size_ - pos_) {
        failed_ = true;
        return nullptr;
    }
    const std::uint8_t* const at = data_ + pos_;
    pos_ += n;
    return at;
}

std::uint32_t DatafileByteReader::U32()
{
    const std::uint8_t* const p = Take(4);
    if (!p)
        return 0;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t DatafileByteReader::U16()
{
    const std::uint8_t* const p = Take(2);
    if (!p)
        return 0;
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint8_t DatafileByteReader::U8()
{
    const std::uint8_t* const p = Take(1);
    return p ? p[0] : 0;
}

float DatafileByteReader::F32()
{
    const std::uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void DatafileByteReader::Bytes(void* out, std::size_t n)
{
    const std::uint8_t* const p = Take(n);
    if (p)
        std::memcpy(out, p, n);
    else
        std::memset(out, 0, n);
}

std::string DatafileByteReader::FixedText(std::size_t width)
{
    const std::uint8_t* const p = Take(width);
    if (!p)
        return {};
    const void* const nul = std::memchr(p, 0, width);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p) : width;
    return std::string(reinterpret_cast<const char*>(p), length);
}

void DatafileByteWriter::U32(std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void DatafileByteWriter::U16(std::uint16_t value)
{
    out_.push_back(static_cast<std::uint8_t>(value));
    out_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void DatafileByteWriter::F32(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void DatafileByteWriter::Bytes(const void* data, std::size_t n)
{
    const auto* const p = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
}

void DatafileByteWriter::FixedText(const std::string& text, std::size_t width)
{
    const std::size_t n = text.size() < width ? text.size() : width;
    out_.insert(out_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    out_.insert(out_.end(), width - n, 0);
}
