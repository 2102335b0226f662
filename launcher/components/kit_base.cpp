#include "launcher/components/kit_base.h"

#include "launcher/components/kit_application.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/sysobjs.h"
#include "platform/user/winuser.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitObject, vcl::TPersistent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitCustomComponent, vcl::TComponent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitWndProcComponent, TKitCustomComponent, [](auto&) {})
VCL_IMPLEMENT_CLASS(TKitXPThemeManager, TKitWndProcComponent, [](auto& b) { b.Component(); })

// --------------------------------------------------------------- TKitObject

void TKitObject::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
}

void TKitObject::Changed()
{
    if (updateCount_ == 0)
        OnChange(this);
}

// ------------------------------------------------------- TKitCustomComponent

void TKitCustomComponent::EndUpdate(bool notify)
{
    updating_ = false;
    if (notify)
        NotifyChange();
}

void TKitCustomComponent::NotifyChange()
{
    if (!updating_)
        Change();
}

// ------------------------------------------------------ TKitWndProcComponent

TKitWndProcComponent::TKitWndProcComponent(vcl::TComponent* owner) : TKitCustomComponent(owner)
{
    if (auto* form = dynamic_cast<vcl::TCustomForm*>(owner)) {
        isMDIChild_ = form->FormStyle() == vcl::fsMDIChild;
        isMDIFrame_ = form->FormStyle() == vcl::fsMDIForm;
    }
    // A component read with its form hooks once the form has loaded.
    if (owner && !owner->ComponentState().Contains(vcl::csLoading))
        Hook();
}

TKitWndProcComponent::~TKitWndProcComponent() { Unhook(); }

void TKitWndProcComponent::Loaded()
{
    TKitCustomComponent::Loaded();
    Hook();
}

void TKitWndProcComponent::Hook()
{
    if (ComponentState().Contains(vcl::csDesigning))
        return;
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (control && !ownerWindow_) {
        ownerWindow_ = control->Handle();
        ownerInstance_ = vcl::MakeObjectInstance([this](vcl::TMessage& m) { OwnerProc(m); });
        ownerOldProc_ = reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(
            SetWindowLongA(ownerWindow_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(ownerInstance_)))));
    }
    if (hookMainWindow_ && !mainWindow_ && vcl::Application && vcl::Application->MainForm() &&
        vcl::Application->MainForm() != control) {
        mainWindow_ = vcl::Application->MainForm()->Handle();
        mainInstance_ = vcl::MakeObjectInstance([this](vcl::TMessage& m) { MainProc(m); });
        mainOldProc_ = reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(
            SetWindowLongA(mainWindow_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(mainInstance_)))));
    }
}

void TKitWndProcComponent::Unhook()
{
    if (ownerWindow_) {
        if (!restored_ && IsWindow(ownerWindow_))
            SetWindowLongA(ownerWindow_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(ownerOldProc_)));
        vcl::FreeObjectInstance(ownerInstance_);
        ownerWindow_ = nullptr;
    }
    if (mainWindow_) {
        if (IsWindow(mainWindow_))
            SetWindowLongA(mainWindow_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(mainOldProc_)));
        vcl::FreeObjectInstance(mainInstance_);
        mainWindow_ = nullptr;
    }
}

LRESULT TKitWndProcComponent::PassOn(const vcl::TMessage& m)
{
    if (destroyed_)
        return DefWindowProcA(ownerWindow_, m.Msg, m.WParam, m.LParam);
    return CallWindowProcA(ownerOldProc_, ownerWindow_, m.Msg, m.WParam, m.LParam);
}

void TKitWndProcComponent::WndProc(vcl::TMessage& message) { message.Result = PassOn(message); }

void TKitWndProcComponent::OwnerProc(vcl::TMessage& message)
{
    if (destroyed_) {
        message.Result = PassOn(message);
        return;
    }
    WndProc(message);
    if (message.Msg == WM_DESTROY) {
        destroyed_ = true;
        if (isMDIChild_) {
            // The old procedure goes back at once; later messages reach the
            // window's own procedure again.
            SetWindowLongA(ownerWindow_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(ownerOldProc_)));
            restored_ = true;
        }
    }
}

void TKitWndProcComponent::MainProc(vcl::TMessage& message)
{
    message.Result = CallWindowProcA(mainOldProc_, mainWindow_, message.Msg, message.WParam, message.LParam);
}

// ------------------------------------------------------- TKitXPThemeManager

void TKitXPThemeManager::WndProc(vcl::TMessage& message)
{
    TKitWndProcComponent::WndProc(message);
    if (!KitApplication)
        return;
    if (message.Msg == WM_CREATE) {
        KitApplication->RefreshThemed();
    } else if (message.Msg == WM_THEMECHANGED) {
        KitApplication->SetThemed(false);
        KitApplication->SetThemed(true);
    }
}

}  // namespace kit
