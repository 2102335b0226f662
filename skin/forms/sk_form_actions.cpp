// Window actions of the frame: close, maximize, minimize, roll up, tray,
// restore, help and the system menu, with the tray icon and the
// application's own minimize and restore.

#include <cstring>

#include "platform/win32/shell/shellapi.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/forms/sk_frame_menus.h"
#include "skin/graphics/sk_canvas.h"

namespace skin {

using vcl::AnsiString;

namespace {

constexpr int kTipLength = 63;

const char* const kRestoreText = "&Restore";
const char* const kMinimizeText = "Mi&nimize";
const char* const kMaximizeText = "Ma&ximize";
const char* const kRollupText = "Ro&llup";
const char* const kTrayText = "Minimize to &Tray";
const char* const kCloseText = "&Close";

bool IsMDIChild(const vcl::TCustomForm* form) { return form && form->FormStyle() == vcl::fsMDIChild; }

}  // namespace

// An MDI child that leaves the maximized state takes its window buttons
// off the parent's menu bar and gives the parent its caption back.
void TSkCustomForm::LeaveMaximizedMDIChild(bool postSize)
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!IsMDIChild(OwnerForm()) || !control)
        return;
    UpdateFrame();
    if (postSize && control->HandleAllocated())
        PostMessageA(control->Handle(), WM_SIZE, 0, 0);
    if (vcl::TControl* bar = MDIParentMenuBar(); bar && FrameMenus())
        FrameMenus()->MenuBarHideWindowButtons(bar);
    UpdateMDIChildren();
}

bool TSkCustomForm::AskAction(const TSkFormActionEvent& event)
{
    mouseOver_ = khtCustom;
    bool callDefault = true;
    event(this, callDefault);
    return callDefault;
}

bool TSkCustomForm::BeginStateAction(const TSkFormActionEvent& event, TSkWindowState state)
{
    if (!AskAction(event))
        return false;
    if (windowState_ == state) {
        Restore();
        return false;
    }
    previousState_ = windowState_;
    return true;
}

void TSkCustomForm::DeleteTrayIcon()
{
    NOTIFYICONDATAA data{};
    data.cbSize = 88;
    data.hWnd = trayWindow_;
    data.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayIconShown_ = false;
}

// Only a frame in the normal state has normal bounds: a maximized or
// rolled-up frame coming back from the tray has its state's bounds still.
void TSkCustomForm::SaveNormalBounds()
{
    if (loadedStatePending_ || windowState_ != kwsNormal)
        return;
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()))
        normalBounds_ = control->BoundsRect();
}

void TSkCustomForm::ApplyNormal()
{
    windowState_ = kwsNormal;
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()); control && !RectIsEmpty(normalBounds_))
        control->SetBoundsRect(normalBounds_);
}

void TSkCustomForm::Close()
{
    if (!AskAction(OnClose))
        return;
    vcl::TCustomForm* form = OwnerForm();
    if (!form)
        return;
    if (form->Modal()) {
        form->SetModalResult(vcl::mrCancel);
        return;
    }
    if (!form->CloseQuery())
        return;
    vcl::TCloseAction action = vcl::caHide;
    if (form->FormStyle() == vcl::fsMDIChild)
        action = borderIcons_.Contains(kbiMinimize) ? vcl::caMinimize : vcl::caNone;
    form->DoClose(action);
    if (action == vcl::caNone)
        return;
    if (vcl::Application && vcl::Application->MainForm() == form) {
        vcl::Application->Terminate();
        return;
    }
    switch (action) {
    case vcl::caHide:
        form->Hide();
        LeaveMaximizedMDIChild(false);
        break;
    case vcl::caMinimize: Minimize(); break;
    case vcl::caFree:
        form->Hide();
        LeaveMaximizedMDIChild(false);
        form->Release();
        break;
    default: break;
    }
}

void TSkCustomForm::Maximize()
{
    if (!BeginStateAction(OnMaximize, kwsMaximized))
        return;
    SaveNormalBounds();
    windowState_ = kwsMaximized;
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner())) {
        control->SetBoundsRect(GetMaximizedRect());
        control->Invalidate();
    }
    PaintFrame();
    if (IsMDIChild(OwnerForm())) {
        UpdateFrame();
        if (vcl::TControl* bar = MDIParentMenuBar(); bar && FrameMenus())
            FrameMenus()->MenuBarShowWindowButtons(bar, this);
        UpdateMDICaption();
    }
}

