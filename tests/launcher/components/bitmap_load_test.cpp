#include <gtest/gtest.h>

#include "launcher/components/kit_container.h"
#include "launcher/components/kit_paths.h"
#include "platform/vcl/streams.h"
#include "platform/win32/kernel/paths.h"
#include "tests/support/temp_dir.h"

using namespace kit;

namespace {

void Fill(vcl::TBitmap* b, int w, int h, vcl::TColor color)
{
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->Canvas()->SetPixel(x, y, color);
}

TKitBitmapListItem* ItemOf(TKitBitmapList& list, int kind, const AnsiString& location, WORD ident)
{
    list.SetStorageKind(kind);
    list.SetLocation(location);
    auto* item = static_cast<TKitBitmapListItem*>(list.Add());
    item->SetIdent(ident);
    return item;
}

}  // namespace

TEST(BitmapLoadTest, ContainerFilePicksTheRecordByIdentifier)
{
    vls::test::ScopedConfig config;
    vls::test::TempDir dir;
    TKitBitmapList stored(nullptr);
    stored.SetDefaultCompressed(true);
    for (const auto& [ident, color] : {std::pair<WORD, vcl::TColor>{5, vcl::clRed}, {7, vcl::clLime}}) {
        auto* item = static_cast<TKitBitmapListItem*>(stored.Add());
        item->SetIdent(ident);
        Fill(item->Bitmap(), 3, 2, color);
    }
    const AnsiString file = vls::win32::ToWindowsPath((dir / "pictures.bmp").string());
    stored.SaveToFile(file);

    TKitBitmapList list(nullptr);
    TKitBitmapListItem* item = ItemOf(list, 1, file, 7);
    ASSERT_EQ(item->Bitmap()->Width(), 3);
    EXPECT_EQ(item->Bitmap()->Canvas()->Pixels(2, 1), vcl::clLime);
    auto* absent = static_cast<TKitBitmapListItem*>(list.Add());
    absent->SetIdent(6);
    EXPECT_TRUE(absent->Bitmap()->Empty());
}

TEST(BitmapLoadTest, SeparateFilesResourcesAndLibraries)
{
    vls::test::ScopedConfig config;
    vls::test::TempDir dir;
    vcl::TBitmap picture;
    Fill(&picture, 2, 4, vcl::clBlue);
    picture.SaveToFile(vls::win32::ToWindowsPath((dir / "ima12.bmp").string()));
    const AnsiString location = vls::win32::ToWindowsPath((dir / "images.bmp").string());
    EXPECT_EQ(SeparateBitmapFileName(location, 12), vls::win32::ToWindowsPath((dir / "ima12.bmp").string()));

    TKitBitmapList files(nullptr);
    TKitBitmapListItem* separate = ItemOf(files, 4, location, 12);
    EXPECT_EQ(separate->Bitmap()->Height(), 4);
    EXPECT_EQ(separate->Bitmap()->Canvas()->Pixels(1, 3), vcl::clBlue);

    // A missing file leaves the bitmap empty, to be filled in by the caller.
    TKitBitmapListItem* missing = ItemOf(files, 4, location, 13);
    EXPECT_TRUE(missing->Bitmap()->Empty());
    Fill(missing->Bitmap(), 1, 1, vcl::clRed);
    EXPECT_EQ(missing->Bitmap()->Width(), 1);

    vcl::TMemoryStream bytes;
    picture.SaveToStream(&bytes);
    vcl::RegisterResource("4711", bytes.Bytes());
    TKitBitmapList resources(nullptr);
    EXPECT_EQ(ItemOf(resources, 2, "", 4711)->Bitmap()->Width(), 2);

    TKitBitmapList library(nullptr);
    EXPECT_TRUE(ItemOf(library, 3, "nolib.dll", 1)->Bitmap()->Empty());
    TKitBitmapList form(nullptr);
    EXPECT_TRUE(ItemOf(form, 0, location, 12)->Bitmap()->Empty());
}

TEST(BitmapLoadTest, BareNamesLieInTheProgramFolder)
{
    EXPECT_EQ(ContainerFileName("C:\\data\\a.bmp"), "C:\\data\\a.bmp");
    EXPECT_EQ(ContainerFileName("\\\\server\\a.bmp"), "\\\\server\\a.bmp");
    EXPECT_EQ(ContainerFileName("a.bmp"), ProgramFolder(true) + "a.bmp");
}
