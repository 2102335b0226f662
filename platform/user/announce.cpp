#include "platform/win32/kernel/window_announce.h"
#include "platform/user/user_state.h"

#include <unistd.h>

namespace vls::user {
namespace {

// Windows of other processes have no place in our table; FindWindowA names
// them with handles from a range of their own, which IsWindow refuses.
constexpr std::uintptr_t kForeignBase = 0x70000000;

}  // namespace

void AnnounceWindow(Window* w)
{
    const bool wanted = IsTopLevel(w) && !w->messageOnly && w->cls && !w->text.empty();
    if (!wanted) {
        WithdrawWindow(w);
        return;
    }
    if (w->announcement && win32::UpdateAnnouncedWindowTitle(w->announcement, w->text.c_str()))
        return;
    WithdrawWindow(w);
    w->announcement = win32::AnnounceTopLevelWindow(w->cls->name.c_str(), w->text.c_str());
}

void WithdrawWindow(Window* w)
{
    if (w->announcement)
        win32::WithdrawTopLevelWindow(w->announcement);
    w->announcement = 0;
}

}  // namespace vls::user

using namespace vls::user;

HWND FindWindowA(LPCSTR className, LPCSTR windowName)
{
    State& s = Get();
    if (className && IS_INTRESOURCE(className)) {
        const WindowClass* cls = LookupClass(className);
        if (!cls)
            return nullptr;
        className = cls->name.c_str();
    }
    for (const HWND h : Find(s.desktop)->children) {
        const Window* w = Find(h);
        if (!w || !w->cls || w->messageOnly)
            continue;
        if (className && !SameName(w->cls->name, className))
            continue;
        if (windowName && !SameName(w->text, windowName))
            continue;
        return h;
    }
    const auto other = vls::win32::FindAnnouncedWindow(className, windowName);
    if (!other || other->process == getpid())
        return nullptr;
    return reinterpret_cast<HWND>(kForeignBase + (other->id & 0x0FFFFFFF) * 2);
}
