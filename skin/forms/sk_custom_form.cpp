#include "skin/forms/sk_custom_form.h"

#include "platform/win32/shell/shellapi.h"
#include "skin/controls/sk_paint_buffer.h"
#include "skin/graphics/sk_system.h"

namespace skin {

using vcl::TCustomForm;

const vcl::TEnumInfo kBorderStyleInfo{"TSkBorderStyle", {"kbsNone", "kbsStandard", "kbsToolWindow"}};
const vcl::TEnumInfo kBorderIconInfo{
    "TSkBorderIcon", {"kbiClose", "kbiSystemMenu", "kbiMinimize", "kbiMaximize", "kbiHelp", "kbiRollup", "kbiTray"}};
const vcl::TEnumInfo kWindowStateInfo{"TSkWindowState",
                                      {"kwsNormal", "kwsMaximized", "kwsMinimized", "kwsRollup", "kwsTray"}};
const vcl::TEnumInfo kFormPerformanceInfo{
    "TSkFormPerformance", {"ksfpNoBuffer", "ksfpSharedBuffer", "ksfpPersistentBuffer", "ksfpDoubleBuffer"}};

namespace {

const TSkBorderIcons kDefaultIcons{kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiRollup, kbiTray};

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomForm, TSkHook, [](auto& b) {
    using T = TSkCustomForm;
    b.Bool("Active", &T::Active, &T::SetActive, true);
    b.Object("Animation", &T::Animation, &T::SetAnimation);
    b.Object("Blending", &T::Blending, &T::SetBlending);
    b.Set("BorderIcons", &kBorderIconInfo, &T::BorderIcons, &T::SetBorderIcons,
          std::optional<TSkBorderIcons>(kDefaultIcons));
    b.Enum("BorderStyle", &kBorderStyleInfo, &T::BorderStyle, &T::SetBorderStyle,
           std::optional<TSkBorderStyle>(kbsStandard));
    b.WStr("Caption", &T::Caption, &T::SetCaption);
    b.Object("Dragging", &T::Dragging, &T::SetDragging);
    b.Object("Gravitation", &T::Gravitation, &T::SetGravitation);
    b.Object("Constraints", &T::Constraints, &T::SetConstraints);
    b.Object("MenuBar", &T::MenuBar, &T::SetMenuBar);
    b.Object("SystemMenuOptions", &T::SystemMenuOptions, &T::SetSystemMenuOptions);
    b.Object("SystemMenuLink", &T::SystemMenuLink, &T::SetSystemMenuLink);
    b.Object("TrayMenuOptions", &T::TrayMenuOptions, &T::SetTrayMenuOptions);
    b.Object("TrayMenuLink", &T::TrayMenuLink, &T::SetTrayMenuLink);
    b.Bool("MinimizeApplication", &T::MinimizeApplication, &T::SetMinimizeApplication, true);
    b.Enum("Performance", &kFormPerformanceInfo, &T::Performance, &T::SetPerformance,
           std::optional<TSkFormPerformance>(ksfpNoBuffer));
    b.Object("Shadow", &T::Shadow, &T::SetShadow);
    b.Bool("StayOnTop", &T::StayOnTop, &T::SetStayOnTop, false);
    b.Bool("StretchBackground", &T::StretchBackground, &T::SetStretchBackground, false);
    b.Enum("WindowState", &kWindowStateInfo, &T::WindowState, &T::SetWindowState,
           std::optional<TSkWindowState>(kwsNormal));
    b.Event("OnCreate", &T::OnCreate);
    b.Event("OnPaint", &T::OnPaint);
    b.Event("OnClose", &T::OnClose);
    b.Event("OnMinimize", &T::OnMinimize);
    b.Event("OnMaximize", &T::OnMaximize);
    b.Event("OnRollup", &T::OnRollup);
    b.Event("OnMinToTray", &T::OnMinToTray);
    b.Event("OnResize", &T::OnResize);
    b.Message(WM_NCCALCSIZE, &T::WMNCCalcSize);
    b.Message(WM_NCHITTEST, &T::WMNCHitTest);
    b.Message(WM_NCPAINT, &T::WMNCPaint);
    b.Message(WM_NCACTIVATE, &T::WMNCActivate);
    b.Message(WM_NCLBUTTONDOWN, &T::WMNCButtonDown);
    b.Message(WM_NCRBUTTONDOWN, &T::WMNCButtonDown);
    b.Message(WM_NCLBUTTONUP, &T::WMNCButtonUp);
    b.Message(WM_NCRBUTTONUP, &T::WMNCButtonUp);
    b.Message(WM_NCMOUSEMOVE, &T::WMNCMouseMove);
    b.Message(WM_NCLBUTTONDBLCLK, &T::WMNCLButtonDblClk);
    b.Message(WM_LBUTTONUP, &T::WMLButtonUp);
    b.Message(WM_MOUSEMOVE, &T::WMMouseMove);
    b.Message(WM_ACTIVATE, &T::WMActivate);
    b.Message(WM_PAINT, &T::WMPaint);
    b.Message(WM_ERASEBKGND, &T::WMEraseBkgnd);
    b.Message(SKM_BACKGROUNDREQUEST, &T::SkmBackgroundRequest);
    b.Message(WM_WINDOWPOSCHANGING, &T::WMWindowPosChanging);
    b.Message(WM_SYSCOMMAND, &T::WMSysCommand);
    b.Message(WM_THEMECHANGED, &T::WMThemeChanged);
    b.Message(SK_UPDATEFRAME, &T::SkUpdateFrame);
    b.Message(SK_MAXIMIZE, &T::SkMaximize);
    b.Message(SK_SETWINDOWSTATE, &T::SkSetWindowState);
    b.Message(SK_PAINTFRAMETO, &T::SkPaintFrameTo);
})

TSkCustomForm::TSkCustomForm(vcl::TComponent* owner)
    : TSkHook(owner),
      animation_(new TSkAnimation()),
      blending_(new TSkBlending()),
      dragging_(new TSkDragging()),
      gravitation_(new TSkGravitation()),
      constraints_(new vcl::TSizeConstraints()),
      systemMenuOptions_(new TSkPopupMenuOptions()),
      trayMenuOptions_(new TSkPopupMenuOptions()),
      shadow_(new TSkShadow()),
      snapshot_(new TSkBitmap())
{
    blending_->OnChange = [this](vcl::TObject* s) { OptionChanged(s); };
    shadow_->OnChange = [this](vcl::TObject* s) { OptionChanged(s); };
    if (auto* form = dynamic_cast<TCustomForm*>(owner)) {
        caption_ = vcl::AnsiToWide(form->Caption());
        form->SetBorderStyle(vcl::bsSizeable);
        form->SetBorderIcons(vcl::TBorderIcons{vcl::biMinimize});
        form->SetAutoScroll(false);
        constraints_->Assign(form->Constraints());
        if (form->FormStyle() == vcl::fsMDIChild) {
            minimizeApplication_ = false;
            gravitation_->SetSize(9);
            borderIcons_ = TSkBorderIcons{kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiRollup};
        }
    }
    canvas_ = new vcl::TCanvas();
    if (!Designing())
        trayWindow_ = vcl::AllocateHWnd([this](vcl::TMessage& m) { TrayWndProc(m); });
}

TSkCustomForm::~TSkCustomForm()
{
    RemoveMDIClientProc();
    if (windowState_ == kwsMaximized) {
        // A maximized MDI child going away takes its buttons off the
        // parent's bar and its name out of the parent's caption.
        windowState_ = kwsNormal;
        if (vcl::TControl* bar = MDIParentMenuBar(); bar && FrameMenus())
            FrameMenus()->MenuBarHideWindowButtons(bar);
        UpdateMDICaption();
    }
    SetActive(false);
    // The form outlives its components' destruction; its key handling must
    // not call into this frame any more.
    if (vcl::TCustomForm* form = OwnerForm(); form && shortCutChained_)
        form->OnShortCut = previousShortCut_;
    if (appHandlersTaken_ && vcl::Application) {
        vcl::Application->OnMinimize = previousAppMinimize_;
        vcl::Application->OnRestore = previousAppRestore_;
    }
    if (trayIconShown_)
        DeleteTrayIcon();
    if (trayWindow_)
        vcl::DeallocateHWnd(trayWindow_);
    if (canvasDC_ && canvasWindow_)
        ReleaseDC(canvasWindow_, canvasDC_);
    delete canvas_;
    delete persistentBuffer_;
    delete animationImage_;
    delete snapshot_;
    delete animation_;
    delete blending_;
    delete dragging_;
    delete gravitation_;
    delete constraints_;
    delete systemMenuOptions_;
    delete trayMenuOptions_;
    delete shadow_;
    if (smallIcon_)
        DestroyIcon(smallIcon_);
}

TCustomForm* TSkCustomForm::OwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

int TSkCustomForm::GetMetric(int index) { return GetSystemMetrics(index); }

int TSkCustomForm::ShadowSize() const
{
    return shadow_->Enabled() && windowState_ != kwsMaximized ? shadow_->Size() : 0;
}

void TSkCustomForm::OptionChanged(vcl::TObject*)
{
    if (!Loading())
        UpdateFrame();
}

// ---------------------------------------------------------------- setters

void TSkCustomForm::SetBorderIcons(TSkBorderIcons v)
{
    if (v == borderIcons_)
        return;
    borderIcons_ = v;
    if (!Loading())
        UpdateFrame();
}

void TSkCustomForm::SetBorderStyle(TSkBorderStyle v)
{
    if (v == borderStyle_)
        return;
    borderStyle_ = v;
    if (!Loading())
        UpdateFrame();
}

void TSkCustomForm::SetConstraints(vcl::TSizeConstraints* v)
{
    constraints_->Assign(v);
    if (Loading())
        return;
    if (TCustomForm* form = OwnerForm()) {
        if (constraints_->MinWidth() > 0 && form->Width() < constraints_->MinWidth())
            form->SetWidth(constraints_->MinWidth());
        if (constraints_->MinHeight() > 0 && form->Height() < constraints_->MinHeight())
            form->SetHeight(constraints_->MinHeight());
    }
    UpdateFrame();
}

void TSkCustomForm::SetCaption(const vcl::WideString& v)
{
    if (v == caption_)
        return;
    caption_ = v;
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()))
        control->SetText(vcl::WideToAnsi(v));
}

