#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_recording.h"
#include "tests/platform/d3d8/gl_test_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD colour;
};

struct TexturedVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};

class GlDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        D3D8ResetTestOptions();
        ASSERT_TRUE(window.ok()) << SDL_GetError();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = 1024;
        params.BackBufferHeight = 768;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &params, &device), D3D_OK);
        ASSERT_TRUE(D3D8IsOpenGLDevice(device));
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
    }
    void TearDown() override
    {
        if (device) device->Release();
        if (d3d) d3d->Release();
    }

    void quad(float x0, float y0, float x1, float y1, DWORD colour, float z = 0.5f)
    {
        const ScreenVertex v[4] = {{x0, y1, z, 1, colour}, {x1, y1, z, 1, colour}, {x0, y0, z, 1, colour}, {x1, y0, z, 1, colour}};
        device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
    }

    // The texture alone, on a size x size square whose left edge is x0.
    void texturedQuad(IDirect3DTexture8* texture, float x0, float size)
    {
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        const TexturedVertex v[4] = {{x0, size, 0, 1, 0xFFFFFFFF, 0, 1},
                                     {x0 + size, size, 0, 1, 0xFFFFFFFF, 1, 1},
                                     {x0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                     {x0 + size, 0, 0, 1, 0xFFFFFFFF, 1, 0}};
        device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedVertex));
        device->SetTexture(0, nullptr);
    }

    // Presents and reads back the presented frame.
    std::vector<DWORD> present()
    {
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        IDirect3DSurface8* surface = nullptr;
        device->CreateImageSurface(1024, 768, D3DFMT_A8R8G8B8, &surface);
        EXPECT_EQ(device->GetFrontBuffer(surface), D3D_OK);
        D3DLOCKED_RECT locked{};
        surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        std::vector<DWORD> pixels(1024 * 768);
        std::memcpy(pixels.data(), locked.pBits, pixels.size() * 4);
        surface->UnlockRect();
        surface->Release();
        return pixels;
    }

    static void expectColour(const std::vector<DWORD>& px, int x, int y, DWORD expected, int tolerance = 2)
    {
        const DWORD got = px[static_cast<std::size_t>(y) * 1024 + x];
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = (got >> shift) & 0xFF, b = (expected >> shift) & 0xFF;
            EXPECT_LE(std::abs(a - b), tolerance) << "pixel " << x << "," << y << " is " << std::hex << got
                                                  << " want " << expected;
        }
    }

    vls::test::GlTestWindow window;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
};

// Present draws the scene straight to the window; the presented picture
// moves aside only when the scene is next written, by a copy or, for a clear
// of every pixel, by trading textures. Either way the front buffer and the
// kept back buffer read as before.
TEST_F(GlDevice, FrontBufferKeepsThePresentedFrameWhileTheNextIsDrawn)
{
    const auto front = [&] {
        IDirect3DSurface8* surface = nullptr;
        device->CreateImageSurface(1024, 768, D3DFMT_A8R8G8B8, &surface);
        EXPECT_EQ(device->GetFrontBuffer(surface), D3D_OK);
        D3DLOCKED_RECT locked{};
        surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        std::vector<DWORD> pixels(1024 * 768);
        std::memcpy(pixels.data(), locked.pBits, pixels.size() * 4);
        surface->UnlockRect();
        surface->Release();
        return pixels;
    };
    const auto back = [&] {
        IDirect3DSurface8* surface = nullptr;
        device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
        D3DLOCKED_RECT locked{};
        surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        std::vector<DWORD> pixels(1024 * 768);
        std::memcpy(pixels.data(), locked.pBits, pixels.size() * 4);
        surface->UnlockRect();
        surface->Release();
        return pixels;
    };
    quad(0, 0, 100, 100, 0xFFFF0000);
    expectColour(front(), 50, 50, 0x000000);  // nothing presented yet: black
    expectColour(present(), 50, 50, 0xFF0000);

    // A draw into the kept picture: the front buffer keeps the red square alone.
    device->BeginScene();
    quad(200, 200, 300, 300, 0xFF00FF00);
    auto px = front();
    expectColour(px, 50, 50, 0xFF0000);
    expectColour(px, 250, 250, 0x000000);
    px = present();
    expectColour(px, 50, 50, 0xFF0000);
    expectColour(px, 250, 250, 0x00FF00);

    // A clear of the whole target, then of part of it.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    px = front();
    expectColour(px, 50, 50, 0xFF0000);
    expectColour(px, 250, 250, 0x00FF00);
    expectColour(back(), 50, 50, 0x0000FF);
    device->BeginScene();
    quad(400, 400, 500, 500, 0xFFFFFFFF);
    px = present();
    expectColour(px, 50, 50, 0x0000FF);
    expectColour(px, 450, 450, 0xFFFFFF);
    const D3DRECT corner{0, 0, 10, 10};
    device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    px = front();
    expectColour(px, 5, 5, 0x0000FF);
    expectColour(px, 450, 450, 0xFFFFFF);
    px = back();
    expectColour(px, 5, 5, 0x00FF00);
    expectColour(px, 450, 450, 0xFFFFFF);
}

