#pragma once

// Window-procedure hooks: a non-visual component that sees the messages of
// a windowed control (its form, in practice) before and after the control's
// own window procedure, and may answer them in its place. All hooks on one
// control share one record that subclasses the window once.

#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"

namespace skin {

// Posted to the hook list's window with lParam = the record.
constexpr UINT CM_HOOKREINSTALL = 0xB0DE;
constexpr UINT CM_HOOKRELEASE = 0xB0DF;

class TControlHook;

class TSkHook : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkHook, vcl::TComponent)
public:
    explicit TSkHook(vcl::TComponent* owner);
    ~TSkHook() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    void Attach();
    TControlHook* Detach();

    void SetControl(vcl::TWinControl* value);
    vcl::TWinControl* GetControl() const;
    vcl::TCustomForm* GetForm() const;
    HWND GetHandle() const;
    TControlHook* ControlHook() const { return controlHook_; }

    virtual void AfterMessage(vcl::TMessage& msg, bool& handled);
    virtual void BeforeMessage(vcl::TMessage& msg, bool& handled);
    // A message method calls this to keep the message from the control's
    // own window procedure; it stores its answer in Msg.Result itself.
    void MarkHandled() { handled_ = true; }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    friend class TControlHook;
    bool active_ = true;
    vcl::TWinControl* control_ = nullptr;
    TControlHook* controlHook_ = nullptr;
    bool handled_ = false;
};

class TControlHook : public vcl::TObject {
    VCL_DECLARE_CLASS(TControlHook, vcl::TObject)
public:
    TControlHook();
    ~TControlHook() override;

    vcl::TWinControl* Control() const { return control_; }
    void SetControl(vcl::TWinControl* value);
    const std::vector<TSkHook*>& Hooks() const { return hooks_; }
    void AddHook(TSkHook* hook);
    void RemoveHook(TSkHook* hook);
    void Subclass();
    void Unsubclass();
    bool Subclassed() const { return previous_ != nullptr; }
    // Still a link in a chain that another party built over it.
    bool Chained() const;
    WNDPROC OwnWindowProc() const { return ownProc_; }
    WNDPROC PreviousWindowProc() const { return previous_; }

private:
    enum class Phase { Before, After };
    void WindowProc(vcl::TMessage& msg);
    void CallHooks(Phase phase, vcl::TMessage& msg, bool& handled);
    bool ControlDestroying() const;

    vcl::TWinControl* control_ = nullptr;
    WNDPROC ownProc_ = nullptr;
    WNDPROC previous_ = nullptr;
    bool ownsWindowProc_ = false;  // GWLP_WNDPROC still holds ownProc_
    HWND window_ = nullptr;
    std::vector<TSkHook*> hooks_;
    bool destroying_ = false;
};

class THookList : public vcl::TObject {
    VCL_DECLARE_CLASS(THookList, vcl::TObject)
public:
    THookList();
    ~THookList() override;

    int Count() const { return static_cast<int>(items_.size()); }
    TControlHook* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TControlHook* Find(vcl::TWinControl* control) const;
    TControlHook* FindOrCreate(vcl::TWinControl* control);
    bool Contains(const TControlHook* record) const;
    void Add(TControlHook* record) { items_.push_back(record); }
    void Remove(TControlHook* record);
    HWND Handle() const { return handle_; }

private:
    void WndProc(vcl::TMessage& msg);
    std::vector<TControlHook*> items_;
    HWND handle_ = nullptr;
};

// The process-wide list, made on first call.
THookList* GetHookList();
// Null when the list was never made or is already freed.
THookList* HookListIfAny();
// Frees the list (unit end).
void FreeHookList();

}  // namespace skin
