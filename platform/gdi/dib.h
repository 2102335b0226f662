#pragma once

// Device-independent bitmap rows to and from our 32-bit pixels. Used by the
// DIB calls and by the BMP file reader and writer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"

namespace vls::gdi {

// Bytes per row of a DIB, padded to 4 bytes; 0 when it would overflow.
std::size_t DibStride(int width, int bitCount);

// Decodes `bits` laid out as `header` describes (1, 4, 8, 16, 24 or 32 bits,
// BI_RGB or BI_BITFIELDS, bottom-up or top-down) into `out`, which gets the
// header's size. `masks` are the three BI_BITFIELDS masks. Returns false with
// a reason when the header is unsupported or the data is short.
bool DecodeDib(const BITMAPINFOHEADER& header, const RGBQUAD* palette, std::size_t paletteCount,
               const DWORD* masks, const std::uint8_t* bits, std::size_t bitsSize, Surface& out, std::string& error);

// Encodes `in` as bottom-up rows of 16 (5-5-5), 24 or 32 bits.
std::vector<std::uint8_t> EncodeDib(const Surface& in, int bitCount);

}  // namespace vls::gdi
