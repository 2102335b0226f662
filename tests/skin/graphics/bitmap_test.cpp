#include <gtest/gtest.h>

#include <memory>

#include "skin/graphics/sk_bitmap.h"
#include "skin/graphics/sk_region.h"
#include "skin/graphics/sk_stream_io.h"

using namespace skin;

namespace {

// A bitmap whose pixel (x, y) is 0xFF000000 | (y << 8) | x.
std::unique_ptr<TSkBitmap> Numbered(int w, int h)
{
    auto b = std::make_unique<TSkBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *b->PixelPtr(x, y) = 0xFF000000u | (static_cast<TPixel>(y) << 8) | static_cast<TPixel>(x);
    return b;
}

std::unique_ptr<TSkBitmap> Filled(int w, int h, TPixel value)
{
    auto b = std::make_unique<TSkBitmap>();
    b->SetSize(w, h);
    b->Fill(value);
    return b;
}

TPixel Rgb(TPixel p) { return p & 0x00FFFFFFu; }

}  // namespace

TEST(SkBitmap, SetSizeTakesAbsoluteValuesAndSkipsZero)
{
    // The counters outlive the bitmap, whose destructor fires its events.
    int changes = 0;
    int frees = 0;
    TSkBitmap b;
    b.OnChange = [&](vcl::TObject*) { ++changes; };
    EXPECT_TRUE(b.Empty());
    b.SetSize(-10, 5);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Height(), 5);
    EXPECT_EQ(changes, 1);
    b.SetSize(0, 5);
    b.SetSize(10, -5);
    EXPECT_EQ(changes, 1);
    b.OnFreeHandle = [&](vcl::TObject*) { ++frees; };
    b.SetSize(3, 3);
    EXPECT_EQ(frees, 1);
    EXPECT_EQ(changes, 2);
}

TEST(SkBitmap, PixelWritesAndReads)
{
    auto one = Filled(1, 1, 0xFF123456);
    one->SetAlpha(0);
    EXPECT_EQ(one->GetPixel(0, 0), 0x00123456u);
    EXPECT_EQ(one->GetPixel(-1, 0), 0xFF000000u);
    EXPECT_EQ(one->GetPixel(1, 0), 0xFF000000u);
    EXPECT_EQ(TSkBitmap().GetPixel(0, 0), 0xFF000000u);

    auto b = Filled(4, 4, 0xFF000000);
    b->FillRect(RECT{-2, -2, 2, 2}, 0xFFFFFFFF);
    EXPECT_EQ(b->GetPixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(b->GetPixel(2, 2), 0xFF000000u);
    b->SetAlphaBlend(true);
    b->FillRect(RECT{0, 0, 4, 4}, 0x80FF0000);
    EXPECT_EQ(b->GetPixel(3, 3), BlendPixel(0x80FF0000, 0xFF000000));
    b->SetRectAlpha(7, RECT{3, 3, 9, 9});
    EXPECT_EQ(b->GetPixel(3, 3) >> 24, 7u);
    EXPECT_EQ(b->GetPixel(2, 2) >> 24, 0xBFu);
}

TEST(SkBitmap, MaskColorTakesDifferencesBelowSix)
{
    TSkBitmap b;
    b.SetSize(3, 1);
    *b.PixelPtr(0, 0) = 0xFFFA00FF;  // (250, 0, 255)
    *b.PixelPtr(1, 0) = 0xFFF900FF;  // (249, 0, 255)
    *b.PixelPtr(2, 0) = 0x00FA05FA;  // (250, 5, 250)
    b.MaskColor(0x00FF00FF);
    EXPECT_EQ(b.GetPixel(0, 0), KeyColor);
    EXPECT_EQ(b.GetPixel(1, 0), 0xFFF900FFu);
    EXPECT_EQ(b.GetPixel(2, 0), KeyColor);
}

TEST(SkBitmap, ChangeHueLeavesTransparentPixels)
{
    TSkBitmap b;
    b.SetSize(2, 1);
    *b.PixelPtr(0, 0) = 0xFFFF0000;
    *b.PixelPtr(1, 0) = KeyColor;
    b.ChangeHue(85);
    EXPECT_EQ(b.GetPixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(b.GetPixel(1, 0), KeyColor);
}

TEST(SkBitmapList, LinksFindTheLastBitmapOfANameIgnoringCase)
{
    TSkBitmapList list;
    auto* first = new TSkBitmap();
    first->SetName("Face");
    auto* second = new TSkBitmap();
    second->SetName("FACE");
    list.Add(first);
    list.Add(second);
    std::unique_ptr<TSkBitmapLink> link(list.GetLink("face", RECT{1, 2, 3, 4}));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->Image(), second);
    EXPECT_EQ(link->Name(), "FACE");
    EXPECT_EQ(link->Right(), 3);
    EXPECT_EQ(list.GetLink("none", RECT{}), nullptr);
    EXPECT_EQ(list.GetBitmap(2), nullptr);
    EXPECT_EQ(list.GetBitmap(-1), nullptr);
    // Valid needs an image and a positive area.
    EXPECT_TRUE(link->IsValid());
    link->SetRight(1);
    EXPECT_FALSE(link->IsValid());
}

TEST(SkBitmapDraw, OpaqueAndColourKeyedBlits)
{
    auto src = Numbered(4, 4);
    *src->PixelPtr(1, 1) = KeyColor | 0xFF000000u;  // alpha is not compared
    auto dst = Filled(6, 6, 0xFFAAAAAA);
    src->DrawRect(dst->DC(), 2, 2, RECT{0, 0, 3, 3}, true);
    EXPECT_EQ(dst->GetPixel(1, 1), 0xFFAAAAAAu);
    EXPECT_EQ(Rgb(dst->GetPixel(2, 2)), Rgb(src->GetPixel(0, 0)));
    EXPECT_EQ(Rgb(dst->GetPixel(3, 3)), 0xAAAAAAu);  // the key pixel left the background
    EXPECT_EQ(Rgb(dst->GetPixel(4, 4)), Rgb(src->GetPixel(2, 2)));
    EXPECT_EQ(Rgb(dst->GetPixel(5, 5)), 0xAAAAAAu);

    src->Draw(dst->DC(), 0, 0, false);
    EXPECT_EQ(Rgb(dst->GetPixel(1, 1)), Rgb(KeyColor));
}

TEST(SkBitmapDraw, ColourKeyedStretchSamplesNearestNeighbour)
{
    auto src = Numbered(2, 2);
    auto dst = Filled(4, 4, 0xFF000000);
    src->StretchRect(dst->DC(), RECT{0, 0, 4, 4}, RECT{0, 0, 2, 2}, true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Rgb(dst->GetPixel(x, y)), Rgb(src->GetPixel(x / 2, y / 2))) << x << "," << y;
}

TEST(SkBitmapDraw, ColourKeyedSourceReachingPastTheBitmapIsClipped)
{
    auto src = Numbered(2, 2);
    auto dst = Filled(4, 4, 0xFF555555);
    src->DrawRect(dst->DC(), 0, 0, RECT{1, 1, 5, 5}, true);
    EXPECT_EQ(Rgb(dst->GetPixel(0, 0)), Rgb(src->GetPixel(1, 1)));
    EXPECT_EQ(Rgb(dst->GetPixel(1, 0)), 0x555555u);
    EXPECT_EQ(Rgb(dst->GetPixel(3, 3)), 0x555555u);
}

TEST(SkBitmapDraw, TileRectClipsTheLastColumnAndRow)
{
    auto src = Numbered(10, 10);
    auto dst = Filled(30, 30, 0xFF000000);
    src->TileRect(dst->DC(), RECT{0, 0, 25, 25}, RECT{0, 0, 10, 10}, false);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const TPixel expected = x < 25 && y < 25 ? Rgb(src->GetPixel(x % 10, y % 10)) : 0u;
            ASSERT_EQ(Rgb(dst->GetPixel(x, y)), expected) << x << "," << y;
        }
}