TEST_F(GlDevice, ScreenQuadsCoverDirect3DPixels)
{
    // Direct3D's pixel centres are whole numbers: a quad from -0.5 to 9.5
    // covers pixels 0..9 exactly, one from 10 to 20 pixels 10..19.
    quad(-0.5f, -0.5f, 9.5f, 9.5f, 0xFFFF0000);
    quad(10, 10, 20, 20, 0xFF00FF00);
    const auto px = present();
    expectColour(px, 0, 0, 0xFF0000, 0);
    expectColour(px, 9, 9, 0xFF0000, 0);
    expectColour(px, 10, 9, 0x000000, 0);
    expectColour(px, 10, 10, 0x00FF00, 0);
    expectColour(px, 19, 19, 0x00FF00, 0);
    expectColour(px, 20, 20, 0x000000, 0);
}

TEST_F(GlDevice, BlendStateCarriesOverBetweenDraws)
{
    quad(0, 0, 100, 100, 0xFF0000FF);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    quad(0, 0, 50, 100, 0x80FF0000);
    // No state set again: the second half-transparent quad still blends.
    quad(50, 0, 100, 100, 0x8000FF00);
    const auto px = present();
    expectColour(px, 25, 50, 0x80007F);
    expectColour(px, 75, 50, 0x00807F);
}

TEST_F(GlDevice, DepthOfScreenVerticesIsTested)
{
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    quad(0, 0, 64, 64, 0xFFFF0000, 0.2f);
    quad(32, 32, 96, 96, 0xFF00FF00, 0.6f);  // behind the red one where they overlap
    const auto px = present();
    expectColour(px, 40, 40, 0xFF0000, 0);
    expectColour(px, 80, 80, 0x00FF00, 0);
}

TEST_F(GlDevice, TexturesDrawFromMemoryAndDxt)
{
    for (const D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_DXT1}) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        if (format == D3DFMT_DXT1) {
            // Four blocks: left ones red, right ones blue (all index 0).
            const BYTE red[8] = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0}, blue[8] = {0x1F, 0x00, 0x00, 0x00, 0, 0, 0, 0};
            BYTE* bits = static_cast<BYTE*>(locked.pBits);
            for (int row = 0; row < 2; ++row) {
                std::memcpy(bits + row * locked.Pitch, red, 8);
                std::memcpy(bits + row * locked.Pitch + 8, blue, 8);
            }
        } else {
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
                        x < 4 ? 0xFFFF0000 : 0xFF0000FF;
        }
        texture->UnlockRect(0);
        texturedQuad(texture, format == D3DFMT_DXT1 ? 100.0f : 0.0f, 80);
        texture->Release();
    }
    const auto px = present();
    expectColour(px, 10, 40, 0xFF0000, 0);
    expectColour(px, 70, 40, 0x0000FF, 0);
    expectColour(px, 110, 40, 0xFF0000, 0);
    expectColour(px, 170, 40, 0x0000FF, 0);
}

