#include <gtest/gtest.h>

#include <vector>

#include "launcher/components/kit_draw.h"
#include "launcher/components/kit_image_list.h"

using namespace kit;

namespace {

struct Pixel {
    int x, y;
    vcl::TColor color;
};

// 2 x 2: red, except a green bottom-left pixel.
void Paint(vcl::TBitmap* b)
{
    b->SetSize(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            b->Canvas()->SetPixel(x, y, vcl::clRed);
    b->Canvas()->SetPixel(0, 1, vcl::clLime);
}

void Fill(vcl::TBitmap* b, int w, int h, vcl::TColor color)
{
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->Canvas()->SetPixel(x, y, color);
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(DrawBitmapTest, FlagsPlaceAndCover)
{
    struct Case {
        const char* name;
        UINT flags;
        RECT rect;
        RECT covered;
        std::vector<Pixel> pixels;
        vcl::TColor key = vcl::clNone;
    };
    const vcl::TColor R = vcl::clRed, G = vcl::clLime, B = vcl::clBlue;
    const std::vector<Case> cases = {
        {"plain at top left", 0, {1, 1, 7, 7}, {1, 1, 3, 3}, {{1, 1, R}, {1, 2, G}, {3, 3, B}}},
        {"palette flag changes nothing", kDrawPalette, {1, 1, 7, 7}, {1, 1, 3, 3}, {{1, 2, G}, {3, 1, B}}},
        {"centred", kDrawCenter, {0, 0, 8, 8}, {3, 3, 5, 5}, {{3, 3, R}, {3, 4, G}, {2, 2, B}}},
        {"stretched", kDrawStretch, {0, 0, 8, 4}, {0, 0, 8, 4}, {{7, 0, R}, {0, 3, G}, {3, 2, G}, {4, 3, R}, {0, 5, B}}},
        {"aspect from width", kDrawStretch | kDrawAspectWidth, {0, 0, 4, 8}, {0, 0, 4, 4}, {{0, 5, B}}},
        {"aspect from height", kDrawStretch | kDrawAspectHeight, {0, 0, 8, 4}, {0, 0, 4, 4}, {{5, 0, B}}},
        {"fit inside, wide rect", kDrawStretch | kDrawAspectWidth | kDrawAspectHeight, {0, 0, 8, 4}, {0, 0, 4, 4}, {}},
        {"fit inside, tall rect", kDrawStretch | kDrawAspectWidth | kDrawAspectHeight, {0, 0, 4, 8}, {0, 0, 4, 4}, {}},
        {"fit inside and centred", kDrawStretch | kDrawAspectWidth | kDrawAspectHeight | kDrawCenter,
         {0, 0, 8, 4}, {2, 0, 6, 4}, {{1, 0, B}, {2, 0, R}, {6, 0, B}}},
        {"tiled and cut at the rect", kDrawTile, {1, 1, 6, 6}, {1, 1, 6, 6},
         {{5, 5, R}, {1, 2, G}, {3, 4, G}, {5, 6, B}, {6, 5, B}, {0, 0, B}}},
        {"clipped", kDrawClip, {0, 0, 1, 1}, {0, 0, 1, 1}, {{0, 0, R}, {1, 0, B}, {0, 1, B}}},
        {"unclipped runs past the rect", 0, {0, 0, 1, 1}, {0, 0, 2, 2}, {{1, 0, R}, {0, 1, G}}},
        {"transparent by its bottom-left colour", kDrawTransparent, {1, 1, 7, 7}, {1, 1, 3, 3},
         {{1, 1, R}, {1, 2, B}, {2, 2, R}}},
        {"transparent by a colour key", kDrawColorKey, {1, 1, 7, 7}, {1, 1, 3, 3}, {{1, 1, B}, {2, 2, B}, {1, 2, G}}, R},
        {"colour key stretched", kDrawColorKey | kDrawStretch, {0, 0, 4, 4}, {0, 0, 4, 4},
         {{0, 0, R}, {0, 2, B}, {1, 3, B}, {2, 3, R}}, G},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vcl::TBitmap dest, source;
        Fill(&dest, 8, 8, B);
        Paint(&source);
        const RECT covered = DrawBitmap(dest.Canvas(), c.rect, &source, c.flags, c.key);
        EXPECT_TRUE(Same(covered, c.covered)) << covered.left << "," << covered.top << "," << covered.right << ","
                                              << covered.bottom;
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(dest.Canvas()->Pixels(p.x, p.y), p.color) << p.x << "," << p.y;
    }
}

TEST(DrawBitmapTest, MaskAndsThenOrs)
{
    vcl::TBitmap dest, source, mask;
    Fill(&dest, 4, 4, vcl::clBlue);
    Paint(&source);
    Fill(&mask, 2, 2, vcl::clBlack);
    mask.Canvas()->SetPixel(1, 0, vcl::clWhite);
    const RECT covered = DrawBitmap(dest.Canvas(), RECT{0, 0, 4, 4}, &source, kDrawMask, vcl::clNone, &mask);
    EXPECT_TRUE(Same(covered, RECT{0, 0, 2, 2}));
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), vcl::clRed);
    // White in the mask keeps the background, which the image is then ORed onto.
    EXPECT_EQ(dest.Canvas()->Pixels(1, 0), vcl::clBlue | vcl::clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 1), vcl::clLime);
    EXPECT_EQ(dest.Canvas()->Pixels(2, 0), vcl::clBlue);
}

