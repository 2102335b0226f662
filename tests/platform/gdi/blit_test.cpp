#include <gtest/gtest.h>

#include "memory_canvas.h"
#include "platform/gdi/surface.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// Source 4 x 2: a gradient whose every pixel is different.
void FillGradient(MemoryCanvas& c)
{
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x)
            c.Set(x, y, static_cast<std::uint32_t>((x * 16) << 16 | (y * 16) << 8 | (x + y)));
}

TEST(Blit, BitBltCopiesPixelsAndKeepsAlpha)
{
    MemoryCanvas src(4, 2);
    FillGradient(src);
    src.bits[0] = 0x80123456;
    MemoryCanvas dst(8, 6, kWhite);
    ASSERT_TRUE(BitBlt(dst.dc, 3, 2, 4, 2, src.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 2 && y < 4;
            EXPECT_EQ(dst.At(x, y), inside ? src.At(x - 3, y - 2) : kWhite) << x << "," << y;
        }
    EXPECT_EQ(dst.bits[2 * 8 + 3], 0x80123456u);
}

TEST(Blit, OverlappingCopyWithinOneBitmapReadsTheOldPixels)
{
    MemoryCanvas c(6, 1);
    for (int x = 0; x < 6; ++x)
        c.Set(x, 0, static_cast<std::uint32_t>(x + 1));
    ASSERT_TRUE(BitBlt(c.dc, 1, 0, 5, 1, c.dc, 0, 0, SRCCOPY));
    const std::uint32_t want[6] = {1, 1, 2, 3, 4, 5};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(c.At(x, 0), want[x]) << x;
}

TEST(Blit, RasterOperations)
{
    struct Case {
        const char* name;
        DWORD rop;
        std::uint32_t want;
    };
    // source 0x0F0F0F over destination 0x3C3C3C with a 0x555555 brush
    const Case cases[] = {
        {"SRCCOPY", SRCCOPY, 0x0F0F0F},   {"SRCAND", SRCAND, 0x0C0C0C},       {"SRCPAINT", SRCPAINT, 0x3F3F3F},
        {"SRCINVERT", SRCINVERT, 0x333333}, {"NOTSRCCOPY", NOTSRCCOPY, 0xF0F0F0}, {"DSTINVERT", DSTINVERT, 0xC3C3C3},
        {"PATCOPY", PATCOPY, 0x555555},   {"PATINVERT", PATINVERT, 0x696969}, {"BLACKNESS", BLACKNESS, 0x000000},
        {"WHITENESS", WHITENESS, 0xFFFFFF}, {"MERGECOPY", MERGECOPY, 0x050505}, {"MERGEPAINT", MERGEPAINT, 0xFCFCFC},
        {"SRCERASE", SRCERASE, 0x030303},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryCanvas src(1, 1, 0x0F0F0F);
        MemoryCanvas dst(1, 1, 0x3C3C3C);
        HBRUSH brush = CreateSolidBrush(RGB(0x55, 0x55, 0x55));
        HGDIOBJ old = SelectObject(dst.dc, brush);
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, c.rop));
        EXPECT_EQ(dst.At(0, 0), c.want);
        SelectObject(dst.dc, old);
        DeleteObject(brush);
    }
}

