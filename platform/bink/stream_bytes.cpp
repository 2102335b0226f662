#include "platform/bink/stream_bytes.h"

#include "platform/win32/kernel/files.h"

#include <algorithm>
#include <cstring>

namespace vls::bink {

std::unique_ptr<StreamBytes> StreamBytes::FromMemory(const void* data, std::size_t size)
{
    auto bytes = std::make_unique<StreamBytes>();
    const auto* first = static_cast<const std::uint8_t*>(data);
    if (size > 0)
        bytes->memory_.assign(first, first + size);
    bytes->size_ = static_cast<std::int64_t>(size);
    return bytes;
}

std::unique_ptr<StreamBytes> StreamBytes::FromHandle(HANDLE file, std::int64_t length, std::string& error)
{
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    LARGE_INTEGER fileSize{};
    if (!file || file == INVALID_HANDLE_VALUE || !SetFilePointerEx(file, zero, &position, FILE_CURRENT)
        || !GetFileSizeEx(file, &fileSize)) {
        error = "The file handle cannot be read.";
        return nullptr;
    }
    auto bytes = std::make_unique<StreamBytes>();
    bytes->file_ = file;
    bytes->start_ = position.QuadPart;
    const std::int64_t rest = std::max<std::int64_t>(0, fileSize.QuadPart - position.QuadPart);
    bytes->size_ = length >= 0 ? std::min(length, rest) : rest;
    return bytes;
}

int StreamBytes::read(std::int64_t position, std::uint8_t* out, int count)
{
    if (position < 0 || count < 0)
        return -1;
    if (position >= size_)
        return 0;
    const int wanted = static_cast<int>(std::min<std::int64_t>(count, size_ - position));
    if (!file_) {
        std::memcpy(out, memory_.data() + position, static_cast<std::size_t>(wanted));
        return wanted;
    }
    LARGE_INTEGER at{};
    at.QuadPart = start_ + position;
    DWORD got = 0;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)
        || !ReadFile(file_, out, static_cast<DWORD>(wanted), &got, nullptr))
        return -1;
    bytesRead_ += got;
    return static_cast<int>(got);
}

void StreamBytes::limit(std::int64_t length)
{
    size_ = std::clamp<std::int64_t>(length, 0, size_);
    if (!file_ && memory_.size() > static_cast<std::size_t>(size_)) {
        memory_.resize(static_cast<std::size_t>(size_));
        memory_.shrink_to_fit();
    }
}

bool StreamBytes::fitToDeclaredLength(std::string& error)
{
    if (fitted_)
        return true;
    std::uint8_t head[kHeadSize] = {};
    const int headSize = std::max(0, read(0, head, kHeadSize));
    const std::int64_t declared = DeclaredStreamLength({head, static_cast<std::size_t>(headSize)});
    if (declared > size_) {
        error = "The stream is truncated: it ends before its data.";
        return false;
    }
    if (declared >= 0)
        limit(declared);
    fitted_ = true;
    return true;
}

bool StreamBytes::preload(std::string& error)
{
    if (!file_)
        return true;
    std::vector<std::uint8_t> copy(static_cast<std::size_t>(size_));
    std::int64_t done = 0;
    while (done < size_) {
        const int chunk = static_cast<int>(std::min<std::int64_t>(size_ - done, 1 << 20));
        const int got = read(done, copy.data() + done, chunk);
        if (got <= 0) {
            error = "The stream cannot be read whole.";
            return false;
        }
        done += got;
    }
    memory_ = std::move(copy);
    file_ = nullptr;
    start_ = 0;
    return true;
}

namespace {

// An EBML variable-length number at `at`: its value and byte length, with
// `unknown` set for the all-ones value that stands for "size not known".
bool ReadVint(std::span<const std::uint8_t> head, std::size_t& at, std::uint64_t& value, bool& unknown)
{
    if (at >= head.size() || head[at] == 0)
        return false;
    const std::uint8_t first = head[at];
    int length = 1;
    while (!(first & (0x80 >> (length - 1))))
        ++length;
    if (at + static_cast<std::size_t>(length) > head.size())
        return false;
    value = first & (0xFFu >> length);
    bool allOnes = value == (0xFFu >> length);
    for (int i = 1; i < length; ++i) {
        value = (value << 8) | head[at + static_cast<std::size_t>(i)];
        allOnes = allOnes && head[at + static_cast<std::size_t>(i)] == 0xFF;
    }
    unknown = allOnes;
    at += static_cast<std::size_t>(length);
    return true;
}

std::uint32_t ReadU32(std::span<const std::uint8_t> head, std::size_t at)
{
    return std::uint32_t(head[at]) | std::uint32_t(head[at + 1]) << 8 | std::uint32_t(head[at + 2]) << 16
        | std::uint32_t(head[at + 3]) << 24;
}

std::int64_t MatroskaLength(std::span<const std::uint8_t> head)
{
    std::size_t at = 4;
    std::uint64_t headerSize = 0;
    bool unknown = false;
    if (!ReadVint(head, at, headerSize, unknown) || unknown || headerSize > head.size() - at)
        return -1;
    at += static_cast<std::size_t>(headerSize);
    static constexpr std::uint8_t kSegment[] = {0x18, 0x53, 0x80, 0x67};
    if (head.size() - at < 4 || !std::equal(kSegment, kSegment + 4, head.begin() + static_cast<std::ptrdiff_t>(at)))
        return -1;
    at += 4;
    std::uint64_t segmentSize = 0;
    if (!ReadVint(head, at, segmentSize, unknown) || unknown || segmentSize > (std::uint64_t(1) << 62))
        return -1;
    return static_cast<std::int64_t>(at + segmentSize);
}

} // namespace

std::int64_t DeclaredStreamLength(std::span<const std::uint8_t> head)
{
    if (head.size() >= 8 && head[0] == 'B' && head[1] == 'I' && head[2] == 'K')
        return std::int64_t(ReadU32(head, 4)) + 8;
    if (head.size() >= 4 && head[0] == 0x1A && head[1] == 0x45 && head[2] == 0xDF && head[3] == 0xA3)
        return MatroskaLength(head);
    return -1;
}

} // namespace vls::bink
