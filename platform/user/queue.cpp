#include "platform/win32/kernel/last_error.h"
#include "platform/user/user_control.h"
#include "platform/user/user_state.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cctype>
#include <cstring>

#include <pthread.h>

namespace vls::user {
namespace {

std::atomic<int> g_closeSignals{0};
// Set once the window manager has its backend; a signal before that is only
// counted, and the first look at the queue turns it into a close request.
std::atomic<backend::Backend*> g_signalBackend{nullptr};

void OnCloseSignal(int)
{
    g_closeSignals.fetch_add(1);
    if (backend::Backend* const backend = g_signalBackend.load())
        backend->Wake();
}

bool InRange(UINT msg, UINT min, UINT max)
{
    if (min == 0 && max == 0)
        return true;
    if (min <= max)
        return msg >= min && msg <= max;
    return msg >= min || msg <= max;  // the original treats a reversed range as its complement
}

bool WindowMatches(HWND msgWindow, HWND filter)
{
    if (!filter)
        return true;
    if (filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)))
        return msgWindow == nullptr;
    return msgWindow == filter || IsChild(filter, msgWindow);
}

// The window a close request ends: the active window's visible root owner,
// else the first shown top-level window that no shown window owns, else the
// root owner of a hidden owned window, else any top-level window. Hidden
// owners (an application's own window) are passed by.
HWND MainWindow()
{
    State& s = Get();
    const auto shown = [](const Window* w) { return w && (w->style & WS_VISIBLE); };
    if (Window* a = Find(s.active); shown(a)) {
        while (Window* o = Find(a->owner)) {
            if (!shown(o))
                break;
            a = o;
        }
        return a->handle;
    }
    const Window* desktop = Find(s.desktop);
    for (const HWND h : desktop->children)
        if (const Window* w = Find(h); shown(w) && !w->messageOnly && !shown(Find(w->owner)))
            return h;
    // Nothing shown (a program hidden in the tray): the window that owns the
    // program's windows stands for it. Unowned helper windows (a tray icon's,
    // a timer's) would swallow the close, so they only count when no window
    // has an owner.
    HWND fallback = nullptr;
    for (const HWND h : desktop->children) {
        const Window* w = Find(h);
        if (!w || w->messageOnly)
            continue;
        if (Find(w->owner)) {
            while (const Window* o = Find(w->owner))
                w = o;
            return w->handle;
        }
        if (!fallback)
            fallback = h;
    }
    return fallback;
}

std::function<HWND()>& CloseTargetHook()
{
    static std::function<HWND()> hook;
    return hook;
}

// Where a shut-down request goes.
HWND CloseTarget()
{
    if (const auto& hook = CloseTargetHook())
        if (const HWND named = hook(); named && Find(named))
            return named;
    return MainWindow();
}

void PostClose(HWND hwnd)
{
    if (hwnd)
        Post(hwnd, WM_CLOSE, 0, 0);
    else
        PostQuitMessage(0);
}

// System messages whose parameters point into the sender's memory: only
// sending them makes sense, so posting them is refused, as the original does.
bool CarriesPointer(UINT msg)
{
    switch (msg) {
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_NOTIFY:
    case WM_HELP:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NCCALCSIZE:
    case WM_SIZING:
    case WM_MOVING:
        return true;
    default:
        return false;
    }
}

DWORD NextTimerDelay(DWORD now)
{
    DWORD best = INFINITE;
    for (const Timer& t : Get().timers) {
        const DWORD left = static_cast<std::int32_t>(t.due - now) <= 0 ? 0 : t.due - now;
        best = std::min(best, left);
    }
    return best;
}