TEST(Blit, StretchDoublesAndMirrors)
{
    MemoryCanvas src(2, 2);
    src.Set(0, 0, kRed);
    src.Set(1, 0, kGreen);
    src.Set(0, 1, kBlue);
    src.Set(1, 1, kWhite);
    MemoryCanvas dst(4, 4);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.At(x, y), src.At(x / 2, y / 2)) << x << "," << y;

    // A negative destination width mirrors left to right.
    MemoryCanvas mirror(2, 2);
    ASSERT_TRUE(StretchBlt(mirror.dc, 1, 0, -2, 2, src.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(mirror.At(0, 0), kGreen);
    EXPECT_EQ(mirror.At(1, 0), kRed);
    EXPECT_EQ(mirror.At(0, 1), kWhite);

    // Shrinking 4 -> 2 takes every other pixel.
    MemoryCanvas half(2, 2);
    ASSERT_TRUE(StretchBlt(half.dc, 0, 0, 2, 2, dst.dc, 0, 0, 4, 4, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(half.At(x, y), src.At(x, y));
}

TEST(Blit, ClipRegionAndWindowOriginApply)
{
    MemoryCanvas dst(10, 10);
    HRGN clip = CreateRectRgn(2, 2, 5, 5);
    SelectClipRgn(dst.dc, clip);
    DeleteObject(clip);  // the DC keeps its own copy
    SetWindowOrgEx(dst.dc, 1, 1, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 20, 20};
    FillRect(dst.dc, &all, brush);
    EXPECT_EQ(dst.InkBox(0).left, 2);
    EXPECT_EQ(dst.InkBox(0).right, 5);
    EXPECT_EQ(dst.InkBox(0).bottom, 5);

    // Logical (3, 3) lands on device (2, 2): inside the clip.
    EXPECT_EQ(GetPixel(dst.dc, 3, 3), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), CLR_INVALID);
    RECT box;
    EXPECT_EQ(GetClipBox(dst.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 3);
    EXPECT_EQ(box.right, 6);

    // SaveDC / RestoreDC bring back the unclipped state.
    SetWindowOrgEx(dst.dc, 0, 0, nullptr);
    const int saved = SaveDC(dst.dc);
    ExcludeClipRect(dst.dc, 0, 0, 10, 10);
    EXPECT_EQ(GetClipBox(dst.dc, &box), NULLREGION);
    RestoreDC(dst.dc, saved);
    SelectClipRgn(dst.dc, nullptr);
    FillRect(dst.dc, &all, brush);
    EXPECT_EQ(dst.At(9, 9), kRed);
    DeleteObject(brush);
}

TEST(Blit, PatBltWithHatchAndPatternBrushes)
{
    MemoryCanvas dst(8, 8, kWhite);
    // 2 x 2 pattern: black on the diagonal.
    MemoryCanvas tile(2, 2, kWhite);
    tile.Set(0, 0, 0);
    tile.Set(1, 1, 0);
    HBRUSH pattern = CreatePatternBrush(tile.bitmap);
    SelectObject(dst.dc, pattern);
    ASSERT_TRUE(PatBlt(dst.dc, 0, 0, 8, 8, PATCOPY));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dst.At(x, y), (x + y) % 2 == 0 ? 0u : kWhite) << x << "," << y;
    // PATINVERT twice restores.
    ASSERT_TRUE(PatBlt(dst.dc, 0, 0, 8, 8, PATINVERT));
    ASSERT_TRUE(PatBlt(dst.dc, 0, 0, 8, 8, PATINVERT));
    EXPECT_EQ(dst.At(1, 0), kWhite);
    EXPECT_FALSE(PatBlt(dst.dc, 0, 0, 8, 8, SRCCOPY));  // needs a source

    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 255));
    SelectObject(dst.dc, hatch);
    SetBkMode(dst.dc, TRANSPARENT);
    MemoryCanvas fresh(8, 8, kWhite);
    SelectObject(fresh.dc, hatch);
    SetBkMode(fresh.dc, TRANSPARENT);
    PatBlt(fresh.dc, 0, 0, 8, 8, PATCOPY);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(fresh.At(x, 3), kBlue);
        EXPECT_EQ(fresh.At(x, 2), kWhite);  // transparent gaps
    }
    SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
    SelectObject(fresh.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pattern);
    DeleteObject(hatch);
}

TEST(Blit, MonochromeSourceTakesTextAndBackgroundColours)
{
    const BYTE rows[2][2] = {{0x80, 0}, {0x40, 0}};  // white at (0,0) and (1,1)
    HBITMAP mono = CreateBitmap(2, 2, 1, 1, rows);
    HDC monoDc = CreateCompatibleDC(nullptr);
    SelectObject(monoDc, mono);
    MemoryCanvas dst(2, 2);
    SetTextColor(dst.dc, RGB(255, 0, 0));
    SetBkColor(dst.dc, RGB(0, 0, 255));
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 2, monoDc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), kBlue);
    EXPECT_EQ(dst.At(1, 0), kRed);
    EXPECT_EQ(dst.At(1, 1), kBlue);
    DeleteDC(monoDc);
    DeleteObject(mono);
}

