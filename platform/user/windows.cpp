#include "platform/win32/kernel/last_error.h"
#include "platform/user/user_control.h"
#include "platform/user/user_state.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace vls::user {
namespace {

void InsertIntoParent(Window* parent, Window* w)
{
    auto& list = parent->children;
    auto pos = list.begin();
    if (IsDesktop(parent) && !(w->exStyle & WS_EX_TOPMOST)) {
        // Ordinary top-level windows go below every topmost one.
        while (pos != list.end()) {
            const Window* other = Find(*pos);
            if (!other || !(other->exStyle & WS_EX_TOPMOST))
                break;
            ++pos;
        }
    }
    list.insert(pos, w->handle);
}

void DefaultPlacement(bool child, int& x, int& y, int& width, int& height)
{
    int deskW = 0;
    int deskH = 0;
    Get().backend->DesktopSize(deskW, deskH);
    if (x == CW_USEDEFAULT) {
        x = child ? 0 : deskW / 8;
        if (y == CW_USEDEFAULT || !child)
            y = child ? 0 : (y == CW_USEDEFAULT ? deskH / 8 : y);
    }
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : deskW * 3 / 4;
        height = child ? 0 : deskH * 3 / 4;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
}

void SendDestroyTree(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return;
    Send(w, WM_DESTROY, 0, 0);
    const std::vector<HWND> children = Find(hwnd) ? Find(hwnd)->children : std::vector<HWND>{};
    for (const HWND child : children) {
        if (Window* c = Find(child))
            c->destroying = true;
        SendDestroyTree(child);
    }
}

void FreeTree(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return;
    const std::vector<HWND> children = w->children;
    for (const HWND child : children)
        FreeTree(child);
    w = Find(hwnd);
    if (!w)
        return;
    Send(w, WM_NCDESTROY, 0, 0);
    w = Find(hwnd);
    if (!w)
        return;
    OnWindowGone(w);
    State& s = Get();
    std::erase_if(s.timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
    std::erase_if(s.posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
    if (IsTopLevel(w)) {
        WithdrawWindow(w);
        if (w->native)
            s.backend->DestroyNativeWindow(w->native);
    }
    if (w->region)
        DeleteObject(w->region);
    if (Window* parent = Find(w->parent))
        std::erase(parent->children, hwnd);
    s.windows.erase(reinterpret_cast<std::uintptr_t>(hwnd));
}

bool InSubtree(HWND root, HWND hwnd)
{
    for (Window* w = Find(hwnd); w; w = Find(w->parent))
        if (w->handle == root)
            return true;
    return false;
}

}  // namespace

void OnWindowGone(Window* w)
{
    State& s = Get();
    const HWND h = w->handle;
    if (s.capture == h) {
        s.capture = nullptr;
        SyncDesktopCapture();
    }
    if (s.focus == h)
        s.focus = nullptr;
    if (s.active == h)
        s.active = nullptr;
    if (s.trackWindow == h)
        s.trackWindow = nullptr;
    if (s.mouseWindow == h)
        s.mouseWindow = nullptr;
    if (s.lastClickWindow == h)
        s.lastClickWindow = nullptr;
}

}  // namespace vls::user

using namespace vls::user;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    State& s = Get();
    WindowClass* cls = LookupClass(className);
    if (!cls) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    Window* parentWindow = nullptr;
    HWND owner = nullptr;
    const bool messageOnly = parent == HWND_MESSAGE;
    if (messageOnly) {
        parentWindow = Find(s.desktop);
        style &= ~WS_VISIBLE;
    } else if (child) {
        parentWindow = Find(parent);
        if (!parentWindow) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    } else {
        parentWindow = Find(s.desktop);
        if (parent) {
            Window* ownerWindow = TopLevelOf(Find(parent));
            if (!ownerWindow) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            owner = ownerWindow->handle;
        }
    }
    DefaultPlacement(child, x, y, width, height);

    auto window = std::make_unique<Window>();
    Window* w = window.get();
    w->handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 2;
    w->cls = cls;
    w->proc = cls->proc;
    w->style = style;
    w->exStyle = exStyle;
    w->parent = parentWindow->handle;
    w->owner = owner;
    w->rect = {x, y, x + width, y + height};
    w->client = w->rect;
    w->text = windowName && !IS_INTRESOURCE(windowName) ? windowName : "";
    w->instance = instance;
    w->id = reinterpret_cast<LONG_PTR>(menu);
    w->extra.assign(static_cast<std::size_t>(cls->wndExtra), 0);
    w->messageOnly = messageOnly;
    const HWND hwnd = w->handle;
    s.windows[reinterpret_cast<std::uintptr_t>(hwnd)] = std::move(window);
    InsertIntoParent(parentWindow, w);
    if (!child && !messageOnly)
        InstallCloseSignals();

    CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                     className, exStyle};
    // Resizable and overlapped windows get the minimum and maximum track sizes.
    if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
        MINMAXINFO mmi{};
        int deskW = 0;
        int deskH = 0;
        s.backend->DesktopSize(deskW, deskH);
        mmi.ptMaxSize = {deskW, deskH};
        mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
        mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
        Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        if (!(w = Find(hwnd)))
            return nullptr;
        width = std::clamp(width, static_cast<int>(mmi.ptMinTrackSize.x), static_cast<int>(std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x)));
        height = std::clamp(height, static_cast<int>(mmi.ptMinTrackSize.y), static_cast<int>(std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y)));
        w->rect = {x, y, x + width, y + height};
        w->client = w->rect;
    }
    if (!Send(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!(w = Find(hwnd)))
        return nullptr;
    RECT clientRect = w->rect;
    Send(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&clientRect));
    if (!(w = Find(hwnd)))
        return nullptr;
    w->client = clientRect;
    if (Send(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!(w = Find(hwnd)))
        return nullptr;
    w->created = true;
    Send(w, WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(static_cast<WORD>(w->client.right - w->client.left), static_cast<WORD>(w->client.bottom - w->client.top)));
    if (!(w = Find(hwnd)))
        return nullptr;
    Send(w, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(w->client.left), static_cast<WORD>(w->client.top)));
    if (!(w = Find(hwnd)))
        return nullptr;
    if (child && !(exStyle & WS_EX_NOPARENTNOTIFY)) {
        if (Window* p = Find(w->parent))
            Send(p, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<WORD>(w->id)), reinterpret_cast<LPARAM>(hwnd));
    }
    if (!(w = Find(hwnd)))
        return nullptr;
    if (IsTopLevel(w) && !messageOnly)
        AnnounceWindow(w);
    if (style & WS_VISIBLE) {
        w->style &= ~WS_VISIBLE;
        ShowWindow(hwnd, (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW);
    }
    return Find(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    State& s = Get();
    Window* w = Find(hwnd);
    if (!w || IsDesktop(w)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->destroying)
        return TRUE;  // already on its way, from an outer DestroyWindow
    w->destroying = true;

    // Owned windows go first.
    std::vector<HWND> owned;
    for (const auto& [key, other] : s.windows)
        if (other->owner == hwnd)
            owned.push_back(other->handle);
    for (const HWND o : owned)
        DestroyWindow(o);
    if (!(w = Find(hwnd)))
        return TRUE;

    if (IsTopLevel(w) && (w->style & WS_VISIBLE))
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!(w = Find(hwnd)))
        return TRUE;
    if (!IsTopLevel(w) && !(w->exStyle & WS_EX_NOPARENTNOTIFY)) {
        if (Window* p = Find(w->parent); p && !p->destroying)
            Send(p, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<WORD>(w->id)), reinterpret_cast<LPARAM>(hwnd));
    }
    if (s.capture && InSubtree(hwnd, s.capture))
        ReleaseCapture();
    if (s.active == hwnd)
        ActivateOtherThan(w);
    if (s.focus && InSubtree(hwnd, s.focus)) {
        const HWND old = s.focus;
        s.focus = nullptr;
        if (Window* f = Find(old))
            Send(f, WM_KILLFOCUS, 0, 0);
    }
    SendDestroyTree(hwnd);
    FreeTree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) != nullptr; }

BOOL IsWindowVisible(HWND hwnd)
{
    for (const Window* w = Find(hwnd); w; w = Find(w->parent)) {
        if (!(w->style & WS_VISIBLE))
            return FALSE;
        if (IsDesktop(w))
            return TRUE;
    }
    return FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    const Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Window* w = Find(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        w->style &= ~WS_DISABLED;
        Send(w, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        // Disabling takes the focus away first, as the window can no longer take input.
        State& s = Get();
        if (s.focus && InSubtree(hwnd, s.focus))
            SetFocus(nullptr);
        if (s.capture && InSubtree(hwnd, s.capture))
            ReleaseCapture();
        if ((w = Find(hwnd))) {
            w->style |= WS_DISABLED;
            Send(w, WM_ENABLE, FALSE, 0);
        }
    }
    return wasDisabled;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    const Window* w = Find(hwnd);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == parent)
            return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd)
{
    const Window* w = Find(hwnd);
    return w && w->minimized;
}

BOOL IsZoomed(HWND hwnd)
{
    const Window* w = Find(hwnd);
    return w && w->maximized;
}

