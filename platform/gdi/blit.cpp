#include <algorithm>
#include <cstdlib>

#include "platform/gdi/dib.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/syscolors.h"

using namespace vls::gdi;

namespace {

// A negative extent runs from the start point backwards and, as the start
// point is drawn, covers (x + width, x] rather than [x + width, x).
RECT Normalized(int x, int y, int width, int height)
{
    RECT r{x, y, x + width, y + height};
    if (width < 0)
        r = RECT{x + width + 1, r.top, x + 1, r.bottom};
    if (height < 0)
        r = RECT{r.left, y + height + 1, r.right, y + 1};
    return r;
}

bool IsMono(const DcObject& dc)
{
    return dc.memory && dc.state.bitmap && dc.state.bitmap->bitsPerPixel == 1;
}

// A source pixel as the destination sees it: monochrome sources take the
// destination's text (0) and background (1) colours, and colour sources going
// into a monochrome bitmap become white where they match the source's
// background colour.
struct SourceConverter {
    bool monoToColor = false;
    bool colorToMono = false;
    std::uint32_t text = 0;
    std::uint32_t back = 0;
    std::uint32_t sourceBack = 0;

    std::uint32_t operator()(std::uint32_t p) const
    {
        if (monoToColor)
            return (p & 0x00FFFFFF) ? back : text;
        if (colorToMono)
            return (p & 0x00FFFFFF) == sourceBack ? 0x00FFFFFF : 0;
        return p;
    }
};

SourceConverter ConverterFor(const DcObject& dest, const DcObject& src)
{
    SourceConverter c;
    c.monoToColor = IsMono(src) && !IsMono(dest);
    c.colorToMono = !IsMono(src) && IsMono(dest);
    c.text = ColorRefToPixel(dest.state.textColor);
    c.back = ColorRefToPixel(dest.state.bkColor);
    c.sourceBack = ColorRefToPixel(src.state.bkColor);
    return c;
}

// Copies the source area first so that overlapping blits within one surface
// read the pixels as they were.
struct SourceCopy {
    int left = 0;
    int top = 0;
    Surface pixels{0, 0};
    bool Has(int x, int y) const
    {
        return x >= left && y >= top && x < left + pixels.Width() && y < top + pixels.Height();
    }
    std::uint32_t At(int x, int y) const { return pixels.At(x - left, y - top); }
};

SourceCopy CopySource(const Surface& s, RECT area)
{
    area = IntersectRects(area, RECT{0, 0, s.Width(), s.Height()});
    SourceCopy c;
    c.left = area.left;
    c.top = area.top;
    c.pixels.Resize(area.right - area.left, area.bottom - area.top);
    for (int y = area.top; y < area.bottom; ++y)
        std::copy(s.Row(y) + area.left, s.Row(y) + area.right, c.pixels.Row(y - area.top));
    return c;
}

BOOL Blit(HDC hdcDest, int xDest, int yDest, int destWidth, int destHeight, HDC hdcSrc, int xSrc, int ySrc, int srcWidth,
          int srcHeight, DWORD rop)
{
    auto dest = GetDc(hdcDest);
    if (!dest)
        return FALSE;
    const bool needsSource = RopUsesSource(rop);
    auto src = needsSource ? GetDc(hdcSrc) : nullptr;
    if (needsSource && !src)
        return FALSE;
    if (destWidth == 0 || destHeight == 0 || (needsSource && (srcWidth == 0 || srcHeight == 0)))
        return TRUE;
    const DrawTarget t = TargetOf(*dest);
    if (!t.Valid())
        return TRUE;
    const RECT area = Normalized(xDest + t.offset.x, yDest + t.offset.y, destWidth, destHeight);
    const BrushSampler brush(dest->state.brush.get(), *dest);
    const bool needsPattern = RopUsesPattern(rop);

    SourceCopy source;
    SourceConverter convert;
    int sx0 = 0, sy0 = 0;
    if (needsSource) {
        const DrawTarget st = TargetOf(*src);
        if (!st.surface)
            return FALSE;
        sx0 = xSrc + st.offset.x;
        sy0 = ySrc + st.offset.y;
        source = CopySource(*st.surface, Normalized(sx0, sy0, srcWidth, srcHeight));
        convert = ConverterFor(*dest, *src);
    }
    // Mirroring: a negative width on one side only flips the picture.
    const bool flipX = (destWidth < 0) != (srcWidth < 0);
    const bool flipY = (destHeight < 0) != (srcHeight < 0);
    const int dw = std::abs(destWidth), dh = std::abs(destHeight);
    const int sw = std::abs(srcWidth), sh = std::abs(srcHeight);
    const int sLeft = std::min(sx0, sx0 + srcWidth), sTop = std::min(sy0, sy0 + srcHeight);

    ForEachClipped(t, area, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::uint32_t* row = t.surface->Row(y);
            int v = y - area.top;
            if (flipY)
                v = dh - 1 - v;
            const int sy = sTop + static_cast<int>((static_cast<std::int64_t>(v) * sh) / dh);
            for (int x = r.left; x < r.right; ++x) {
                std::uint32_t s = 0;
                if (needsSource) {
                    int u = x - area.left;
                    if (flipX)
                        u = dw - 1 - u;
                    const int sx = sLeft + static_cast<int>((static_cast<std::int64_t>(u) * sw) / dw);
                    if (!source.Has(sx, sy))
                        continue;
                    s = convert(source.At(sx, sy));
                }
                std::uint32_t p = 0;
                if (needsPattern && !brush.Sample(x, y, p))
                    continue;
                std::uint32_t out = ApplyRop3(rop, p, s, row[x]);
                if (!needsSource)
                    out &= 0x00FFFFFF;
                if (IsMono(*dest))
                    out = (out & 0x00FFFFFF) ? 0x00FFFFFF : 0;
                row[x] = out;
            }
        }
    });
    return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    return Blit(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dest, int xDest, int yDest, int destWidth, int destHeight, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop)
{
    return Blit(dest, xDest, yDest, destWidth, destHeight, src, xSrc, ySrc, srcWidth, srcHeight, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    if (RopUsesSource(rop))
        return FALSE;
    return Blit(hdc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

namespace {

int BlitDib(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth, int srcHeight,
            const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    if (!info || !bits || usage != DIB_RGB_COLORS)
        return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
    const std::int64_t height = h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    if (stride == 0 || height <= 0 || height > 32768)
        return 0;
    auto surface = std::make_shared<Surface>(0, 0);
    std::string error;
    if (!DecodeDib(h, info->bmiColors, h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0,
                   reinterpret_cast<const DWORD*>(info->bmiColors), static_cast<const std::uint8_t*>(bits),
                   stride * static_cast<std::size_t>(height), *surface, error))
        return 0;
    // Source coordinates of a DIB count from its bottom row when it is bottom-up.
    if (h.biHeight > 0)
        ySrc = static_cast<int>(height) - ySrc - srcHeight;
    HDC mem = CreateSurfaceDC(surface, POINT{0, 0}, nullptr);
    const BOOL ok = Blit(hdc, xDest, yDest, destWidth, destHeight, mem, xSrc, ySrc, srcWidth, srcHeight, rop);
    DeleteDC(mem);
    return ok ? srcHeight : 0;
}

}  // namespace

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    return BlitDib(hdc, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, bits, info, usage, rop);
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    if (startScan != 0 || !info || lines < static_cast<UINT>(std::abs(info->bmiHeader.biHeight)))
        return 0;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    return BlitDib(hdc, xDest, yDest, w, h, xSrc, ySrc, w, h, bits, info, usage, SRCCOPY);
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return CLR_INVALID;
    const DrawTarget t = TargetOf(*dc);
    const int sx = x + t.offset.x, sy = y + t.offset.y;
    if (!t.surface || !t.clip.Contains(sx, sy))
        return CLR_INVALID;
    return PixelToColorRef(t.surface->At(sx, sy));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return CLR_INVALID;
    const DrawTarget t = TargetOf(*dc);
    const int sx = x + t.offset.x, sy = y + t.offset.y;
    if (!t.surface || !t.clip.Contains(sx, sy))
        return CLR_INVALID;
    std::uint32_t p = ColorRefToPixel(color);
    if (IsMono(*dc))
        p = p ? 0x00FFFFFF : 0;
    t.surface->Row(sy)[sx] = p;
    return PixelToColorRef(p);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    auto dc = GetDc(hdc);
    if (!dc || !rect)
        return 0;
    // Small integers are system colour indexes plus one, as in the original.
    std::shared_ptr<BrushObject> b = GetBrush(brush);
    if (!b) {
        const auto index = reinterpret_cast<INT_PTR>(brush);
        if (index > 0 && index <= 31)
            b = GetBrush(SysColorBrush(static_cast<int>(index - 1)));
    }
    if (!b)
        return 0;
    const DrawTarget t = TargetOf(*dc);
    const RECT r{rect->left + t.offset.x, rect->top + t.offset.y, rect->right + t.offset.x, rect->bottom + t.offset.y};
    FillWithBrush(t, r, BrushSampler(b.get(), *dc), PATCOPY);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    if (!rect || rect->left >= rect->right || rect->top >= rect->bottom)
        return 0;
    const RECT sides[4] = {
        {rect->left, rect->top, rect->right, rect->top + 1},
        {rect->left, rect->bottom - 1, rect->right, rect->bottom},
        {rect->left, rect->top, rect->left + 1, rect->bottom},
        {rect->right - 1, rect->top, rect->right, rect->bottom},
    };
    for (const RECT& s : sides) {
        if (!FillRect(hdc, &s, brush))
            return 0;
    }
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect)
{
    if (!rect)
        return FALSE;
    return PatBlt(hdc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, DSTINVERT);
}
