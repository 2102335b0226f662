// Smaller services of forms and the application: monitors, size limits,
// frames, shortcuts offered to the form, the application icon and hints.

#include "platform/vcl/forms.h"

namespace vcl {

const TEnumInfo kDefaultMonitorInfo{"TDefaultMonitor", {"dmDesktop", "dmPrimary", "dmMainForm", "dmActiveForm"}};

VCL_IMPLEMENT_CLASS(TMonitor, TObject, [](auto&) {})

VCL_IMPLEMENT_CLASS(TCustomFrame, TWinControl, [](auto&) {})

HMONITOR TMonitor::Handle() const { return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

RECT TMonitor::BoundsRect() const
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(Handle(), &info);
    return info.rcMonitor;
}

RECT TMonitor::WorkareaRect() const
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(Handle(), &info);
    return info.rcWork;
}

TCustomFrame::TCustomFrame(TComponent* owner) : TWinControl(owner)
{
    controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 320, 240);
}

TMonitor* TCustomForm::Monitor() const
{
    static TMonitor* monitor = new TMonitor;  // the one display; lives with the process
    return monitor;
}

bool TCustomForm::IsShortCut(TMessage& keyMessage)
{
    bool handled = false;
    OnShortCut(keyMessage, handled);
    return handled;
}

void TApplication::ActivateHint(POINT cursorPos)
{
    SetHint(HintAt(FindDragTarget(cursorPos, false), cursorPos));
}

bool TApplication::HelpContext(int) { return false; }

TIcon* TApplication::Icon() const
{
    if (!icon_)
        icon_ = new TIcon();
    return icon_;
}

}  // namespace vcl
