#include <gtest/gtest.h>

#include "skin/graphics/sk_pixels.h"

using namespace skin;

TEST(SkPixels, BlendPixelByteByByte)
{
    struct Case {
        TPixel s, d, expected;
    };
    const Case cases[] = {
        {0x80FF0000, 0xFF0000FF, 0xBF80007F},  // alpha 64 + 127, red 128, blue 127
        {0xFF123456, 0x00ABCDEF, 0xFF123456},  // opaque source wins
        {0x00123456, 0x80ABCDEF, 0x80ABCDEF},  // transparent source leaves it
        {0x01FFFFFF, 0x00000000, 0x00010101},  // alpha 1 x 1 rounds away
        {0xFEFFFFFF, 0xFFFFFFFF, 0xFDFEFEFE},  // 253 + 1 and 252 + 1, no carry
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlendPixel(c.s, c.d), c.expected) << std::hex << c.s << " over " << c.d;
}

TEST(SkPixels, BlendRowSkipsFullyTransparentSource)
{
    const TPixel src[3] = {0x00FFFFFF, 0xFF010203, 0x80FF0000};
    TPixel dst[3] = {0x11223344, 0x11223344, 0xFF0000FF};
    BlendRow(src, dst, 3);
    EXPECT_EQ(dst[0], 0x11223344u);
    EXPECT_EQ(dst[1], 0xFF010203u);
    EXPECT_EQ(dst[2], 0xBF80007Fu);
}

TEST(SkPixels, ColourConversions)
{
    EXPECT_EQ(ColorToPixel(vcl::clRed), 0xFFFF0000u);
    EXPECT_EQ(SwapRedBlue(0x00332211), 0xFF112233u);
    EXPECT_EQ(PixelToColor(0x80112233), 0x00332211);
    EXPECT_EQ(PackPixel(300, -5, 128, 7), 0x07FF0080u);
    // Colours clamp at 0; alpha wraps.
    EXPECT_EQ(SubtractPixel(0x10203040, 0x30, 0x10, 0x20, 0x10), 0xF0002030u);
    // A system colour resolves first, so its high bits never leak in.
    EXPECT_EQ(ColorToPixel(vcl::clBtnFace) >> 24, 0xFFu);
}

TEST(SkPixels, HslRoundTripsPrimariesAndGreys)
{
    const TPixel colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080, 0xFFFFFFFF, 0xFF000000, 0xFF336699};
    for (TPixel p : colours) {
        float h, s, l;
        PixelToHSL(p, h, s, l);
        EXPECT_EQ(HSLToPixel(h, s, l), p) << std::hex << p;
    }
    float h, s, l;
    PixelToHSL(0xFF0000FF, h, s, l);
    EXPECT_FLOAT_EQ(h, 4.0f / 6.0f);
    EXPECT_FLOAT_EQ(s, 1.0f);
    EXPECT_FLOAT_EQ(l, 0.5f);
}

TEST(SkPixels, ShiftHueWrapsBy255)
{
    EXPECT_EQ(ShiftHue(0xFFFF0000, 0), 0xFFFF0000u);
    EXPECT_EQ(ShiftHue(0xFFFF0000, 255), 0xFFFF0000u);
    EXPECT_EQ(ShiftHue(0xFFFF0000, 256), HSLToPixel(1.0f / 255.0f, 1.0f, 0.5f));
    EXPECT_EQ(ShiftHue(0xFFFF0000, -1), HSLToPixel(254.0f / 255.0f, 1.0f, 0.5f));
    // A third of the circle turns red into green; alpha becomes opaque.
    EXPECT_EQ(ShiftHue(0x00FF0000, 85), 0xFF00FF00u);
}
