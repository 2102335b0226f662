#include "platform/win32/kernel/last_error.h"

#include "window_fixture.h"

#include <cstring>

using vls::test::WindowTest;

class Services : public WindowTest {};

TEST_F(Services, MessagesThatCarryPointersCannotBePosted)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    for (const UINT msg : {WM_SETTEXT, WM_GETTEXT, WM_WINDOWPOSCHANGED, WM_NCCALCSIZE, WM_CREATE}) {
        SetLastError(0);
        EXPECT_FALSE(PostMessageA(w, msg, 0, 0x1234)) << msg;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
    }
    char text[8] = {};
    EXPECT_EQ(SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abcdefghij")), TRUE);
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 7) << "cut to the buffer";
    EXPECT_STREQ(text, "abcdefg");
    EXPECT_EQ(GetWindowTextLengthA(w), 10);
}

TEST_F(Services, ClipboardCarriesUnicodeTextAndItsAnsiForm)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    ASSERT_TRUE(OpenClipboard(w));
    EXPECT_FALSE(OpenClipboard(w)) << "one opener at a time";
    ASSERT_TRUE(EmptyClipboard());
    const std::u16string text = u"Gr\u00FC\u00DFe \u0416";
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    std::memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(char16_t));
    GlobalUnlock(mem);
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, mem), mem);
    CloseClipboard();

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr) << "closed clipboard";
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(unicode, nullptr);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(unicode))), text);
    const HANDLE ansi = GetClipboardData(CF_TEXT);
    ASSERT_NE(ansi, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(ansi)), "Gr\xFC\xDF" "e ?");
    CloseClipboard();
}

TEST_F(Services, ClipboardTextWithoutTerminatorStopsAtTheBlockEnd)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 3);  // one and a half characters, no terminator
    std::memcpy(GlobalLock(mem), "A\0B", 3);
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, mem), nullptr);
    const HANDLE back = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(back))), u"A");
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, reinterpret_cast<HANDLE>(0x1234)), nullptr) << "not a memory block";
    CloseClipboard();
}

TEST_F(Services, CaretInvertsItsRectangleWhileShown)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 40, 40);
    Pump();
    ASSERT_TRUE(CreateCaret(w, nullptr, 2, 10));
    SetCaretPos(5, 5);
    const auto pixel = [&] {
        UpdateWindow(w);
        const auto* s = vls::headless::PresentedSurface(w);
        return s ? s->Row(6)[5] & 0xFFFFFF : 0xDEADBEEFu;
    };
    const std::uint32_t before = pixel();
    ShowCaret(w);
    EXPECT_EQ(pixel(), before ^ 0xFFFFFFu);
    HideCaret(w);
    EXPECT_EQ(pixel(), before);
    ShowCaret(w);
    SetCaretPos(20, 20);
    EXPECT_EQ(pixel(), before) << "the caret moved away";
    POINT p{};
    GetCaretPos(&p);
    EXPECT_EQ(p.x, 20);
    DestroyCaret();
    EXPECT_FALSE(ShowCaret(w));
}

TEST_F(Services, MetricsAndTheWorkArea)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), vls::headless::kDesktopWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), vls::headless::kDesktopHeight);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    EXPECT_STREQ(ncm.lfMessageFont.lfFaceName, "MS Sans Serif");
    ncm.cbSize = 100;
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 100, &ncm, 0)) << "a wrong size is refused";
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi));
    EXPECT_EQ(mi.rcMonitor.right, vls::headless::kDesktopWidth);
    EXPECT_EQ(mi.dwFlags, MONITORINFOF_PRIMARY);
    EXPECT_EQ(MonitorFromPoint(POINT{-5000, 0}, MONITOR_DEFAULTTONULL), nullptr);
}