bool Retrieve(MSG* msg, HWND filter, UINT min, UINT max, bool remove)
{
    State& s = Get();
    PumpBackend();
    const DWORD now = s.backend->NowMs();
    CheckHover(now);

    for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
        if (!WindowMatches(it->hwnd, filter) || !InRange(it->message, min, max))
            continue;
        *msg = *it;
        if (remove)
            s.posted.erase(it);
        return true;
    }
    if (s.quitPosted && InRange(WM_QUIT, min, max)) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, now, s.cursorPos};
        if (remove)
            s.quitPosted = false;
        return true;
    }
    for (std::size_t i = 0; i < s.input.size();) {
        MSG m{};
        const InputEvent in = s.input[i];
        if (!RouteInput(in, m, false)) {
            if (remove) {
                s.input.erase(s.input.begin() + static_cast<std::ptrdiff_t>(i));
                RouteInput(in, m, true);  // keeps key and button state in step
                return Retrieve(msg, filter, min, max, remove);
            } else {
                ++i;
            }
            continue;
        }
        if (!WindowMatches(m.hwnd, filter) || !InRange(m.message, min, max)) {
            ++i;
            continue;
        }
        if (!remove) {
            *msg = m;
            return true;
        }
        s.input.erase(s.input.begin() + static_cast<std::ptrdiff_t>(i));
        if (RouteInput(in, m, true)) {
            *msg = m;
            return true;
        }
        // Eaten, or turned into posted messages: those come first.
        return Retrieve(msg, filter, min, max, remove);
    }
    if (InRange(WM_PAINT, min, max)) {
        if (Window* w = FindWindowToPaint(); w && WindowMatches(w->handle, filter)) {
            *msg = MSG{w->handle, WM_PAINT, 0, 0, now, s.cursorPos};
            if (remove)
                w->internalPaint = false;
            return true;
        }
    }
    if (InRange(WM_TIMER, min, max)) {
        for (Timer& t : s.timers) {
            if (static_cast<std::int32_t>(now - t.due) < 0 || !WindowMatches(t.hwnd, filter))
                continue;
            *msg = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), now, s.cursorPos};
            if (remove)
                t.due = now + t.elapse;
            return true;
        }
    }
    return false;
}

// Message hooks see each message as it leaves the queue and may change it.
void NoteRemoved(MSG& m)
{
    State& s = Get();
    s.lastMessageTime = m.time;
    s.lastMessagePos = m.pt;
    for (const Hook& h : std::vector<Hook>(s.hooks)) {
        if (h.kind == WH_GETMESSAGE) {
            h.proc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&m));
            break;  // the hook passes it on through CallNextHookEx
        }
    }
}

}  // namespace

LRESULT Send(Window* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    State& s = Get();
    const HWND hwnd = w->handle;
    if (!s.hooks.empty()) {
        CWPSTRUCT cwp{lParam, wParam, msg, hwnd};
        const std::vector<Hook> hooks = s.hooks;
        for (const Hook& h : hooks)
            if (h.kind == WH_CALLWNDPROC) {
                h.proc(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
                break;  // the hook passes it on through CallNextHookEx
            }
        if (!(w = Find(hwnd)))
            return 0;
    }
    ++s.sendDepth;
    const LRESULT result = w->proc ? w->proc(hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
    --s.sendDepth;
    return result;
}

void Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    State& s = Get();
    s.posted.push_back(MSG{hwnd, msg, wParam, lParam, s.backend->NowMs(), s.cursorPos});
    s.backend->Wake();
}

void InstallCloseSignals()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // The window manager itself need not be up: a program installs these
    // first thing, so a signal in its first moments is kept, not fatal.
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    // The handler stays: a signal repeated while the program shuts down only
    // counts again, so the one orderly shut-down always finishes.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A parent may have left them blocked; one sent meanwhile is pending and
    // arrives now, as a close request.
    sigset_t closeSignals;
    sigemptyset(&closeSignals);
    sigaddset(&closeSignals, SIGINT);
    sigaddset(&closeSignals, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &closeSignals, nullptr);
}

void SetCloseTarget(std::function<HWND()> target) { CloseTargetHook() = std::move(target); }

