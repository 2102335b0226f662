#pragma once

// Bases of the component family: value objects with an update state and a
// change event, components with an updating flag, and a component that
// takes over its owner control's window procedure.

#include "platform/vcl/classes.h"
#include "platform/vcl/controls.h"
#include "platform/win32/wintypes.h"

namespace kit {

using vcl::AnsiString;

class TKitObject : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TKitObject, vcl::TPersistent)
public:
    TKitObject() = default;
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    vcl::TNotifyEvent OnChange;

protected:
    // Fires OnChange unless an update is open.
    virtual void Changed();

private:
    int updateCount_ = 0;
};

class TKitCustomComponent : public vcl::TComponent {
    VCL_DECLARE_CLASS(TKitCustomComponent, vcl::TComponent)
public:
    explicit TKitCustomComponent(vcl::TComponent* owner) : TComponent(owner) {}
    void BeginUpdate() { updating_ = true; }
    // Ends the update; with `notify` the change notification runs at once.
    void EndUpdate(bool notify = true);
    bool IsUpdating() const { return updating_; }

    // The design-time information property: nothing is kept or stored.
    AnsiString About() const { return {}; }
    void SetAbout(const AnsiString&) {}

protected:
    void NotifyChange();
    virtual void Change() {}

private:
    bool updating_ = false;
};

class TKitWndProcComponent : public TKitCustomComponent {
    VCL_DECLARE_CLASS(TKitWndProcComponent, TKitCustomComponent)
public:
    explicit TKitWndProcComponent(vcl::TComponent* owner);
    ~TKitWndProcComponent() override;

    bool HookMainWindow() const { return hookMainWindow_; }
    void SetHookMainWindow(bool value) { hookMainWindow_ = value; }
    bool OwnerIsMDIChild() const { return isMDIChild_; }
    bool OwnerIsMDIFrame() const { return isMDIFrame_; }
    bool Hooked() const { return ownerWindow_ != nullptr; }

    // Puts this component's procedure in front of the owner's window (and
    // the application's main window when asked).
    void Hook();
    void Unhook();

protected:
    void Loaded() override;
    // Every message of the owner's window; the default passes it on.
    virtual void WndProc(vcl::TMessage& message);
    LRESULT PassOn(const vcl::TMessage& message);

private:
    void OwnerProc(vcl::TMessage& message);
    void MainProc(vcl::TMessage& message);

    HWND ownerWindow_ = nullptr;
    WNDPROC ownerOldProc_ = nullptr;
    WNDPROC ownerInstance_ = nullptr;
    HWND mainWindow_ = nullptr;
    WNDPROC mainOldProc_ = nullptr;
    WNDPROC mainInstance_ = nullptr;
    bool hookMainWindow_ = false;
    bool isMDIChild_ = false;
    bool isMDIFrame_ = false;
    bool destroyed_ = false;
    bool restored_ = false;
};

class TKitXPThemeManager : public TKitWndProcComponent {
    VCL_DECLARE_CLASS(TKitXPThemeManager, TKitWndProcComponent)
public:
    explicit TKitXPThemeManager(vcl::TComponent* owner) : TKitWndProcComponent(owner) {}

protected:
    void WndProc(vcl::TMessage& message) override;
};

}  // namespace kit
