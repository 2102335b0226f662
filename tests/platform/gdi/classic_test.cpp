#include <gtest/gtest.h>

#include "memory_canvas.h"
#include "platform/gdi/syscolors.h"

namespace {

std::uint32_t Sys(int index)
{
    return vls::gdi::ColorRefToPixel(vls::gdi::SysColor(index));
}

TEST(ClassicLook, RaisedAndSunkenEdges)
{
    MemoryCanvas c(10, 10, 0x123456);
    RECT r{0, 0, 10, 10};
    ASSERT_TRUE(DrawEdge(c.dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(c.At(0, 0), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(9, 9), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(9, 0), Sys(COLOR_3DDKSHADOW));  // bottom-right owns the corners
    EXPECT_EQ(c.At(1, 1), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(8, 8), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(5, 5), 0x123456u);  // no middle asked

    MemoryCanvas s(10, 10, 0x123456);
    RECT r2{0, 0, 10, 10};
    DrawEdge(s.dc, &r2, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
    EXPECT_EQ(s.At(0, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(s.At(9, 9), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(s.At(1, 1), Sys(COLOR_3DDKSHADOW));
    EXPECT_EQ(s.At(5, 5), Sys(COLOR_BTNFACE));
}

TEST(ClassicLook, FocusRectangleErasesItself)
{
    MemoryCanvas c(8, 6, 0xFFFFFF);
    RECT r{1, 1, 7, 5};
    DrawFocusRect(c.dc, &r);
    EXPECT_EQ(c.At(1, 1), 0u);
    EXPECT_EQ(c.At(2, 1), 0xFFFFFFu);
    EXPECT_EQ(c.At(3, 1), 0u);
    EXPECT_EQ(c.At(3, 3), 0xFFFFFFu);  // inside untouched
    DrawFocusRect(c.dc, &r);
    EXPECT_EQ(c.InkBox(0xFFFFFF).right, 0);
}

TEST(ClassicLook, FrameControlsShowTheirState)
{
    auto draw = [](UINT type, UINT state) {
        auto c = std::make_unique<MemoryCanvas>(16, 16, 0x123456);
        RECT r{0, 0, 16, 16};
        EXPECT_TRUE(DrawFrameControl(c->dc, &r, type, state));
        return c;
    };
    auto unchecked = draw(DFC_BUTTON, DFCS_BUTTONCHECK);
    auto checked = draw(DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(unchecked->At(8, 8), Sys(COLOR_WINDOW));
    EXPECT_EQ(checked->At(7, 8), Sys(COLOR_BTNTEXT));
    auto push = draw(DFC_BUTTON, DFCS_BUTTONPUSH);
    auto pushed = draw(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(push->At(0, 0), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(pushed->At(0, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(push->At(8, 8), Sys(COLOR_BTNFACE));
    auto close = draw(DFC_CAPTION, DFCS_CAPTIONCLOSE);
    auto combo = draw(DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    // Both carry a glyph in button text colour somewhere inside.
    for (auto* c : {close.get(), combo.get()}) {
        bool glyph = false;
        for (int y = 3; y < 13; ++y)
            for (int x = 3; x < 13; ++x)
                glyph = glyph || c->At(x, y) == Sys(COLOR_BTNTEXT);
        EXPECT_TRUE(glyph);
    }
    MemoryCanvas c(4, 4);
    RECT r{0, 0, 4, 4};
    EXPECT_FALSE(DrawFrameControl(c.dc, &r, 99, 0));
}

TEST(ClassicLook, IconsMaskThenDraw)
{
    MemoryCanvas colour(2, 1);
    colour.Set(0, 0, 0xFF0000);
    colour.Set(1, 0, 0x000000);
    const BYTE maskRows[1][2] = {{0x40, 0}};  // left opaque (0), right transparent (1)
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskRows);
    SelectObject(colour.dc, colour.old);  // free the bitmap for the icon
    ICONINFO info{TRUE, 0, 0, mask, colour.bitmap};
    HICON icon = CreateIconIndirect(&info);
    colour.old = SelectObject(colour.dc, colour.bitmap);
    ASSERT_NE(icon, nullptr);
    MemoryCanvas target(2, 1, 0x00FF00);
    ASSERT_TRUE(DrawIconEx(target.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(target.At(0, 0), 0xFF0000u);
    EXPECT_EQ(target.At(1, 0), 0x00FF00u);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIconEx(target.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    DeleteObject(mask);
}

}  // namespace
