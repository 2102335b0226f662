#pragma once

// Text drawing helpers shared by ExtTextOut and DrawText.

#include <string>

#include "platform/gdi/font.h"
#include "platform/gdi/objects.h"

namespace vls::gdi {

Font& FontOf(DcObject& dc);
// Draws `text` with its cell's top-left at (x, y) in logical coordinates,
// clipped to `clip` (logical) when given; fills the cell with the background
// colour first when `opaque`. Returns the advance.
int DrawTextRun(DcObject& dc, int x, int y, const std::u16string& text, const RECT* clip, bool opaque, const INT* dx);

}  // namespace vls::gdi
