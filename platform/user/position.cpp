#include "platform/user/user_state.h"

#include <algorithm>

namespace vls::user {
namespace {

// Flags the original adds to WINDOWPOS when the client area kept its size or place.
constexpr UINT kNoClientSize = 0x0800;
constexpr UINT kNoClientMove = 0x1000;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void MoveInZOrder(Window* w, HWND after)
{
    Window* parent = Find(w->parent);
    if (!parent)
        return;
    auto& list = parent->children;
    std::erase(list, w->handle);
    const bool desktop = IsDesktop(parent);
    if (after == HWND_TOPMOST && desktop)
        w->exStyle |= WS_EX_TOPMOST;
    else if (after == HWND_NOTOPMOST && desktop)
        w->exStyle &= ~WS_EX_TOPMOST;
    auto firstOrdinary = [&] {
        auto pos = list.begin();
        if (desktop)
            while (pos != list.end() && Find(*pos) && (Find(*pos)->exStyle & WS_EX_TOPMOST))
                ++pos;
        return pos;
    };
    if (after == HWND_BOTTOM) {
        list.push_back(w->handle);
        return;
    }
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        list.insert((w->exStyle & WS_EX_TOPMOST) || !desktop ? list.begin() : firstOrdinary(), w->handle);
        return;
    }
    auto it = std::find(list.begin(), list.end(), after);
    if (it == list.end())
        list.insert(list.begin(), w->handle);
    else
        list.insert(it + 1, w->handle);
}

}  // namespace

void SyncNative(Window* top)
{
    State& s = Get();
    if (!IsTopLevel(top))
        return;
    const bool wantShown = (top->style & WS_VISIBLE) != 0;
    if (!top->native && wantShown) {
        backend::NativeWindowDesc desc;
        desc.tag = top->handle;
        desc.title = top->text;
        desc.x = top->rect.left;
        desc.y = top->rect.top;
        desc.width = std::max(1, Width(top->rect));
        desc.height = std::max(1, Height(top->rect));
        desc.topmost = (top->exStyle & WS_EX_TOPMOST) != 0;
        desc.toolWindow = (top->exStyle & WS_EX_TOOLWINDOW) != 0 || top->owner != nullptr;
        top->native = s.backend->CreateNativeWindow(desc);
        ApplyShape(top);
    }
    if (!top->native)
        return;
    s.backend->MoveNativeWindow(top->native, top->rect.left, top->rect.top, std::max(1, Width(top->rect)),
                                std::max(1, Height(top->rect)));
    if (wantShown != top->nativeShown) {
        s.backend->ShowNativeWindow(top->native, wantShown, false);
        top->nativeShown = wantShown;
        if (wantShown)
            top->surfaceDirty = true;
    }
    if (wantShown && top->minimized != top->nativeMinimized) {
        s.backend->MinimizeNativeWindow(top->native, top->minimized);
        top->nativeMinimized = top->minimized;
    }
}

