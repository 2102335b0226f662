#include "platform/win32/imm32/imm.h"
#include "platform/user/ansi_codepage.h"
#include "platform/user/user_state.h"

#include <cstdlib>

namespace vls::user {
namespace {

struct HitResult {
    Window* window = nullptr;
    LRESULT hit = HTNOWHERE;
};

bool Inside(const Window* w, POINT pt)
{
    const RECT r = ScreenWindowRect(w);
    if (!PtInRect(&r, pt))
        return false;
    return !w->region || PtInRegion(w->region, pt.x - r.left, pt.y - r.top);
}

// Finds the window under pt among `list` (front to back), asking each
// candidate with WM_NCHITTEST; HTTRANSPARENT passes the point on to the
// windows behind.
HitResult HitAmong(const std::vector<HWND>& list, POINT pt, bool topLevel)
{
    const std::vector<HWND> copy = list;
    for (const HWND h : copy) {
        Window* w = Find(h);
        if (!w || !(w->style & WS_VISIBLE) || w->minimized || !Inside(w, pt))
            continue;
        if (!topLevel && (w->style & WS_DISABLED))
            continue;  // disabled children leave the input to their parent
        const RECT client = ScreenClientRect(w);
        if (!w->children.empty() && PtInRect(&client, pt)) {
            const HitResult inner = HitAmong(w->children, pt, false);
            if (inner.window)
                return inner;
        }
        if (!(w = Find(h)))
            continue;
        if (topLevel && (w->style & WS_DISABLED))
            return {w, HTERROR};
        const LRESULT hit = Send(w, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        if (hit == HTTRANSPARENT)
            continue;
        if (!(w = Find(h)))
            continue;
        return {w, hit};
    }
    return {};
}

WPARAM MouseKeyFlags(const State& s)
{
    WPARAM flags = 0;
    if (s.syncKeys[VK_LBUTTON] & 0x80)
        flags |= MK_LBUTTON;
    if (s.syncKeys[VK_RBUTTON] & 0x80)
        flags |= MK_RBUTTON;
    if (s.syncKeys[VK_MBUTTON] & 0x80)
        flags |= MK_MBUTTON;
    if (s.syncKeys[VK_SHIFT] & 0x80)
        flags |= MK_SHIFT;
    if (s.syncKeys[VK_CONTROL] & 0x80)
        flags |= MK_CONTROL;
    return flags;
}

int ButtonVk(backend::MouseButton b)
{
    return b == backend::MouseButton::Left ? VK_LBUTTON : b == backend::MouseButton::Right ? VK_RBUTTON : VK_MBUTTON;
}

UINT ButtonDownMessage(backend::MouseButton b)
{
    return b == backend::MouseButton::Left ? WM_LBUTTONDOWN : b == backend::MouseButton::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}

void EndMouseTracking(State& s)
{
    if (!s.trackWindow)
        return;
    const HWND h = s.trackWindow;
    const bool nonClient = (s.trackFlags & TME_NONCLIENT) != 0;
    s.trackWindow = nullptr;
    s.hoverArmed = false;
    if (s.trackFlags & TME_LEAVE)
        Post(h, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
}

void NoteMouseOver(State& s, HWND target, LRESULT hit, POINT pt, DWORD time)
{
    if (s.trackWindow) {
        const bool nonClient = (s.trackFlags & TME_NONCLIENT) != 0;
        const bool stillOver = target == s.trackWindow && ((hit == HTCLIENT) != nonClient);
        if (!stillOver)
            EndMouseTracking(s);
        else if (std::abs(pt.x - s.hoverPos.x) > 2 || std::abs(pt.y - s.hoverPos.y) > 2) {
            s.hoverPos = pt;
            s.hoverStart = time;
        }
    }
    s.mouseWindow = target;
    s.mouseHit = hit;
}

bool RouteMouse(const InputEvent& in, MSG& out, bool remove)
{
    State& s = Get();
    const backend::Event& e = in.event;
    const POINT pt{e.x, e.y};
    if (e.kind == backend::EventKind::MouseWheel) {
        Window* target = Find(s.focus) ? Find(s.focus) : Find(s.active);
        if (!target)
            return false;
        out = MSG{target->handle, WM_MOUSEWHEEL,
                  MAKEWPARAM(static_cast<WORD>(MouseKeyFlags(s)), static_cast<WORD>(static_cast<SHORT>(e.wheel))),
                  MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)), in.time, pt};
        return true;
    }

    Window* target = nullptr;
    LRESULT hit = HTCLIENT;
    if (Window* c = Find(s.capture)) {
        target = c;
    } else {
        const HitResult r = HitAmong(Find(s.desktop)->children, pt, true);
        target = r.window;
        hit = r.hit;
    }

    const bool isButton = e.kind == backend::EventKind::MouseButton;
    const int vk = isButton ? ButtonVk(e.button) : 0;
    UINT msg = WM_MOUSEMOVE;
    if (isButton)
        msg = ButtonDownMessage(e.button) + (e.down ? 0 : 1);

    if (remove && isButton) {
        s.syncKeys[vk] = e.down ? 0x80 : 0;
    }
    if (remove && !isButton)
        NoteMouseOver(s, target ? target->handle : nullptr, hit, pt, in.time);
    if (!target || (hit == HTNOWHERE && !s.capture))
        return false;
    const HWND hwnd = target->handle;

    if (hit == HTERROR) {
        // A disabled window (one under a modal loop) swallows the click.
        if (remove)
            Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<WORD>(HTERROR), static_cast<WORD>(msg)));
        return false;
    }

