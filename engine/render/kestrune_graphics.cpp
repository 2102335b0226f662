#include "engine/render/kestrune_graphics.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_particle_system.h"
#include "platform/d3dx/d3dx8tex.h"

#include <cmath>
#include <cstdio>

namespace {
cKestruneGraphics* gCurrent = nullptr;
}

cKestruneGraphics* cKestruneGraphics::Current() { return gCurrent; }

void cKestruneGraphics::Fail(HRESULT code)
{
    const unsigned value = static_cast<unsigned>(code);
    if (code == D3DERR_OUTOFVIDEOMEMORY) {
        ReportError("graphics", "init", 1,
                    "Direct3D init failed. Code: (%08x)\nDirect3D does not have enough display memory to perform the operation.",
                    value);
    } else if (code == D3DERR_NOTAVAILABLE) {
        ReportError("graphics", "init", 1,
                    "Direct3D init failed. Code: (%08x)\nThis device does not support the queried technique.", value);
    } else {
        ReportError("graphics", "init", 1, "Direct3D init failed. Code: (%08x)", value);
    }
    ok = 0;
}

cKestruneGraphics::cKestruneGraphics()
{
    gCurrent = this;
    cKestruneGraphicsHost& host = GraphicsHost();
    const int32_t simpleShadows = host.SimpleShadows();
    const int32_t antialiasing = host.Antialiasing();

    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) {
        // No call result exists here; the code the device would give for a
        // missing driver stands in.
        Fail(D3DERR_NOTAVAILABLE);
        return;
    }
    D3DDISPLAYMODE mode{};
    HRESULT hr = d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    if (FAILED(hr)) {
        Fail(hr);
        return;
    }
    D3DCAPS8 caps{};
    d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);

    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = kScreenWidth;
    presentParams.BackBufferHeight = kScreenHeight;
    presentParams.BackBufferFormat = mode.Format;
    presentParams.BackBufferCount = 1;
    presentParams.hDeviceWindow = host.Window();
    presentParams.Windowed = FALSE;
    presentParams.EnableAutoDepthStencil = TRUE;
    presentParams.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    presentParams.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    if (SUCCEEDED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, mode.Format, D3DFMT_D24S8)) &&
        simpleShadows == 0) {
        presentParams.AutoDepthStencilFormat = D3DFMT_D24S8;
        stencilBits = 8;
        std::printf("Depth/Stencil Buffer is D24S8.\n");
    } else if (SUCCEEDED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, mode.Format, D3DFMT_D16))) {
        presentParams.AutoDepthStencilFormat = D3DFMT_D16;
        stencilBits = 0;
        std::printf("Depth/Stencil Buffer is D16.\n");
    } else {
        ReportError("graphics", "init", 1,
                    "Direct3D init failed. No appropriate Depth/Stencil-Buffer-Format found.");
        ok = 0;
        return;
    }

    multisampleType = 0;
    if (antialiasing == 4 && SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format,
                                                                        FALSE, D3DMULTISAMPLE_4_SAMPLES))) {
        multisampleType = 4;
    } else if (antialiasing == 2 && SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                                               mode.Format, FALSE,
                                                                               D3DMULTISAMPLE_2_SAMPLES))) {
        multisampleType = 2;
    }
    presentParams.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(multisampleType);
    std::printf("AntiAliasing is %d.\n", multisampleType);
    presentParams.SwapEffect = multisampleType == 0 ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;

    dxtSupported = SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0,
                                                    D3DRTYPE_TEXTURE, D3DFMT_DXT1)) ? 1 : 0;
    mipmapSupported = (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) ? 1 : 0;

    const DWORD flags = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)
                            ? D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED
                            : D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
    hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, host.Window(), flags, &presentParams, &device);
    if (FAILED(hr)) {
        device = nullptr;
        Fail(hr);
        return;
    }
    if (SetDeviceParams() != 0) return;
    band = RECT{0, kBandTop, kScreenWidth, kBandBottom};
    screenWidth = kScreenWidth;
    screenHeight = kScreenHeight;
    captionVertices = new KestruneScreenVertex[kCaptionVertexCount]{};
    ok = 1;
    // The stored gamma holds from the first frame, not only once the options
    // screen has changed it.
    ApplyGamma();
}

