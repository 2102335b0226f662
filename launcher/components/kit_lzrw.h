#pragma once

// The family's block compression: LZRW1 with run-length items, in blocks
// cut from the source at 32781 bytes, and the block stream that carries
// them.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/vcl/streams.h"

namespace kit {

inline constexpr std::size_t kLzrwBlockSize = 32781;
inline constexpr std::uint8_t kLzrwCompressed = 64;
inline constexpr std::uint8_t kLzrwStored = 128;
inline constexpr const char* kLzrwError = "LZRW Error!";
inline constexpr const char* kBadBlock = "Beschädigter komprimierter Block";

// One block: the flag byte and the items, or the flag byte and the source
// when compressing would not make it smaller.
std::vector<std::uint8_t> CompressBlock(std::span<const std::uint8_t> source);
// Raises EReadError when the block is damaged or would give more than
// `maxOutput` bytes.
std::vector<std::uint8_t> DecompressBlock(std::span<const std::uint8_t> block, std::size_t maxOutput = kLzrwBlockSize);

// A 32-bit length of what follows, then each block as a 32-bit length and
// its bytes.
void WriteBlockStream(vcl::TStream* stream, std::span<const std::uint8_t> data);
// Raises EReadError when lengths run past the stream or do not match the
// blocks.
std::vector<std::uint8_t> ReadBlockStream(vcl::TStream* stream);

}  // namespace kit