void PumpBackend()
{
    State& s = Get();
    g_signalBackend.store(s.backend.get());
    if (g_closeSignals.exchange(0) > 0)
        PostClose(CloseTarget());
    std::vector<backend::Event> events;
    s.backend->Poll(events);
    HWND lostFocus = nullptr;
    for (backend::Event& e : events) {
        const HWND tag = static_cast<HWND>(e.window);
        switch (e.kind) {
        case backend::EventKind::CloseRequest:
            if (Find(tag))
                Post(tag, WM_CLOSE, 0, 0);
            break;
        case backend::EventKind::Quit:
            PostClose(CloseTarget());
            break;
        case backend::EventKind::FocusGained:
            lostFocus = nullptr;
            if (Window* w = Find(tag); w && IsTopLevel(w) && s.active != tag && !(w->style & WS_DISABLED))
                ActivateWindow(w, WA_ACTIVE);
            break;
        case backend::EventKind::Minimized:
            if (Window* w = Find(tag); w && IsTopLevel(w) && !w->minimized) {
                w->nativeMinimized = true;
                Post(tag, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            }
            break;
        case backend::EventKind::Restored:
            if (Window* w = Find(tag); w && IsTopLevel(w) && w->minimized) {
                w->nativeMinimized = false;
                Post(tag, WM_SYSCOMMAND, SC_RESTORE, 0);
            }
            break;
        case backend::EventKind::Exposed:
            // Our surface still holds the pixels: show them again.
            if (Window* w = Find(tag); w && IsTopLevel(w))
                w->surfaceDirty = true;
            break;
        case backend::EventKind::FocusLost:
            if (s.active == tag)
                lostFocus = tag;
            break;
        case backend::EventKind::MouseMove:
        case backend::EventKind::MouseButton:
        case backend::EventKind::MouseWheel:
            s.cursorPos = {e.x, e.y};
            if (e.kind == backend::EventKind::MouseButton) {
                const int vk = e.button == backend::MouseButton::Left ? VK_LBUTTON
                               : e.button == backend::MouseButton::Right ? VK_RBUTTON : VK_MBUTTON;
                s.asyncKeys[vk] = e.down ? 0x80 : 0;
                SyncDesktopCapture();
            }
            if (e.kind == backend::EventKind::MouseMove && !s.input.empty() &&
                s.input.back().event.kind == backend::EventKind::MouseMove) {
                s.input.back().event = e;  // moves coalesce, as the original's do
                s.input.back().time = e.time ? e.time : s.backend->NowMs();
                break;
            }
            s.input.push_back(InputEvent{e, e.time ? e.time : s.backend->NowMs()});
            break;
        case backend::EventKind::Key:
            if (e.vk > 0 && e.vk < 256)
                s.asyncKeys[e.vk] = e.down ? 0x80 : 0;
            s.input.push_back(InputEvent{e, e.time ? e.time : s.backend->NowMs()});
            break;
        case backend::EventKind::Text:
            s.input.push_back(InputEvent{e, e.time ? e.time : s.backend->NowMs()});
            break;
        }
    }
    if (lostFocus && s.active == lostFocus)
        Deactivate();
}

}  // namespace vls::user

using namespace vls::user;

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd == HWND_BROADCAST) {
        const std::vector<HWND> tops = Find(Get().desktop)->children;
        for (const HWND h : tops)
            if (Window* w = Find(h))
                Send(w, msg, wParam, lParam);
        return 0;
    }
    Window* w = Find(hwnd);
    return (w && !IsDesktop(w)) ? Send(w, msg, wParam, lParam) : 0;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (CarriesPointer(msg)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (hwnd == HWND_BROADCAST) {
        for (const HWND h : Find(Get().desktop)->children)
            Post(h, msg, wParam, lParam);
        return TRUE;
    }
    if (hwnd && !Find(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Post(hwnd, msg, wParam, lParam);
    return TRUE;
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg)
        return FALSE;
    if (Retrieve(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0)) {
        if (removeFlags & PM_REMOVE)
            NoteRemoved(*msg);
        return TRUE;
    }
    // Nothing to do: a good moment to show what was drawn.
    PresentDirty();
    return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    State& s = Get();
    if (!msg || (hwnd && hwnd != reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)) && !Find(hwnd)))
        return -1;
    for (;;) {
        if (Retrieve(msg, hwnd, filterMin, filterMax, true)) {
            NoteRemoved(*msg);
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        PresentDirty();
        const DWORD now = s.backend->NowMs();
        DWORD wait = NextTimerDelay(now);
        if (s.trackWindow && (s.trackFlags & TME_HOVER) && s.hoverArmed)
            wait = std::min<DWORD>(wait, 10);
        s.backend->Wait(wait);
    }
}

