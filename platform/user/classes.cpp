#include "platform/win32/kernel/last_error.h"
#include "platform/user/user_state.h"

#include <algorithm>
#include <cstring>

namespace vls::user {
namespace {

// A class name is either a string or an atom passed as MAKEINTRESOURCE.
WindowClass* FindClass(LPCSTR name)
{
    if (!name)
        return nullptr;
    for (const auto& cls : Get().classes) {
        if (IS_INTRESOURCE(name) ? cls->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                                 : SameName(cls->name, name))
            return cls.get();
    }
    return nullptr;
}

}  // namespace

WindowClass* LookupClass(LPCSTR name) { return FindClass(name); }

}  // namespace vls::user

using namespace vls::user;

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName ||
        wc->cbClsExtra < 0 || wc->cbWndExtra < 0)
        return 0;
    if (FindClass(wc->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    State& s = Get();
    auto cls = std::make_unique<WindowClass>();
    cls->name = wc->lpszClassName;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->clsExtra = wc->cbClsExtra;
    cls->wndExtra = wc->cbWndExtra;
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->iconSmall = wc->hIconSm;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName))
        cls->menuName = wc->lpszMenuName;
    cls->extra.assign(static_cast<std::size_t>(wc->cbClsExtra), 0);
    cls->atom = s.nextAtom++;
    const ATOM atom = cls->atom;
    s.classes.push_back(std::move(cls));
    return atom;
}

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc)
        return 0;
    WNDCLASSEXA ex{};
    ex.cbSize = sizeof ex;
    ex.style = wc->style;
    ex.lpfnWndProc = wc->lpfnWndProc;
    ex.cbClsExtra = wc->cbClsExtra;
    ex.cbWndExtra = wc->cbWndExtra;
    ex.hInstance = wc->hInstance;
    ex.hIcon = wc->hIcon;
    ex.hCursor = wc->hCursor;
    ex.hbrBackground = wc->hbrBackground;
    ex.lpszMenuName = wc->lpszMenuName;
    ex.lpszClassName = wc->lpszClassName;
    return RegisterClassExA(&ex);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    State& s = Get();
    WindowClass* cls = FindClass(className);
    if (!cls) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (const auto& [key, w] : s.windows) {
        if (w->cls == cls) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    for (auto it = s.classes.begin(); it != s.classes.end(); ++it) {
        if (it->get() == cls) {
            s.classes.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR className, LPWNDCLASSEXA wc)
{
    const WindowClass* cls = FindClass(className);
    if (!cls || !wc)
        return FALSE;
    wc->style = cls->style;
    wc->lpfnWndProc = cls->proc;
    wc->cbClsExtra = cls->clsExtra;
    wc->cbWndExtra = cls->wndExtra;
    wc->hInstance = cls->instance;
    wc->hIcon = cls->icon;
    wc->hCursor = cls->cursor;
    wc->hbrBackground = cls->background;
    wc->lpszMenuName = cls->menuName.empty() ? nullptr : cls->menuName.c_str();
    wc->lpszClassName = cls->name.c_str();
    wc->hIconSm = cls->iconSmall;
    return cls->atom;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, LPWNDCLASSA wc)
{
    WNDCLASSEXA ex{};
    if (!wc || !GetClassInfoExA(instance, className, &ex))
        return FALSE;
    wc->style = ex.style;
    wc->lpfnWndProc = ex.lpfnWndProc;
    wc->cbClsExtra = ex.cbClsExtra;
    wc->cbWndExtra = ex.cbWndExtra;
    wc->hInstance = ex.hInstance;
    wc->hIcon = ex.hIcon;
    wc->hCursor = ex.hCursor;
    wc->hbrBackground = ex.hbrBackground;
    wc->lpszMenuName = ex.lpszMenuName;
    wc->lpszClassName = ex.lpszClassName;
    return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR name, int maxCount)
{
    const Window* w = Find(hwnd);
    if (!w || !name || maxCount <= 0)
        return 0;
    const std::string className = w->cls ? w->cls->name : std::string("#32769");
    const int n = std::min(static_cast<int>(className.size()), maxCount - 1);
    std::memcpy(name, className.data(), static_cast<std::size_t>(n));
    name[n] = '\0';
    return n;
}

ULONG_PTR GetClassLongPtrA(HWND hwnd, int index)
{
    const Window* w = Find(hwnd);
    if (!w || !w->cls)
        return 0;
    const WindowClass& c = *w->cls;
    switch (index) {
    case GCL_STYLE: return c.style;
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.proc);
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.background);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c.wndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c.clsExtra);
    default:
        if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG) <= c.extra.size()) {
            LONG v = 0;
            std::memcpy(&v, c.extra.data() + index, sizeof v);
            return static_cast<ULONG_PTR>(static_cast<DWORD>(v));
        }
        return 0;
    }
}

DWORD GetClassLongA(HWND hwnd, int index) { return static_cast<DWORD>(GetClassLongPtrA(hwnd, index)); }

ULONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = Find(hwnd);
    if (!w || !w->cls)
        return 0;
    const ULONG_PTR old = GetClassLongPtrA(hwnd, index);
    WindowClass& c = *w->cls;
    switch (index) {
    case GCL_STYLE: c.style = static_cast<UINT>(value); break;
    case GCL_WNDPROC: c.proc = reinterpret_cast<WNDPROC>(value); break;
    case GCL_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(value); break;
    case GCL_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCL_HICON: c.icon = reinterpret_cast<HICON>(value); break;
    default:
        if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG) <= c.extra.size()) {
            const LONG v = static_cast<LONG>(value);
            std::memcpy(c.extra.data() + index, &v, sizeof v);
        }
        break;
    }
    return old;
}
