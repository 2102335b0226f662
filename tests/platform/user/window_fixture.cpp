#include "window_fixture.h"

#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstdlib>

namespace vls::test {

WindowTest* WindowTest::current_ = nullptr;

std::string MessageName(UINT msg)
{
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "CREATE"}, {WM_DESTROY, "DESTROY"}, {WM_MOVE, "MOVE"}, {WM_SIZE, "SIZE"},
        {WM_ACTIVATE, "ACTIVATE"}, {WM_SETFOCUS, "SETFOCUS"}, {WM_KILLFOCUS, "KILLFOCUS"}, {WM_ENABLE, "ENABLE"},
        {WM_PAINT, "PAINT"}, {WM_CLOSE, "CLOSE"}, {WM_ERASEBKGND, "ERASEBKGND"}, {WM_SHOWWINDOW, "SHOWWINDOW"},
        {WM_ACTIVATEAPP, "ACTIVATEAPP"}, {WM_SETCURSOR, "SETCURSOR"}, {WM_MOUSEACTIVATE, "MOUSEACTIVATE"},
        {WM_GETMINMAXINFO, "GETMINMAXINFO"}, {WM_WINDOWPOSCHANGING, "POSCHANGING"},
        {WM_WINDOWPOSCHANGED, "POSCHANGED"}, {WM_NCCREATE, "NCCREATE"}, {WM_NCDESTROY, "NCDESTROY"},
        {WM_NCCALCSIZE, "NCCALCSIZE"}, {WM_NCHITTEST, "NCHITTEST"}, {WM_NCPAINT, "NCPAINT"},
        {WM_NCACTIVATE, "NCACTIVATE"}, {WM_NCMOUSEMOVE, "NCMOUSEMOVE"}, {WM_NCLBUTTONDOWN, "NCLBUTTONDOWN"},
        {WM_NCLBUTTONUP, "NCLBUTTONUP"}, {WM_NCLBUTTONDBLCLK, "NCLBUTTONDBLCLK"}, {WM_KEYDOWN, "KEYDOWN"},
        {WM_KEYUP, "KEYUP"}, {WM_CHAR, "CHAR"}, {WM_SYSKEYDOWN, "SYSKEYDOWN"}, {WM_SYSKEYUP, "SYSKEYUP"},
        {WM_SYSCHAR, "SYSCHAR"}, {WM_SYSCOMMAND, "SYSCOMMAND"}, {WM_TIMER, "TIMER"},
        {WM_MOUSEMOVE, "MOUSEMOVE"}, {WM_LBUTTONDOWN, "LBUTTONDOWN"}, {WM_LBUTTONUP, "LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "RBUTTONDOWN"}, {WM_RBUTTONUP, "RBUTTONUP"},
        {WM_RBUTTONDBLCLK, "RBUTTONDBLCLK"}, {WM_PARENTNOTIFY, "PARENTNOTIFY"},
        {WM_CAPTURECHANGED, "CAPTURECHANGED"}, {WM_MOUSELEAVE, "MOUSELEAVE"}, {WM_USER, "USER"},
        {WM_USER + 1, "USER+1"}, {WM_USER + 2, "USER+2"}, {WM_IME_STARTCOMPOSITION, "IME_START"},
        {WM_IME_COMPOSITION, "IME_COMPOSITION"}, {WM_IME_ENDCOMPOSITION, "IME_END"}, {WM_IME_CHAR, "IME_CHAR"},
        {WM_SETTEXT, "SETTEXT"}, {WM_GETTEXT, "GETTEXT"}, {WM_STYLECHANGING, "STYLECHANGING"},
        {WM_STYLECHANGED, "STYLECHANGED"}, {WM_MOUSEWHEEL, "MOUSEWHEEL"},
    };
    const auto it = names.find(msg);
    return it == names.end() ? "0x" + std::to_string(msg) : it->second;
}

LRESULT WindowTest::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowTest* t = current_;
    if (t) {
        t->log_.push_back({hwnd, msg, wParam, lParam});
        const auto it = t->answers_.find(hwnd);
        if (it != t->answers_.end() && it->second)
            if (const auto r = it->second(hwnd, msg, wParam, lParam))
                return *r;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void WindowTest::SetUp()
{
    // Window announcements go to a folder of the test's own.
    static TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    current_ = this;
    user::ResetForTests();
    WNDCLASSA wc{};
    wc.lpfnWndProc = &WindowTest::Proc;
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kDblClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    ignored_ = {WM_NCHITTEST, WM_SETCURSOR, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_NCPAINT, WM_ERASEBKGND,
                WM_PAINT, WM_GETTEXT, WM_MOUSEMOVE, WM_NCMOUSEMOVE};
}

void WindowTest::TearDown()
{
    user::ResetForTests();
    current_ = nullptr;
}

HWND WindowTest::Make(DWORD style, int x, int y, int w, int h, HWND parent, DWORD exStyle, const char* cls,
                      const char* title)
{
    return CreateWindowExA(exStyle, cls, title, style, x, y, w, h, parent, nullptr, nullptr, nullptr);
}

std::vector<std::string> WindowTest::Names(HWND only) const
{
    std::vector<std::string> out;
    for (const Received& r : log_) {
        if (only && r.hwnd != only)
            continue;
        if (std::find(ignored_.begin(), ignored_.end(), r.msg) != ignored_.end())
            continue;
        out.push_back(MessageName(r.msg));
    }
    return out;
}

std::vector<Received> WindowTest::Of(UINT msg) const
{
    std::vector<Received> out;
    for (const Received& r : log_)
        if (r.msg == msg)
            out.push_back(r);
    return out;
}

void WindowTest::Pump()
{
    MSG m{};
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace vls::test
