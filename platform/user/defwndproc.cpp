#include "platform/win32/imm32/imm.h"
#include "platform/user/ansi_codepage.h"
#include "platform/user/user_state.h"

#include <algorithm>
#include <cstring>

namespace vls::user {
namespace {

LRESULT SetCursorDefault(Window* w, WPARAM wParam, LPARAM lParam)
{
    const LRESULT hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
    const UINT mouseMsg = HIWORD(static_cast<DWORD_PTR>(lParam));
    // A child first lets its parent decide.
    if ((w->style & WS_CHILD) && w->parent) {
        if (Window* p = Find(w->parent); p && !IsDesktop(p))
            if (Send(p, WM_SETCURSOR, wParam, lParam))
                return TRUE;
    }
    if (hit == HTERROR) {
        if (mouseMsg == WM_LBUTTONDOWN || mouseMsg == WM_RBUTTONDOWN || mouseMsg == WM_MBUTTONDOWN)
            MessageBeep(0);
        return FALSE;
    }
    if (hit == HTCLIENT) {
        if (w->cls && w->cls->cursor) {
            SetCursor(w->cls->cursor);
            return TRUE;
        }
        return FALSE;
    }
    LPCSTR shape = IDC_ARROW;
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: shape = IDC_SIZEWE; break;
    case HTTOP:
    case HTBOTTOM: shape = IDC_SIZENS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: shape = IDC_SIZENWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: shape = IDC_SIZENESW; break;
    default: break;
    }
    SetCursor(LoadCursorA(nullptr, shape));
    return TRUE;
}

// Dragging a window by its caption: a loop of our own that follows the
// mouse until the button comes up.
void MoveLoop(HWND hwnd, POINT start)
{
    Window* w = Find(hwnd);
    if (!w)
        return;
    const RECT origin = w->rect;
    SetCapture(hwnd);
    Send(w, WM_ENTERSIZEMOVE, 0, 0);
    MSG msg{};
    while (GetCapture() == hwnd && GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
            if (!(w = Find(hwnd)))
                break;
            const int dx = msg.pt.x - start.x;
            const int dy = msg.pt.y - start.y;
            SetWindowPos(hwnd, nullptr, origin.left + dx, origin.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (msg.message == WM_LBUTTONUP)
                break;
            continue;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            SetWindowPos(hwnd, nullptr, origin.left, origin.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if ((w = Find(hwnd)))
        Send(w, WM_EXITSIZEMOVE, 0, 0);
}

LRESULT SysCommand(Window* w, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = w->handle;
    switch (wParam & 0xFFF0) {
    case SC_CLOSE: return Send(w, WM_CLOSE, 0, 0);
    case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
    case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
    case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
    case SC_MOVE: MoveLoop(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    default: return 0;  // no menus of our own: SC_KEYMENU and the rest do nothing
    }
}

LRESULT NcButtonDown(Window* w, WPARAM hit, LPARAM lParam)
{
    const HWND hwnd = w->handle;
    switch (hit) {
    case HTCAPTION:
        if (!(w->maximized))
            return Send(w, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
        return 0;
    case HTCLOSE: return Send(w, WM_SYSCOMMAND, SC_CLOSE, lParam);
    case HTMINBUTTON: return Send(w, WM_SYSCOMMAND, SC_MINIMIZE, lParam);
    case HTMAXBUTTON: return Send(w, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
    default: return 0;
    }
}

int TextCopy(const std::string& text, WPARAM size, LPARAM buffer)
{
    if (!buffer || size == 0)
        return 0;
    char* out = reinterpret_cast<char*>(buffer);
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace
}  // namespace vls::user

using namespace vls::user;

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    State& s = Get();
    switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_NCCALCSIZE: {
        RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        if (r)
            DefaultNcCalcSize(w, *r);
        return 0;
    }
    case WM_NCHITTEST: return DefaultNcHitTest(w, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
        if (HasClassicFrame(w))
            PaintClassicFrame(w, TopLevelOf(w) && TopLevelOf(w)->handle == s.active);
        return 0;
    case WM_NCACTIVATE:
        if (HasClassicFrame(w) && IsWindowVisible(hwnd))
            PaintClassicFrame(w, wParam != 0);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls ? w->cls->background : nullptr;
        if (!brush)
            return 0;
        // A class brush may be a system colour index plus one.
        if (reinterpret_cast<ULONG_PTR>(brush) <= COLOR_ENDCOLORS + 1)
            brush = GetSysColorBrush(static_cast<int>(reinterpret_cast<ULONG_PTR>(brush)) - 1);
        RECT rc{};
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
        return 1;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND: return SysCommand(w, wParam, lParam);
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (HIWORD(static_cast<DWORD_PTR>(lParam)) & 0x2000)) {
            if (Window* top = TopLevelOf(w))
                Post(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_RBUTTONUP: {
        // A right click asks for the context menu, at the screen position.
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &pt);
        Send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // The menu key and Shift+F10 ask for the context menu of the focus.
        if (wParam == VK_APPS || (wParam == VK_F10 && (s.syncKeys[VK_SHIFT] & 0x80))) {
            Send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), -1);
            return 0;
        }
        // Alt pressed and released alone, or F10, asks for the menu.
        if ((wParam == VK_MENU && s.altAlone) || wParam == VK_F10) {
            s.altAlone = false;
            if (Window* top = TopLevelOf(w))
                Send(top, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_SYSCHAR:
        if (wParam != VK_RETURN && wParam != VK_ESCAPE && wParam != VK_TAB)
            if (Window* top = TopLevelOf(w))
                Send(top, WM_SYSCOMMAND, SC_KEYMENU, wParam);
        return 0;
    case WM_SETCURSOR: return SetCursorDefault(w, wParam, lParam);
    case WM_MOUSEACTIVATE:
        if ((w->style & WS_CHILD) && w->parent) {
            if (Window* p = Find(w->parent); p && !IsDesktop(p))
                if (const LRESULT r = Send(p, WM_MOUSEACTIVATE, wParam, lParam))
                    return r;
        }
        return MA_ACTIVATE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !w->minimized)
            SetFocus(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (wp && !(wp->flags & 0x1000))
            Send(w, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(w->client.left), static_cast<WORD>(w->client.top)));
        if ((w = Find(hwnd)) && wp && !(wp->flags & 0x0800))
            Send(w, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(w->client.right - w->client.left), static_cast<WORD>(w->client.bottom - w->client.top)));
        return 0;
    }
    case WM_GETMINMAXINFO: return 0;
    case WM_NCLBUTTONDOWN: return NcButtonDown(w, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && (w->style & WS_MAXIMIZEBOX))
            return Send(w, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_GETTEXT: return TextCopy(w->text, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        w->text = text ? text : "";
        if (IsTopLevel(w)) {
            if (w->native)
                s.backend->SetNativeTitle(w->native, w->text);
            AnnounceWindow(w);
        }
        return TRUE;
    }
    case WM_CANCELMODE:
        if (s.capture == hwnd)
            ReleaseCapture();
        return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        if ((w->style & WS_CHILD) && w->parent)
            if (Window* p = Find(w->parent); p && !IsDesktop(p))
                return Send(p, msg, wParam, lParam);
        return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_SETREDRAW:
        w->redraw = wParam != 0;
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        const bool editLike = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(editLike ? COLOR_WINDOW : COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(editLike ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_IME_COMPOSITION:
        if (lParam & GCS_RESULTSTR) {
            const HIMC context = ImmGetContext(hwnd);
            const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
            std::u16string text(bytes > 0 ? static_cast<std::size_t>(bytes) / 2 : 0, u'\0');
            if (!text.empty())
                ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
            ImmReleaseContext(hwnd, context);
            for (const char16_t c : text)
                if (Window* again = Find(hwnd))
                    Send(again, WM_IME_CHAR, c, 1);
        }
        return 0;
    case WM_IME_CHAR: {
        // An ANSI window gets what its code page can show.
        const int ansi = UnicodeToAnsi(static_cast<char16_t>(wParam));
        Post(hwnd, WM_CHAR, static_cast<WPARAM>(ansi >= 0 ? ansi : '?'), lParam);
        return 0;
    }
    default: return 0;
    }
}
