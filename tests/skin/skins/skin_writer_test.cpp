#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "skin/skins/sk_skin_filters.h"

#include "tests/skin/skins/skin_fixture.h"
#include "tests/support/temp_dir.h"

using namespace skin;

TEST(SkinWriter, BadDescriptionsNameTheirLine)
{
    struct Case {
        const char* what;
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {"unknown item", "name \"x\"\ncolour red\n", "line 2"},
        {"unknown class", "object A: TNoSuchObject\nend\n", "line 1"},
        {"missing end", "object A: TSkSkinObject\n  Width = 3\n", "line 1"},
        {"bad property", "\nobject A: TSkSkinObject\n  Wdth = 3\nend\n", "line 2"},
        {"missing picture", "bitmap Face nowhere.png\n", "line 1"},
    };
    for (const Case& c : cases) {
        TSkSkinSource s(nullptr);
        try {
            vls::tools::BuildSkinSource(c.text, "/nonexistent", s);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const vcl::Exception& e) {
            EXPECT_NE(e.Message.find(c.line), std::string::npos) << c.what << ": " << e.Message;
        }
    }
}

TEST(SkinWriter, PicturesAndFormProperty)
{
    vls::test::TempDir dir;
    const std::uint8_t rgba[8] = {255, 0, 255, 255, 10, 20, 30, 128};
    ASSERT_TRUE(stbi_write_png((dir.path() / "face.png").string().c_str(), 2, 1, 4, rgba, 8));
    TSkSkinSource pictured(nullptr);
    vls::tools::BuildSkinSource("bitmap Face face.png\n", dir.path().string(), pictured);
    ASSERT_EQ(pictured.Bitmaps().Count(), 1);
    EXPECT_EQ(pictured.Bitmaps().GetBitmap(0)->GetPixel(1, 0), 0x800A141Eu);
    const auto bytes = vls::tools::WriteSkinStream(pictured, "kskn");
    vcl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SetPosition(0);
    TSkSkinSource back(nullptr);
    back.LoadFromStream(&stream);
    EXPECT_EQ(back.Bitmaps().GetBitmap(0)->GetPixel(0, 0), KeyColor);

    TSkSkinSource s(nullptr);
    test::BuildTestSkin(s);
    EXPECT_EQ(s.GetObjectCount(), 2);
    EXPECT_EQ(s.FindObject("Form")->FindObject("Title")->Kind(), skTitle);
    const auto property = vls::tools::WriteSkinFormProperty(s);
    EXPECT_EQ(property[0], 2);
    TSkSkinSource empty(nullptr);
    EXPECT_EQ(vls::tools::WriteSkinFormProperty(empty), std::vector<std::uint8_t>{0});
    EXPECT_THROW(vls::tools::WriteSkinStream(s, "zip"), vcl::Exception);
}
