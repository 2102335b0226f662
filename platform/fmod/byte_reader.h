#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vls::fmod {

// Little-endian reads over a byte span. A read past the end returns zero and
// sets the failure flag, which stays set; no read ever leaves the span.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool failed() const { return failed_; }

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    // The next `count` bytes as a span; empty (and failed) when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t count);
    void skip(std::size_t count);
    // Moves to an absolute offset; past the end fails.
    void seek(std::size_t offset);

private:
    bool take(std::size_t count);

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

} // namespace vls::fmod
