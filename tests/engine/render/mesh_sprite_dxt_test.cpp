#include "tests/engine/render/sprite_fixture.h"
#include "tools/dxt_encoder.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

// A triangle model with one texture per DXT sub-format: an 8 x 8 picture,
// red on the left half and yellow on the right, with four mip levels.
tools::Gr2Scene DxtScene()
{
    tools::Gr2Scene scene;
    for (int kind = 0; kind < 4; ++kind) {
        tools::Gr2Texture texture{"dxt" + std::to_string(kind), 8, 8, {}};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) texture.rgba.insert(texture.rgba.end(), {255, uint8_t(x < 4 ? 0 : 255), 0, 255});
        texture.dxt = kind;
        texture.mipLevels = 4;
        scene.textures.push_back(texture);
        scene.materials.push_back({"m" + std::to_string(kind), kind});
    }
    tools::Gr2Model model;
    model.bones.push_back({"Tile", -1});
    tools::Gr2Mesh mesh;
    mesh.name = "Tile";
    mesh.vertices.resize(3);
    mesh.vertices[1].position = {1, 0, 0};
    mesh.vertices[2].position = {0, 1, 0};
    for (int kind = 0; kind < 4; ++kind) mesh.groups.push_back({kind, {0, 1, 2}});
    model.meshes.push_back(mesh);
    scene.models.push_back(model);
    return scene;
}

class MeshSpriteDxt : public SpriteWorldTest {};

TEST_F(MeshSpriteDxt, BlocksGoStraightIntoDxtTextures)
{
    AddModel("tile", DxtScene());
    StartSprites();
    ASSERT_TRUE(graphics->dxtSupported);
    auto sprite = LoadSprite("tile");
    ASSERT_EQ(sprite->textures.count, 4);
    // Sub-formats 2 and 3 are created as DXT2 and DXT4.
    const D3DFORMAT formats[4] = {D3DFMT_DXT1, D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT4};
    for (int kind = 0; kind < 4; ++kind) {
        IDirect3DTexture8* texture = sprite->textures.data[kind].texture;
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, formats[kind]) << kind;
        EXPECT_EQ(texture->GetLevelCount(), graphics->mipmapSupported ? 4u : 1u);
    }
    IDirect3DTexture8* texture = sprite->textures.data[0].texture;
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const std::vector<uint8_t> expected = tools::EncodeDxt(
        8, 8,
        [] {
            std::vector<uint8_t> rgba;
            for (int i = 0; i < 64; ++i) rgba.insert(rgba.end(), {255, uint8_t(i % 8 < 4 ? 0 : 255), 0, 255});
            return rgba;
        }(),
        tools::DxtKind::kDxt1);
    EXPECT_EQ(std::memcmp(locked.pBits, expected.data(), expected.size()), 0);
    texture->UnlockRect(0);
}

TEST_F(MeshSpriteDxt, WithoutDxtSupportTexturesAreDecodedToA8R8G8B8)
{
    D3D8TestOptions().dxt = false;
    AddModel("tile", DxtScene());
    StartSprites();
    ASSERT_FALSE(graphics->dxtSupported);
    auto sprite = LoadSprite("tile");
    ASSERT_EQ(sprite->textures.count, 4);
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        IDirect3DTexture8* texture = sprite->textures.data[kind].texture;
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        const auto* row = static_cast<const uint32_t*>(locked.pBits) + 3 * locked.Pitch / 4;
        EXPECT_EQ(row[1] & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(row[6] & 0xFFFFFF, 0xFFFF00u);
        EXPECT_EQ(row[6] >> 24, 0xFFu);
        texture->UnlockRect(0);
    }
}

} // namespace
} // namespace vls::test
