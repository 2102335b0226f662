// MDI support of the self-drawn frame: the parent's client window painted
// by the frame, the caption that names a maximized child, and the child
// frames' window buttons on the parent's menu bar.

#include "platform/vcl/sysobjs.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/forms/sk_frame_menus.h"

namespace skin {

using vcl::TMessage;

namespace {

// Sent by the class library's client window when its children changed.
constexpr UINT kClientChanged = 0x3F;
const char* const kChildSuffix = " - [";

bool IsMDIChild(const vcl::TCustomForm* form) { return form && form->FormStyle() == vcl::fsMDIChild; }
bool IsMDIParent(const vcl::TCustomForm* form) { return form && form->FormStyle() == vcl::fsMDIForm; }

}  // namespace

TSkCustomForm* TSkCustomForm::FrameOf(vcl::TCustomForm* form)
{
    if (!form)
        return nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* frame = dynamic_cast<TSkCustomForm*>(form->Components(i)); frame && frame->Active())
            return frame;
    return nullptr;
}

bool TSkCustomForm::IsMDIChildMaximized()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!IsMDIParent(form))
        return false;
    for (int i = 0; i < form->MDIChildCount(); ++i) {
        vcl::TCustomForm* child = form->MDIChildren(i);
        TSkCustomForm* frame = FrameOf(child);
        if (frame && frame->WindowState() == kwsMaximized && child->Visible())
            return true;
    }
    return false;
}

RECT TSkCustomForm::MDIClientArea()
{
    vcl::TCustomForm* form = OwnerForm();
    vcl::TCustomForm* parent = form ? form->MDIParent() : nullptr;
    RECT r{};
    if (parent && parent->ClientHandle()) {
        ::GetClientRect(parent->ClientHandle(), &r);
        return r;
    }
    if (parent)
        return parent->ClientRect();
    return RECT{0, 0, GetMetric(SM_CXSCREEN), GetMetric(SM_CYSCREEN)};
}

vcl::TControl* TSkCustomForm::MDIParentMenuBar()
{
    vcl::TCustomForm* form = OwnerForm();
    TSkCustomForm* parentFrame = IsMDIChild(form) ? FrameOf(form->MDIParent()) : nullptr;
    return parentFrame ? parentFrame->MenuBar() : nullptr;
}

void TSkCustomForm::UpdateMDICaption()
{
    vcl::TCustomForm* form = OwnerForm();
    vcl::TCustomForm* parent = IsMDIChild(form) ? form->MDIParent() : nullptr;
    if (!parent)
        return;
    vcl::AnsiString text = parent->Caption();
    if (const size_t at = text.find(kChildSuffix); at != vcl::AnsiString::npos)
        text.erase(at);
    if (windowState_ == kwsMaximized && form->Visible())
        text += kChildSuffix + form->Caption() + "]";
    if (TSkCustomForm* parentFrame = FrameOf(parent))
        parentFrame->SetCaption(vcl::AnsiToWide(text));
    else
        parent->SetCaption(text);
    if (parent->HandleAllocated())
        PostMessageA(parent->Handle(), SK_UPDATEFRAME, 0, 0);
}

void TSkCustomForm::UpdateMDIChildren()
{
    vcl::TCustomForm* form = OwnerForm();
    vcl::TCustomForm* parent = IsMDIChild(form) ? form->MDIParent() : nullptr;
    if (!parent)
        return;
    TSkCustomForm* maximized = nullptr;
    for (int i = 0; i < parent->MDIChildCount(); ++i) {
        vcl::TCustomForm* child = parent->MDIChildren(i);
        TSkCustomForm* frame = FrameOf(child);
        if (!frame)
            continue;
        if (frame->WindowState() == kwsMaximized && child->Visible() && frame != this)
            maximized = frame;
        if (child->HandleAllocated())
            frame->PaintFrame();
    }
    (maximized ? maximized : this)->UpdateMDICaption();
}

