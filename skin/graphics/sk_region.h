#pragma once

// Window regions from a bitmap: every run of pixels that are not the key
// colour becomes one rectangle of a RGNDATA block.

#include <cstdint>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

// The RGNDATA block (header and rectangles, offset by X and Y); empty for
// an empty bitmap. Returns the block's size.
DWORD BuildRegionData(TSkBitmap* bitmap, int x, int y, std::vector<std::uint8_t>& data);
// The region of the bitmap's visible pixels, owned by the caller; 0 for an
// empty bitmap.
HRGN CreateRegionFromBitmap(TSkBitmap* bitmap, int x, int y);

}  // namespace skin
