#include "platform/win32/backend/sdl/sdl_backend.h"
#include "platform/user/user_control.h"
#include "platform/user/winuser.h"

#include <gtest/gtest.h>

// The window manager on the SDL backend, as the programs use it with a display.
TEST(UserOnSdl, ARegionShapedWindowPaintsShowsAndCloses)
{
    if (vls::user::IsHeadless())
        GTEST_SKIP() << "no display";
    static int paints = 0;
    struct Proc {
        static LRESULT Call(HWND h, UINT msg, WPARAM wp, LPARAM lp)
        {
            if (msg == WM_PAINT)
                ++paints;
            return DefWindowProcA(h, msg, wp, lp);
        }
    };
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc::Call;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "SdlProbe";
    ASSERT_TRUE(RegisterClassA(&wc));
    const HWND w = CreateWindowExA(0, "SdlProbe", "Probe", WS_POPUP | WS_VISIBLE, 10, 10, 120, 80, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_TRUE(w);
    SetWindowRgn(w, CreateEllipticRgn(0, 0, 120, 80), TRUE);
    UpdateWindow(w);
    MSG m{};
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
    EXPECT_GE(paints, 1);
    EXPECT_NE(vls_backend_sdl_window(w), nullptr);
    PostMessageA(w, WM_CLOSE, 0, 0);
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
    EXPECT_FALSE(IsWindow(w));
}