BOOL WaitMessage()
{
    State& s = Get();
    MSG m{};
    if (Retrieve(&m, nullptr, 0, 0, false))
        return TRUE;
    PresentDirty();
    s.backend->Wait(NextTimerDelay(s.backend->NowMs()));
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD, const HANDLE*, BOOL, DWORD milliseconds, DWORD)
{
    State& s = Get();
    MSG m{};
    if (Retrieve(&m, nullptr, 0, 0, false))
        return WAIT_OBJECT_0;
    PresentDirty();
    s.backend->Wait(std::min(milliseconds, NextTimerDelay(s.backend->NowMs())));
    return Retrieve(&m, nullptr, 0, 0, false) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

DWORD GetQueueStatus(UINT flags)
{
    State& s = Get();
    PumpBackend();
    DWORD status = 0;
    if (!s.posted.empty() || s.quitPosted)
        status |= QS_POSTMESSAGE;
    for (const InputEvent& in : s.input)
        status |= in.event.kind == vls::backend::EventKind::Key || in.event.kind == vls::backend::EventKind::Text ? QS_KEY
                  : in.event.kind == vls::backend::EventKind::MouseMove                                     ? QS_MOUSEMOVE
                                                                                                        : QS_MOUSEBUTTON;
    if (FindWindowToPaint())
        status |= QS_PAINT;
    const DWORD now = s.backend->NowMs();
    for (const Timer& t : s.timers)
        if (static_cast<std::int32_t>(now - t.due) >= 0)
            status |= QS_TIMER;
    return (status & flags) | ((status & flags) << 16);
}

BOOL TranslateMessage(const MSG* msg);

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, Now());
        return 0;
    }
    Window* w = Find(msg->hwnd);
    if (!w)
        return 0;
    const LRESULT result = Send(w, msg->message, msg->wParam, msg->lParam);
    if (msg->message == WM_PAINT) {
        // A window procedure that ignores WM_PAINT must not be asked forever.
        if (Window* again = Find(msg->hwnd); again && NeedsPaint(again))
            ValidateRect(msg->hwnd, nullptr);
    }
    return result;
}

void PostQuitMessage(int exitCode)
{
    State& s = Get();
    s.quitPosted = true;
    s.quitCode = exitCode;
    s.backend->Wake();
}

DWORD GetMessageTime() { return Get().lastMessageTime; }

DWORD GetMessagePos()
{
    const POINT p = Get().lastMessagePos;
    return MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

BOOL InSendMessage() { return FALSE; }

UINT RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name)
        return 0;
    State& s = Get();
    std::string key(name);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto it = s.registeredMessages.find(key);
    if (it != s.registeredMessages.end())
        return it->second;
    const UINT id = 0xC000 + static_cast<UINT>(s.registeredMessages.size());
    s.registeredMessages[key] = id;
    return id;
}

HHOOK SetWindowsHookExA(int kind, HOOKPROC proc, HINSTANCE, DWORD)
{
    if (!proc)
        return nullptr;
    State& s = Get();
    const HHOOK handle = reinterpret_cast<HHOOK>(s.nextHook++);
    s.hooks.insert(s.hooks.begin(), Hook{kind, proc, handle});
    return handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    auto& hooks = Get().hooks;
    const auto before = hooks.size();
    std::erase_if(hooks, [hook](const Hook& h) { return h.handle == hook; });
    return hooks.size() != before;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    const std::vector<Hook> hooks = Get().hooks;
    auto it = std::find_if(hooks.begin(), hooks.end(), [hook](const Hook& h) { return h.handle == hook; });
    if (it == hooks.end())
        return 0;
    const int kind = it->kind;
    for (++it; it != hooks.end(); ++it)
        if (it->kind == kind)
            return it->proc(code, wParam, lParam);
    return 0;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    State& s = Get();
    if (hwnd && !Find(hwnd))
        return 0;
    // The original raises tiny intervals to its minimum of 10 ms.
    elapse = std::max<UINT>(elapse, 10);
    const DWORD now = s.backend->NowMs();
    if (hwnd) {
        for (Timer& t : s.timers) {
            if (t.hwnd == hwnd && t.id == id) {
                t.elapse = elapse;
                t.proc = proc;
                t.due = now + elapse;
                return id ? id : 1;
            }
        }
    } else {
        id = s.nextTimerId++;
    }
    s.timers.push_back(Timer{hwnd, id, elapse, proc, now + elapse});
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    State& s = Get();
    const auto before = s.timers.size();
    std::erase_if(s.timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    // A WM_TIMER already posted is not taken back, but ours are generated on
    // retrieval, so none is pending.
    return s.timers.size() != before;
}
