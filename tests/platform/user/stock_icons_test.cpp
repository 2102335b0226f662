#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/user/winuser.h"

namespace {

// A 32-bit top-down DIB filled with one colour, and its pixels.
struct PixelTarget {
    explicit PixelTarget(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
        std::fill(bits, bits + w * h, kBackground);
    }
    ~PixelTarget()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    int Changed(int l, int t, int r, int b) const
    {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                n += (bits[y * width + x] & 0xFFFFFF) != (kBackground & 0xFFFFFF);
        return n;
    }
    static constexpr std::uint32_t kBackground = 0x00123456;
    int width, height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
};

TEST(StockIcons, EverySystemIconDrawsItsOwnPicture)
{
    std::vector<std::vector<std::uint32_t>> pictures;
    for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK, IDI_WINLOGO}) {
        const HICON icon = LoadIconA(nullptr, id);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(LoadIconA(nullptr, id), icon);
        PixelTarget target(32, 32);
        ASSERT_TRUE(DrawIconEx(target.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
        EXPECT_GT(target.Changed(0, 0, 32, 32), 100);
        EXPECT_LT(target.Changed(0, 0, 32, 32), 32 * 32);  // the corners show through
        pictures.emplace_back(target.bits, target.bits + 32 * 32);
    }
    for (size_t i = 1; i < pictures.size(); ++i)
        EXPECT_NE(pictures[i], pictures[i - 1]);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(4711)), nullptr);
}

TEST(StockIcons, CopiesAreOwnAndStockIconsSurviveDestroy)
{
    const HICON stock = LoadIconA(nullptr, IDI_APPLICATION);
    const HICON copy = CopyIcon(stock);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, stock);
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_FALSE(DestroyIcon(copy));

    // Destroying a stock icon after use, as callers of LoadIconA may, keeps it.
    EXPECT_TRUE(DestroyIcon(stock));
    PixelTarget target(32, 32);
    EXPECT_TRUE(DrawIconEx(target.dc, 0, 0, LoadIconA(nullptr, IDI_APPLICATION), 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_GT(target.Changed(0, 0, 32, 32), 100);
}

TEST(StockIcons, CopyImageScalesAnIcon)
{
    const HICON small = static_cast<HICON>(
        CopyImage(LoadIconA(nullptr, IDI_WINLOGO), IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
    ASSERT_NE(small, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(small, &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 16);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    // Drawn at its own size it covers only the 16 x 16 corner.
    PixelTarget target(32, 32);
    EXPECT_TRUE(DrawIconEx(target.dc, 0, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_GT(target.Changed(0, 0, 16, 16), 50);
    EXPECT_EQ(target.Changed(16, 0, 32, 32), 0);
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_EQ(CopyImage(nullptr, IMAGE_ICON, 16, 16, 0), nullptr);
}

}  // namespace
