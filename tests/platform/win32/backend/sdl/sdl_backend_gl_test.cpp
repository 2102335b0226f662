#include "platform/win32/backend/sdl/sdl_backend.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vls::backend;

namespace {

std::unique_ptr<Backend> StartOrSkip()
{
    auto backend = CreateSdlBackend();
    return backend;
}

HWND Tag(std::uintptr_t v) { return reinterpret_cast<HWND>(v); }

}  // namespace

TEST(SdlBackend, ShowsAWindowWithItsPixelsAndHandsItToOpenGl)
{
    auto backend = StartOrSkip();
    if (!backend)
        GTEST_SKIP() << "no display";
    NativeWindowDesc desc;
    desc.tag = Tag(0x10010);
    desc.title = "Veilstrand";
    desc.width = 64;
    desc.height = 48;
    const NativeWindow w = backend->CreateNativeWindow(desc);
    ASSERT_NE(w, 0u);
    backend->ShowNativeWindow(w, true, true);
    std::vector<std::uint32_t> pixels(64 * 48, 0x00FF0000);
    backend->Present(w, pixels.data(), 64, 48, 64);
    SDL_Window* sdl = vls_backend_sdl_window(Tag(0x10010));
    ASSERT_NE(sdl, nullptr);
    EXPECT_EQ(vls_backend_sdl_window(Tag(0x999)), nullptr);
    std::vector<Event> events;
    backend->Poll(events);
    backend->DestroyNativeWindow(w);
}

TEST(SdlBackend, LetterboxKeepsTheAspectAndMapsMousePositionsBack)
{
    auto backend = StartOrSkip();
    if (!backend)
        GTEST_SKIP() << "no display";
    NativeWindowDesc desc;
    desc.tag = Tag(0x10012);
    desc.width = 2048;
    desc.height = 768;
    const NativeWindow w = backend->CreateNativeWindow(desc);
    SDL_Window* sdl = vls_backend_sdl_window(Tag(0x10012));
    ASSERT_NE(sdl, nullptr);
    int ww = 0;
    int wh = 0;
    SDL_GetWindowSize(sdl, &ww, &wh);
    if (ww != 2048 || wh != 768)
        GTEST_SKIP() << "the desktop chose another size";
    const VlsLetterbox box = vls_backend_sdl_letterbox(sdl, 1024, 768);
    EXPECT_EQ(box.x, 512);
    EXPECT_EQ(box.y, 0);
    EXPECT_EQ(box.width, 1024);
    EXPECT_EQ(box.height, 768);
    int x = 512 + 100;
    int y = 200;
    EXPECT_TRUE(vls_backend_sdl_window_to_logical(sdl, 1024, 768, &x, &y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);
    x = 10;  // on the left bar
    EXPECT_FALSE(vls_backend_sdl_window_to_logical(sdl, 1024, 768, &x, &y));
    EXPECT_EQ(x, 0);
    backend->DestroyNativeWindow(w);
}