// Textures whose texels GL takes as they are go up level by level straight
// from memory; the ones that need converting share one scratch copy. A level
// taken from the wrong place, or a conversion left over from a bigger texture
// drawn before, shows as the wrong colour.
TEST_F(GlDevice, EachMipLevelAndEachConvertedTextureDrawsItsOwnTexels)
{
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    const auto fill = [](IDirect3DTexture8* texture, UINT level, UINT side, UINT bpp, DWORD texel) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < side; ++y)
            for (UINT x = 0; x < side; ++x)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * bpp, &texel, bpp);
        texture->UnlockRect(level);
    };

    IDirect3DTexture8* mipped = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 64, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &mipped), D3D_OK);
    fill(mipped, 0, 64, 4, 0xFFFF0000);
    fill(mipped, 1, 32, 4, 0xFF00FF00);
    texturedQuad(mipped, 0, 64);    // one texel a pixel: the first level
    texturedQuad(mipped, 100, 32);  // half size: the second level
    mipped->Release();

    IDirect3DTexture8* big = nullptr;
    IDirect3DTexture8* small = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 64, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &big), D3D_OK);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &small), D3D_OK);
    fill(big, 0, 64, 2, 0xF800);   // red
    fill(small, 0, 8, 2, 0x001F);  // blue
    texturedQuad(big, 200, 64);
    texturedQuad(small, 300, 64);
    big->Release();
    small->Release();

    const auto px = present();
    const struct {
        int x, y;
        DWORD colour;
    } expected[] = {{32, 32, 0xFF0000}, {116, 16, 0x00FF00}, {232, 32, 0xFF0000}, {332, 32, 0x0000FF}, {362, 62, 0x0000FF}};
    for (const auto& e : expected) expectColour(px, e.x, e.y, e.colour, 0);
}

TEST_F(GlDevice, TransformedTrianglesUseTheMatrices)
{
    // An orthographic-like setup: identity view, projection scaling x and y
    // by 0.5, so the unit square lands in the middle half of the screen.
    D3DMATRIX proj{};
    proj._11 = 0.5f;
    proj._22 = 0.5f;
    proj._33 = 1.0f;
    proj._44 = 1.0f;
    device->SetTransform(D3DTS_PROJECTION, &proj);
    struct V {
        float x, y, z;
        DWORD c;
    } v[4] = {{-1, -1, 0.5f, 0xFFFFFF00}, {1, -1, 0.5f, 0xFFFFFF00}, {-1, 1, 0.5f, 0xFFFFFF00}, {1, 1, 0.5f, 0xFFFFFF00}};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V));
    const auto px = present();
    expectColour(px, 512, 384, 0xFFFF00, 0);
    expectColour(px, 300, 384, 0xFFFF00, 0);
    expectColour(px, 200, 384, 0x000000, 0);
    expectColour(px, 512, 150, 0x000000, 0);
}

TEST_F(GlDevice, LightingUsesAmbientAndMaterial)
{
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF808080);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 0.5f, 0, 1};
    device->SetMaterial(&material);
    struct V {
        float x, y, z;
    } v[4] = {{-1, -1, 0.5f}, {1, -1, 0.5f}, {-1, 1, 0.5f}, {1, 1, 0.5f}};
    device->SetVertexShader(D3DFVF_XYZ);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V));
    const auto px = present();
    expectColour(px, 512, 384, 0x804000);
}

TEST_F(GlDevice, PointSpritesTakeTheirPixelSize)
{
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    const float size = 8.0f;
    DWORD bits;
    std::memcpy(&bits, &size, 4);
    device->SetRenderState(D3DRS_POINTSIZE, bits);
    const ScreenVertex p{100, 100, 0.5f, 1, 0xFFFFFFFF};
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &p, sizeof p);
    const auto px = present();
    expectColour(px, 97, 97, 0xFFFFFF, 0);
    expectColour(px, 102, 102, 0xFFFFFF, 0);
    expectColour(px, 93, 100, 0x000000, 0);
    expectColour(px, 106, 100, 0x000000, 0);
}

}  // namespace