HWND GetParent(HWND hwnd)
{
    const Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    if (w->style & WS_CHILD)
        return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND hwnd, HWND newParent)
{
    State& s = Get();
    Window* w = Find(hwnd);
    Window* p = newParent ? Find(newParent) : Find(s.desktop);
    if (!w || !p || IsDesktop(w))
        return nullptr;
    for (const Window* a = p; a; a = Find(a->parent))
        if (a == w)
            return nullptr;  // would make a cycle
    const HWND old = w->parent;
    const bool visible = (w->style & WS_VISIBLE) != 0;
    if (visible)
        ShowWindow(hwnd, SW_HIDE);
    if ((w = Find(hwnd)) == nullptr)
        return nullptr;
    const bool wasTop = IsTopLevel(w);
    if (Window* op = Find(old))
        std::erase(op->children, hwnd);
    if (wasTop) {
        WithdrawWindow(w);
        if (w->native) {
            s.backend->DestroyNativeWindow(w->native);
            w->native = 0;
            w->nativeShown = false;
        }
        w->surface.reset();
    }
    w->parent = p->handle;
    p->children.insert(p->children.begin(), hwnd);
    if (IsTopLevel(w))
        AnnounceWindow(w);
    if (visible)
        ShowWindow(hwnd, SW_SHOWNA);
    return IsDesktop(Find(old)) ? s.desktop : old;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    Window* w = Find(hwnd);
    if (!w || IsDesktop(w))
        return nullptr;
    switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
        Window* top = TopLevelOf(w);
        while (Window* o = Find(top->owner))
            top = o;
        return top->handle;
    }
    default: return nullptr;
    }
}

HWND GetWindow(HWND hwnd, UINT relation)
{
    const Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    if (relation == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER)
        return w->owner;
    const Window* p = Find(w->parent);
    if (!p)
        return nullptr;
    const auto& list = p->children;
    const auto it = std::find(list.begin(), list.end(), hwnd);
    switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return (it == list.end() || it + 1 == list.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == list.begin() || it == list.end()) ? nullptr : *(it - 1);
    default: return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd)
{
    const Window* w = hwnd ? Find(hwnd) : Find(Get().desktop);
    return (w && !w->children.empty()) ? w->children.front() : nullptr;
}

HWND GetDesktopWindow() { return Get().desktop; }

HWND GetDlgItem(HWND dialog, int id)
{
    const Window* w = Find(dialog);
    if (!w)
        return nullptr;
    for (const HWND c : w->children)
        if (const Window* cw = Find(c); cw && cw->id == id)
            return c;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    const Window* w = Find(hwnd);
    return (w && (w->style & WS_CHILD)) ? static_cast<int>(w->id) : 0;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param)
{
    if (!proc)
        return FALSE;
    const std::vector<HWND> tops = Find(Get().desktop)->children;
    for (const HWND h : tops)
        if (Find(h) && !proc(h, param))
            return FALSE;
    return TRUE;
}

namespace {
bool EnumChildren(HWND parent, WNDENUMPROC proc, LPARAM param)
{
    const Window* w = Find(parent);
    if (!w)
        return true;
    const std::vector<HWND> children = w->children;
    for (const HWND c : children) {
        if (!Find(c))
            continue;
        if (!proc(c, param))
            return false;
        if (!EnumChildren(c, proc, param))
            return false;
    }
    return true;
}
}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param)
{
    if (!proc)
        return FALSE;
    return EnumChildren(parent ? parent : Get().desktop, proc, param) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId)
{
    if (!Find(hwnd))
        return 0;
    if (processId)
        *processId = static_cast<DWORD>(getpid());
    return static_cast<DWORD>(getpid());
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index)
{
    const Window* w = Find(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWL_USERDATA: return w->userData;
    case GWL_ID: return w->id;
    default:
        if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
            LONG_PTR v = 0;
            std::memcpy(&v, w->extra.data() + index, sizeof v);
            return v;
        }
        if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG) <= w->extra.size()) {
            LONG v = 0;
            std::memcpy(&v, w->extra.data() + index, sizeof v);
            return v;
        }
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    const LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    switch (index) {
    case GWL_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_HWNDPARENT:
        if (w->style & WS_CHILD)
            return old;
        if (Window* o = TopLevelOf(Find(reinterpret_cast<HWND>(value))); o && o != w)
            w->owner = o->handle;
        else
            w->owner = nullptr;
        break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        // The caller learns of the change as the original announces it.
        const WPARAM which = static_cast<WPARAM>(index);
        struct { DWORD oldStyle; DWORD newStyle; } change{static_cast<DWORD>(old), static_cast<DWORD>(value)};
        Send(w, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&change));
        if (!(w = Find(hwnd)))
            return old;
        if (index == GWL_STYLE) {
            // WS_VISIBLE follows only ShowWindow; keep it.
            w->style = (change.newStyle & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
        } else {
            w->exStyle = change.newStyle;
        }
        Send(w, WM_STYLECHANGED, which, reinterpret_cast<LPARAM>(&change));
        break;
    }
    case GWL_USERDATA: w->userData = value; break;
    case GWL_ID: w->id = value; break;
    default:
        if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size())
            std::memcpy(w->extra.data() + index, &value, sizeof value);
        else if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG) <= w->extra.size()) {
            const LONG v = static_cast<LONG>(value);
            std::memcpy(w->extra.data() + index, &v, sizeof v);
        }
        break;
    }
    return old;
}