void TSkCustomForm::MinimizeWindow()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control)
        return;
    if (!HasOwnerWindow()) {
        // The system hears of the minimize through the posted command; the
        // frame is minimized already and lets that one pass.
        ownMinimizePending_ = true;
        PostMessageA(control->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (minimizeApplication_) {
        vcl::Application->Minimize();
    } else {
        control->SetBoundsRect(GetMinimizedRect());
    }
}

void TSkCustomForm::Minimize()
{
    vcl::TCustomForm* form = OwnerForm();
    if (form && form->Modal())
        return;
    if (!BeginStateAction(OnMinimize, kwsMinimized))
        return;
    SaveNormalBounds();
    windowState_ = kwsMinimized;
    LeaveMaximizedMDIChild(true);
    MinimizeWindow();
}

void TSkCustomForm::Rollup()
{
    if (!BeginStateAction(OnRollup, kwsRollup))
        return;
    SaveNormalBounds();
    windowState_ = kwsRollup;
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()))
        control->SetBoundsRect(GetRollupRect());
}

void TSkCustomForm::UpdateTrayIcon()
{
    if (!trayWindow_ || !trayIconShown_)
        return;
    NOTIFYICONDATAA data{};
    data.cbSize = 88;
    data.hWnd = trayWindow_;
    data.uID = 1;
    data.uFlags = NIF_ICON;
    data.hIcon = GetSmallIcon();
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TSkCustomForm::MinimizeToTray()
{
    vcl::TCustomForm* form = OwnerForm();
    if (form && form->Modal())
        return;
    if (!BeginStateAction(OnMinToTray, kwsTray))
        return;
    SaveNormalBounds();
    windowState_ = kwsTray;
    AnsiString tip;
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (minimizeApplication_) {
        tip = vcl::Application->Title();
        vcl::Application->Minimize();
        ShowWindow(vcl::Application->Handle(), SW_HIDE);
    } else if (control) {
        tip = control->Caption();
    }
    if (control)
        ShowWindow(control->Handle(), SW_HIDE);
    NOTIFYICONDATAA data{};
    data.cbSize = 88;
    data.hWnd = trayWindow_;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = SK_TRAYNOTIFY;
    data.hIcon = GetSmallIcon();
    std::strncpy(data.szTip, tip.substr(0, kTipLength).c_str(), kTipLength);
    trayIconShown_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE || trayIconShown_;
}

void TSkCustomForm::Restore()
{
    mouseOver_ = khtCustom;
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    bool resetPrevious = true;
    switch (windowState_) {
    case kwsNormal: ApplyNormal(); break;
    case kwsMaximized:
        if (previousState_ == kwsMinimized) {
            if (!minimizeApplication_) {
                ApplyNormal();
                Maximize();
            }
        } else if (previousState_ == kwsRollup) {
            ApplyNormal();
            Rollup();
        } else {
            previousState_ = kwsMaximized;
            ApplyNormal();
            if (shadow_->Enabled() && control) {
                control->Invalidate();
                PaintFrame();
            }
            LeaveMaximizedMDIChild(true);
        }
        break;
    case kwsMinimized:
        ownMinimizePending_ = false;
        if (previousState_ == kwsMaximized)
            Maximize();
        else if (previousState_ == kwsRollup)
            Rollup();
        else
            ApplyNormal();
        resetPrevious = previousState_ != kwsNormal;
        break;
    case kwsRollup: {
        const RECT maximized = GetMaximizedRect();
        if ((control && maximized.right - maximized.left == control->Width()) || previousState_ == kwsMaximized) {
            Maximize();
        } else {
            windowState_ = kwsNormal;
            if (control) {
                // A rolled-up frame that was moved unrolls where it is now.
                OffsetRect(&normalBounds_, control->Left() - normalBounds_.left, control->Top() - normalBounds_.top);
                control->SetBoundsRect(normalBounds_);
            }
        }
        break;
    }
    case kwsTray: {
        const HWND shown = minimizeApplication_ ? vcl::Application->Handle() : (control ? control->Handle() : nullptr);
        if (minimizeApplication_)
            vcl::Application->Restore();
        if (shown) {
            ShowWindow(shown, SW_RESTORE);
            SetForegroundWindow(shown);
        }
        if (control)
            ShowWindow(control->Handle(), SW_SHOW);
        DeleteTrayIcon();
        // The state is left at kwsTray for the return to a maximized or
        // rolled-up state, so that its bounds are not taken for normal ones.
        const TSkWindowState before = previousState_;
        if (before == kwsMaximized)
            Maximize();
        else if (before == kwsRollup)
            Rollup();
        else
            resetPrevious = false;
        // The window is out of the tray whatever a refused action said.
        if (windowState_ == kwsTray)
            ApplyNormal();
        break;
    }
    }
    if (resetPrevious)
        previousState_ = kwsNormal;
}

void TSkCustomForm::Help()
{
    if (auto* control = dynamic_cast<vcl::TWinControl*>(Owner()))
        SendMessageA(control->Handle(), WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
}

std::vector<TSkSystemMenuEntry> TSkCustomForm::BuildSystemMenu()
{
    std::vector<TSkSystemMenuEntry> entries;
    const TSkWindowState s = windowState_;
    if (s != kwsNormal)
        entries.push_back({kRestoreText, 3, ""});
    if (borderIcons_.Contains(kbiMinimize) && (s == kwsNormal || s == kwsMaximized || s == kwsRollup))
        entries.push_back({kMinimizeText, 1, ""});
    if (borderIcons_.Contains(kbiMaximize) && (s == kwsNormal || s == kwsRollup))
        entries.push_back({kMaximizeText, 2, ""});
    if (borderIcons_.Contains(kbiRollup) && (s == kwsNormal || s == kwsMaximized))
        entries.push_back({kRollupText, 4, ""});
    if (borderIcons_.Contains(kbiTray) && (s == kwsNormal || s == kwsMaximized || s == kwsRollup))
        entries.push_back({kTrayText, 5, ""});
    if (borderIcons_.Contains(kbiClose)) {
        if (!entries.empty())
            entries.push_back({"-", -1, ""});
        entries.push_back({kCloseText, 0, "Alt+F4"});
    }
    return entries;
}

void TSkCustomForm::SystemMenuClick(const AnsiString& caption)
{
    if (caption == kCloseText)
        Close();
    else if (caption == kMaximizeText)
        Maximize();
    else if (caption == kMinimizeText)
        Minimize();
    else if (caption == kRollupText)
        Rollup();
    else if (caption == kTrayText)
        MinimizeToTray();
    else if (caption == kRestoreText)
        Restore();
}

void TSkCustomForm::ShowSystemMenu()
{
    mouseOver_ = khtCustom;
    POINT at{};
    auto* control = dynamic_cast<vcl::TControl*>(Owner());
    if (windowState_ == kwsTray)
        GetCursorPos(&at);
    else if (systemMenuPointSet_)
        at = systemMenuPoint_;
    else if (control)
        at = control->ClientToScreen(POINT{0, 0});
    IFrameMenus* menus = FrameMenus();
    if (!menus)
        return;
    const bool tray = windowState_ == kwsTray;
    if (tray && trayMenuLink_) {
        menus->PopupLinkedMenu(trayMenuLink_, trayMenuOptions_, true, at);
    } else if (systemMenuLink_) {
        menus->PopupLinkedMenu(systemMenuLink_, systemMenuOptions_, false, at);
    } else {
        menus->PopupSystemMenu(this, BuildSystemMenu(), systemMenuOptions_, tray, at,
                               [this](const AnsiString& caption) { SystemMenuClick(caption); });
    }
}

void TSkCustomForm::TrayWndProc(vcl::TMessage& m)
{
    switch (m.Msg) {
    case WM_QUERYENDSESSION: m.Result = 1; break;
    case WM_ENDSESSION:
        if (trayIconShown_)
            DeleteTrayIcon();
        break;
    case SK_TRAYNOTIFY:
        if (m.LParam == WM_LBUTTONDBLCLK)
            Restore();
        else if (m.LParam == WM_RBUTTONUP)
            ShowSystemMenu();
        break;
    case SK_REHOOKMDICLIENT: InstallMDIClientProc(); break;
    default: break;
    }
    Dispatch(m);
}

void TSkCustomForm::AppMinimize(vcl::TObject* sender)
{
    SetActive(false);
    try {
        if (windowState_ != kwsMinimized && windowState_ != kwsTray)
            Minimize();
        previousAppMinimize_(sender);
    } catch (...) {
        SetActive(true);
        throw;
    }
    SetActive(true);
}

void TSkCustomForm::AppRestore(vcl::TObject* sender)
{
    SetActive(false);
    try {
        if (windowState_ == kwsMinimized) {
            Restore();
            PaintFrame();
        }
        previousAppRestore_(sender);
    } catch (...) {
        SetActive(true);
        throw;
    }
    SetActive(true);
}

}  // namespace skin