cKestruneGraphics::~cKestruneGraphics()
{
    for (int32_t i = 0; i < objects.count; ++i) {
        if (objects.data[i]) objects.data[i]->Destroy();
    }
    // The last cursor entry repeats the one before it.
    for (int32_t i = 0; i + 1 < cursors.count; ++i) delete cursors.data[i];
    delete blackScreen;
    delete whiteScreen;
    delete loadingImage;
    delete inventoryBackground;
    delete[] captionVertices;
    if (backBuffer) backBuffer->Release();
    if (device) device->Release();
    if (d3d) d3d->Release();
    if (gCurrent == this) gCurrent = nullptr;
}

int32_t cKestruneGraphics::SetDeviceParams()
{
    const HRESULT hr = device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (FAILED(hr)) {
        backBuffer = nullptr;
        ReportError("graphics", "SetDeviceParams", 1, "Setting device params failed. Code: (%08x)",
                    static_cast<unsigned>(hr));
        return -1;
    }
    backBuffer->GetDesc(&backBufferDesc);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 8);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    D3DMATERIAL8 material{};
    material.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
    material.Ambient = D3DCOLORVALUE{1, 1, 1, 0};
    device->SetMaterial(&material);
    return 0;
}

void cKestruneGraphics::ResetDevice()
{
    cKestruneGraphicsHost& host = GraphicsHost();
    if (backBuffer) backBuffer->Release();
    backBuffer = nullptr;
    host.ReleaseSkinBuffers();
    for (int32_t i = 0; i < objects.count; ++i) {
        cKestruneParticleSystem* object = objects.data[i];
        if (object && object->vertexBuffer) {
            object->vertexBuffer->Release();
            object->vertexBuffer = nullptr;
        }
    }
    if (FAILED(device->Reset(&presentParams))) return;
    SetDeviceParams();
    host.RecreateSkinBuffers();
    for (int32_t i = 0; i < objects.count; ++i) {
        cKestruneParticleSystem* object = objects.data[i];
        if (!object) continue;
        if (FAILED(device->CreateVertexBuffer(static_cast<UINT>(object->bufferLength) * 16,
                                              D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS | D3DUSAGE_DYNAMIC,
                                              D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT, &object->vertexBuffer))) {
            object->vertexBuffer = nullptr;
        }
    }
}

int32_t cKestruneGraphics::LoadUIImages(int32_t slot, int32_t cursorCount)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!files) return 0;
    const struct {
        const char* name;
        cKestruneImage** image;
    } screens[] = {{"blackscreen.image", &blackScreen},
                   {"whitescreen.image", &whiteScreen},
                   {"cd.image", &loadingImage},
                   {"inv_bg.image", &inventoryBackground}};
    for (const auto& screen : screens) {
        // A missing screen image is reported by Open and leaves its pointer 0.
        const int32_t file = files->Open(screen.name);
        if (file <= 0) continue;
        *screen.image = new cKestruneImage(0);
        (*screen.image)->Load(file);
        files->Close(file);
    }
    if (loadingImage) loadingImage->SetPosition(screenWidth - 64, screenHeight - 64, -1, -1);
    for (int32_t i = 0; i < cursorCount; ++i) {
        auto* cursor = new cKestruneImage(0);
        cursor->Load(slot);
        cursor->SetDepth(1.1f);
        cursors.Add(cursor);
    }
    if (cursors.count > 0) cursors.Add(cursors.data[cursors.count - 1]);
    return 0;
}

int32_t cKestruneGraphics::ApplyGamma()
{
    const double gamma = GraphicsHost().Gamma();
    D3DGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i) {
        int v = static_cast<int>((gamma / 255.0 + 0.5) * i);
        if (v > 255) v = 255;
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(v * 256);
    }
    if (device) device->SetGammaRamp(D3DSGR_CALIBRATE, &ramp);
    return 0;
}

HRESULT cKestruneGraphics::SaveScreenshot(const char* fileName)
{
    IDirect3DSurface8* surface = nullptr;
    HRESULT hr = device->CreateImageSurface(screenWidth, screenHeight, D3DFMT_A8R8G8B8, &surface);
    if (FAILED(hr)) return hr;
    hr = device->GetFrontBuffer(surface);
    if (FAILED(hr)) {
        surface->Release();
        return hr;
    }
    D3DXSaveSurfaceToFileA(fileName, D3DXIFF_BMP, surface, nullptr, nullptr);
    surface->Release();
    return 0;
}