void DefaultNcCalcSize(const Window* w, RECT& r)
{
    const DWORD style = w->style;
    const DWORD ex = w->exStyle;
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME))
        frame = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        frame = GetSystemMetrics(SM_CXBORDER);
    InflateRect(&r, -frame, -frame);
    if ((style & WS_CAPTION) == WS_CAPTION)
        r.top += GetSystemMetrics((ex & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (ex & WS_EX_CLIENTEDGE)
        InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    if (ex & WS_EX_STATICEDGE)
        InflateRect(&r, -1, -1);
    if (style & WS_VSCROLL)
        r.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        r.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
}

LRESULT DefaultNcHitTest(Window* w, POINT pt)
{
    const RECT rect = ScreenWindowRect(w);
    if (!PtInRect(&rect, pt))
        return HTNOWHERE;
    const RECT client = ScreenClientRect(w);
    if (PtInRect(&client, pt))
        return HTCLIENT;
    const DWORD style = w->style;
    if (style & WS_THICKFRAME) {
        const int f = GetSystemMetrics(SM_CXFRAME);
        const int corner = GetSystemMetrics(SM_CXSIZE);
        const bool left = pt.x < rect.left + f;
        const bool right = pt.x >= rect.right - f;
        const bool top = pt.y < rect.top + f;
        const bool bottom = pt.y >= rect.bottom - f;
        const bool nearLeft = pt.x < rect.left + corner;
        const bool nearRight = pt.x >= rect.right - corner;
        const bool nearTop = pt.y < rect.top + corner;
        const bool nearBottom = pt.y >= rect.bottom - corner;
        if (top)
            return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
        if (bottom)
            return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left)
            return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
        if (right)
            return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        RECT inner = rect;
        RECT frameOnly = rect;
        Window probe = *w;
        probe.style &= ~(WS_CAPTION | WS_VSCROLL | WS_HSCROLL);
        probe.exStyle &= ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
        DefaultNcCalcSize(&probe, frameOnly);
        inner = frameOnly;
        const int captionH = GetSystemMetrics((w->exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
        if (pt.y >= inner.top && pt.y < inner.top + captionH && pt.x >= inner.left && pt.x < inner.right) {
            const int button = GetSystemMetrics(SM_CXSIZE);
            int right = inner.right;
            if (style & WS_SYSMENU) {
                if (pt.x >= right - button)
                    return HTCLOSE;
                right -= button;
                if (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
                    if (pt.x >= right - button)
                        return HTMAXBUTTON;
                    right -= button;
                    if (pt.x >= right - button)
                        return HTMINBUTTON;
                }
                if (!(w->exStyle & WS_EX_TOOLWINDOW) && pt.x < inner.left + button)
                    return HTSYSMENU;
            }
            return HTCAPTION;
        }
    }
    if (style & WS_VSCROLL) {
        if (pt.x >= client.right && pt.x < client.right + GetSystemMetrics(SM_CXVSCROLL) && pt.y >= client.top &&
            pt.y < client.bottom)
            return HTVSCROLL;
    }
    if (style & WS_HSCROLL) {
        if (pt.y >= client.bottom && pt.y < client.bottom + GetSystemMetrics(SM_CYHSCROLL) && pt.x >= client.left &&
            pt.x < client.right)
            return HTHSCROLL;
    }
    return HTBORDER;
}

}  // namespace vls::user

using namespace vls::user;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    State& s = Get();
    Window* w = Find(hwnd);
    if (!w || IsDesktop(w))
        return FALSE;
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    WINDOWPOS wp{hwnd, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE) {
        wp.x = w->rect.left;
        wp.y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
        wp.cx = Width(w->rect);
        wp.cy = Height(w->rect);
    }
    if ((flags & SWP_SHOWWINDOW) && wasVisible)
        wp.flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !wasVisible)
        wp.flags &= ~SWP_HIDEWINDOW;
    if (!(flags & SWP_NOSENDCHANGING)) {
        Send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        if (!(w = Find(hwnd)))
            return FALSE;
    }
    wp.cx = std::max(wp.cx, 0);
    wp.cy = std::max(wp.cy, 0);
    const RECT oldRect = w->rect;
    const RECT oldClient = w->client;
    const RECT newRect{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
    const bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
    const bool sized = Width(newRect) != Width(oldRect) || Height(newRect) != Height(oldRect);
    RECT newClient = oldClient;
    if (moved || sized || (wp.flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = newRect;
        params.rgrc[1] = oldRect;
        params.rgrc[2] = oldClient;
        params.lppos = &wp;
        Send(w, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        if (!(w = Find(hwnd)))
            return FALSE;
        newClient = params.rgrc[0];
    }
    w->rect = newRect;
    w->client = newClient;
    if (Width(newClient) == Width(oldClient) && Height(newClient) == Height(oldClient))
        wp.flags |= kNoClientSize;
    if (newClient.left == oldClient.left && newClient.top == oldClient.top)
        wp.flags |= kNoClientMove;
    if (!(wp.flags & SWP_NOZORDER))
        MoveInZOrder(w, wp.hwndInsertAfter);
    if (wp.flags & SWP_SHOWWINDOW)
        w->style |= WS_VISIBLE;
    if (wp.flags & SWP_HIDEWINDOW)
        w->style &= ~WS_VISIBLE;
    const bool visible = (w->style & WS_VISIBLE) != 0;

    if (IsTopLevel(w)) {
        if (sized || !w->surface)
            ResizeSurface(w);
        SyncNative(w);
        if (w->native && visible && !(wp.flags & SWP_NOZORDER) && (wp.hwndInsertAfter == HWND_TOP || wp.hwndInsertAfter == HWND_TOPMOST))
            s.backend->RaiseNativeWindow(w->native);
    }
    if (!(wp.flags & SWP_NOREDRAW)) {
        if (visible && (sized || (wp.flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || (moved && !IsTopLevel(w))))
            InvalidateWindow(w, nullptr, true, true, true);
        if (!IsTopLevel(w) && (moved || sized || (wp.flags & SWP_HIDEWINDOW)) && (wasVisible || visible)) {
            // Uncover what the window left behind in its parent.
            if (Window* p = Find(w->parent)) {
                RECT behind = oldRect;  // parent client coordinates already
                InvalidateWindow(p, &behind, true, true, false, true);
            }
        }
    }
    if (IsTopLevel(w) && visible && !(wp.flags & SWP_NOACTIVATE) && !(w->exStyle & WS_EX_NOACTIVATE) &&
        !(w->style & WS_DISABLED) && !w->minimized && s.active != hwnd) {
        ActivateWindow(w, WA_ACTIVE);
        if (!(w = Find(hwnd)))
            return TRUE;
    }
    Send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = Find(hwnd)))
        return TRUE;
    if ((wp.flags & SWP_HIDEWINDOW) && IsTopLevel(w) && s.active == hwnd)
        ActivateOtherThan(w);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int cmd)
{
    State& s = Get();
    Window* w = Find(hwnd);
    if (!w || IsDesktop(w))
        return FALSE;
    const BOOL wasVisible = (w->style & WS_VISIBLE) != 0;
    const bool child = !IsTopLevel(w);
    UINT flags = SWP_NOMOVE | SWP_NOSIZE;
    if (child)
        flags |= SWP_NOACTIVATE | SWP_NOZORDER;

    switch (cmd) {
    case SW_HIDE:
        if (!wasVisible)
            return FALSE;
        Send(w, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return wasVisible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        if (!wasVisible)
            Send(w, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = Find(hwnd)))
            return wasVisible;
        if (!w->minimized) {
            if (!w->maximized)
                w->normalRect = w->rect;
            w->minimized = true;
            w->style |= WS_MINIMIZE | WS_VISIBLE;
            SyncNative(w);
            Send(w, WM_SIZE, SIZE_MINIMIZED, 0);
            if (s.active == hwnd && (w = Find(hwnd)))
                ActivateOtherThan(w);
        }
        return wasVisible;
    case SW_MAXIMIZE: {
        if (!wasVisible)
            Send(w, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = Find(hwnd)))
            return wasVisible;
        if (!w->maximized && !w->minimized)
            w->normalRect = w->rect;
        w->minimized = false;
        w->maximized = true;
        w->style = (w->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
        RECT area{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        if (child)
            GetClientRect(w->parent, &area);
        SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED | (child ? SWP_NOACTIVATE : 0));
        if ((w = Find(hwnd)))
            Send(w, WM_SIZE, SIZE_MAXIMIZED,
                 MAKELPARAM(static_cast<WORD>(w->client.right - w->client.left), static_cast<WORD>(w->client.bottom - w->client.top)));
        return wasVisible;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        if (w->minimized || w->maximized) {
            const bool wasMinimized = w->minimized;
            w->minimized = false;
            const bool restoreSize = !wasMinimized || !w->maximized;
            if (restoreSize)
                w->maximized = false;
            w->style &= ~(WS_MINIMIZE | (restoreSize ? WS_MAXIMIZE : 0));
            if (!wasVisible)
                Send(w, WM_SHOWWINDOW, TRUE, 0);
            if (!(w = Find(hwnd)))
                return wasVisible;
            const RECT r = w->normalRect;
            if (restoreSize)
                SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_SHOWWINDOW | SWP_FRAMECHANGED | (child ? SWP_NOACTIVATE : 0));
            else
                SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_SHOWWINDOW);
            if ((w = Find(hwnd))) {
                SyncNative(w);
                InvalidateWindow(w, nullptr, true, true, true);
                Send(w, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MAKELPARAM(static_cast<WORD>(w->client.right - w->client.left), static_cast<WORD>(w->client.bottom - w->client.top)));
            }
            return wasVisible;
        }
        [[fallthrough]];
    case SW_SHOW:
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        if (!wasVisible) {
            Send(w, WM_SHOWWINDOW, TRUE, 0);
            if (!Find(hwnd))
                return wasVisible;
        }
        if (cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE)
            flags |= SWP_NOACTIVATE;
        if (cmd == SW_SHOWNA)
            flags |= SWP_NOZORDER;
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_SHOWWINDOW);
        return wasVisible;
    default:
        return wasVisible;
    }
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd)
{
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    const Window* w = Find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = ScreenWindowRect(w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    const Window* w = Find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = {0, 0, Width(w->client), Height(w->client)};
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement)
{
    const Window* w = Find(hwnd);
    if (!w || !placement)
        return FALSE;
    placement->flags = 0;
    placement->showCmd = w->minimized ? SW_SHOWMINIMIZED : w->maximized ? SW_SHOWMAXIMIZED
                         : (w->style & WS_VISIBLE) ? SW_SHOWNORMAL : SW_HIDE;
    placement->ptMinPosition = {-1, -1};
    placement->ptMaxPosition = {-1, -1};
    placement->rcNormalPosition = (w->minimized || w->maximized) ? w->normalRect : w->rect;
    return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement)
{
    Window* w = Find(hwnd);
    if (!w || !placement)
        return FALSE;
    const RECT& r = placement->rcNormalPosition;
    if (w->minimized || w->maximized)
        w->normalRect = r;
    else
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, static_cast<int>(placement->showCmd));
    return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!rect)
        return FALSE;
    Window probe;
    probe.style = style;
    probe.exStyle = exStyle;
    // The frame is the difference between a large window and its client area.
    RECT outer{0, 0, 10000, 10000};
    RECT inner = outer;
    DefaultNcCalcSize(&probe, inner);
    rect->left -= inner.left - outer.left;
    rect->top -= inner.top - outer.top;
    rect->right += outer.right - inner.right;
    rect->bottom += outer.bottom - inner.bottom;
    if (menu)
        rect->top -= GetSystemMetrics(SM_CYMENU);
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    const Window* w = Find(hwnd);
    if (!w || !point)
        return FALSE;
    const POINT o = ClientOriginOnScreen(w);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point)
{
    const Window* w = Find(hwnd);
    if (!w || !point)
        return FALSE;
    const POINT o = ClientOriginOnScreen(w);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    POINT a{0, 0};
    POINT b{0, 0};
    if (from && !IsDesktop(Find(from))) {
        if (!Find(from))
            return 0;
        a = ClientOriginOnScreen(Find(from));
    }
    if (to && !IsDesktop(Find(to))) {
        if (!Find(to))
            return 0;
        b = ClientOriginOnScreen(Find(to));
    }
    const int dx = a.x - b.x;
    const int dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

namespace {

bool ContainsOnScreen(const Window* w, POINT pt)
{
    const RECT r = ScreenWindowRect(w);
    if (!PtInRect(&r, pt))
        return false;
    if (w->region)
        return PtInRegion(w->region, pt.x - r.left, pt.y - r.top) != FALSE;
    return true;
}

HWND ChildAt(const Window* parent, POINT pt, bool skipDisabled)
{
    for (const HWND c : parent->children) {
        const Window* cw = Find(c);
        if (!cw || !(cw->style & WS_VISIBLE) || !ContainsOnScreen(cw, pt))
            continue;
        if (skipDisabled && (cw->style & WS_DISABLED))
            continue;
        const RECT client = ScreenClientRect(cw);
        if (PtInRect(&client, pt))
            if (const HWND deeper = ChildAt(cw, pt, skipDisabled))
                return deeper;
        return c;
    }
    return nullptr;
}

}  // namespace

HWND WindowFromPoint(POINT point)
{
    const Window* desktop = Find(Get().desktop);
    for (const HWND top : desktop->children) {
        const Window* t = Find(top);
        if (!t || !(t->style & WS_VISIBLE) || t->minimized || !ContainsOnScreen(t, point))
            continue;
        const RECT client = ScreenClientRect(t);
        if (PtInRect(&client, point))
            if (const HWND c = ChildAt(t, point, false))
                return c;
        return top;
    }
    return Get().desktop;
}

HWND ChildWindowFromPoint(HWND parent, POINT point)
{
    const Window* p = Find(parent);
    if (!p)
        return nullptr;
    POINT screen = point;
    ClientToScreen(parent, &screen);
    const RECT r = ScreenWindowRect(p);
    if (!PtInRect(&r, screen))
        return nullptr;
    for (const HWND c : p->children) {
        const Window* cw = Find(c);
        if (cw && ContainsOnScreen(cw, screen))
            return c;
    }
    return parent;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw)
{
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    if (w->region && w->region != region)
        DeleteObject(w->region);
    w->region = region;
    if (IsTopLevel(w))
        ApplyShape(w);
    if (redraw)
        InvalidateWindow(w, nullptr, true, true, true);
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region)
{
    const Window* w = Find(hwnd);
    if (!w || !w->region || !region)
        return ERROR;
    return CombineRgn(region, w->region, nullptr, RGN_COPY);
}

BOOL FlashWindow(HWND hwnd, BOOL) { return Find(hwnd) ? FALSE : FALSE; }
