#pragma once

// Bitmaps written as Windows DIB files at a chosen depth: "BM" header,
// BITMAPINFOHEADER, palette and bottom-up rows padded to 4 bytes.

#include <cstdint>
#include <vector>

#include "platform/vcl/graphics.h"

namespace kit {

// `bitCount` 1 (black and white), 4 or 8 (the picture's own colours when
// they fit, else a fixed palette, nearest colour) or 24; any other depth
// is written as 24 bits.
std::vector<std::uint8_t> WriteDibFile(vcl::TBitmap* bitmap, int bitCount);

}  // namespace kit