TEST(SkBitmapDraw, AlphaDrawToBlendsAndClipsAtTheTarget)
{
    auto src = Filled(4, 4, 0x80FF0000);
    *src->PixelPtr(0, 0) = 0x00FFFFFF;
    src->SetAlphaBlend(true);
    auto dst = Filled(4, 4, 0xFF0000FF);
    src->DrawTo(dst.get(), 2, RECT{-1, 0, 4, 4}, -1);
    // Source rows from 0 land at -1, so row 1 of the source is target row 0.
    EXPECT_EQ(dst->GetPixel(2, 0), 0xBF80007Fu);
    EXPECT_EQ(dst->GetPixel(3, 2), 0xBF80007Fu);
    EXPECT_EQ(dst->GetPixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(dst->GetPixel(2, 3), 0xFF0000FFu);  // the source ran out before this row
}

TEST(SkBitmapDraw, AlphaStretchToSamplesAndBlends)
{
    auto src = Numbered(2, 2);
    *src->PixelPtr(1, 1) = 0x80FF0000;
    src->SetAlphaBlend(true);
    auto dst = Filled(4, 4, 0xFF0000FF);
    src->StretchTo(dst.get(), RECT{0, 0, 2, 2}, RECT{0, 0, 4, 4});
    EXPECT_EQ(dst->GetPixel(0, 0), src->GetPixel(0, 0));
    EXPECT_EQ(dst->GetPixel(1, 1), src->GetPixel(0, 0));
    EXPECT_EQ(dst->GetPixel(2, 0), src->GetPixel(1, 0));
    EXPECT_EQ(dst->GetPixel(3, 3), 0xBF80007Fu);
    // A source rectangle reaching past the bitmap reads nothing outside it.
    auto wide = Filled(8, 8, 0xFF0000FF);
    src->StretchTo(wide.get(), RECT{0, 0, 4, 4}, RECT{0, 0, 8, 8});
    EXPECT_EQ(wide->GetPixel(7, 7), 0xFF0000FFu);
    EXPECT_EQ(wide->GetPixel(0, 0), src->GetPixel(0, 0));
}

TEST(SkBitmapDraw, ComposeOverPutsThisBitmapInFront)
{
    auto front = Filled(2, 1, 0x00000000);
    *front->PixelPtr(1, 0) = 0x80FF0000;
    auto back = Filled(2, 1, 0xFF0000FF);
    front->ComposeOver(back.get(), 0, 0, RECT{0, 0, 2, 1});
    EXPECT_EQ(front->GetPixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(front->GetPixel(1, 0), 0xBF80007Fu);
}

TEST(SkBitmapRecord, RoundTripAndSizeRules)
{
    auto b = Numbered(3, 2);
    b->SetName("Button");
    vcl::TMemoryStream s;
    b->SaveToStream(&s);
    EXPECT_EQ(s.Size(), 4 + 6 + 8 + 3 * 2 * 4);
    s.SetPosition(0);
    TSkBitmap back;
    back.LoadFromStream(&s);
    EXPECT_EQ(back.Name(), "Button");
    ASSERT_EQ(back.Width(), 3);
    EXPECT_EQ(back.GetPixel(2, 1), b->GetPixel(2, 1));

    // Zero size reads no pixel bytes.
    vcl::TMemoryStream zero;
    WriteStreamString(&zero, "");
    WriteInt32(&zero, 0);
    WriteInt32(&zero, 0);
    WriteInt32(&zero, 77);
    zero.SetPosition(0);
    TSkBitmap z;
    z.LoadFromStream(&zero);
    EXPECT_TRUE(z.Empty());
    EXPECT_EQ(zero.Position(), 12);
}

TEST(SkBitmapRecord, DamagedRecordsFailCleanly)
{
    auto record = [](std::int32_t nameLength, std::int32_t w, std::int32_t h, int pixelBytes) {
        auto s = std::make_unique<vcl::TMemoryStream>();
        WriteInt32(s.get(), nameLength);
        s->WriteBuffer("ab", 2);
        WriteInt32(s.get(), w);
        WriteInt32(s.get(), h);
        std::vector<std::uint8_t> px(static_cast<size_t>(pixelBytes), 0x11);
        if (!px.empty())
            s->WriteBuffer(px.data(), pixelBytes);
        s->SetPosition(0);
        return s;
    };
    struct Case {
        const char* what;
        std::int32_t nameLength, w, h;
        int pixelBytes;
    };
    const Case cases[] = {
        {"name longer than the stream", 1000, 1, 1, 4},
        {"negative name length", -1, 1, 1, 4},
        {"pixels cut short", 2, 2, 2, 15},
        {"huge size", 2, 100000, 100000, 4},
        {"size overflowing 32 bits", 2, 65536, 65536, 4},
        {"negative width", 2, -2, 3, 24},
        {"negative height", 2, 2, -3, 24},
    };
    for (const Case& c : cases) {
        auto s = record(c.nameLength, c.w, c.h, c.pixelBytes);
        TSkBitmap b;
        EXPECT_THROW(b.LoadFromStream(s.get()), vcl::EReadError) << c.what;
    }
}

TEST(SkStreamString, EmptyStringIsFourZeroBytes)
{
    vcl::TMemoryStream s;
    WriteStreamString(&s, "");
    ASSERT_EQ(s.Size(), 4);
    EXPECT_EQ(s.Bytes(), std::vector<std::uint8_t>(4, 0));
    s.SetPosition(0);
    vcl::AnsiString back = "x";
    ReadStreamString(&s, back);
    EXPECT_EQ(back, "");
}

TEST(SkRegion, RunsOfNonKeyPixels)
{
    TSkBitmap b;
    b.SetSize(5, 2);
    b.Fill(0xFF000000);
    *b.PixelPtr(2, 0) = KeyColor | 0xFF000000u;
    std::vector<std::uint8_t> data;
    const DWORD size = BuildRegionData(&b, 10, 20, data);
    ASSERT_EQ(size, 32u + 3 * 16);
    const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
    EXPECT_EQ(header->nCount, 3u);
    EXPECT_EQ(header->iType, 1u);
    EXPECT_EQ(header->rcBound.right, 5);
    const auto* rects = reinterpret_cast<const RECT*>(data.data() + 32);
    EXPECT_EQ(rects[0].left, 10);
    EXPECT_EQ(rects[0].right, 12);
    EXPECT_EQ(rects[1].left, 13);
    EXPECT_EQ(rects[1].right, 15);
    EXPECT_EQ(rects[2].top, 21);
    EXPECT_EQ(rects[2].bottom, 22);
    EXPECT_EQ(rects[2].right, 15);

    b.Fill(KeyColor);
    EXPECT_EQ(BuildRegionData(&b, 0, 0, data), 32u);
    TSkBitmap empty;
    EXPECT_EQ(BuildRegionData(&empty, 0, 0, data), 0u);
    EXPECT_EQ(CreateRegionFromBitmap(&empty, 0, 0), nullptr);
}
