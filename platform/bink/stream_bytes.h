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
    static std::unique_ptr<StreamBytes> FromMemory(const void* data, std::size_t size);
    // The window starts at the handle's current position and runs to the end
    // of the file. Null with `error` set when the handle cannot be read.
    static std::unique_ptr<StreamBytes> FromHandle(HANDLE file, std::string& error);

    std::int64_t size() const { return size_; }
    // Bytes read at `position`: 0 at the end, -1 when the file fails.
    int read(std::int64_t position, std::uint8_t* out, int count);
    // Narrows the window to its first `length` bytes.
    void limit(std::int64_t length);
    // Reads the window into memory, so the handle is no longer needed.
    bool preload(std::string& error);

private:
    std::vector<std::uint8_t> memory_;
    HANDLE file_ = nullptr;
    std::int64_t start_ = 0;
    std::int64_t size_ = 0;
};

// The length a stream declares for itself in its first bytes (`head`), or -1
// when its format declares none or the head is too short to tell.
std::int64_t DeclaredStreamLength(std::span<const std::uint8_t> head);

} // namespace vls::bink
