// The OpenGL device drawing offscreen for a window of the headless backend:
// the window's picture is the device's last presented one, through the
// gamma ramp.
#include "platform/d3d8/d3d8_gl.h"
#include "platform/d3d8/d3d8_recording.h"
#include "platform/win32/backend/headless/headless_backend.h"

#include <gtest/gtest.h>

namespace {

TEST(GlDeviceOffscreen, TheHeadlessWindowShowsEachPresentedPictureThroughTheGammaRamp)
{
    D3D8ResetTestOptions();
    const auto backend = vls::backend::CreateHeadlessBackend();
    const HWND window = reinterpret_cast<HWND>(0x10040);
    vls::backend::NativeWindowDesc desc;
    desc.tag = window;
    desc.width = 1024;
    desc.height = 768;
    backend->CreateNativeWindow(desc);

    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DCAPS8 caps{};
    d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 1024;
    params.BackBufferHeight = 768;
    IDirect3DDevice8* device = vls::d3d8::createOffscreenDevice(d3d, window, params, caps);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(vls::headless::PresentedSurface(window), nullptr) << "nothing presented yet";

    D3DGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>((i / 2) * 256);
    device->SetGammaRamp(D3DSGR_CALIBRATE, &ramp);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0);
    const D3DRECT corner{0, 0, 10, 10};
    device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    // Drawn but not presented: the window keeps showing the last picture.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);

    const vls::backend::Surface* picture = vls::headless::PresentedSurface(window);
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->width, 1024);
    ASSERT_EQ(picture->height, 768);
    // 0x80 halved by the ramp, and full red halved.
    EXPECT_EQ(picture->Row(400)[500], 0xFF404040u);
    EXPECT_EQ(picture->Row(5)[5], 0xFF7F0000u);

    device->Release();
    EXPECT_EQ(vls::headless::PresentedSurface(window), nullptr) << "the window's own surface again, never shown";
    d3d->Release();
}

}  // namespace
