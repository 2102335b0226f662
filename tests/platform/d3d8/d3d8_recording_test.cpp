#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_format.h"
#include "platform/d3d8/d3d8_recording.h"
#include "platform/d3d8/d3d8_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using vls::d3d8::D3D8Device;

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD colour;
};

class RecordingDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        D3D8ResetTestOptions();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        params.BackBufferWidth = 1024;
        params.BackBufferHeight = 768;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &params, &device), D3D_OK);
        rec = D3D8DeviceOf(device);
        ASSERT_NE(rec, nullptr);
        ASSERT_FALSE(D3D8IsOpenGLDevice(device));
    }
    void TearDown() override
    {
        if (device) device->Release();
        if (d3d) d3d->Release();
    }
    DWORD renderState(D3DRENDERSTATETYPE s)
    {
        DWORD v = 0;
        device->GetRenderState(s, &v);
        return v;
    }
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE t)
    {
        DWORD v = 0;
        device->GetTextureStageState(stage, t, &v);
        return v;
    }

    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3D8Device* rec = nullptr;
    D3DPRESENT_PARAMETERS params{};
};

TEST_F(RecordingDevice, StartsWithDirect3DDefaultsAndResetRestoresThem)
{
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } defaults[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},         {D3DRS_ZWRITEENABLE, TRUE},        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_LIGHTING, TRUE},              {D3DRS_CULLMODE, D3DCULL_CCW},     {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},      {D3DRS_DESTBLEND, D3DBLEND_ZERO},  {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_ALPHATESTENABLE, FALSE},      {D3DRS_STENCILENABLE, FALSE},      {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_MULTISAMPLEANTIALIAS, TRUE},  {D3DRS_COLORVERTEX, TRUE},         {D3DRS_AMBIENT, 0},
        {D3DRS_COLORWRITEENABLE, 0xF},
    };
    auto check = [&] {
        for (const auto& d : defaults) EXPECT_EQ(renderState(d.state), d.value) << "render state " << d.state;
        EXPECT_EQ(stageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(stageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
        EXPECT_EQ(stageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
        EXPECT_EQ(stageState(0, D3DTSS_COLORARG2), D3DTA_CURRENT);
        EXPECT_EQ(stageState(1, D3DTSS_TEXCOORDINDEX), 1u);
        EXPECT_EQ(stageState(0, D3DTSS_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
        EXPECT_EQ(stageState(0, D3DTSS_MINFILTER), DWORD(D3DTEXF_POINT));
        D3DVIEWPORT8 vp{};
        device->GetViewport(&vp);
        EXPECT_EQ(vp.Width, 1024u);
        EXPECT_EQ(vp.Height, 768u);
    };
    check();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_EQ(device->Reset(&params), D3D_OK);
    check();
}

TEST_F(RecordingDevice, LossAndResetFollowTheDeviceRules)
{
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    rec->InjectDeviceLoss(false);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Reset(&params), D3DERR_DEVICELOST);
    rec->SetResettable(true);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    // Default-pool buffers and held back-buffer references block a reset.
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vb), D3D_OK);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    vb->Release();
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    back->Release();
    rec->FailResets(1);
    EXPECT_EQ(device->Reset(&params), D3DERR_DEVICELOST);
    EXPECT_TRUE(rec->IsLost());
    EXPECT_EQ(device->Reset(&params), D3D_OK);
    EXPECT_FALSE(rec->IsLost());
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    // Managed resources survive a reset.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(device->Reset(&params), D3D_OK);
    texture->Release();
}

TEST_F(RecordingDevice, RecordsCallsAndClosesFramesAtPresent)
{
    rec->ClearRecord();
    device->BeginScene();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    const ScreenVertex fan[4] = {{0, 0, 0.5f, 1, 0xFF112233}, {10, 0, 0.5f, 1, 0}, {10, 10, 0.5f, 1, 0}, {0, 10, 0.5f, 1, 0}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ScreenVertex));
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(rec->Frames().size(), 1u);
    EXPECT_TRUE(rec->Calls().empty());
    const auto& frame = rec->Frames()[0];
    ASSERT_EQ(frame.size(), 6u);
    EXPECT_EQ(frame[1].name, "SetRenderState");
    EXPECT_EQ(frame[1].args, (std::vector<DWORD>{D3DRS_ALPHABLENDENABLE, TRUE}));
    EXPECT_EQ(frame[3].name, "DrawPrimitiveUP");
    EXPECT_EQ(frame[3].fvf, D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ASSERT_EQ(frame[3].vertices.size(), sizeof fan);
    EXPECT_EQ(std::memcmp(frame[3].vertices.data(), fan, sizeof fan), 0);
    EXPECT_EQ(frame[5].name, "Present");

    // Told to keep no vertex bytes, the record still has the draw.
    rec->KeepDrawnVertices(false);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ScreenVertex));
    ASSERT_EQ(rec->Calls().size(), 1u);
    EXPECT_EQ(rec->Calls()[0].name, "DrawPrimitiveUP");
    EXPECT_EQ(rec->Calls()[0].fvf, D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    EXPECT_TRUE(rec->Calls()[0].vertices.empty());
    rec->KeepDrawnVertices(true);
}

