#include "platform/d3dx/d3dx8tex.h"

#include "platform/d3d8/d3d8_recording.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>

namespace {

class D3DXTextures : public ::testing::Test {
protected:
    void SetUp() override
    {
        D3D8ResetTestOptions();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = 1024;
        params.BackBufferHeight = 768;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &params, &device), D3D_OK);
    }
    void TearDown() override
    {
        device->Release();
        d3d->Release();
    }
    IDirect3DSurface8* surface(UINT w, UINT h, D3DFORMAT format)
    {
        IDirect3DSurface8* s = nullptr;
        EXPECT_EQ(device->CreateImageSurface(w, h, format, &s), D3D_OK);
        return s;
    }
    static void fill(IDirect3DSurface8* s, const std::function<DWORD(UINT, UINT)>& colour)
    {
        D3DSURFACE_DESC desc{};
        s->GetDesc(&desc);
        D3DLOCKED_RECT locked{};
        s->LockRect(&locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] = colour(x, y);
        s->UnlockRect();
    }
    static DWORD at(IDirect3DSurface8* s, UINT x, UINT y)
    {
        D3DLOCKED_RECT locked{};
        s->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        const DWORD v = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x];
        s->UnlockRect();
        return v;
    }

    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
};

TEST_F(D3DXTextures, LoadSurfaceDecodesDxtAndFilters)
{
    IDirect3DSurface8* dxt = surface(8, 4, D3DFMT_DXT1);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(dxt->LockRect(&locked, nullptr, 0), D3D_OK);
    const BYTE red[8] = {0x00, 0xF8, 0, 0, 0, 0, 0, 0}, blue[8] = {0x1F, 0x00, 0, 0, 0, 0, 0, 0};
    std::memcpy(locked.pBits, red, 8);
    std::memcpy(static_cast<BYTE*>(locked.pBits) + 8, blue, 8);
    dxt->UnlockRect();

    IDirect3DSurface8* argb = surface(8, 4, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(argb, nullptr, nullptr, dxt, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
    EXPECT_EQ(at(argb, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(at(argb, 6, 3), 0xFF0000FFu);

    // Halving with a box filter averages each 2 x 2 block; a sub-rectangle of
    // the source can be picked.
    IDirect3DSurface8* half = surface(4, 2, D3DFMT_A8R8G8B8);
    fill(argb, [](UINT x, UINT) { return x % 2 ? 0xFF000000 : 0xFFFFFFFF; });
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(half, nullptr, nullptr, argb, nullptr, nullptr, D3DX_FILTER_TRIANGLE, 0), D3D_OK);
    EXPECT_EQ(at(half, 0, 0), 0xFF808080u);
    const RECT leftHalf{0, 0, 4, 4};
    IDirect3DSurface8* small = surface(2, 2, D3DFMT_A8R8G8B8);
    fill(argb, [](UINT x, UINT) { return x < 4 ? 0xFF00FF00 : 0xFFFF0000; });
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(small, nullptr, nullptr, argb, nullptr, &leftHalf, D3DX_FILTER_BOX, 0), D3D_OK);
    EXPECT_EQ(at(small, 1, 1), 0xFF00FF00u);

    // Rectangles outside either surface are refused, never read or written.
    const RECT outside{6, 0, 10, 4};
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(small, nullptr, nullptr, argb, nullptr, &outside, D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(small, nullptr, &outside, argb, nullptr, nullptr, D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    for (auto* s : {dxt, argb, half, small}) s->Release();
}

TEST_F(D3DXTextures, SavedBmpLoadsBackAsTexture)
{
    vls::test::TempDir dir;
    IDirect3DSurface8* shot = surface(5, 3, D3DFMT_A8R8G8B8);
    fill(shot, [](UINT x, UINT y) { return 0xFF000000 | (x * 40) << 16 | (y * 80) << 8 | 0x11; });
    const std::string file = (dir.path() / "shot.bmp").string();
    ASSERT_EQ(D3DXSaveSurfaceToFileA(file.c_str(), D3DXIFF_BMP, shot, nullptr, nullptr), D3D_OK);

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 54u + 16 * 3);  // rows of 15 bytes padded to 16
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[28], 24);

    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr,
                                           &texture),
              D3D_OK);
    EXPECT_EQ(info.Width, 5u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    texture->Release();

    // Exact size keeps every pixel.
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, file.c_str(), 5, 3, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture),
              D3D_OK);
    IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    EXPECT_EQ(at(level, 4, 2), at(shot, 4, 2));
    EXPECT_EQ(at(level, 0, 1), at(shot, 0, 1));
    level->Release();
    texture->Release();
    shot->Release();

    const BYTE junk[16] = {1, 2, 3};
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, junk, sizeof junk, 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
                                                  nullptr, &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
    EXPECT_NE(D3DXCreateTextureFromFileA(device, (dir.path() / "missing.bmp").string().c_str(), &texture), D3D_OK);

    // A header claiming a huge picture is refused before anything is decoded.
    std::vector<BYTE> huge(54 + 16, 0);
    huge[0] = 'B';
    huge[1] = 'M';
    huge[10] = 54;
    huge[14] = 40;
    const std::uint32_t side = 20000;
    std::memcpy(&huge[18], &side, 4);
    std::memcpy(&huge[22], &side, 4);
    huge[26] = 1;
    huge[28] = 24;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, huge.data(), static_cast<UINT>(huge.size()), 0, 0, 1, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                                  0, nullptr, nullptr, &texture),
              D3DXERR_INVALIDDATA);
}

}  // namespace
