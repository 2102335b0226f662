#include "platform/user/user_state.h"

#include <algorithm>

namespace vls::user {
namespace {

bool Activatable(const Window* w)
{
    return w && IsTopLevel(w) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) && !w->minimized &&
           !w->destroying && !(w->exStyle & WS_EX_NOACTIVATE);
}

// Activation brings a window to the front, with the windows it owns above it.
void RaiseWithOwned(Window* top)
{
    State& s = Get();
    Window* desktop = Find(s.desktop);
    auto& list = desktop->children;
    std::vector<HWND> group{top->handle};
    for (const HWND h : list)
        if (const Window* o = Find(h); o && o->owner == top->handle && (o->style & WS_VISIBLE))
            group.push_back(h);
    // Keep the group's members in their present order, owner last.
    std::vector<HWND> ordered;
    for (const HWND h : list)
        if (h != top->handle && std::find(group.begin(), group.end(), h) != group.end())
            ordered.push_back(h);
    ordered.push_back(top->handle);
    std::erase_if(list, [&](HWND h) { return std::find(group.begin(), group.end(), h) != group.end(); });
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        Window* w = Find(*it);
        auto pos = list.begin();
        if (!(w->exStyle & WS_EX_TOPMOST))
            while (pos != list.end() && Find(*pos) && (Find(*pos)->exStyle & WS_EX_TOPMOST))
                ++pos;
        list.insert(pos, *it);
    }
    if (top->native && top->nativeShown)
        s.backend->RaiseNativeWindow(top->native);
}

void SendActivateApp(BOOL active)
{
    const std::vector<HWND> tops = Find(Get().desktop)->children;
    for (const HWND h : tops)
        if (Window* w = Find(h))
            Send(w, WM_ACTIVATEAPP, static_cast<WPARAM>(active), 0);
}

}  // namespace

void ActivateWindow(Window* top, WORD how)
{
    State& s = Get();
    if (!top || s.active == top->handle)
        return;
    const HWND hwnd = top->handle;
    const HWND old = s.active;
    if (Window* o = Find(old)) {
        Send(o, WM_NCACTIVATE, FALSE, 0);
        if ((o = Find(old)))
            Send(o, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, o->minimized ? 1 : 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (!(top = Find(hwnd)))
        return;
    s.active = hwnd;
    RaiseWithOwned(top);
    if (!s.appActive) {
        s.appActive = true;
        SendActivateApp(TRUE);
    }
    if (!(top = Find(hwnd)) || s.active != hwnd)
        return;
    Send(top, WM_NCACTIVATE, TRUE, 0);
    if (!(top = Find(hwnd)) || s.active != hwnd)
        return;
    Send(top, WM_ACTIVATE, MAKEWPARAM(how, top->minimized ? 1 : 0), reinterpret_cast<LPARAM>(old));
    if (!(top = Find(hwnd)) || s.active != hwnd)
        return;
    // The keyboard follows the active window.
    Window* f = Find(s.focus);
    if (!f || TopLevelOf(f) != top)
        if (!top->minimized)
            SetFocus(hwnd);
}

void Deactivate()
{
    State& s = Get();
    const HWND old = s.active;
    if (Window* o = Find(old)) {
        Send(o, WM_NCACTIVATE, FALSE, 0);
        if ((o = Find(old)))
            Send(o, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, o->minimized ? 1 : 0), 0);
    }
    s.active = nullptr;
    if (s.appActive) {
        s.appActive = false;
        SendActivateApp(FALSE);
    }
    if (s.focus)
        SetFocus(nullptr);
}

void SyncDesktopCapture()
{
    State& s = Get();
    const bool buttonDown = (s.asyncKeys[VK_LBUTTON] | s.asyncKeys[VK_RBUTTON] | s.asyncKeys[VK_MBUTTON]) & 0x80;
    const bool want = s.capture && buttonDown;
    if (want != s.desktopCapture) {
        s.desktopCapture = want;
        s.backend->SetCapture(want);
    }
}

void ActivateOtherThan(Window* w)
{
    State& s = Get();
    Window* next = nullptr;
    if (Window* o = Find(w->owner); Activatable(o))
        next = o;
    if (!next) {
        for (const HWND h : Find(s.desktop)->children) {
            Window* t = Find(h);
            if (t != w && Activatable(t) && !(t->exStyle & WS_EX_TOOLWINDOW)) {
                next = t;
                break;
            }
        }
    }
    if (next)
        ActivateWindow(next, WA_ACTIVE);
    else
        Deactivate();
}

}  // namespace vls::user

using namespace vls::user;

HWND SetFocus(HWND hwnd)
{
    State& s = Get();
    const HWND old = s.focus;
    if (!hwnd) {
        s.focus = nullptr;
        if (Window* o = Find(old))
            Send(o, WM_KILLFOCUS, 0, 0);
        return old;
    }
    Window* w = Find(hwnd);
    if (!w || IsDesktop(w))
        return nullptr;
    if (hwnd == old)
        return old;
    Window* top = TopLevelOf(w);
    if (top && top->handle != s.active) {
        if (top->style & WS_DISABLED)
            return nullptr;
        ActivateWindow(top, WA_ACTIVE);
        if (!Find(hwnd))
            return nullptr;
        if (s.focus == hwnd)
            return old;
    }
    const HWND previous = s.focus;
    s.focus = hwnd;
    if (Window* o = Find(previous))
        Send(o, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (s.focus != hwnd)
        return previous;  // the old window moved the focus elsewhere
    if ((w = Find(hwnd)))
        Send(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus() { return Get().focus; }

HWND SetActiveWindow(HWND hwnd)
{
    State& s = Get();
    const HWND old = s.active;
    Window* w = Find(hwnd);
    if (!hwnd) {
        Deactivate();
        return old;
    }
    if (!w)
        return nullptr;
    Window* top = TopLevelOf(w);
    if (!top || (top->style & WS_DISABLED))
        return nullptr;
    ActivateWindow(top, WA_ACTIVE);
    return old;
}

HWND GetActiveWindow() { return Get().active; }

BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) || GetActiveWindow() == hwnd; }

HWND GetForegroundWindow() { return Get().active; }

HWND SetCapture(HWND hwnd)
{
    State& s = Get();
    const HWND old = s.capture;
    if (!Find(hwnd))
        return old;
    if (old == hwnd)
        return old;
    s.capture = hwnd;
    SyncDesktopCapture();
    if (Window* o = Find(old))
        Send(o, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    State& s = Get();
    const HWND old = s.capture;
    if (!old)
        return TRUE;
    s.capture = nullptr;
    SyncDesktopCapture();
    if (Window* o = Find(old))
        Send(o, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return Get().capture; }