TEST_F(RecordingDevice, DrawsOutsideTheirBuffersAreRefused)
{
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    device->SetStreamSource(0, vb, sizeof(ScreenVertex));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);

    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 4};  // 4 is past the four vertices
    std::memcpy(data, indices, sizeof indices);
    ib->Unlock();
    device->SetIndices(ib, 0);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3DERR_INVALIDCALL);

    // Drawing from user memory unbinds the stream, as Direct3D 8 does.
    const ScreenVertex point{1, 1, 0, 1, 0};
    device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);

    EXPECT_EQ(vb->Lock(60, 40, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(200, 0, &data, 0), D3DERR_INVALIDCALL);
    ib->Release();
    vb->Release();
}

TEST_F(RecordingDevice, TexturesKeepLevelsInMemory)
{
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 7u);  // 64x16 down to 1x1
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(2, &desc);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(desc.Height, 4u);

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 256);
    static_cast<DWORD*>(locked.pBits)[64 * 3 + 5] = 0xAABBCCDD;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    texture->UnlockRect(0);

    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    const RECT inside{5, 3, 6, 4}, outside{60, 10, 70, 12};
    ASSERT_EQ(level->LockRect(&locked, &inside, 0), D3D_OK);
    EXPECT_EQ(*static_cast<DWORD*>(locked.pBits), 0xAABBCCDDu);
    level->UnlockRect();
    EXPECT_EQ(level->LockRect(&locked, &outside, 0), D3DERR_INVALIDCALL);
    level->Release();
    texture->Release();

    IDirect3DTexture8* dxt = nullptr;
    ASSERT_EQ(device->CreateTexture(32, 32, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &dxt), D3D_OK);
    dxt->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Size, 8u * 8 * 8);
    ASSERT_EQ(dxt->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 8 * 8);
    dxt->UnlockRect(0);
    dxt->Release();

    EXPECT_EQ(device->CreateTexture(8192, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &dxt), D3DERR_INVALIDCALL);
}

// Stand-alone surfaces take their memory only when first locked or copied
// into: until then they must still read as zeros, keep what was written, and
// the back buffer must read the device's picture rather than fresh zeros.
TEST_F(RecordingDevice, SurfacesReadAsZerosUntilWrittenAndTheBackBufferReadsThePicture)
{
    IDirect3DSurface8* fresh = nullptr;
    ASSERT_EQ(device->CreateImageSurface(64, 32, D3DFMT_A8R8G8B8, &fresh), D3D_OK);
    D3DLOCKED_RECT locked{};
    const RECT corner{60, 30, 64, 32};
    ASSERT_EQ(fresh->LockRect(&locked, &corner, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<const DWORD*>(locked.pBits)[3], 0u);
    fresh->UnlockRect();
    ASSERT_EQ(fresh->LockRect(&locked, nullptr, 0), D3D_OK);
    const auto* all = static_cast<const DWORD*>(locked.pBits);
    EXPECT_EQ(std::count(all, all + 64 * 32, 0u), 64 * 32);
    static_cast<DWORD*>(locked.pBits)[64 * 31 + 63] = 0x12345678;
    fresh->UnlockRect();
    ASSERT_EQ(fresh->LockRect(&locked, &corner, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + locked.Pitch + 12), 0x12345678u);
    fresh->UnlockRect();

    // A copy out of a surface nobody wrote carries zeros over older pixels.
    IDirect3DSurface8* untouched = nullptr;
    ASSERT_EQ(device->CreateImageSurface(64, 32, D3DFMT_A8R8G8B8, &untouched), D3D_OK);
    ASSERT_EQ(device->CopyRects(untouched, nullptr, 0, fresh, nullptr), D3D_OK);
    ASSERT_EQ(fresh->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<const DWORD*>(locked.pBits)[64 * 31 + 63], 0u);
    fresh->UnlockRect();
    untouched->Release();
    fresh->Release();

    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* picture = static_cast<const DWORD*>(locked.pBits);
    EXPECT_EQ(picture[0], 0xFF000000u);
    EXPECT_EQ(picture[1024 * 768 - 1], 0xFF000000u);
    back->UnlockRect();
    back->Release();
}

TEST_F(RecordingDevice, StencilClearNeedsAStencilBuffer)
{
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0), D3D_OK);
    params.AutoDepthStencilFormat = D3DFMT_D16;
    ASSERT_EQ(device->Reset(&params), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDevice, AdapterAnswersFollowTheTestOptions)
{
    auto& options = D3D8TestOptions();
    options.depth24s8 = false;
    options.multisample4 = false;
    options.dxt = false;
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24S8), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_4_SAMPLES), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_2_SAMPLES), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1), D3DERR_NOTAVAILABLE);
    options.createFails = true;
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION), nullptr);
    options.createFails = false;
    EXPECT_EQ(Direct3DCreate8(120), nullptr);
    D3D8ResetTestOptions();
}