    // Double clicks pair a press with the previous one on the same window.
    if (isButton && e.down) {
        const int cx = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
        const int cy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        const bool pairs = s.lastClickMsg == msg && s.lastClickWindow == hwnd &&
                           in.time - s.lastClickTime <= GetDoubleClickTime() &&
                           std::abs(pt.x - s.lastClickPos.x) <= cx && std::abs(pt.y - s.lastClickPos.y) <= cy;
        const bool classWants = hit != HTCLIENT || (target->cls && (target->cls->style & CS_DBLCLKS));
        if (remove) {
            if (pairs && classWants) {
                s.lastClickMsg = 0;
            } else {
                s.lastClickMsg = msg;
                s.lastClickWindow = hwnd;
                s.lastClickTime = in.time;
                s.lastClickPos = pt;
            }
        }
        if (pairs && classWants)
            msg += 2;
    }

    const UINT clientMsg = msg;
    if (hit != HTCLIENT && !s.capture) {
        out = MSG{hwnd, msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit),
                  MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)), in.time, pt};
    } else {
        POINT local = pt;
        const POINT origin = ClientOriginOnScreen(target);
        local.x -= origin.x;
        local.y -= origin.y;
        out = MSG{hwnd, msg, MouseKeyFlags(s), MAKELPARAM(static_cast<WORD>(local.x), static_cast<WORD>(local.y)), in.time, pt};
        if (!remove && isButton) {
            // The flags describe the state after this message.
            if (e.down)
                out.wParam |= vk == VK_LBUTTON ? MK_LBUTTON : vk == VK_RBUTTON ? MK_RBUTTON : MK_MBUTTON;
            else
                out.wParam &= ~(vk == VK_LBUTTON ? MK_LBUTTON : vk == VK_RBUTTON ? MK_RBUTTON : MK_MBUTTON);
        }
    }
    if (!remove)
        return true;

    if (!s.capture) {
        Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
             MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(clientMsg)));
        if (!(target = Find(hwnd)))
            return false;
    }
    if (isButton && e.down && !s.capture) {
        Window* top = TopLevelOf(target);
        if (top && top->handle != s.active) {
            const LRESULT how = Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                                     MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(clientMsg)));
            top = Find(top->handle) ? top : nullptr;
            if (top && (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT) && !(top->exStyle & WS_EX_NOACTIVATE))
                ActivateWindow(top, WA_CLICKACTIVE);
            if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT)
                return false;
        }
        if (!Find(hwnd))
            return false;
    }
    return true;
}

LPARAM KeyData(const State& s, const backend::Event& e, bool wasDown, bool alt)
{
    DWORD data = 1;
    data |= static_cast<DWORD>(e.scan & 0xFF) << 16;
    if (e.extended)
        data |= 1u << 24;
    if (alt)
        data |= 1u << 29;
    if (wasDown || !e.down)
        data |= 1u << 30;
    if (!e.down)
        data |= 1u << 31;
    (void)s;
    return static_cast<LPARAM>(data);
}

