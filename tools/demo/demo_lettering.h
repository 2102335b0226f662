#pragma once

// Words drawn onto the demo's pictures with a TrueType font (the menu's
// buttons carry their names in their pictures).

#include "tools/image_writer.h"

#include <cstdint>
#include <string>

namespace vls::tools {

// Draws `text` centred in the box (left, top)-(right, bottom) of `picture`
// in `argb`, `pixelSize` tall, blended by the glyphs' coverage; false when no
// font can be read (the picture is then left as it was).
bool DrawCentredText(Picture& picture, int left, int top, int right, int bottom, const std::string& text, int pixelSize,
                     std::uint32_t argb);

} // namespace vls::tools
