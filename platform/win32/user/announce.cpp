#include "platform/win32/user/user_state.h"

// Top-level windows are found by class and title. Within this process we
// look through our own windows; other processes' windows become visible
// through the announcement folder once the kernel layer provides it.

namespace vls::user {

void AnnounceWindow(Window* w) { w->announced = IsTopLevel(w) && w->cls && !w->text.empty(); }

void WithdrawWindow(Window* w) { w->announced = false; }

}  // namespace vls::user

using namespace vls::user;

HWND FindWindowA(LPCSTR className, LPCSTR windowName)
{
    State& s = Get();
    for (const HWND h : Find(s.desktop)->children) {
        const Window* w = Find(h);
        if (!w || !w->cls)
            continue;
        if (className && !SameName(w->cls->name, className))
            continue;
        if (windowName && w->text != windowName)
            continue;
        return h;
    }
    return nullptr;
}