bool RouteKey(const InputEvent& in, MSG& out, bool remove)
{
    State& s = Get();
    const backend::Event& e = in.event;
    const int vk = e.vk & 0xFF;
    const bool wasDown = (s.syncKeys[vk] & 0x80) != 0;
    if (remove) {
        if (e.down) {
            if (!wasDown)
                s.syncKeys[vk] ^= 0x01;
            s.syncKeys[vk] |= 0x80;
        } else {
            s.syncKeys[vk] &= ~0x80;
        }
        if (vk == VK_MENU && e.down && !wasDown)
            s.altAlone = true;
        else if (e.down && vk != VK_MENU)
            s.altAlone = false;
    }
    const bool alt = vk == VK_MENU || (s.syncKeys[VK_MENU] & 0x80) != 0;
    const bool ctrl = (s.syncKeys[VK_CONTROL] & 0x80) != 0;
    Window* target = Find(s.focus);
    const bool noFocus = !target;
    if (!target)
        target = Find(s.active);
    if (!target)
        return false;
    const bool sys = noFocus || (alt && !ctrl) || vk == VK_F10;
    const UINT msg = e.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    out = MSG{target->handle, msg, static_cast<WPARAM>(vk), KeyData(s, e, wasDown, alt), in.time, s.cursorPos};
    if (remove && e.down) {
        s.lastKeyText = e.text;
        s.lastKeyVk = static_cast<UINT>(vk);
    }
    return true;
}

// Typed text: characters of the ANSI code page arrive as WM_CHAR, the rest
// through an input-method composition.
bool RouteText(const InputEvent& in, MSG& out, bool remove)
{
    State& s = Get();
    Window* target = Find(s.focus) ? Find(s.focus) : Find(s.active);
    if (!target)
        return false;
    const std::u16string text = Utf8ToUtf16(in.event.text);
    if (text.empty())
        return false;
    if (!remove) {
        const int ansi = UnicodeToAnsi(text[0]);
        out = MSG{target->handle, ansi >= 0 ? WM_CHAR : WM_IME_STARTCOMPOSITION, static_cast<WPARAM>(ansi >= 0 ? ansi : 0), 1,
                  in.time, s.cursorPos};
        return true;
    }
    PostTypedText(target->handle, text);
    return false;
}

}  // namespace

void PostTypedText(HWND hwnd, const std::u16string& text)
{
    std::u16string pending;
    const auto flush = [&] {
        if (pending.empty())
            return;
        ImmSetResultString(hwnd, pending);
        Post(hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
        Post(hwnd, WM_IME_COMPOSITION, pending[0], GCS_RESULTSTR);
        Post(hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
        pending.clear();
    };
    for (const char16_t c : text) {
        const int ansi = UnicodeToAnsi(c);
        if (ansi >= 0) {
            flush();
            Post(hwnd, WM_CHAR, static_cast<WPARAM>(ansi), 1);
        } else {
            pending.push_back(c);
        }
    }
    flush();
}

bool RouteInput(const InputEvent& in, MSG& out, bool remove)
{
    switch (in.event.kind) {
    case backend::EventKind::MouseMove:
    case backend::EventKind::MouseButton:
    case backend::EventKind::MouseWheel:
        return RouteMouse(in, out, remove);
    case backend::EventKind::Key:
        return RouteKey(in, out, remove);
    case backend::EventKind::Text:
        return RouteText(in, out, remove);
    default:
        return false;
    }
}

void CheckHover(DWORD now)
{
    State& s = Get();
    if (!s.trackWindow || !(s.trackFlags & TME_HOVER) || !s.hoverArmed)
        return;
    if (now - s.hoverStart < s.hoverTime)
        return;
    s.hoverArmed = false;
    Window* w = Find(s.trackWindow);
    if (!w)
        return;
    POINT local = s.cursorPos;
    const POINT origin = ClientOriginOnScreen(w);
    local.x -= origin.x;
    local.y -= origin.y;
    const bool nonClient = (s.trackFlags & TME_NONCLIENT) != 0;
    Post(s.trackWindow, nonClient ? WM_NCMOUSEHOVER : WM_MOUSEHOVER, nonClient ? static_cast<WPARAM>(s.mouseHit) : MouseKeyFlags(s),
         nonClient ? MAKELPARAM(static_cast<WORD>(s.cursorPos.x), static_cast<WORD>(s.cursorPos.y))
                   : MAKELPARAM(static_cast<WORD>(local.x), static_cast<WORD>(local.y)));
}

}  // namespace vls::user

using namespace vls::user;

namespace {

// The character a key gives on the US layout, the one our virtual keys follow.
int KeyCharacter(UINT vk, bool shift, bool caps, bool ctrl)
{
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl)
            return static_cast<int>(vk - 'A' + 1);
        return (shift != caps) ? static_cast<int>(vk) : static_cast<int>(vk - 'A' + 'a');
    }
    if (ctrl)
        return vk == VK_BACK ? 0x7F : vk == VK_RETURN ? 0x0A : vk == VK_ESCAPE ? 0x1B : vk == VK_SPACE ? ' ' : 0;
    if (vk >= '0' && vk <= '9')
        return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<int>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return static_cast<int>('0' + vk - VK_NUMPAD0);
    switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return 0;
    }
}

}  // namespace

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    State& s = Get();
    const bool sys = msg->message == WM_SYSKEYDOWN;
    const UINT vk = static_cast<UINT>(msg->wParam);
    const bool ctrl = (s.syncKeys[VK_CONTROL] & 0x80) != 0;
    const bool alt = (s.syncKeys[VK_MENU] & 0x80) != 0;
    if (vk == s.lastKeyVk && !s.lastKeyText.empty() && !ctrl && !alt) {
        // The desktop knows the real layout: prefer what it typed.
        PostTypedText(msg->hwnd, Utf8ToUtf16(s.lastKeyText));
        s.lastKeyText.clear();
        return TRUE;
    }
    const int c = KeyCharacter(vk, (s.syncKeys[VK_SHIFT] & 0x80) != 0, (s.syncKeys[VK_CAPITAL] & 0x01) != 0, ctrl && !alt);
    if (c == 0)
        return FALSE;
    Post(msg->hwnd, sys ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(c), msg->lParam);
    return TRUE;
}

