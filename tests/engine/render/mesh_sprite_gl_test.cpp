#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "tests/engine/render/sprite_fixture.h"
#include "tests/platform/d3d8/gl_test_window.h"
#include "tools/gr2_figure.h"

#include <cstdlib>
#include <fstream>

namespace vls::test {
namespace {

// The frame asks the sprite system for the camera and the mesh sprites.
class SpriteHost : public FakeHost {
public:
    float CameraNear() override { return cKestruneSprites::Current()->camera.NearClipPlane; }
    float CameraFar() override { return cKestruneSprites::Current()->camera.FarClipPlane; }
    void GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection) override
    {
        cKestruneSprites::Current()->FrameCamera(view, projection);
    }
    void CollectMeshSprites(DynArray<RenderQueueEntry>& list) override
    {
        cKestruneSprites::Current()->CollectMeshSprites(list);
    }
    void RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow) override
    {
        static_cast<cKestruneMeshSprite*>(sprite)->Render(world, static_cast<uint8_t>(withShadow));
    }
};

// A crate: a box with a DXT1 checker of red and yellow.
tools::Gr2Scene CrateScene()
{
    tools::Gr2Scene scene;
    tools::Gr2Texture texture{"crate", 16, 16, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool red = ((x / 8) + (y / 8)) % 2 == 0;
            texture.rgba.insert(texture.rgba.end(), {255, static_cast<uint8_t>(red ? 0 : 255), 0, 255});
        }
    texture.dxt = 0;
    texture.mipLevels = 5;
    scene.textures.push_back(texture);
    scene.materials.push_back({"Wood", 0});
    tools::Gr2Model model = tools::MakePropScene().models[0];
    model.bones[0].name = "Crate";
    model.meshes[0].name = "CrateBox";
    for (auto& v : model.meshes[0].vertices)
        for (float& c : v.position) c *= 5.0f;
    scene.models.push_back(model);
    return scene;
}

class MeshSpriteGl : public SpriteWorldTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        SetGraphicsHost(&spriteHost);
        data.Add("blackscreen.image", ImageBytes(Solid(8, 8, 0xFF000000)));
        data.Add("scene.image", ImageBytes(Solid(1024, 512, 0xFF4070B0), 0, 0, 50.0f));
        data.Add("front.image", ImageBytes(Solid(200, 200, 0xFF20C020), 540, 60, 2.0f));
        data.Add("shadow2.image", ImageBytes(Solid(16, 16, 0x80000000), 0, 0, 10.0f, 1));
        AddModel("figure", tools::MakeFigureScene());
        AddModel("crate", CrateScene());
        StartSprites();
        ASSERT_TRUE(D3D8IsOpenGLDevice(graphics->device));
        ASSERT_GT(graphics->stencilBits, 0);
        graphics->LoadUIImages(0, 0);
        for (const char* name : {"scene.image", "front.image"}) {
            images.push_back(LoadImage(name));
            ASSERT_NE(images.back(), nullptr);
            spriteHost.sceneImages.push_back(images.back().get());
        }
        spriteHost.scene = true;
        spriteHost.gameState = 0x2;

        // A camera 5.5 in front of the figure, looking down at it.
        granny_camera camera = sprites->camera;
        D3DXMATRIX view, projection, inverse;
        const D3DXVECTOR3 eye(0, 2.0f, -5.5f), at(0, 0.6f, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7f, 4.0f / 3.0f, 1.0f, 100.0f);
        std::memcpy(camera.View4x4, &view, 64);
        std::memcpy(camera.InverseView4x4, D3DXMatrixInverse(&inverse, nullptr, &view), 64);
        std::memcpy(camera.Projection4x4, &projection, 64);
        std::memcpy(camera.InverseProjection4x4, D3DXMatrixInverse(&inverse, nullptr, &projection), 64);
        camera.FarClipPlane = 100.0f;
        sprites->SetCamera(camera);

        sprites->ambient[0] = sprites->ambient[1] = sprites->ambient[2] = 0.5f;
        sprites->AddLight(0, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);  // full light at the figure
        sprites->shadowVector[0] = -0.4f;
        sprites->shadowVector[1] = -1.0f;
        sprites->shadowVector[2] = -0.2f;
        figure = LoadSprite("figure");
        crate = LoadSprite("crate");
        crate->noShadow = 1;
        crate->SetPosition(1.2f, 0.75f, 0.8f);
        world.characters = {figure.get(), crate.get()};
        figure->Update(0.5f, 0);
        crate->Update(0.0f, 0);
    }
    void TearDown() override { SetGraphicsHost(&host); }

    std::vector<DWORD> Frame()
    {
        graphics->RenderFrame();
        return FrontBufferPixels(graphics->device);
    }

    static DWORD At(const std::vector<DWORD>& px, int x, int y) { return px[static_cast<size_t>(y) * 1024 + x] & 0xFFFFFF; }

    // The projected screen point of a world point.
    D3DXVECTOR3 Screen(float x, float y, float z)
    {
        D3DXVECTOR3 s;
        sprites->WorldToScreen(D3DXVECTOR3(x, y, z), &s);
        return s;
    }

    void SaveScreenshot(const std::vector<DWORD>& px, const char* name)
    {
        std::vector<uint8_t> rgba;
        rgba.reserve(px.size() * 4);
        for (DWORD p : px)
            rgba.insert(rgba.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                     static_cast<uint8_t>(p), 255});
        const char* folder = std::getenv("VEILSTRAND_TEST_DATA");
        const std::vector<uint8_t> png = tools::EncodePngRgba(1024, 768, rgba);
        std::ofstream((std::string(folder ? folder : ".") + "/" + name), std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }

    GlTestWindow window;
    SpriteHost spriteHost;
    std::vector<std::unique_ptr<cKestruneImage>> images;
    std::unique_ptr<cKestruneMeshSprite> figure, crate;
};

