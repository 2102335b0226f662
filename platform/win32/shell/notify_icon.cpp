#include <cstdio>
#include <mutex>

#include "platform/win32/shell/shellapi.h"

namespace vls::win32 {
namespace {

std::mutex& TrayLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<TrayIcon>& Tray()
{
    static auto* icons = new std::vector<TrayIcon>;  // outlives exit handlers
    return *icons;
}

std::string TipOf(const NOTIFYICONDATAA& data)
{
    size_t n = 0;
    while (n < sizeof data.szTip && data.szTip[n])
        ++n;
    return std::string(data.szTip, n);
}

void Apply(TrayIcon& icon, const NOTIFYICONDATAA& data)
{
    if (data.uFlags & NIF_MESSAGE)
        icon.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON)
        icon.icon = data.hIcon;
    if (data.uFlags & NIF_TIP)
        icon.tip = TipOf(data);
}

}  // namespace

std::vector<TrayIcon> TrayIcons()
{
    std::lock_guard guard(TrayLock());
    return Tray();
}

}  // namespace vls::win32

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data)
{
    using vls::win32::TrayIcon;
    if (!data)
        return FALSE;
    std::lock_guard guard(vls::win32::TrayLock());
    auto& tray = vls::win32::Tray();
    auto it = tray.begin();
    while (it != tray.end() && !(it->window == data->hWnd && it->id == data->uID))
        ++it;
    const char* verb = nullptr;
    switch (message) {
    case NIM_ADD:
        if (it != tray.end())
            return FALSE;
        tray.push_back(TrayIcon{data->hWnd, data->uID, 0, nullptr, {}});
        vls::win32::Apply(tray.back(), *data);
        verb = "add";
        break;
    case NIM_MODIFY:
        if (it == tray.end())
            return FALSE;
        vls::win32::Apply(*it, *data);
        verb = "modify";
        break;
    case NIM_DELETE:
        if (it == tray.end())
            return FALSE;
        tray.erase(it);
        verb = "delete";
        break;
    default: return FALSE;
    }
    std::fprintf(stderr, "Shell_NotifyIcon %s %p %u \"%s\"\n", verb, static_cast<void*>(data->hWnd), data->uID,
                 vls::win32::TipOf(*data).c_str());
    return TRUE;
}
