#include "skin/forms/sk_hook.h"

#include <algorithm>

#include "platform/vcl/sysobjs.h"

namespace skin {

using vcl::TMessage;
using vcl::TWinControl;

namespace {

THookList* g_hookList = nullptr;

WNDPROC ReadWindowProc(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWL_WNDPROC)); }

void WriteWindowProc(HWND window, WNDPROC proc)
{
    SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

// A record that no hook uses any more is freed once the queue gets to it,
// and may be taken up again meanwhile; but it lets go at once of a control
// on its way out, which is freed before the queued messages are handled.
void ReleaseEmptyRecord(TControlHook* record)
{
    if (!record || !record->Hooks().empty())
        return;
    if (record->Control() && record->Control()->ComponentState().Contains(vcl::csDestroying))
        record->SetControl(nullptr);
    if (g_hookList)
        PostMessageA(g_hookList->Handle(), CM_HOOKRELEASE, 0, reinterpret_cast<LPARAM>(record));
}

}  // namespace

THookList* GetHookList()
{
    if (!g_hookList)
        g_hookList = new THookList;
    return g_hookList;
}

THookList* HookListIfAny() { return g_hookList; }

void FreeHookList()
{
    delete g_hookList;
    g_hookList = nullptr;
}

// ------------------------------------------------------------------ TSkHook

VCL_IMPLEMENT_CLASS(TSkHook, vcl::TComponent, [](auto&) {})

TSkHook::TSkHook(vcl::TComponent* owner) : vcl::TComponent(owner) {}

TSkHook::~TSkHook()
{
    // A form frees the hooks it owns before it tells them of its own end.
    ReleaseEmptyRecord(Detach());
    SetControl(nullptr);
}

void TSkHook::SetActive(bool value)
{
    if (value == active_)
        return;
    if (value)
        Attach();
    else
        ReleaseEmptyRecord(Detach());  // a later destructor no longer knows it
}

void TSkHook::Attach()
{
    if (control_ && !ComponentState().Contains(vcl::csDestroying))
        GetHookList()->FindOrCreate(control_)->AddHook(this);
    active_ = true;
}

TControlHook* TSkHook::Detach()
{
    TControlHook* record = controlHook_;
    if (record)
        record->RemoveHook(this);
    active_ = false;
    return record;
}

void TSkHook::SetControl(TWinControl* value)
{
    if (value == GetControl())
        return;
    const bool wasActive = active_;
    TControlHook* former = Detach();
    if (control_ && control_ != value)
        control_->RemoveFreeNotification(this);
    control_ = value;
    if (value)
        value->FreeNotification(this);
    ReleaseEmptyRecord(former);
    if (wasActive)
        Attach();
}

TWinControl* TSkHook::GetControl() const
{
    if (controlHook_ && controlHook_->Control())
        return controlHook_->Control();
    return control_;
}

vcl::TCustomForm* TSkHook::GetForm() const { return dynamic_cast<vcl::TCustomForm*>(GetControl()); }

HWND TSkHook::GetHandle() const { return control_ ? control_->Handle() : nullptr; }

void TSkHook::AfterMessage(TMessage&, bool&) {}

void TSkHook::BeforeMessage(TMessage& msg, bool& handled)
{
    handled_ = handled;
    try {
        Dispatch(msg);
    } catch (...) {
        handled = handled_;
        throw;
    }
    handled = handled_;
}

void TSkHook::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    vcl::TComponent::Notification(component, operation);
    if (operation != vcl::opRemove || component != control_)
        return;
    // The control goes first: leave its window alone from now on, and keep
    // the record from following the freed control.
    const bool wasActive = active_;
    TControlHook* former = Detach();
    control_ = nullptr;
    if (former && former->Hooks().empty()) {
        former->SetControl(nullptr);
        ReleaseEmptyRecord(former);
    }
    active_ = wasActive;
}

// ------------------------------------------------------------- TControlHook

VCL_IMPLEMENT_CLASS(TControlHook, vcl::TObject, [](auto&) {})

TControlHook::TControlHook()
{
    ownProc_ = vcl::MakeObjectInstance([this](TMessage& msg) { WindowProc(msg); });
}

TControlHook::~TControlHook()
{
    destroying_ = true;
    if (g_hookList)
        g_hookList->Remove(this);
    while (!hooks_.empty())
        RemoveHook(hooks_.back());
    control_ = nullptr;
    vcl::FreeObjectInstance(ownProc_);
}

bool TControlHook::Chained() const { return previous_ && !ownsWindowProc_ && IsWindow(window_); }

bool TControlHook::ControlDestroying() const
{
    return control_ && control_->ComponentState().Contains(vcl::csDestroying);
}

void TControlHook::AddHook(TSkHook* hook)
{
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) {
        hooks_.push_back(hook);
        hook->controlHook_ = this;
        SetControl(hook->control_);
    }
    Subclass();
}

void TControlHook::RemoveHook(TSkHook* hook)
{
    hook->controlHook_ = nullptr;
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
    if (hooks_.empty())
        Unsubclass();
}

void TControlHook::SetControl(TWinControl* value)
{
    if (value == control_)
        return;
    Unsubclass();
    control_ = value;
    if (!hooks_.empty())
        Subclass();
}