namespace {

TEST_F(GlDevice, StencilMasksLaterDraws)
{
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NEVER);
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_REPLACE);
    quad(0, 0, 50, 50, 0xFFFF0000);  // writes no colour, only stencil 1
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    quad(0, 0, 100, 100, 0xFF00FF00);
    const auto px = present();
    expectColour(px, 25, 25, 0x00FF00, 0);
    expectColour(px, 75, 75, 0x000000, 0);
}

TEST(GlDeviceMultisample, FourSamplesResolveIntoTheFrontBuffer)
{
    vls::test::GlTestWindow window;
    ASSERT_TRUE(window.ok());
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 1024;
    params.BackBufferHeight = 768;
    params.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &params, &device), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060, 1.0f, 0);
    device->BeginScene();
    const ScreenVertex v[3] = {{0, 0, 0.5f, 1, 0xFFFFFFFF}, {200, 0, 0.5f, 1, 0xFFFFFFFF}, {0, 200, 0.5f, 1, 0xFFFFFFFF}};
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(ScreenVertex));
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    IDirect3DSurface8* surface = nullptr;
    device->CreateImageSurface(1024, 768, D3DFMT_A8R8G8B8, &surface);
    ASSERT_EQ(device->GetFrontBuffer(surface), D3D_OK);
    D3DLOCKED_RECT locked{};
    surface->LockRect(&locked, nullptr, 0);
    const auto* px = static_cast<const DWORD*>(locked.pBits);
    EXPECT_EQ(px[20 * 1024 + 20] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[300 * 1024 + 300] & 0xFFFFFF, 0x204060u);
    // An edge pixel of the diagonal is a blend of both.
    const DWORD edge = px[100 * 1024 + 100] & 0xFF;
    EXPECT_GT(edge, 0x60u);
    EXPECT_LT(edge, 0xFFu);
    surface->UnlockRect();
    surface->Release();
    device->Release();
    d3d->Release();
}

}  // namespace

namespace {

// A device with a 1024 x 768 back buffer on the test window.
IDirect3DDevice8* WindowDevice(IDirect3D8* d3d)
{
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 1024;
    params.BackBufferHeight = 768;
    IDirect3DDevice8* device = nullptr;
    return d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &params, &device) == D3D_OK ? device : nullptr;
}

TEST(GlDeviceWindow, PresentLetterboxesAndAppliesTheGammaRamp)
{
    D3D8ResetTestOptions();
    D3D8TestOptions().captureWindow = true;
    vls::test::GlTestWindow window(1280, 768);  // wider than 4:3: bars left and right
    ASSERT_TRUE(window.ok());
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    IDirect3DDevice8* device = WindowDevice(d3d);
    ASSERT_NE(device, nullptr);
    D3DGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>((i / 2) * 256);
    device->SetGammaRamp(D3DSGR_CALIBRATE, &ramp);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    auto* rec = D3D8DeviceOf(device);
    ASSERT_EQ(rec->WindowWidth(), 1280);
    const auto& px = rec->WindowPixels();
    ASSERT_EQ(px.size(), 1280u * 768);
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 1280 + x] & 0xFF; };
    EXPECT_EQ(at(100, 384), 0u);     // left bar
    EXPECT_EQ(at(1200, 384), 0u);    // right bar
    EXPECT_NEAR(static_cast<int>(at(640, 384)), 127, 2);  // white through the half ramp
    EXPECT_NEAR(static_cast<int>(at(130, 10)), 127, 2);

    // The front buffer keeps the picture before the ramp.
    IDirect3DSurface8* surface = nullptr;
    device->CreateImageSurface(1024, 768, D3DFMT_A8R8G8B8, &surface);
    device->GetFrontBuffer(surface);
    D3DLOCKED_RECT locked{};
    surface->LockRect(&locked, nullptr, 0);
    EXPECT_EQ(static_cast<const DWORD*>(locked.pBits)[500] & 0xFFFFFF, 0xFFFFFFu);
    surface->UnlockRect();
    surface->Release();
    device->Release();
    d3d->Release();
    D3D8ResetTestOptions();
}

