#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Bounded little-endian reading of datafile records. Every read that would
// cross the end sets the failure flag and yields zeros, so a reader can take a
// whole record and test once.
class DatafileByteReader {
public:
    DatafileByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t U32();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint16_t U16();
    std::uint8_t U8();
    float F32();
    // Copies n bytes; on a short read the destination is zero-filled.
    void Bytes(void* out, std::size_t n);
    // A fixed-width character field cut at its first NUL (or at the field's end
    // when it has none).
    std::string FixedText(std::size_t width);
    // Skips n bytes; returns a pointer to them or null on a short read.
    const std::uint8_t* Take(std::size_t n);

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    bool Failed() const { return failed_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// The writing side, used by our tools to produce the same records.
class DatafileByteWriter {
public:
    explicit DatafileByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void U32(std::uint32_t value);
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void U16(std::uint16_t value);
    void U8(std::uint8_t value) { out_.push_back(value); }
    void F32(float value);
    void Bytes(const void* data, std::size_t n);
    // Writes text into a zero-padded field of width bytes; longer text is cut
    // (and then has no terminator, as the format allows).
    void FixedText(const std::string& text, std::size_t width);

private:
    std::vector<std::uint8_t>& out_;
};
