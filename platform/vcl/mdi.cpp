// MDI forms: the client window of an fsMDIForm and the fsMDIChild forms
// whose windows it holds, with the active child among them.

#include <algorithm>

#include "platform/vcl/forms.h"

namespace vcl {

namespace {

constexpr const char* kClientClass = "MDICLIENT";
// Sent to a client window when its children changed, so that a frame that
// took the window over can refresh it.
constexpr UINT kClientChanged = 0x3F;

void RegisterClientClass()
{
    WNDCLASSA existing{};
    if (GetClassInfoA(nullptr, kClientClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_APPWORKSPACE + 1));
    wc.lpszClassName = kClientClass;
    RegisterClassA(&wc);
}

}  // namespace

TCustomForm* TCustomForm::FindMDIParent() const
{
    if (auto* owner = dynamic_cast<TCustomForm*>(Owner()); owner && owner->FormStyle() == fsMDIForm)
        return owner;
    if (Application && Application->MainForm() && Application->MainForm()->FormStyle() == fsMDIForm)
        return Application->MainForm();
    return nullptr;
}

void TCustomForm::CreateMDIClient()
{
    RegisterClientClass();
    const RECT r = GetClientRect();
    clientHandle_ = CreateWindowExA(WS_EX_CLIENTEDGE, kClientClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN |
                                                                           WS_CLIPSIBLINGS,
                                    r.left, r.top, r.right - r.left, r.bottom - r.top, Handle(), nullptr, nullptr,
                                    nullptr);
    if (!clientHandle_)
        RaiseLastWin32Error();
    // Below the form's own controls, which share the client area.
    SetWindowPos(clientHandle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    clientPlace_ = RECT{};
    Realign();
    PostMessageA(clientHandle_, kClientChanged, 0, 0);
    // A window made again (RecreateWnd) took its children's windows along;
    // the children still shown get new ones in the new client window.
    for (TCustomForm* child : std::vector<TCustomForm*>(mdiChildren_))
        if (!child->HandleAllocated())
            child->UpdateShowing();
}

void TCustomForm::AlignControls(TControl* control, RECT& rect)
{
    TWinControl::AlignControls(control, rect);
    if (!clientHandle_ || EqualRect(&rect, &clientPlace_))
        return;
    clientPlace_ = rect;
    SetWindowPos(clientHandle_, nullptr, rect.left, rect.top, std::max(0L, static_cast<long>(rect.right - rect.left)),
                 std::max(0L, static_cast<long>(rect.bottom - rect.top)), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::JoinMDIParent()
{
    if (!mdiParent_)
        return;
    auto& children = mdiParent_->mdiChildren_;
    if (std::find(children.begin(), children.end(), this) == children.end())
        children.push_back(this);
    if (mdiParent_->clientHandle_)
        PostMessageA(mdiParent_->clientHandle_, kClientChanged, 0, 0);
}

void TCustomForm::LeaveMDIParent()
{
    TCustomForm* parent = mdiParent_;
    if (!parent)
        return;
    std::erase(parent->mdiChildren_, this);
    if (parent->activeMDIChild_ == this) {
        parent->activeMDIChild_ = nullptr;
        // The next child in line takes over, as when a child closes.
        for (auto it = parent->mdiChildren_.rbegin(); it != parent->mdiChildren_.rend(); ++it)
            if ((*it)->HandleAllocated() && IsWindowVisible((*it)->Handle())) {
                parent->MDIActivate(*it);
                break;
            }
    }
    mdiParent_ = nullptr;
}

void TCustomForm::MDIActivate(TCustomForm* child)
{
    if (child && std::find(mdiChildren_.begin(), mdiChildren_.end(), child) == mdiChildren_.end())
        return;
    TCustomForm* old = activeMDIChild_;
    if (child && child->HandleAllocated())
        SetWindowPos(child->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (child == old)
        return;
    activeMDIChild_ = child;
    // Last in the list is the child on top: it is the one that takes over
    // when the active child goes.
    if (child) {
        std::erase(mdiChildren_, child);
        mdiChildren_.push_back(child);
    }
    if (old && old->HandleAllocated()) {
        SendMessageA(old->Handle(), WM_NCACTIVATE, FALSE, 0);
        old->Deactivate();
    }
    if (child && child->HandleAllocated()) {
        SendMessageA(child->Handle(), WM_NCACTIVATE, TRUE, 0);
        child->Activate();
    }
}

void TCustomForm::WMMouseActivate(TMessage& m)
{
    DefaultHandler(m);
    if (mdiParent_)
        mdiParent_->MDIActivate(this);
}

void TCustomForm::DestroyWnd()
{
    if (formStyle_ == fsMDIForm) {
        // The children's windows go with the client window; their forms stay.
        for (TCustomForm* child : std::vector<TCustomForm*>(mdiChildren_))
            child->DestroyHandle();
        clientHandle_ = nullptr;
        clientPlace_ = RECT{};
    }
    TWinControl::DestroyWnd();
}

}  // namespace vcl
