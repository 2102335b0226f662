#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "launcher/components/kit_container.h"
#include "launcher/components/kit_dib.h"
#include "launcher/components/kit_image_list.h"
#include "platform/vcl/streams.h"

using namespace kit;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::uint32_t U32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void Load(vcl::TBitmap* into, const Bytes& file)
{
    vcl::TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<std::int32_t>(file.size()));
    stream.SetPosition(0);
    into->LoadFromStream(&stream);
}

// 5 x 3, so every depth pads its rows.
void Picture(vcl::TBitmap* b, const std::vector<vcl::TColor>& colors)
{
    b->SetSize(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            b->Canvas()->SetPixel(x, y, colors[static_cast<std::size_t>(y * 5 + x) % colors.size()]);
}

}  // namespace

TEST(DibTest, DepthsHeadersAndPixels)
{
    struct Case {
        const char* name;
        int bitCount;
        int written;
        std::vector<vcl::TColor> colors;
        std::uint32_t paletteSize;
        std::vector<vcl::TColor> expected;
    };
    const std::vector<Case> cases = {
        {"mono by brightness", 1, 1, {0xC0C0C0, 0x404040, vcl::clWhite}, 2, {vcl::clWhite, vcl::clBlack, vcl::clWhite}},
        {"4 bits, own colours", 4, 4, {0x123456, 0x654321, 0x0A0B0C}, 3, {0x123456, 0x654321, 0x0A0B0C}},
        {"8 bits, own colours", 8, 8, {0x123456, 0x654321}, 2, {0x123456, 0x654321}},
        {"32-bit source as 24 bits", 32, 24, {0x123456, 0x654321}, 0, {0x123456, 0x654321}},
        {"16-bit source as 24 bits", 16, 24, {0x123456}, 0, {0x123456}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vcl::TBitmap source;
        Picture(&source, c.colors);
        const Bytes file = WriteDibFile(&source, c.bitCount);
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        const std::size_t stride = ((5 * static_cast<std::size_t>(c.written) + 31) / 32) * 4;
        EXPECT_EQ(U32(file, 2), file.size());
        EXPECT_EQ(file.size(), 54 + c.paletteSize * 4 + stride * 3);
        EXPECT_EQ(U32(file, 10), 54 + c.paletteSize * 4);
        EXPECT_EQ(U32(file, 14), 40u);
        EXPECT_EQ(file[28], c.written);
        EXPECT_EQ(U32(file, 46), c.paletteSize);
        vcl::TBitmap back;
        Load(&back, file);
        ASSERT_EQ(back.Width(), 5);
        ASSERT_EQ(back.Height(), 3);
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(back.Canvas()->Pixels(i % 5, i / 5), c.expected[static_cast<std::size_t>(i) % c.expected.size()])
                << i;
    }
}

TEST(DibTest, TooManyColoursTakeTheNearestOfAFixedPalette)
{
    vcl::TBitmap source;
    source.SetSize(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            source.Canvas()->SetPixel(x, y, static_cast<vcl::TColor>((x * 12) | (y * 12) << 8 | 0x400000));
    for (const int bits : {4, 8}) {
        SCOPED_TRACE(bits);
        const Bytes file = WriteDibFile(&source, bits);
        EXPECT_EQ(U32(file, 46), 1u << bits);
        vcl::TBitmap back;
        Load(&back, file);
        const vcl::TColor was = source.Canvas()->Pixels(19, 19), now = back.Canvas()->Pixels(19, 19);
        const int tolerance = bits == 8 ? 42 : 128;
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_LE(std::abs(((was >> shift) & 0xFF) - ((now >> shift) & 0xFF)), tolerance);
    }
}

TEST(DibTest, ItemsSaveAtTheirDepthAndMasksAsOneBit)
{
    TKitBitmapList list(nullptr);
    auto* item = static_cast<TKitBitmapListItem*>(list.Add());
    Picture(item->Bitmap(), {vcl::clRed, vcl::clBlue});
    item->SetSavePixelFormat(spf8bit);
    vcl::TMemoryStream stream;
    list.SaveToStream(&stream);
    const Bytes bytes = stream.Bytes();
    // count, one offset, flags, identifier, length, then the file
    ASSERT_GT(bytes.size(), 17u + 54u);
    EXPECT_EQ(bytes[8], kRecIdent | kRecData | kRec8Bit);
    EXPECT_EQ(bytes[17], 'B');
    EXPECT_EQ(bytes[17 + 28], 8);
    stream.SetPosition(0);
    TKitBitmapList loaded(nullptr);
    loaded.SetStorageKind(0);
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.BitmapItem(0)->Bitmap()->Canvas()->Pixels(1, 0), vcl::clBlue);

    TKitImageListItem strip(nullptr);
    strip.SetWidth(5);
    strip.SetHeight(3);
    strip.SetMasked(true);
    vcl::TBitmap image, mask;
    Picture(&image, {vcl::clRed});
    Picture(&mask, {vcl::clWhite, vcl::clBlack});
    strip.Add(&image, &mask);
    const Bytes data = *strip.ToRecord().data;
    const std::size_t maskAt = 4 + U32(data, 4 + 2);
    ASSERT_GT(data.size(), maskAt + 54);
    EXPECT_EQ(data[maskAt + 28], 1);
    TKitImageListItem back(nullptr);
    back.FromRecord(strip.ToRecord());
    EXPECT_EQ(back.MaskStrip()->Canvas()->Pixels(0, 0), vcl::clWhite);
    EXPECT_EQ(back.MaskStrip()->Canvas()->Pixels(1, 0), vcl::clBlack);
}

TEST(DibTest, NewItemsTakeTheListsDefaultPixelFormat)
{
    TKitBitmapList bitmaps(nullptr);
    bitmaps.SetDefaultPixelFormat(spf4bit);
    EXPECT_EQ(static_cast<TKitBitmapListItem*>(bitmaps.Add())->SavePixelFormat(), spf4bit);

    TKitImageList images(nullptr);
    images.SetDefaultPixelFormat(spfMono);
    auto* item = static_cast<TKitImageListItem*>(images.Add());
    ASSERT_EQ(item->SavePixelFormat(), spfMono);
    item->SetWidth(5);
    item->SetHeight(3);
    vcl::TBitmap image;
    Picture(&image, {vcl::clWhite, vcl::clBlack});
    item->Add(&image, nullptr);
    const TKitItemRecord record = item->ToRecord();
    EXPECT_EQ(record.flags, kRecMono);
    EXPECT_EQ((*record.data)[4 + 28], 1);

    vcl::TMemoryStream stream;
    images.SaveToStream(&stream);
    stream.SetPosition(0);
    TKitImageList loaded(nullptr);
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.ImageItem(0)->SavePixelFormat(), spfMono);
    EXPECT_EQ(loaded.ImageItem(0)->Strip()->Canvas()->Pixels(1, 0), vcl::clBlack);
    EXPECT_EQ(loaded.ImageItem(0)->Strip()->Canvas()->Pixels(2, 0), vcl::clWhite);
}
