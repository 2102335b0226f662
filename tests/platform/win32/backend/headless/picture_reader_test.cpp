// A window whose picture a drawing device makes: the backend shows the
// device's picture once there is one, and the window's own surface else.
#include "platform/win32/backend/headless/headless_backend.h"

#include <gtest/gtest.h>

namespace {

using vls::backend::Surface;

TEST(HeadlessPictureReader, TheDevicePictureStandsForTheWindowsOwnWhileItHasOne)
{
    const auto backend = vls::backend::CreateHeadlessBackend();
    EXPECT_FALSE(vls::headless::ScriptWantsPictures()) << "no input script drives this run";
    const HWND window = reinterpret_cast<HWND>(0x10050);
    vls::backend::NativeWindowDesc desc;
    desc.tag = window;
    const vls::backend::NativeWindow native = backend->CreateNativeWindow(desc);
    const std::uint32_t own[4] = {1, 2, 3, 4};
    backend->Present(native, own, 2, 2, 2);

    bool ready = false;
    vls::headless::SetPictureReader(window, [&ready](Surface& picture) {
        if (!ready)
            return false;
        picture.width = 1;
        picture.height = 1;
        picture.pixels = {0xFF123456};
        return true;
    });
    ASSERT_NE(vls::headless::PresentedSurface(window), nullptr);
    EXPECT_EQ(vls::headless::PresentedSurface(window)->width, 2) << "no device picture yet";
    ready = true;
    EXPECT_EQ(vls::headless::PresentedSurface(window)->pixels, std::vector<std::uint32_t>{0xFF123456});
    vls::headless::SetPictureReader(window, {});
    EXPECT_EQ(vls::headless::PresentedSurface(window)->pixels, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

}  // namespace