constexpr DWORD kBackground = 0x4070B0;
constexpr DWORD kFront = 0x20C020;

bool Near(DWORD a, DWORD b, int tolerance = 6)
{
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

TEST_F(MeshSpriteGl, LitSkinnedFigureWithShadowBehindAFrontLayerAndADxtCrate)
{
    const auto px = Frame();
    SaveScreenshot(px, "mesh_sprite_gl.png");

    // The figure's chest: skin colours (warm, red above blue), not the picture.
    const D3DXVECTOR3 chest = Screen(-0.05f, 1.2f, -0.1f);
    int skin = 0;
    for (int dy = -6; dy <= 6; ++dy)
        for (int dx = -6; dx <= 6; ++dx) {
            const DWORD c = At(px, int(chest.x) + dx, int(chest.y) + dy);
            skin += ((c >> 16) & 0xFF) > (c & 0xFF) + 40;
        }
    EXPECT_EQ(skin, 13 * 13);

    // The head reaches behind the front layer, which stays whole over it.
    const D3DXVECTOR3 front = {640, 128 + 160, 0};
    EXPECT_TRUE(Near(At(px, int(front.x), int(front.y)), kFront));

    // The shadow falls away from the light, onto the picture beside the feet:
    // darker than the picture, in its hue.
    const D3DXVECTOR3 shadow = Screen(-0.5f, 0.0f, -0.25f);
    const DWORD dark = At(px, int(shadow.x), int(shadow.y));
    EXPECT_LT(dark & 0xFF, kBackground & 0xFF);
    EXPECT_GT(dark & 0xFF, 0u);
    // Far from the figure the picture is untouched.
    EXPECT_TRUE(Near(At(px, 900, 600), kBackground, 2));

    // The crate shows its DXT checker, red and yellow.
    const D3DXVECTOR3 box = Screen(1.2f, 0.4f, 0.55f);
    int red = 0, yellow = 0;
    for (int dy = -15; dy <= 15; ++dy)
        for (int dx = -15; dx <= 15; ++dx) {
            const DWORD c = At(px, int(box.x) + dx, int(box.y) + dy);
            const DWORD r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            red += r > 150 && g < 50 && b < 50;
            yellow += r > 150 && g > 150 && b < 50;
        }
    EXPECT_GT(red, 20);
    EXPECT_GT(yellow, 20);
}

} // namespace
} // namespace vls::test