// On 64-bit a window procedure does not fit the LONG of the 32-bit calls.
// Through them a procedure travels as a 32-bit identity instead, a value no
// code address can have; SetWindowLongA and CallWindowProcA turn it back.
namespace {

constexpr LONG kProcIdBase = static_cast<LONG>(0xFFFF0000u);

std::vector<WNDPROC>& ProcIds()
{
    static auto* procs = new std::vector<WNDPROC>;  // outlives exit handlers
    return *procs;
}

LONG ProcToId(WNDPROC proc)
{
    if (!proc)
        return 0;
    auto& procs = ProcIds();
    auto it = std::find(procs.begin(), procs.end(), proc);
    if (it == procs.end()) {
        if (procs.size() >= 0xFFFF)
            return 0;
        procs.push_back(proc);
        it = procs.end() - 1;
    }
    return kProcIdBase + static_cast<LONG>(it - procs.begin());
}

const void* ModuleOf(std::uintptr_t address)
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(address), &info))
        return nullptr;
    return info.dli_fbase;
}

// A caller written for 32 bits may squeeze a full code address into a LONG.
// Code of this program lies in one mapping, so the lost upper half is the
// one of our own code (or next to it) when that lands inside the same module.
WNDPROC RecoverTruncated(std::uint32_t low)
{
    const auto anchor = reinterpret_cast<std::uintptr_t>(&DefWindowProcA);
    const void* home = ModuleOf(anchor);
    if (!home)
        return nullptr;
    constexpr std::uintptr_t kHalf = std::uintptr_t{1} << 32;
    const std::uintptr_t high = anchor & ~(kHalf - 1);
    for (const std::uintptr_t base : {high, high + kHalf, high - kHalf}) {
        const std::uintptr_t candidate = base | low;
        if (ModuleOf(candidate) == home)
            return reinterpret_cast<WNDPROC>(candidate);
    }
    return nullptr;
}

WNDPROC IdToProc(LONG_PTR value)
{
    const auto& procs = ProcIds();
    if (value >= kProcIdBase && value < kProcIdBase + static_cast<LONG>(procs.size()))
        return procs[static_cast<std::size_t>(value - kProcIdBase)];
    if (value == 0 || ModuleOf(static_cast<std::uintptr_t>(value)))
        return reinterpret_cast<WNDPROC>(value);
    if (const WNDPROC recovered = RecoverTruncated(static_cast<std::uint32_t>(value)))
        return recovered;
    return reinterpret_cast<WNDPROC>(value);
}

}  // namespace

LONG GetWindowLongA(HWND hwnd, int index)
{
    if (index == GWL_WNDPROC) {
        const Window* w = Find(hwnd);
        return w ? ProcToId(w->proc) : 0;
    }
    return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value)
{
    if (index == GWL_WNDPROC) {
        const WNDPROC old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, index, reinterpret_cast<LONG_PTR>(IdToProc(value))));
        return ProcToId(old);
    }
    return static_cast<LONG>(SetWindowLongPtrA(hwnd, index, value));
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    proc = IdToProc(reinterpret_cast<LONG_PTR>(proc));
    if (!proc)
        return 0;
    return proc(hwnd, msg, wParam, lParam);
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data)
{
    Window* w = Find(hwnd);
    if (!w || !name)
        return FALSE;
    w->props[IS_INTRESOURCE(name) ? '#' + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name)] = data;
    return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name)
{
    Window* w = Find(hwnd);
    if (!w || !name)
        return nullptr;
    const auto it = w->props.find(IS_INTRESOURCE(name) ? '#' + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name));
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name)
{
    Window* w = Find(hwnd);
    if (!w || !name)
        return nullptr;
    const auto it = w->props.find(IS_INTRESOURCE(name) ? '#' + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name));
    if (it == w->props.end())
        return nullptr;
    HANDLE data = it->second;
    w->props.erase(it);
    return data;
}

int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount)
{
    if (!text || maxCount <= 0)
        return 0;
    text[0] = '\0';
    if (!Find(hwnd))
        return 0;
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthA(HWND hwnd)
{
    return Find(hwnd) ? static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text)
{
    return Find(hwnd) ? static_cast<BOOL>(SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text))) : FALSE;
}
