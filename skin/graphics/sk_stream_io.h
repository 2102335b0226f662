#pragma once

// The library string record (a signed 32-bit byte count, then the 8-bit
// characters without terminator) and the checked little-endian reads that
// the skin stream records are built from. Every read here fails with
// EReadError on a short stream or on a length that the stream cannot hold.

#include <cstdint>

#include "platform/vcl/streams.h"

namespace skin {

// Strings longer than this in a skin stream are taken for damage.
constexpr std::int32_t kMaxStreamString = 16 * 1024 * 1024;

void ReadStreamString(vcl::TStream* stream, vcl::AnsiString& s);
void WriteStreamString(vcl::TStream* stream, const vcl::AnsiString& s);

std::int32_t ReadInt32(vcl::TStream* stream);
void WriteInt32(vcl::TStream* stream, std::int32_t value);

// What is left between the position and the end (0 when the stream can't tell).
std::int64_t BytesLeft(vcl::TStream* stream);

// A count of records that each take at least `minRecordSize` bytes must
// fit in what is left; EReadError otherwise.
void CheckCount(vcl::TStream* stream, std::int32_t count, std::int64_t minRecordSize, const char* what);

}  // namespace skin
