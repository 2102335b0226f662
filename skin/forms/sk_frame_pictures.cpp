// The frame-button pictures "SK_FORM_*", drawn here as 16 x 14 bitmaps with
// a magenta see-through background, and registered as named resources
// before any unit starts, so the drawing unit finds them when it loads its
// frame-button list.

#include <cstdint>
#include <vector>

#include "platform/vcl/graphics.h"
#include "skin/forms/sk_forms_unit.h"

namespace skin {

namespace {

constexpr int kWidth = 16, kHeight = 14;

using Picture = std::vector<std::uint8_t>;  // 0 background, 1 ink

struct Painter {
    Picture pixels = Picture(kWidth * kHeight, 0);
    void Dot(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight)
            pixels[static_cast<size_t>(y * kWidth + x)] = 1;
    }
    void Box(int l, int t, int r, int b)
    {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                Dot(x, y);
    }
    void Frame(int l, int t, int r, int b, int top)
    {
        Box(l, t, r, t + top);
        Box(l, b - 1, r, b);
        Box(l, t, l + 1, b);
        Box(r - 1, t, r, b);
    }
};

Picture Close()
{
    Painter p;
    for (int i = 0; i < 8; ++i) {
        p.Box(4 + i, 3 + i, 6 + i, 4 + i);
        p.Box(10 - i, 3 + i, 12 - i, 4 + i);
    }
    return p.pixels;
}

Picture Minimize()
{
    Painter p;
    p.Box(4, 9, 10, 11);
    return p.pixels;
}

Picture Maximize()
{
    Painter p;
    p.Frame(3, 2, 12, 11, 2);
    return p.pixels;
}

Picture Restore()
{
    Painter p;
    p.Frame(5, 1, 12, 7, 2);
    p.Box(3, 4, 10, 11);
    Painter inner;
    inner.Box(4, 6, 9, 10);
    for (size_t i = 0; i < p.pixels.size(); ++i)
        if (inner.pixels[i])
            p.pixels[i] = 0;
    return p.pixels;
}

Picture Rollup()
{
    Painter p;
    for (int i = 0; i < 4; ++i)
        p.Box(7 - i, 4 + i, 9 + i, 5 + i);
    p.Box(3, 10, 13, 11);
    return p.pixels;
}

Picture Tray()
{
    Painter p;
    p.Box(6, 8, 10, 11);
    p.Box(5, 9, 11, 10);
    return p.pixels;
}

// A bottom-up 24-bit BMP file of the picture: ink black, background magenta.
std::vector<std::uint8_t> ToBmp(const Picture& picture)
{
    const int rowBytes = (kWidth * 3 + 3) & ~3;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes * kHeight);
    std::vector<std::uint8_t> out;
    auto u16 = [&](std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(14 + 40 + imageBytes);
    u32(0);
    u32(14 + 40);
    u32(40);
    u32(kWidth);
    u32(kHeight);
    u16(1);
    u16(24);
    u32(0);
    u32(imageBytes);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = kHeight - 1; y >= 0; --y) {
        int written = 0;
        for (int x = 0; x < kWidth; ++x) {
            const bool ink = picture[static_cast<size_t>(y * kWidth + x)] != 0;
            out.push_back(ink ? 0 : 255);  // blue
            out.push_back(0);              // green
            out.push_back(ink ? 0 : 255);  // red
            written += 3;
        }
        for (; written < rowBytes; ++written)
            out.push_back(0);
    }
    return out;
}

}  // namespace

void RegisterFrameButtonPictures()
{
    vcl::RegisterResource("SK_FORM_CLOSE", ToBmp(Close()));
    vcl::RegisterResource("SK_FORM_MINIMIZE", ToBmp(Minimize()));
    vcl::RegisterResource("SK_FORM_MAXIMIZE", ToBmp(Maximize()));
    vcl::RegisterResource("SK_FORM_RESTORE", ToBmp(Restore()));
    vcl::RegisterResource("SK_FORM_ROLLUP", ToBmp(Rollup()));
    vcl::RegisterResource("SK_FORM_TRAY", ToBmp(Tray()));
}

}  // namespace skin