// Each of the 256 levels of each channel reads its own entry of the ramp,
// not a neighbour's: a column per level, each channel through a different
// ramp so that a channel read through another's entry shows as well.
TEST(GlDeviceWindow, PresentMapsEveryLevelThroughItsOwnRampEntry)
{
    D3D8ResetTestOptions();
    D3D8TestOptions().captureWindow = true;
    vls::test::GlTestWindow window(1024, 768);
    ASSERT_TRUE(window.ok());
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    IDirect3DDevice8* device = WindowDevice(d3d);
    ASSERT_NE(device, nullptr);
    const auto red = [](int level) { return 255 - level; };
    const auto green = [](int level) { return level; };
    const auto blue = [](int level) { return (level * 7 + 3) & 0xFF; };
    D3DGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i) {
        ramp.red[i] = static_cast<WORD>(red(i) * 257);
        ramp.green[i] = static_cast<WORD>(green(i) * 257);
        ramp.blue[i] = static_cast<WORD>(blue(i) * 257);
    }
    device->SetGammaRamp(D3DSGR_CALIBRATE, &ramp);
    for (int level = 0; level < 256; ++level) {
        const D3DRECT column{level * 4, 0, level * 4 + 4, 768};
        const auto v = static_cast<D3DCOLOR>(level);
        device->Clear(1, &column, D3DCLEAR_TARGET, 0xFF000000 | v << 16 | v << 8 | v, 1.0f, 0);
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    const auto& px = D3D8DeviceOf(device)->WindowPixels();
    ASSERT_EQ(px.size(), 1024u * 768);
    int wrong = 0;
    for (int level = 0; level < 256; ++level) {
        for (const int x : {level * 4, level * 4 + 3}) {
            for (const int y : {0, 384, 767}) {
                const DWORD got = px[static_cast<size_t>(y) * 1024 + x] & 0xFFFFFF;
                const auto want = static_cast<DWORD>(red(level) << 16 | green(level) << 8 | blue(level));
                if (got != want && ++wrong <= 5)
                    ADD_FAILURE() << "level " << level << " at " << x << "," << y << ": " << std::hex << got
                                  << " for " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    device->Release();
    d3d->Release();
    D3D8ResetTestOptions();
}

}  // namespace

namespace {

TEST_F(GlDevice, ScaledPointSpritesShrinkWithDistance)
{
    // Size = viewport height x size x sqrt(1 / (A + B d + C d^2)): with only
    // C = 1, a point 10 units away and size 0.25 covers 768 x 0.25 / 10 = 19.2 pixels.
    D3DMATRIX proj{};
    const float f = 100.0f, n = 1.0f;
    proj._11 = 0.75f;
    proj._22 = 1.0f;
    proj._33 = f / (f - n);
    proj._34 = 1.0f;
    proj._43 = -n * f / (f - n);
    device->SetTransform(D3DTS_PROJECTION, &proj);
    auto bits = [](float v) {
        DWORD b;
        std::memcpy(&b, &v, 4);
        return b;
    };
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSIZE, bits(0.25f));
    device->SetRenderState(D3DRS_POINTSCALE_A, bits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, bits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, bits(1.0f));
    struct V {
        float x, y, z;
        DWORD c;
    } point{0, 0, 10, 0xFFFFFFFF};
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point);
    const auto px = present();
    int covered = 0;
    for (int x = 480; x < 544; ++x) covered += (px[384 * 1024 + x] & 0xFF) > 128;
    EXPECT_NEAR(covered, 19, 1);
}

}  // namespace
