#pragma once

// Test control of Direct3D 8: what the adapter reports and accepts, and
// access to the device's call record and loss injection.

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_device.h"

struct D3D8Options {
    bool createFails = false;             // Direct3DCreate8 returns null
    HRESULT displayModeResult = D3D_OK;   // GetAdapterDisplayMode
    D3DFORMAT displayFormat = D3DFMT_X8R8G8B8;
    bool depth24s8 = true;                // CheckDepthStencilMatch results
    bool depth16 = true;
    bool multisample2 = true;             // CheckDeviceMultiSampleType results
    bool multisample4 = true;
    bool dxt = true;                      // CheckDeviceFormat for DXT formats
    DWORD devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    DWORD textureCaps = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA;
    HRESULT createDeviceResult = D3D_OK;  // CreateDevice fails with this when not D3D_OK
    bool forceRecording = false;          // recording device even with a window
    bool captureWindow = false;           // the OpenGL device keeps what Present showed
};

D3D8Options& D3D8TestOptions();
void D3D8ResetTestOptions();

// The device behind the interface (either kind), for the call record and
// loss injection.
vls::d3d8::D3D8Device* D3D8DeviceOf(IDirect3DDevice8* device);
// True when the device draws through OpenGL.
bool D3D8IsOpenGLDevice(IDirect3DDevice8* device);