TEST(DrawBitmapTest, EmptyBitmapCoversNothing)
{
    vcl::TBitmap dest, empty;
    Fill(&dest, 2, 2, vcl::clBlue);
    const RECT covered = DrawBitmap(dest.Canvas(), RECT{0, 0, 2, 2}, &empty, kDrawStretch);
    EXPECT_TRUE(Same(covered, RECT{0, 0, 0, 0}));
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), vcl::clBlue);
}

TEST(DrawBitmapTest, StripImagesDrawTransparentOrThroughTheirMask)
{
    vcl::TBitmap first, second, mask, dest;
    Paint(&first);
    Fill(&second, 2, 2, vcl::clYellow);
    second.Canvas()->SetPixel(0, 1, vcl::clRed);

    TKitImageListItem plain(nullptr);
    plain.SetWidth(2);
    plain.SetHeight(2);
    plain.Add(&first, nullptr);
    plain.Add(&second, nullptr);
    Fill(&dest, 4, 4, vcl::clBlue);
    EXPECT_TRUE(Same(plain.Draw(dest.Canvas(), RECT{1, 1, 4, 4}, 0, 0), RECT{1, 1, 3, 3}));
    EXPECT_EQ(dest.Canvas()->Pixels(1, 1), vcl::clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(1, 2), vcl::clBlue);  // its own bottom-left pixel is the key
    plain.Draw(dest.Canvas(), RECT{0, 0, 4, 4}, 1, 0);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), vcl::clYellow);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 1), vcl::clBlue);
    EXPECT_TRUE(Same(plain.Draw(dest.Canvas(), RECT{0, 0, 4, 4}, 2, 0), RECT{0, 0, 0, 0}));

    TKitImageListItem masked(nullptr);
    masked.SetWidth(2);
    masked.SetHeight(2);
    masked.SetMasked(true);
    Fill(&mask, 2, 2, vcl::clBlack);
    mask.Canvas()->SetPixel(0, 0, vcl::clWhite);
    Fill(&second, 2, 2, vcl::clBlack);
    masked.Add(&first, &mask);
    Fill(&dest, 4, 4, vcl::clBlue);
    masked.Draw(dest.Canvas(), RECT{0, 0, 4, 4}, 0, 0);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), vcl::clBlue | vcl::clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(0, 1), vcl::clLime);  // the mask, not the colour key, decides
}