TEST(D3D8Format, DxtBlocksDecode)
{
    using vls::d3d8::decodeDxt;
    // DXT1, four colours: red (0xF800) over blue (0x001F); rows use index 0,1,2,3.
    const BYTE four[8] = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x55, 0xAA, 0xFF};
    DWORD px[16];
    decodeDxt(D3DFMT_DXT1, four, 4, 4, px);
    EXPECT_EQ(px[0], 0xFFFF0000u);
    EXPECT_EQ(px[4], 0xFF0000FFu);
    EXPECT_EQ(px[8], 0xFFAA0055u);   // 2/3 red + 1/3 blue
    EXPECT_EQ(px[12], 0xFF5500AAu);
    // DXT1, three colours and transparent black when c0 <= c1.
    const BYTE three[8] = {0x1F, 0x00, 0x00, 0xF8, 0xFF, 0x00, 0x00, 0xAA};
    decodeDxt(D3DFMT_DXT1, three, 4, 4, px);
    EXPECT_EQ(px[0], 0u);
    EXPECT_EQ(px[4], 0xFF0000FFu);
    EXPECT_EQ(px[12], 0xFF7F007Fu);
    // DXT3: explicit 4-bit alpha; DXT2 decodes alike.
    BYTE dxt3[16] = {0x0F, 0, 0, 0, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0};
    decodeDxt(D3DFMT_DXT3, dxt3, 4, 4, px);
    EXPECT_EQ(px[0], 0xFFFFFFFFu);
    EXPECT_EQ(px[1], 0x00FFFFFFu);
    EXPECT_EQ(px[15], 0xFFFFFFFFu);
    decodeDxt(D3DFMT_DXT2, dxt3, 4, 4, px);
    EXPECT_EQ(px[1], 0x00FFFFFFu);
    // DXT5: interpolated alpha, 200 and 100 with index 2 = (6*200 + 100) / 7.
    BYTE dxt5[16] = {200, 100, 0x02, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0};
    decodeDxt(D3DFMT_DXT5, dxt5, 4, 4, px);
    EXPECT_EQ(px[0] >> 24, 185u);
    EXPECT_EQ(px[1] >> 24, 200u);
    // A 2 x 2 picture in one block writes only its own pixels.
    DWORD small[4] = {1, 1, 1, 1};
    decodeDxt(D3DFMT_DXT1, four, 2, 2, small);
    EXPECT_EQ(small[2], 0xFF0000FFu);
}

}  // namespace

namespace {

TEST_F(RecordingDevice, KeepsOnlyTheLatestFrames)
{
    rec->ClearRecord();
    for (std::size_t i = 0; i < D3D8Device::kKeptFrames + 5; ++i) {
        device->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(i));
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    ASSERT_EQ(rec->Frames().size(), D3D8Device::kKeptFrames);
    EXPECT_EQ(rec->Frames().back()[0].args[1], D3D8Device::kKeptFrames + 4);
}

}  // namespace
