#include <gtest/gtest.h>

#include <memory>

#include "launcher/components/kit_container.h"
#include "launcher/components/kit_draw.h"
#include "launcher/components/kit_image_list.h"
#include "platform/vcl/filer.h"

using namespace kit;

namespace {

std::unique_ptr<vcl::TBitmap> Filled(int w, int h, std::uint32_t pixel)
{
    auto b = std::make_unique<vcl::TBitmap>();
    b->SetSize(w, h);
    std::fill(b->Pixels(), b->Pixels() + w * h, pixel);
    return b;
}

// Two strips of 2 x 2 images: red and green, then blue.
void FillList(TKitImageList& list)
{
    for (auto colours : {std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00}, std::vector<std::uint32_t>{0xFF0000FF}}) {
        auto* item = static_cast<TKitImageListItem*>(list.Add());
        item->SetWidth(2);
        item->SetHeight(2);
        for (std::uint32_t c : colours) {
            auto image = Filled(2, 2, c);
            image->Pixels()[2] = 0xFFFFFFFF;  // bottom-left: the transparent colour
            item->Add(image.get(), nullptr);
        }
    }
}

}  // namespace

TEST(ImageLists, ImagesAreNumberedThroughTheStripsAndDrawDisabled)
{
    TKitImageList list(nullptr);
    FillList(list);
    auto surface = Filled(8, 2, 0xFF000000);
    vcl::TCanvas* canvas = surface->Canvas();
    list.DrawImage(canvas, RECT{0, 0, 2, 2}, 1, 0);
    list.DrawImage(canvas, RECT{2, 0, 4, 2}, 2, 0);
    EXPECT_EQ(canvas->Pixels(1, 0), vcl::clLime);
    EXPECT_EQ(canvas->Pixels(3, 0), vcl::clBlue);
    EXPECT_EQ(canvas->Pixels(0, 1), vcl::clBlack);  // transparent corner
    const RECT none = list.DrawImage(canvas, RECT{0, 0, 2, 2}, 3, 0);
    EXPECT_TRUE(IsRectEmpty(&none));

    // Disabled: a checkerboard of the disabled colour over the visible
    // pixels; greyed when there is no disabled colour.
    list.DisabledColor = vcl::clYellow;
    list.DrawImage(canvas, RECT{4, 0, 6, 2}, 0, 0, false);
    EXPECT_EQ(canvas->Pixels(4, 0), vcl::clYellow);  // x + y even
    EXPECT_EQ(canvas->Pixels(5, 0), vcl::clBlack);   // odd: background
    EXPECT_EQ(canvas->Pixels(5, 1), vcl::clYellow);
    EXPECT_EQ(canvas->Pixels(4, 1), vcl::clBlack);   // the transparent corner
    list.DisabledColor = vcl::clNone;
    list.DrawImage(canvas, RECT{6, 0, 8, 2}, 0, 0, false);
    const vcl::TColor grey = (30 * 255 / 100) * 0x010101;
    EXPECT_EQ(canvas->Pixels(6, 0), grey);
    EXPECT_EQ(canvas->Pixels(7, 0), grey);
    EXPECT_EQ(canvas->Pixels(6, 1), vcl::clBlack);
}

TEST(ImageLists, ItemsPublishTheirPropertiesAndReadTheOlderBitmapProperty)
{
    for (vcl::TClass cls : {TKitBitmapListItem::StaticClass(), TKitStringListItem::StaticClass(),
                            TKitWaveListItem::StaticClass(), TKitImageListItem::StaticClass()})
        EXPECT_NE(cls->FindProperty("Description"), nullptr) << cls->ClassName();
    EXPECT_NE(TKitBitmapListItem::StaticClass()->FindProperty("Bitmap"), nullptr);
    EXPECT_NE(TKitWaveListItem::StaticClass()->FindProperty("Ident"), nullptr);
    EXPECT_TRUE(TKitBitmapList::StaticClass()->InheritsFrom(TKitCustomImageList::StaticClass()));
    EXPECT_TRUE(TKitImageList::StaticClass()->InheritsFrom(TKitCustomImageList::StaticClass()));

    TKitImageList list(nullptr);
    FillList(list);
    TKitImageListItem* item = list.ImageItem(0);
    item->SetDescription("strip");
    vcl::TMemoryStream stream;
    stream.WriteComponent(item);
    std::vector<std::uint8_t> bytes = stream.Bytes();
    const std::string all(bytes.begin(), bytes.end());
    // The record alone carries the description.
    EXPECT_EQ(all.find("Description"), std::string::npos);
    const std::string internal("\x08Internal", 9);
    const size_t at = all.find(internal);
    ASSERT_NE(at, std::string::npos);
    // The same record under the older name.
    const std::string older("\x06" "Bitmap", 7);
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + 9));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), older.begin(), older.end());
    vcl::TMemoryStream patched;
    patched.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    patched.SetPosition(0);
    TKitImageListItem copy(nullptr);
    patched.ReadComponent(&copy);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Description(), "strip");
}