TEST(Blit, SurfaceDcDrawsAtItsOriginInsideItsVisibleRegion)
{
    auto surface = std::make_shared<vls::gdi::Surface>(20, 20);
    HRGN visible = CreateRectRgn(5, 5, 15, 15);
    HDC dc = vls::gdi::CreateSurfaceDC(surface, POINT{5, 5}, visible, reinterpret_cast<void*>(0x1234));
    DeleteObject(visible);
    EXPECT_EQ(vls::gdi::GetSurfaceDCOwner(dc), reinterpret_cast<void*>(0x1234));
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    RECT r{-5, -5, 100, 100};
    FillRect(dc, &r, brush);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool in = x >= 5 && x < 15 && y >= 5 && y < 15;
            EXPECT_EQ(surface->At(x, y) & 0xFFFFFF, in ? kGreen : 0u) << x << "," << y;
        }
    vls::gdi::SetSurfaceDCOrigin(dc, POINT{0, 0});
    vls::gdi::SetSurfaceDCVisibleRegion(dc, nullptr);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    DeleteObject(brush);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(Shapes, RectangleLineAndEllipse)
{
    MemoryCanvas c(10, 10, kWhite);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    SelectObject(c.dc, brush);
    SelectObject(c.dc, pen);
    Rectangle(c.dc, 1, 1, 6, 5);
    EXPECT_EQ(c.At(1, 1), kRed);
    EXPECT_EQ(c.At(5, 4), kRed);
    EXPECT_EQ(c.At(6, 4), kWhite);  // right edge excluded
    EXPECT_EQ(c.At(2, 2), kBlue);
    EXPECT_EQ(c.At(4, 3), kBlue);

    MemoryCanvas line(10, 3, kWhite);
    SelectObject(line.dc, pen);
    MoveToEx(line.dc, 1, 1, nullptr);
    LineTo(line.dc, 8, 1);
    EXPECT_EQ(line.At(1, 1), kRed);
    EXPECT_EQ(line.At(7, 1), kRed);
    EXPECT_EQ(line.At(8, 1), kWhite);  // the end point is not drawn
    POINT pos;
    GetCurrentPositionEx(line.dc, &pos);
    EXPECT_EQ(pos.x, 8);

    // XOR pen: drawing twice restores.
    SetROP2(line.dc, R2_XORPEN);
    MoveToEx(line.dc, 0, 2, nullptr);
    LineTo(line.dc, 10, 2);
    EXPECT_EQ(line.At(5, 2), 0x00FFFF);
    MoveToEx(line.dc, 0, 2, nullptr);
    LineTo(line.dc, 10, 2);
    EXPECT_EQ(line.At(5, 2), kWhite);

    MemoryCanvas e(11, 11, kWhite);
    SelectObject(e.dc, brush);
    SelectObject(e.dc, GetStockObject(NULL_PEN));
    Ellipse(e.dc, 0, 0, 11, 11);
    EXPECT_EQ(e.At(5, 5), kBlue);
    EXPECT_EQ(e.At(0, 0), kWhite);
    EXPECT_EQ(e.At(10, 5), kWhite);  // null pen: one pixel smaller

    // The "no operation" mix leaves outline and fill alike.
    MemoryCanvas nop(6, 6, kWhite);
    SelectObject(nop.dc, brush);
    SelectObject(nop.dc, pen);
    SetROP2(nop.dc, R2_NOP);
    Rectangle(nop.dc, 0, 0, 6, 6);
    EXPECT_EQ(nop.At(0, 0), kWhite);
    EXPECT_EQ(nop.At(3, 3), kWhite);

    for (MemoryCanvas* m : {&c, &line, &e, &nop}) {
        SelectObject(m->dc, GetStockObject(BLACK_PEN));
        SelectObject(m->dc, GetStockObject(WHITE_BRUSH));
    }
    DeleteObject(brush);
    DeleteObject(pen);
}

TEST(Objects, SelectedObjectsSurviveDeletionAndStaleHandlesAreRefused)
{
    const std::size_t before = vls::gdi::LiveObjectCount();
    {
        MemoryCanvas c(2, 2);
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        SelectObject(c.dc, brush);
        EXPECT_TRUE(DeleteObject(brush));
        RECT r{0, 0, 2, 2};
        EXPECT_EQ(FillRect(c.dc, &r, brush), 0);  // deleted handle refused
        PatBlt(c.dc, 0, 0, 2, 2, PATCOPY);         // the DC still holds the brush
        EXPECT_EQ(c.At(1, 1), 0x010203u);
        // A bitmap in a DC cannot be deleted or selected into a second DC.
        EXPECT_FALSE(DeleteObject(c.bitmap));
        HDC other = CreateCompatibleDC(nullptr);
        EXPECT_EQ(SelectObject(other, c.bitmap), nullptr);
        DeleteDC(other);
        SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    }
    EXPECT_EQ(vls::gdi::LiveObjectCount(), before);
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(0x12345)), 0u);
}

TEST(Bitmaps, DibSectionReportsItselfAndBottomUpRowsAreFlipped)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 3;
    bi.bmiHeader.biHeight = 2;  // bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(b, nullptr);
    static_cast<std::uint32_t*>(bits)[0] = kRed;  // first row in memory is the bottom row
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, b);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectA(b, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 3);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    DeleteDC(dc);
    DeleteObject(b);
    bi.bmiHeader.biBitCount = 13;
    EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

}  // namespace
