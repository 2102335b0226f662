#include "engine/app/program.h"
#include "tests/support/temp_dir.h"

#include "platform/user/user_control.h"
#include "platform/user/winuser.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineWindow, IsAVisibleCapturedPopupOfTheEngineClassWithTheCursorHidden)
{
    const vls::test::ScopedConfig config;
    vls::user::ResetForTests();
    doWinInit();
    ASSERT_NE(g_window, nullptr);

    WNDCLASSA wc = {};
    ASSERT_TRUE(GetClassInfoA(g_instance, "Quib-Velt", &wc));
    EXPECT_EQ(wc.style, 11u);
    EXPECT_EQ(wc.lpfnWndProc, WndProc);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_STREQ(wc.lpszMenuName, "Quib-Velt");

    EXPECT_EQ(FindWindowA("Quib-Velt", "Veilstrand"), g_window);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(g_window, GWL_STYLE)) & 0xFFFF0000u, 0x90000000u);
    RECT rect = {};
    GetWindowRect(g_window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, 1024);
    EXPECT_EQ(rect.bottom - rect.top, 768);
    EXPECT_TRUE(IsWindowVisible(g_window));
    EXPECT_EQ(GetCapture(), g_window);
    // One hide was asked for: showing once more brings the count back to 0.
    EXPECT_EQ(ShowCursor(TRUE), 0);

    ReleaseCapture();
    DestroyWindow(g_window);
    g_window = nullptr;
    vls::user::ResetForTests();
}

} // namespace