void TSkCustomForm::SetMenuBar(vcl::TControl* v)
{
    if (menuBar_ == v)
        return;
    menuBar_ = v;
    if (v)
        v->FreeNotification(this);
}

void TSkCustomForm::SetSystemMenuLink(vcl::TPopupMenu* v)
{
    systemMenuLink_ = v;
    if (v)
        v->FreeNotification(this);
}

void TSkCustomForm::SetTrayMenuLink(vcl::TPopupMenu* v)
{
    trayMenuLink_ = v;
    if (v)
        v->FreeNotification(this);
}

void TSkCustomForm::SetStayOnTop(bool v)
{
    if (v == stayOnTop_)
        return;
    stayOnTop_ = v;
    if (auto* control = dynamic_cast<vcl::TWinControl*>(Owner()); control && control->HandleAllocated())
        SetWindowPos(control->Handle(), v ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TSkCustomForm::SetWindowState(TSkWindowState v)
{
    if (Loading()) {
        loadedState_ = v;
        loadedStatePending_ = v != kwsNormal;
        return;
    }
    if (Designing()) {
        windowState_ = v;
        return;
    }
    switch (v) {
    case kwsNormal: Restore(); break;
    case kwsMaximized: Maximize(); break;
    case kwsMinimized: Minimize(); break;
    case kwsRollup: Rollup(); break;
    case kwsTray: MinimizeToTray(); break;
    }
}

void TSkCustomForm::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkHook::Notification(component, operation);
    if (operation != vcl::opRemove)
        return;
    if (component == menuBar_)
        menuBar_ = nullptr;
    if (component == systemMenuLink_)
        systemMenuLink_ = nullptr;
    if (component == trayMenuLink_)
        trayMenuLink_ = nullptr;
}

// ---------------------------------------------------------------- loading

void TSkCustomForm::Loaded()
{
    TSkHook::Loaded();
    if (Designing())
        return;
    auto* owner = dynamic_cast<vcl::TWinControl*>(Owner());
    SetControl(owner);
    TCustomForm* form = OwnerForm();
    if (form) {
        fullWidth_ = form->Width();
        fullHeight_ = form->Height();
        frameWidth_ = fullWidth_ - ShadowSize();
        frameHeight_ = fullHeight_ - ShadowSize();
    }
    if (blending_->Enabled() || shadow_->Enabled())
        snapshot_->SetSize(fullWidth_, fullHeight_);
    InstallMDIClientProc();
    if (form) {
        previousShortCut_ = form->OnShortCut;
        shortCutChained_ = true;
        form->OnShortCut = [this](vcl::TMessage& m, bool& handled) { FormShortCut(m, handled); };
    }
    UpdateTrayIcon();
    if (loadedStatePending_ && form) {
        // A rolled-up form comes back to these bounds before it rolls up.
        normalBounds_ = form->BoundsRect();
        // Shown below the screen first, so the window exists when the state
        // is applied and nothing flashes at the normal place; the state
        // stays pending until the posted message applies it.
        form->SetBounds(form->Left(), vcl::Screen->Height(), form->Width(), form->Height());
        PostMessageA(form->Handle(), SK_SETWINDOWSTATE, static_cast<WPARAM>(loadedState_), 0);
    } else if (form) {
        const vcl::TNotifyEvent resize = form->OnResize;
        form->OnResize = nullptr;
        try {
            UpdateFrame();
        } catch (...) {
            form->OnResize = resize;
            throw;
        }
        form->OnResize = resize;
    }
    OnCreate(this);
    if (stayOnTop_ && owner)
        SetWindowPos(owner->Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void TSkCustomForm::FormShortCut(vcl::TMessage& m, bool& handled)
{
    if (menuBar_ && FrameMenus() && FrameMenus()->MenuBarIsShortCut(menuBar_, m)) {
        handled = true;
        return;
    }
    previousShortCut_(m, handled);
}

}  // namespace skin
