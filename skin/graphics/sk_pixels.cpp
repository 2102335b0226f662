#include "skin/graphics/sk_pixels.h"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

int HueToChannel(float m1, float m2, float h)
{
    h = h - std::floor(h);
    float v;
    if (6 * h < 1)
        v = m1 + (m2 - m1) * 6 * h;
    else if (2 * h < 1)
        v = m2;
    else if (3 * h < 2)
        v = m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6;
    else
        v = m1;
    return RoundHalfEven(v * 255.0f);
}

}  // namespace

TPixel SwapRedBlue(vcl::TColor color)
{
    const auto c = static_cast<std::uint32_t>(color);
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

TPixel ColorToPixel(vcl::TColor color)
{
    if (color < 0)
        color = static_cast<vcl::TColor>(vcl::ColorToRGB(color));
    return SwapRedBlue(color);
}

TPixel PackPixel(std::int16_t red, std::int16_t green, std::int16_t blue, std::uint8_t alpha)
{
    return (static_cast<TPixel>(alpha) << 24) | (static_cast<TPixel>(ClampByte(red)) << 16) |
           (static_cast<TPixel>(ClampByte(green)) << 8) | ClampByte(blue);
}

vcl::TColor PixelToColor(TPixel pixel)
{
    return static_cast<vcl::TColor>(RGB(PixelRed(pixel), PixelGreen(pixel), PixelBlue(pixel)));
}

TPixel SubtractPixel(TPixel pixel, std::uint8_t red, std::uint8_t green, std::uint8_t alpha, std::uint8_t blue)
{
    const auto a = static_cast<std::uint8_t>(PixelAlpha(pixel) - alpha);
    return PackPixel(static_cast<std::int16_t>(PixelRed(pixel) - red), static_cast<std::int16_t>(PixelGreen(pixel) - green),
                     static_cast<std::int16_t>(PixelBlue(pixel) - blue), a);
}

void PixelToHSL(TPixel pixel, float& hue, float& saturation, float& lightness)
{
    const float r = PixelRed(pixel) / 255.0f;
    const float g = PixelGreen(pixel) / 255.0f;
    const float b = PixelBlue(pixel) / 255.0f;
    const float mx = std::max({r, g, b});
    const float mn = std::min({r, g, b});
    lightness = (mx + mn) / 2;
    if (mx == mn) {
        hue = 0;
        saturation = 0;
        return;
    }
    const float d = mx - mn;
    saturation = lightness < 0.5f ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx)
        hue = (g - b) / d;
    else if (g == mx)
        hue = 2 + (b - r) / d;
    else
        hue = 4 + (r - g) / d;
    hue /= 6;
    if (hue < 0)
        hue += 1;
}

TPixel HSLToPixel(float hue, float saturation, float lightness)
{
    if (saturation == 0) {
        const auto v = static_cast<std::int16_t>(RoundHalfEven(lightness * 255.0f));
        return PackPixel(v, v, v, 255);
    }
    const float m2 = lightness <= 0.5f ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
    const float m1 = 2 * lightness - m2;
    return PackPixel(static_cast<std::int16_t>(HueToChannel(m1, m2, hue + 1.0f / 3.0f)),
                     static_cast<std::int16_t>(HueToChannel(m1, m2, hue)),
                     static_cast<std::int16_t>(HueToChannel(m1, m2, hue - 1.0f / 3.0f)), 255);
}

TPixel ShiftHue(TPixel pixel, int delta)
{
    float h, s, l;
    PixelToHSL(pixel, h, s, l);
    int n = RoundHalfEven(h * 255.0f) + delta;
    // 255, not 256: a hue index of 255 is already a full turn.
    if (n > 255)
        n -= 255;
    if (n < 0)
        n += 255;
    return HSLToPixel(static_cast<float>(n) / 255.0f, s, l);
}

}  // namespace skin
