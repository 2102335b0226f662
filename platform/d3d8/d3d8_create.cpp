#include "platform/d3d8/d3d8.h"

#include "platform/d3d8/d3d8_gl.h"
#include "platform/d3d8/d3d8_recording.h"
#include "platform/d3d8/d3d8_window.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/win32/backend/sdl/sdl_backend.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

D3D8Options gOptions;
// The window layer's SDL window for an HWND; null under the headless backend.
void* sdlWindowOf(HWND window) { return vls_backend_sdl_window(window); }

D3D8WindowResolver gResolver = sdlWindowOf;

D3DCAPS8 adapterCaps()
{
    D3DCAPS8 caps{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.DevCaps = gOptions.devCaps;
    caps.TextureCaps = gOptions.textureCaps;
    caps.MaxTextureWidth = 4096;
    caps.MaxTextureHeight = 4096;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 2;
    caps.MaxPointSize = 64.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 1;
    caps.MaxStreamStride = 255;
    caps.MaxActiveLights = 8;
    return caps;
}

bool headless()
{
    const char* backend = std::getenv("VEILSTRAND_BACKEND");
    return backend && std::strcmp(backend, "headless") == 0;
}

class Direct3D8 final : public IDirect3D8 {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    UINT GetAdapterCount() override { return 1; }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        if (adapter != D3DADAPTER_DEFAULT || !mode) return D3DERR_INVALIDCALL;
        if (FAILED(gOptions.displayModeResult)) return gOptions.displayModeResult;
        *mode = D3DDISPLAYMODE{1024, 768, 60, gOptions.displayFormat};
        return D3D_OK;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                              D3DFORMAT checkFormat) override
    {
        if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        switch (checkFormat) {
        case D3DFMT_DXT1:
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
        case D3DFMT_DXT4:
        case D3DFMT_DXT5:
            return gOptions.dxt ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_D24S8:
        case D3DFMT_D16:
            return D3D_OK;
        default:
            return D3DERR_NOTAVAILABLE;
        }
    }

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                       D3DMULTISAMPLE_TYPE multiSample) override
    {
        if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        if (multiSample == D3DMULTISAMPLE_NONE) return D3D_OK;
        if (multiSample == D3DMULTISAMPLE_2_SAMPLES && gOptions.multisample2) return D3D_OK;
        if (multiSample == D3DMULTISAMPLE_4_SAMPLES && gOptions.multisample4) return D3D_OK;
        return D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT,
                                   D3DFORMAT depthStencilFormat) override
    {
        if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        if (depthStencilFormat == D3DFMT_D24S8) return gOptions.depth24s8 ? D3D_OK : D3DERR_NOTAVAILABLE;
        if (depthStencilFormat == D3DFMT_D16) return gOptions.depth16 ? D3D_OK : D3DERR_NOTAVAILABLE;
        return D3DERR_NOTAVAILABLE;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS8* caps) override
    {
        if (adapter != D3DADAPTER_DEFAULT || !caps) return D3DERR_INVALIDCALL;
        *caps = adapterCaps();
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND focusWindow, DWORD, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** device) override
    {
        if (adapter != D3DADAPTER_DEFAULT || !params || !device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (FAILED(gOptions.createDeviceResult)) return gOptions.createDeviceResult;
        const HWND window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
        void* sdlWindow = nullptr;
        if (!headless() && !gOptions.forceRecording && gResolver) sdlWindow = gResolver(window);
        if (sdlWindow) {
            *device = vls::d3d8::createOpenGLDevice(this, sdlWindow, *params, adapterCaps());
            return *device ? D3D_OK : D3DERR_NOTAVAILABLE;
        }
        if (!gOptions.forceRecording && vls::headless::ScriptWantsPictures()) {
            *device = vls::d3d8::createOffscreenDevice(this, window, *params, adapterCaps());
            if (*device) return D3D_OK;
            std::fprintf(stderr, "%s: no offscreen OpenGL context (%s): the pictures of this run stay black\n",
                         program_invocation_short_name, SDL_GetError());
        }
        *device = new vls::d3d8::D3D8Device(this, *params, adapterCaps(), true);
        return D3D_OK;
    }

private:
    ~Direct3D8() override = default;
    std::atomic<ULONG> refs_{1};
};

}  // namespace

IDirect3D8* Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION || gOptions.createFails) return nullptr;
    return new Direct3D8();
}

D3D8Options& D3D8TestOptions() { return gOptions; }
void D3D8ResetTestOptions() { gOptions = D3D8Options{}; }

vls::d3d8::D3D8Device* D3D8DeviceOf(IDirect3DDevice8* device) { return dynamic_cast<vls::d3d8::D3D8Device*>(device); }

void D3D8SetWindowResolver(D3D8WindowResolver resolver) { gResolver = resolver ? resolver : sdlWindowOf; }
D3D8WindowResolver D3D8GetWindowResolver() { return gResolver; }
