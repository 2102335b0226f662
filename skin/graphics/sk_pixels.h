#pragma once

// Pixel arithmetic shared by all painting: 0xAARRGGBB pixels (bytes blue,
// green, red, alpha in memory), the transparent key colour, the one alpha
// blend, and the colour conversions that re-hue a skin.

#include <cstdint>

#include "platform/vcl/graphics.h"

namespace skin {

using TPixel = std::uint32_t;

// Red 127, green 0, blue 127, alpha 0. Colour-keyed drawing compares only
// the low 24 bits with it.
constexpr TPixel KeyColor = 0x007F007F;
constexpr TPixel kOpaqueBlack = 0xFF000000;

inline bool IsKeyColor(TPixel p) { return (p & 0x00FFFFFFu) == (KeyColor & 0x00FFFFFFu); }
inline std::uint8_t PixelAlpha(TPixel p) { return static_cast<std::uint8_t>(p >> 24); }
inline std::uint8_t PixelRed(TPixel p) { return static_cast<std::uint8_t>(p >> 16); }
inline std::uint8_t PixelGreen(TPixel p) { return static_cast<std::uint8_t>(p >> 8); }
inline std::uint8_t PixelBlue(TPixel p) { return static_cast<std::uint8_t>(p); }

TPixel ColorToPixel(vcl::TColor color);
TPixel SwapRedBlue(vcl::TColor color);
TPixel PackPixel(std::int16_t red, std::int16_t green, std::int16_t blue, std::uint8_t alpha);
vcl::TColor PixelToColor(TPixel pixel);
TPixel SubtractPixel(TPixel pixel, std::uint8_t red, std::uint8_t green, std::uint8_t alpha, std::uint8_t blue);

void PixelToHSL(TPixel pixel, float& hue, float& saturation, float& lightness);
TPixel HSLToPixel(float hue, float saturation, float lightness);
TPixel ShiftHue(TPixel pixel, int delta);

// Source over destination by the source's alpha, two bytes per multiply:
// blue with red and green with alpha never carry into each other.
inline TPixel BlendPixel(TPixel s, TPixel d)
{
    const std::uint32_t a = s >> 24;
    if (a == 255)
        return s;
    if (a == 0)
        return d;
    const std::uint32_t na = 255 - a;
    const std::uint32_t srb = (((s & 0x00FF00FFu) * a + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t sga = ((((s >> 8) & 0x00FF00FFu) * a + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t drb = (((d & 0x00FF00FFu) * na + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t dga = ((((d >> 8) & 0x00FF00FFu) * na + 0x00800080u) >> 8) & 0x00FF00FFu;
    return (srb + drb) + ((sga + dga) << 8);
}

// BlendPixel along a run, except that a fully transparent source pixel
// leaves the destination as it is.
void BlendRow(const TPixel* source, TPixel* dest, int count);

}  // namespace skin
