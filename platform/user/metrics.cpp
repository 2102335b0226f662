#include "platform/gdi/syscolors.h"
#include "platform/user/user_state.h"

#include <cstring>

namespace vls::user {
namespace {

// Metrics of the classic look at 96 dots per inch.
struct Metric {
    int index;
    int value;
};
constexpr Metric kFixedMetrics[] = {
    {SM_CXVSCROLL, 16},    {SM_CYHSCROLL, 16},   {SM_CYCAPTION, 19},   {SM_CXBORDER, 1},     {SM_CYBORDER, 1},
    {SM_CXDLGFRAME, 3},    {SM_CYDLGFRAME, 3},   {SM_CYVTHUMB, 16},    {SM_CXHTHUMB, 16},    {SM_CXICON, 32},
    {SM_CYICON, 32},       {SM_CXCURSOR, 32},    {SM_CYCURSOR, 32},    {SM_CYMENU, 19},      {SM_CYVSCROLL, 16},
    {SM_CXHSCROLL, 16},    {SM_SWAPBUTTON, 0},   {SM_CXMIN, 112},      {SM_CYMIN, 27},       {SM_CXSIZE, 18},
    {SM_CYSIZE, 18},       {SM_CXFRAME, 4},      {SM_CYFRAME, 4},      {SM_CXDOUBLECLK, 4},  {SM_CYDOUBLECLK, 4},
    {SM_CXEDGE, 2},        {SM_CYEDGE, 2},       {SM_CXSMICON, 16},    {SM_CYSMICON, 16},    {SM_CYSMCAPTION, 15},
    {SM_CXSMSIZE, 12},     {SM_CYSMSIZE, 14},    {SM_CXMENUSIZE, 18},  {SM_CYMENUSIZE, 18},  {SM_CXMENUCHECK, 13},
    {SM_CYMENUCHECK, 13},  {SM_MOUSEWHEELPRESENT, 1}, {SM_CMONITORS, 1}, {SM_CXMINIMIZED, 160}, {SM_CYMINIMIZED, 24},
};

void Desktop(int& w, int& h) { Get().backend->DesktopSize(w, h); }

RECT WorkArea()
{
    RECT r{};
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    Get().backend->WorkArea(left, top, right, bottom);
    r = {left, top, right, bottom};
    return r;
}

void ClassicFont(LOGFONTA& font, bool bold)
{
    font = LOGFONTA{};
    font.lfHeight = -11;  // 8 points at 96 dots per inch
    font.lfWeight = bold ? 700 : 400;
    font.lfCharSet = 0;
    std::strncpy(font.lfFaceName, "MS Sans Serif", sizeof font.lfFaceName - 1);
}

// The one monitor: its handle is a fixed non-null value.
HMONITOR PrimaryMonitor() { return reinterpret_cast<HMONITOR>(static_cast<ULONG_PTR>(0x12340001)); }

}  // namespace
}  // namespace vls::user

using namespace vls::user;

int GetSystemMetrics(int index)
{
    int w = 0;
    int h = 0;
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        Desktop(w, h);
        return w;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        Desktop(w, h);
        return h;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN: return 0;
    case SM_CXFULLSCREEN: {
        const RECT r = WorkArea();
        return r.right - r.left;
    }
    case SM_CYFULLSCREEN: {
        const RECT r = WorkArea();
        return r.bottom - r.top - 19;
    }
    case SM_CXMAXTRACK:
        Desktop(w, h);
        return w + 12;
    case SM_CYMAXTRACK:
        Desktop(w, h);
        return h + 12;
    case SM_CXMAXIMIZED: {
        const RECT r = WorkArea();
        return r.right - r.left + 8;
    }
    case SM_CYMAXIMIZED: {
        const RECT r = WorkArea();
        return r.bottom - r.top + 8;
    }
    default:
        for (const Metric& m : kFixedMetrics)
            if (m.index == index)
                return m.value;
        return 0;
    }
}

BOOL SystemParametersInfoA(UINT action, UINT, PVOID data, UINT)
{
    const auto setBool = [data](BOOL v) {
        if (!data)
            return FALSE;
        *static_cast<BOOL*>(data) = v;
        return TRUE;
    };
    const auto setInt = [data](int v) {
        if (!data)
            return FALSE;
        *static_cast<int*>(data) = v;
        return TRUE;
    };
    switch (action) {
    case SPI_GETWORKAREA:
        if (!data)
            return FALSE;
        *static_cast<RECT*>(data) = WorkArea();
        return TRUE;
    case SPI_GETNONCLIENTMETRICS: {
        auto* m = static_cast<NONCLIENTMETRICSA*>(data);
        if (!m || m->cbSize != sizeof(NONCLIENTMETRICSA))
            return FALSE;
        m->iBorderWidth = 1;
        m->iScrollWidth = 16;
        m->iScrollHeight = 16;
        m->iCaptionWidth = 18;
        m->iCaptionHeight = 18;
        ClassicFont(m->lfCaptionFont, true);
        m->iSmCaptionWidth = 12;
        m->iSmCaptionHeight = 14;
        ClassicFont(m->lfSmCaptionFont, true);
        m->iMenuWidth = 18;
        m->iMenuHeight = 18;
        ClassicFont(m->lfMenuFont, false);
        ClassicFont(m->lfStatusFont, false);
        ClassicFont(m->lfMessageFont, false);
        return TRUE;
    }
    case SPI_GETWINDOWSEXTRA: return TRUE;  // answered by every system of the NT family
    case SPI_GETBORDER: return setInt(1);
    case SPI_GETKEYBOARDDELAY: return setInt(1);
    case SPI_GETKEYBOARDSPEED: return setInt(31);
    case SPI_GETWHEELSCROLLLINES: return setInt(3);
    case SPI_GETMENUSHOWDELAY: return setInt(400);
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETKEYBOARDCUES:
    case SPI_GETGRADIENTCAPTIONS:
    case SPI_GETFONTSMOOTHING: return setBool(TRUE);
    case SPI_GETMENUANIMATION:
    case SPI_GETCOMBOBOXANIMATION:
    case SPI_GETMENUFADE:
    case SPI_GETSELECTIONFADE:
    case SPI_GETTOOLTIPANIMATION:
    case SPI_GETDROPSHADOW:
    case SPI_GETFLATMENU: return setBool(FALSE);
    default: return FALSE;
    }
}

DWORD GetSysColor(int index) { return vls::gdi::SysColor(index); }

HBRUSH GetSysColorBrush(int index) { return vls::gdi::SysColorBrush(index); }

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
    if (!Find(hwnd) && flags == MONITOR_DEFAULTTONULL)
        return nullptr;
    return PrimaryMonitor();
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags)
{
    int w = 0;
    int h = 0;
    Desktop(w, h);
    const RECT screen{0, 0, w, h};
    if (!PtInRect(&screen, point) && flags == MONITOR_DEFAULTTONULL)
        return nullptr;
    return PrimaryMonitor();
}

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags)
{
    int w = 0;
    int h = 0;
    Desktop(w, h);
    const RECT screen{0, 0, w, h};
    RECT common{};
    if ((!rect || !IntersectRect(&common, rect, &screen)) && flags == MONITOR_DEFAULTTONULL)
        return nullptr;
    return PrimaryMonitor();
}

BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info)
{
    if (monitor != PrimaryMonitor() || !info || info->cbSize < sizeof(MONITORINFO))
        return FALSE;
    int w = 0;
    int h = 0;
    Desktop(w, h);
    info->rcMonitor = {0, 0, w, h};
    info->rcWork = WorkArea();
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}
