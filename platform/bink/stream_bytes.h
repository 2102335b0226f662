#pragma once

#include "platform/win32/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vls::bink {

// The bytes of one stream, positions counted from its start: a copy in memory
// or a window of a file read through its kernel handle. Nothing outside the
// window is ever read, so a stream inside an archive cannot reach its
// neighbours.
class StreamBytes {
public:
    // Enough of a stream's first bytes for every length DeclaredStreamLength
    // can read.
    static constexpr int kHeadSize = 64;

    static std::unique_ptr<StreamBytes> FromMemory(const void* data, std::size_t size);
    // The window starts at the handle's current position and runs `length`
    // bytes, or to the end of the file when that comes first or `length` is
    // negative. Null with `error` set when the handle cannot be read.
    static std::unique_ptr<StreamBytes> FromHandle(HANDLE file, std::int64_t length, std::string& error);

    std::int64_t size() const { return size_; }
    // Bytes read at `position`: 0 at the end, -1 when the file fails.
    int read(std::int64_t position, std::uint8_t* out, int count);
    // Narrows the window to its first `length` bytes; a copy in memory gives
    // back what it no longer holds.
    void limit(std::int64_t length);
    // Narrows the window to the length the stream declares in its head, so
    // bytes that follow the stream are never read; once done, it is not done
    // again. False with `error` set when the stream declares more than the
    // window holds.
    bool fitToDeclaredLength(std::string& error);
    // Reads the window into memory, so the handle is no longer needed.
    bool preload(std::string& error);

    // What the stream cost: bytes read through the handle so far, and bytes
    // kept in memory.
    std::int64_t bytesRead() const { return bytesRead_; }
    std::size_t bytesHeld() const { return memory_.capacity(); }

private:
    std::vector<std::uint8_t> memory_;
    HANDLE file_ = nullptr;
    std::int64_t start_ = 0;
    std::int64_t size_ = 0;
    std::int64_t bytesRead_ = 0;
    bool fitted_ = false;
};

// The length a stream declares for itself in its first bytes (`head`), or -1
// when its format declares none or the head is too short to tell.
std::int64_t DeclaredStreamLength(std::span<const std::uint8_t> head);

} // namespace vls::bink