void TSkCustomForm::FitMaximizedMDIChild()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!IsMDIParent(form) || !IsMDIChildMaximized() || !form->ActiveMDIChild())
        return;
    RECT r{};
    if (form->ClientHandle())
        ::GetClientRect(form->ClientHandle(), &r);
    else
        r = form->ClientRect();
    form->ActiveMDIChild()->SetBoundsRect(r);
}

// ------------------------------------------------------------ client window

void TSkCustomForm::InstallMDIClientProc()
{
    vcl::TCustomForm* form = OwnerForm();
    if (!IsMDIParent(form) || !IsWindow(form->ClientHandle()) || mdiClient_ == form->ClientHandle() ||
        form->ComponentState().Contains(vcl::csDestroying))
        return;
    ReleaseMDIClient();
    if (!mdiClientProc_)
        mdiClientProc_ = vcl::MakeObjectInstance([this](TMessage& m) { MDIClientWndProc(m); });
    mdiClient_ = form->ClientHandle();
    mdiPreviousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(mdiClient_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(mdiClientProc_)));
    // A client window made again with the form's window has its edge back;
    // it goes as soon as the new window is ours.
    PostMessageA(mdiClient_, kClientChanged, 0, 0);
}

void TSkCustomForm::ReleaseMDIClient()
{
    if (mdiClient_ && IsWindow(mdiClient_) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(mdiClient_, GWL_WNDPROC)) == mdiClientProc_)
        SetWindowLongPtrA(mdiClient_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(mdiPreviousProc_));
    mdiPreviousProc_ = nullptr;
    mdiClient_ = nullptr;
}

void TSkCustomForm::RemoveMDIClientProc()
{
    ReleaseMDIClient();
    if (mdiClientProc_)
        vcl::FreeObjectInstance(mdiClientProc_);
    mdiClientProc_ = nullptr;
}

void TSkCustomForm::MDIClientWndProc(TMessage& m)
{
    const HWND client = mdiClient_;
    vcl::TCustomForm* form = OwnerForm();
    switch (m.Msg) {
    case WM_PAINT:
        // The frame paints the client's background; the children paint themselves.
        if (m.WParam == 0) {
            PAINTSTRUCT ps{};
            BeginPaint(client, &ps);
            EndPaint(client, &ps);
        }
        m.Result = 0;
        return;
    case WM_ERASEBKGND:
        if (form && form->HandleAllocated() && !IsMDIChildMaximized()) {
            m.Result = SendMessageA(form->Handle(), WM_ERASEBKGND, m.WParam, 0);
            return;
        }
        break;
    case kClientChanged:
        if (IsMDIParent(form)) {
            const LONG_PTR ex = GetWindowLongPtrA(client, GWL_EXSTYLE);
            if (ex & WS_EX_CLIENTEDGE) {
                SetWindowLongPtrA(client, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
                SetWindowPos(client, nullptr, 0, 0, 0, 0,
                             SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
            }
        }
        m.Result = 0;
        return;
    default: break;
    }
    m.Result = CallWindowProcA(mdiPreviousProc_, client, m.Msg, m.WParam, m.LParam);
    if (m.Msg == WM_NCHITTEST && m.Result == HTCLIENT)
        m.Result = HTTRANSPARENT;
    if (m.Msg == WM_NCDESTROY && client == mdiClient_) {
        // The form's window goes, or is made again (RecreateWnd) with a new
        // client window. This procedure is still running, so it stays
        // allocated; the new client is taken over once the message loop
        // comes back, when it exists.
        ReleaseMDIClient();
        if (trayWindow_)
            PostMessageA(trayWindow_, SK_REHOOKMDICLIENT, 0, 0);
    }
}

void TSkCustomForm::BeforeMessage(TMessage& m, bool& handled)
{
    // A form whose window was made again later than the posted request
    // (hidden, then shown) has a new client window by its first message.
    if (mdiClientProc_)
        InstallMDIClientProc();
    TSkHook::BeforeMessage(m, handled);
}

}  // namespace skin