void TControlHook::Subclass()
{
    if (!control_ || control_->ComponentState().Contains(vcl::csDesigning) || ControlDestroying() || destroying_)
        return;
    const HWND window = control_->Handle();
    if (window != window_) {
        previous_ = nullptr;
        ownsWindowProc_ = false;
    }
    window_ = window;
    if (previous_) {
        // Still a link of a chain that another party built over this record.
        return;
    }
    const WNDPROC current = ReadWindowProc(window);
    if (current == ownProc_)
        return;
    previous_ = current;
    WriteWindowProc(window, ownProc_);
    ownsWindowProc_ = true;
}

void TControlHook::Unsubclass()
{
    if (control_ && previous_ && control_->HandleAllocated() && window_ == control_->Handle()) {
        if (ReadWindowProc(window_) == ownProc_) {
            WriteWindowProc(window_, previous_);
        } else {
            // Another party subclassed the window after this record and
            // calls this record as its previous procedure: restoring would
            // cut its chain, and forgetting the previous procedure would
            // cut the control's own handling out of it. Stay a plain link.
            ownsWindowProc_ = false;
            return;
        }
    }
    previous_ = nullptr;
    ownsWindowProc_ = false;
}

void TControlHook::WindowProc(TMessage& msg)
{
    if (!control_) {
        // Only a record kept as a link of a foreign chain gets here.
        if (previous_ && window_)
            msg.Result = CallWindowProcA(previous_, window_, msg.Msg, msg.WParam, msg.LParam);
        return;
    }
    bool handled = false;
    if (msg.Msg != WM_QUIT)
        CallHooks(Phase::Before, msg, handled);
    if (!handled || msg.Msg == WM_DESTROY) {
        TWinControl* control = control_;
        const HWND window = control->HandleAllocated() ? control->Handle() : window_;
        try {
            if (previous_)
                msg.Result = CallWindowProcA(previous_, window, msg.Msg, msg.WParam, msg.LParam);
            else
                control->DefaultHandler(msg);
        } catch (...) {
            CallHooks(Phase::After, msg, handled);
            throw;
        }
        CallHooks(Phase::After, msg, handled);
    }
    if (msg.Msg == WM_DESTROY) {
        Unsubclass();
        if (g_hookList && !destroying_ && !ControlDestroying())
            PostMessageA(g_hookList->Handle(), CM_HOOKREINSTALL, 0, reinterpret_cast<LPARAM>(this));
    }
}

void TControlHook::CallHooks(Phase phase, TMessage& msg, bool& handled)
{
    if (hooks_.empty() || !control_ || destroying_ || ControlDestroying())
        return;
    // A hook may detach itself while it runs; walk a copy and skip the gone.
    const std::vector<TSkHook*> hooks = hooks_;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        TSkHook* hook = *it;
        if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end())
            continue;
        try {
            if (phase == Phase::Before)
                hook->BeforeMessage(msg, handled);
            else
                hook->AfterMessage(msg, handled);
        } catch (...) {
            vcl::Application->HandleException(hook);
        }
        if (handled)
            break;
    }
}

// ---------------------------------------------------------------- THookList

VCL_IMPLEMENT_CLASS(THookList, vcl::TObject, [](auto&) {})

THookList::THookList()
{
    handle_ = vcl::AllocateHWnd([this](TMessage& msg) { WndProc(msg); });
}

THookList::~THookList()
{
    while (!items_.empty())
        delete items_.back();  // its destructor takes it off the list
    vcl::DeallocateHWnd(handle_);
}

TControlHook* THookList::Find(TWinControl* control) const
{
    if (!control)
        return nullptr;
    for (TControlHook* record : items_) {
        if (record->Control() == control)
            return record;
    }
    return nullptr;
}

TControlHook* THookList::FindOrCreate(TWinControl* control)
{
    if (TControlHook* found = Find(control))
        return found;
    auto* record = new TControlHook;
    items_.push_back(record);
    try {
        record->SetControl(control);
    } catch (...) {
        delete record;
        throw;
    }
    return record;
}

bool THookList::Contains(const TControlHook* record) const
{
    return std::find(items_.begin(), items_.end(), record) != items_.end();
}

void THookList::Remove(TControlHook* record)
{
    items_.erase(std::remove(items_.begin(), items_.end(), record), items_.end());
}

void THookList::WndProc(TMessage& msg)
{
    try {
        auto* record = reinterpret_cast<TControlHook*>(msg.LParam);
        switch (msg.Msg) {
        case CM_HOOKREINSTALL:
            // A record left without hooks has no window to take over, and
            // its control may be gone since the request was posted.
            if (Contains(record) && !record->Hooks().empty())
                record->Subclass();
            break;
        case CM_HOOKRELEASE:
            // A record still linked into a foreign chain must keep serving it.
            if (Contains(record) && record->Hooks().empty() && !record->Chained())
                delete record;
            break;
        default: msg.Result = DefWindowProcA(handle_, msg.Msg, msg.WParam, msg.LParam);
        }
    } catch (...) {
        vcl::Application->HandleException(this);
    }
}

}  // namespace skin
