#include "skin/graphics/sk_stream_io.h"

namespace skin {

std::int64_t BytesLeft(vcl::TStream* stream)
{
    const std::int64_t left = stream->Size() - stream->Position();
    return left > 0 ? left : 0;
}

std::int32_t ReadInt32(vcl::TStream* stream)
{
    std::uint8_t b[4];
    stream->ReadBuffer(b, 4);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                     (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
}

void WriteInt32(vcl::TStream* stream, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    stream->WriteBuffer(b, 4);
}

void ReadStreamString(vcl::TStream* stream, vcl::AnsiString& s)
{
    const std::int32_t n = ReadInt32(stream);
    if (n < 0 || n > kMaxStreamString || n > BytesLeft(stream))
        throw vcl::EReadError(vcl::Format("Skin stream string of %d bytes does not fit the stream", n));
    s.assign(static_cast<size_t>(n), '\0');
    if (n > 0)
        stream->ReadBuffer(s.data(), n);
}

void WriteStreamString(vcl::TStream* stream, const vcl::AnsiString& s)
{
    WriteInt32(stream, static_cast<std::int32_t>(s.size()));
    if (!s.empty())
        stream->WriteBuffer(s.data(), static_cast<std::int32_t>(s.size()));
}

void CheckCount(vcl::TStream* stream, std::int32_t count, std::int64_t minRecordSize, const char* what)
{
    if (count < 0 || static_cast<std::int64_t>(count) * minRecordSize > BytesLeft(stream))
        throw vcl::EReadError(vcl::Format("Skin stream %s count %d does not fit the stream", what, count));
}

}  // namespace skin