SHORT GetKeyState(int virtKey)
{
    const BYTE v = Get().syncKeys[virtKey & 0xFF];
    return static_cast<SHORT>(((v & 0x80) ? 0x8000 : 0) | (v & 0x01));
}

SHORT GetAsyncKeyState(int virtKey)
{
    PumpBackend();
    return static_cast<SHORT>((Get().asyncKeys[virtKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(PBYTE state)
{
    if (!state)
        return FALSE;
    std::copy(std::begin(Get().syncKeys), std::end(Get().syncKeys), state);
    return TRUE;
}

UINT MapVirtualKeyA(UINT code, UINT mapType)
{
    switch (mapType) {
    case MAPVK_VK_TO_CHAR: {
        const int c = KeyCharacter(code, false, false, false);
        return (c >= 'a' && c <= 'z') ? static_cast<UINT>(c - 'a' + 'A') : static_cast<UINT>(c);
    }
    default: return 0;
    }
}

void keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR)
{
    State& s = Get();
    vls::backend::Event e;
    e.kind = vls::backend::EventKind::Key;
    e.vk = vk;
    e.scan = scan;
    e.extended = (flags & KEYEVENTF_EXTENDEDKEY) != 0;
    e.down = !(flags & KEYEVENTF_KEYUP);
    s.asyncKeys[vk] = e.down ? 0x80 : 0;
    s.input.push_back(InputEvent{e, s.backend->NowMs()});
}

UINT GetDoubleClickTime() { return 500; }

BOOL SwapMouseButton(BOOL) { return FALSE; }

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track)
{
    State& s = Get();
    if (!track)
        return FALSE;
    if (track->dwFlags & TME_QUERY) {
        track->hwndTrack = s.trackWindow;
        track->dwFlags = s.trackWindow ? s.trackFlags : 0;
        track->dwHoverTime = s.hoverTime;
        return TRUE;
    }
    if (track->dwFlags & TME_CANCEL) {
        if (s.trackWindow == track->hwndTrack) {
            s.trackFlags &= ~(track->dwFlags & (TME_HOVER | TME_LEAVE));
            if (!(s.trackFlags & (TME_HOVER | TME_LEAVE)))
                s.trackWindow = nullptr;
        }
        return TRUE;
    }
    if (!Find(track->hwndTrack))
        return FALSE;
    const bool nonClient = (track->dwFlags & TME_NONCLIENT) != 0;
    // Asking while the mouse is already elsewhere gets the leave at once.
    if (s.mouseWindow != track->hwndTrack || ((s.mouseHit == HTCLIENT) == nonClient)) {
        if (track->dwFlags & TME_LEAVE)
            Post(track->hwndTrack, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (s.trackWindow != track->hwndTrack)
        s.trackFlags = 0;
    s.trackWindow = track->hwndTrack;
    s.trackFlags |= track->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
    if (track->dwFlags & TME_HOVER) {
        s.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? 400 : track->dwHoverTime;
        s.hoverStart = s.backend->NowMs();
        s.hoverPos = s.cursorPos;
        s.hoverArmed = true;
    }
    return TRUE;
}
