#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"
#include "tools/dxt_encoder.h"

namespace vls::test {
namespace {

tools::Gr2Scene TextureScene(int dxt, int levels)
{
    tools::Gr2Scene scene;
    tools::Gr2Texture texture{"tile", 16, 16, std::vector<std::uint8_t>(16 * 16 * 4, 200)};
    texture.dxt = dxt;
    texture.mipLevels = levels;
    scene.textures.push_back(texture);
    return scene;
}

TEST(DxtTextures, StoredAsBlocksWithTheirLevels)
{
    const struct {
        int dxt;
        std::vector<int> bytes;
    } cases[] = {
        {0, {128, 32, 8}},
        {1, {128, 32, 8}},
        {2, {256, 64, 16}},
        {3, {256, 64, 16}},
    };
    for (const auto& c : cases) {
        FilePtr file = ReadScene(TextureScene(c.dxt, 3));
        ASSERT_NE(file, nullptr) << c.dxt;
        const granny_file_info* info = GrannyGetFileInfo(file.get());
        ASSERT_EQ(info->TextureCount, 1);
        const granny_texture* texture = info->Textures[0];
        EXPECT_STREQ(texture->FromFileName, "tile");
        EXPECT_EQ(texture->Encoding, GrannyS3TCTextureEncoding);
        EXPECT_EQ(texture->SubFormat, c.dxt);
        EXPECT_EQ(texture->Width, 16);
        ASSERT_EQ(texture->ImageCount, 1);
        ASSERT_EQ(texture->Images[0].MIPLevelCount, 3);
        for (int level = 0; level < 3; ++level)
            EXPECT_EQ(texture->Images[0].MIPLevels[level].PixelByteCount, c.bytes[level]);
        // Blocks are not pixels: the copy into a pixel layout refuses them.
        std::vector<std::uint8_t> pixels(16 * 16 * 4);
        EXPECT_FALSE(GrannyCopyTextureImage(texture, 0, 0, &GrannyBGRA8888PixelFormat, 16, 16, 64, pixels.data()));
    }
    // The stored bytes are the encoder's.
    FilePtr file = ReadScene(TextureScene(0, 1));
    const granny_texture_mip_level& level = GrannyGetFileInfo(file.get())->Textures[0]->Images[0].MIPLevels[0];
    const std::vector<std::uint8_t> blocks =
        tools::EncodeDxt(16, 16, std::vector<std::uint8_t>(16 * 16 * 4, 200), tools::DxtKind::kDxt1);
    EXPECT_EQ(std::vector<std::uint8_t>(static_cast<const std::uint8_t*>(level.PixelBytes),
                                        static_cast<const std::uint8_t*>(level.PixelBytes) + level.PixelByteCount),
              blocks);
}

TEST(DxtTextures, DescriptionsThatDoNotMatchTheDataAreRefused)
{
    // Same-length edits of the written description keep the file's chunks whole.
    const struct {
        const char* from;
        const char* to;
    } cases[] = {
        {"\"levels\":[128,32", "\"levels\":[136,32"},
        {"\"levels\":[128,32", "\"levels\":[128,24"},
        {"\"dxt\":0", "\"dxt\":7"},
        {"\"dxt\":0", "\"dxt\":2"},
        {"\"width\":16", "\"width\":32"},
        {"\"height\":16", "\"height\":-1"},
        {"\"levels\":[", "\"levelz\":["},
    };
    const std::vector<std::uint8_t> good = tools::WriteGr2(TextureScene(0, 2));
    ASSERT_NE(ReadBytes(good), nullptr);
    for (const auto& c : cases) {
        std::string text(good.begin(), good.end());
        const std::size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, std::strlen(c.from), c.to);
        EXPECT_EQ(ReadBytes(std::vector<std::uint8_t>(text.begin(), text.end())), nullptr) << c.to;
    }
}

} // namespace
} // namespace vls::test
