#include <algorithm>
#include <unordered_map>

#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/sysutils.h"

namespace vcl {

namespace {

std::unordered_map<HWND, TWinControl*>& Windows()
{
    static std::unordered_map<HWND, TWinControl*> windows;
    return windows;
}

TWinControl* g_creating = nullptr;

}  // namespace

TWinControl* TWinControl::FindControl(HWND hwnd)
{
    auto it = Windows().find(hwnd);
    return it == Windows().end() ? nullptr : it->second;
}

TWinControl* FindControl(HWND hwnd) { return TWinControl::FindControl(hwnd); }

TControl* FindDragTarget(POINT pos, bool allowDisabled)
{
    TWinControl* window = FindControl(WindowFromPoint(pos));
    if (!window)
        return nullptr;
    TControl* control = window->ControlAtPos(window->ScreenToClient(pos), allowDisabled);
    return control ? control : window;
}

LRESULT CALLBACK TWinControl::InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = FindControl(hwnd);
    if (!control && g_creating) {
        control = g_creating;
        g_creating = nullptr;
        control->handle_ = hwnd;
        Windows()[hwnd] = control;
    }
    if (!control)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        control->WindowProc(m);
    } catch (...) {
        HandleControlException(control);
    }
    return m.Result;
}

// ------------------------------------------------------------- TWinControl

VCL_IMPLEMENT_CLASS(TWinControl, TControl, [](auto& b) {
    b.Int("TabOrder", &TWinControl::TabOrderValue, &TWinControl::SetTabOrderValue, -1);
    b.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false);
    b.Event("OnEnter", &TWinControl::OnEnter);
    b.Event("OnExit", &TWinControl::OnExit);
    b.Event("OnKeyDown", &TWinControl::OnKeyDown);
    b.Event("OnKeyPress", &TWinControl::OnKeyPress);
    b.Event("OnKeyUp", &TWinControl::OnKeyUp);
    b.Bool("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite, false);
    b.Bool("UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager, false);
    b.Event("OnDockOver", &TWinControl::OnDockOver);
    b.Event("OnDockDrop", &TWinControl::OnDockDrop);
    b.Event("OnGetSiteInfo", &TWinControl::OnGetSiteInfo);
    b.Event("OnUnDock", &TWinControl::OnUnDock);
    b.Message(WM_PAINT, &TWinControl::WMPaint);
    b.Message(WM_ERASEBKGND, &TWinControl::WMEraseBkgnd);
    b.Message(WM_SIZE, &TWinControl::WMSize);
    b.Message(WM_MOVE, &TWinControl::WMMove);
    b.Message(WM_WINDOWPOSCHANGED, &TWinControl::WMWindowPosChanged);
    b.Message(WM_SETFOCUS, &TWinControl::WMSetFocus);
    b.Message(WM_KILLFOCUS, &TWinControl::WMKillFocus);
    b.Message(WM_KEYDOWN, &TWinControl::WMKeyDown);
    b.Message(WM_SYSKEYDOWN, &TWinControl::WMKeyDown);
    b.Message(WM_KEYUP, &TWinControl::WMKeyUp);
    b.Message(WM_SYSKEYUP, &TWinControl::WMKeyUp);
    b.Message(WM_CHAR, &TWinControl::WMChar);
    b.Message(WM_SYSCHAR, &TWinControl::WMSysChar);
    b.Message(WM_COMMAND, &TWinControl::WMCommand);
    b.Message(WM_NOTIFY, &TWinControl::WMNotify);
    b.Message(WM_DRAWITEM, &TWinControl::WMDrawItem);
    for (UINT m : {WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORSTATIC, WM_CTLCOLORSCROLLBAR})
        b.Message(m, &TWinControl::WMCtlColor);
    b.Message(WM_SETCURSOR, &TWinControl::WMSetCursor);
    b.Message(WM_NCDESTROY, &TWinControl::WMNCDestroy);
    b.Message(CM_SHOWINGCHANGED, &TWinControl::CMShowingChanged);
    b.Message(CM_ENABLEDCHANGED, &TWinControl::CMEnabledChanged2);
    b.Message(CM_COLORCHANGED, &TWinControl::CMColorChanged);
    b.Message(CM_FONTCHANGED, &TWinControl::CMFontChanged);
    b.Message(CM_INVALIDATE, &TWinControl::CMInvalidate);
    using M = std::function<void(TWinControl*, TMessage&)>;
    b.Message(CM_ENTER, M([](TWinControl* c, TMessage&) { c->DoEnter(); }));
    b.Message(CM_EXIT, M([](TWinControl* c, TMessage&) { c->DoExit(); }));
    // The wheel goes to the focused control first; unhandled, on to its parent.
    b.Message(WM_MOUSEWHEEL, M([](TWinControl* c, TMessage& m) {
                  if (c->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) == 0)
                      c->DefaultHandler(m);
                  else
                      m.Result = 0;
              }));
    // Every control below hears which control took the focus.
    b.Message(CM_FOCUSCHANGED, M([](TWinControl* c, TMessage& m) {
                  for (TControl* child : std::vector<TControl*>(c->controls_)) {
                      child->Perform(m.Msg, m.WParam, m.LParam);
                  }
                  m.Result = 0;
              }));
    b.Message(CM_VISIBLECHANGED, M([](TWinControl* c, TMessage&) { c->UpdateShowing(); }));
})

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    Destroying();
    LeaveDockSite();
    if (parent_)
        parent_->RemoveControl(this);
    // Children are told their parent is going; owned ones go with their owner.
    while (!controls_.empty())
        RemoveControl(controls_.back());
    DestroyHandle();
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError(Format(consts::SListIndexError, index));
    return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
    controls_.push_back(control);
    control->parent_ = this;
    if (!control->ComponentState().Contains(csReading)) {
        control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        control->Perform(CM_PARENTFONTCHANGED, 0, 0);
        control->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
    if (auto* w = dynamic_cast<TWinControl*>(control))
        w->UpdateShowing();
    control->RequestAlign();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    control->Invalidate();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
    if (auto* w = dynamic_cast<TWinControl*>(control))
        w->DestroyHandle();
    controls_.erase(std::find(controls_.begin(), controls_.end(), control));
    control->parent_ = nullptr;
    Realign();
}

TControl* TWinControl::ControlAtPos(POINT pos, bool allowDisabled) const
{
    // Front to back: the last in the list is on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c))
            continue;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled))
            continue;
        const RECT r = c->BoundsRect();
        if (pos.x >= r.left && pos.x < r.right && pos.y >= r.top && pos.y < r.bottom) {
            POINT local{pos.x - r.left, pos.y - r.top};
            if (c->Perform(CM_HITTEST, 0, MAKELPARAM(static_cast<WORD>(local.x), static_cast<WORD>(local.y))) != 0)
                return c;
        }
    }
    return nullptr;
}

TControl* TWinControl::FindChildControl(const AnsiString& name) const
{
    for (TControl* c : controls_) {
        if (!name.empty() && SameText(c->Name(), name))
            return c;
    }
    return nullptr;
}

bool TWinControl::ContainsControl(TControl* control) const
{
    for (TControl* c = control; c; c = c->Parent()) {
        if (c == this)
            return true;
    }
    return false;
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    for (TControl* c : controls_) {
        if (c->Owner() == root)
            proc(c);
    }
}

bool TWinControl::Ctl3D() const
{
    if (parentCtl3D_ && Parent())
        return Parent()->Ctl3D();
    return ctl3D_;
}

void TWinControl::SetCtl3D(bool v)
{
    ctl3D_ = v;
    parentCtl3D_ = false;
}

int TWinControl::TabOrder() const
{
    if (!parent_)
        return -1;
    int order = 0;
    for (TControl* c : parent_->controls_) {
        if (c == this)
            return order;
        if (dynamic_cast<TWinControl*>(c))
            ++order;
    }
    return -1;
}

void TWinControl::SetTabOrder(int v)
{
    if (!parent_ || v < 0)
        return;
    // Windowed siblings keep their relative order; graphic ones stay put.
    std::vector<TControl*>& list = parent_->controls_;
    std::vector<size_t> slots;
    std::vector<TControl*> windowed;
    for (size_t i = 0; i < list.size(); ++i) {
        if (dynamic_cast<TWinControl*>(list[i])) {
            slots.push_back(i);
            if (list[i] != this)
                windowed.push_back(list[i]);
        }
    }
    windowed.insert(windowed.begin() + std::min<size_t>(static_cast<size_t>(v), windowed.size()), this);
    for (size_t i = 0; i < slots.size(); ++i)
        list[slots[i]] = windowed[i];
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled())
            return false;
    }
    return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation(consts::SCannotFocus);
    ::SetFocus(Handle());
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (controlStyle_.Contains(csAcceptsControls))
        params.Style |= WS_CLIPCHILDREN;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = parent_ ? parent_->Handle() : nullptr;
    params.WindowClass.style = CS_DBLCLKS;
    params.WindowClass.lpfnWndProc = &TWinControl::InitWndProc;
    params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    params.WinClassName = ClassName();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    g_creating = this;
    HWND h = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style, params.X,
                             params.Y, params.Width, params.Height, params.WndParent, nullptr, nullptr, params.Param);
    g_creating = nullptr;
    if (!h)
        RaiseLastWin32Error();
    if (!handle_) {
        handle_ = h;
        Windows()[h] = this;
    }
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (params.WndParent == nullptr && (params.Style & WS_CHILD))
        throw EInvalidOperation(Format(consts::SParentRequired, Name()));
    WNDCLASSA existing{};
    if (!GetClassInfoA(nullptr, params.WinClassName.c_str(), &existing)) {
        WNDCLASSA wc = params.WindowClass;
        wc.lpszClassName = params.WinClassName.c_str();
        if (!RegisterClassA(&wc))
            RaiseLastWin32Error();
    }
    defWndProc_ = DefWindowProcA;
    CreateWindowHandle(params);
}

void TWinControl::CreateHandle()
{
    if (handle_)
        return;
    CreateWnd();
    // Windowed children get their windows too, in z-order.
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            w->UpdateShowing();
            if (w->HandleAllocated())
                SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

void TWinControl::HandleNeeded()
{
    if (handle_)
        return;
    if (parent_)
        parent_->HandleNeeded();
    CreateHandle();
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::DestroyWnd()
{
    if (handle_) {
        HWND h = handle_;
        DestroyWindow(h);
        Windows().erase(h);
        handle_ = nullptr;
    }
}

void TWinControl::DestroyHandle()
{
    if (!handle_)
        return;
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->DestroyHandle();
    }
    DestroyWnd();
    showing_ = false;
}

void TWinControl::RecreateWnd()
{
    if (!handle_)
        return;
    DestroyHandle();
    UpdateShowing();
}

void TWinControl::WMNCDestroy(TMessage& m)
{
    DefaultHandler(m);
    Windows().erase(handle_);
    handle_ = nullptr;
    showing_ = false;
}

void TWinControl::UpdateShowing()
{
    // A child shows with its own window as soon as its parent has one; the
    // window manager keeps it out of sight while the parent is hidden.
    const bool show = Visible() && !ComponentState().Contains(csDestroying) && !ComponentState().Contains(csLoading) &&
                      (parent_ ? parent_->HandleAllocated() : dynamic_cast<TCustomForm*>(this) != nullptr);
    if (show && !handle_)
        CreateHandle();
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->UpdateShowing();
    }
    if (show == showing_)
        return;
    showing_ = show;
    try {
        Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
        showing_ = !show;
        throw;
    }
}

void TWinControl::CMShowingChanged(TMessage&)
{
    if (handle_)
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::SetVisible(bool v)
{
    TControl::SetVisible(v);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (!CheckNewSize(width, height)) {
        width = Width();
        height = Height();
    }
    if (left == Left() && top == Top() && width == Width() && height == Height())
        return;
    if (handle_) {
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBounds();
    } else {
        left_ = left;
        top_ = top;
        width_ = std::max(0, width);
        height_ = std::max(0, height);
    }
    RequestAlign();
    Realign();
    Resize();
}

void TWinControl::UpdateBounds()
{
    RECT r{};
    GetWindowRect(handle_, &r);
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(handle_);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TWinControl::WMSize(TMessage& m)
{
    DefaultHandler(m);
    if (handle_)
        UpdateBounds();
    Realign();
    if (!ComponentState().Contains(csLoading))
        Resize();
}

void TWinControl::WMMove(TMessage& m)
{
    DefaultHandler(m);
    if (handle_)
        UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TMessage& m)
{
    DefaultHandler(m);
    if (handle_)
        UpdateBounds();
}

RECT TWinControl::GetClientRect() const
{
    if (!handle_)
        return TControl::GetClientRect();
    RECT r{};
    ::GetClientRect(handle_, &r);
    return r;
}

POINT TWinControl::GetClientOrigin() const
{
    POINT p{0, 0};
    if (handle_) {
        ::ClientToScreen(handle_, &p);
        return p;
    }
    if (parent_) {
        const POINT o = parent_->GetClientOrigin();
        return POINT{o.x + Left(), o.y + Top()};
    }
    return POINT{Left(), Top()};
}

void TWinControl::SetText(const AnsiString& v)
{
    if (v == Caption())
        return;
    if (handle_)
        SetWindowTextA(handle_, v.c_str());
    TControl::SetText(v);
}

AnsiString TWinControl::GetText() const
{
    if (!handle_)
        return TControl::GetText();
    const LRESULT length = SendMessageA(handle_, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return AnsiString();
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(handle_, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return buffer;
}

void TWinControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}

void TWinControl::Update()
{
    if (handle_)
        UpdateWindow(handle_);
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::EnableAlign()
{
    if (alignDisabled_ > 0 && --alignDisabled_ == 0 && controlState_.Contains(csAlignmentNeeded))
        Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* control)
{
    if (ComponentState().Contains(csDestroying))
        return;
    if (alignDisabled_ > 0 || ComponentState().Contains(csLoading)) {
        controlState_.Include(csAlignmentNeeded);
        return;
    }
    // Children moved by the layout ask again; that is noted while alignment
    // is disabled and then dropped, so one layout runs per request.
    ++alignDisabled_;
    try {
        RECT r = GetClientRect();
        AdjustClientRect(r);
        AlignControls(control, r);
    } catch (...) {
        controlState_.Exclude(csAlignmentNeeded);
        --alignDisabled_;
        throw;
    }
    controlState_.Exclude(csAlignmentNeeded);
    --alignDisabled_;
    // A container that sizes itself to its children does so once they are placed.
    if (AutoSize())
        AdjustSize();
}

void TWinControl::AlignControls(TControl*, RECT& rect)
{
    ++alignDisabled_;
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : controls_) {
            if (c->Align() != a || !c->Visible())
                continue;
            const int w = c->Width(), h = c->Height();
            switch (a) {
            case alTop:
                c->SetBounds(rect.left, rect.top, rect.right - rect.left, h);
                rect.top += h;
                break;
            case alBottom:
                c->SetBounds(rect.left, rect.bottom - h, rect.right - rect.left, h);
                rect.bottom -= h;
                break;
            case alLeft:
                c->SetBounds(rect.left, rect.top, w, rect.bottom - rect.top);
                rect.left += w;
                break;
            case alRight:
                c->SetBounds(rect.right - w, rect.top, w, rect.bottom - rect.top);
                rect.right -= w;
                break;
            default: c->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top); break;
            }
        }
    }
    --alignDisabled_;
}

void TWinControl::WndProc(TMessage& m)
{
    // Mouse messages for graphic children go to them, in their coordinates.
    if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL) {
        TControl* target = GetCaptureControl();
        if (target && (target->Parent() != this || dynamic_cast<TWinControl*>(target)))
            target = nullptr;
        if (!target && !GetCapture())
            target = ControlAtPos(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}, false);
        if (!target && GetCapture() == handle_ && GetCaptureControl() && GetCaptureControl()->Parent() == this &&
            !dynamic_cast<TWinControl*>(GetCaptureControl()))
            target = GetCaptureControl();
        if (target) {
            const int x = GET_X_LPARAM(m.LParam) - target->Left();
            const int y = GET_Y_LPARAM(m.LParam) - target->Top();
            m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
            return;
        }
    }
    TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (!handle_) {
        TControl::DefaultHandler(m);
        return;
    }
    m.Result = CallWindowProcA(defWndProc_ ? defWndProc_ : DefWindowProcA, handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::PaintWindow(HDC dc)
{
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    auto it = controls_.begin();
    if (first)
        it = std::find(controls_.begin(), controls_.end(), first);
    for (; it != controls_.end(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible())
            continue;
        const RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r))
            continue;
        const int saved = SaveDC(dc);
        OffsetWindowOrgEx(dc, -r.left, -r.top, nullptr);
        IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        RestoreDC(dc, saved);
    }
}

void TWinControl::PaintHandler(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    PAINTSTRUCT ps{};
    if (!dc)
        dc = BeginPaint(handle_, &ps);
    try {
        PaintWindow(dc);
        PaintControls(dc, nullptr);
    } catch (...) {
        if (!m.WParam)
            EndPaint(handle_, &ps);
        throw;
    }
    if (!m.WParam)
        EndPaint(handle_, &ps);
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    const int saved = SaveDC(dc);
    OffsetWindowOrgEx(dc, -x, -y, nullptr);
    IntersectClipRect(dc, 0, 0, Width(), Height());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible())
            w->PaintTo(dc, w->Left(), w->Top());
    }
    RestoreDC(dc, saved);
}

void TWinControl::WMEraseBkgnd(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    const RECT r = GetClientRect();
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    m.Result = 1;
}

void TWinControl::WMSetFocus(TMessage& m)
{
    DefaultHandler(m);
    if (TCustomForm* form = ParentForm())
        form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& m)
{
    DefaultHandler(m);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift)
{
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(key, shift))
        return true;
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyDown(key, shift);
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(char& key)
{
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(key))
        return true;
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyPress(key);
        if (key == 0)
            return true;
    }
    return false;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(WORD& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char& key) { OnKeyPress(this, key); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::WMKeyDown(TMessage& m)
{
    WORD key = static_cast<WORD>(m.WParam);
    // Dialog keys go to the form first unless the control wants them.
    if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) {
        const LRESULT code = SendMessageA(handle_, WM_GETDLGCODE, 0, 0);
        const bool wanted = (key == VK_TAB && (code & DLGC_WANTTAB)) || (key != VK_TAB && (code & DLGC_WANTALLKEYS));
        TCustomForm* form = ParentForm();
        if (!wanted && form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0)
            return;
    }
    if (TCustomForm* form = ParentForm(); form && form->IsShortCut(m))
        return;
    if (DoKeyDown(key, KeyDataToShiftState(m.LParam)))
        return;
    m.WParam = key;
    DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m)
{
    WORD key = static_cast<WORD>(m.WParam);
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyUp(key, KeyDataToShiftState(m.LParam));
        if (key == 0)
            return;
    }
    DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m)
{
    char key = static_cast<char>(m.WParam);
    if (DoKeyPress(key))
        return;
    m.WParam = static_cast<unsigned char>(key);
    // Characters the control does not take are offered to the form's
    // controls as accelerators.
    const LRESULT code = SendMessageA(handle_, WM_GETDLGCODE, 0, 0);
    TCustomForm* form = ParentForm();
    if (!(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) && form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
        return;
    DefaultHandler(m);
}

void TWinControl::WMSysChar(TMessage& m)
{
    TCustomForm* form = ParentForm();
    if (form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
        return;
    DefaultHandler(m);
}

// Notifications from child windows are reflected to the control that sent them.
void TWinControl::WMCommand(TMessage& m)
{
    if (TWinControl* c = FindControl(reinterpret_cast<HWND>(m.LParam)); c && c != this) {
        m.Result = c->Perform(CN_COMMAND, m.WParam, m.LParam);
        return;
    }
    DefaultHandler(m);
}

void TWinControl::WMNotify(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::WMDrawItem(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::WMCtlColor(TMessage& m)
{
    if (TWinControl* c = FindControl(reinterpret_cast<HWND>(m.LParam)); c && c != this) {
        m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
        return;
    }
    DefaultHandler(m);
}

void TWinControl::WMSetCursor(TMessage& m)
{
    if (LOWORD(static_cast<DWORD_PTR>(m.LParam)) == HTCLIENT) {
        POINT p{};
        GetCursorPos(&p);
        TControl* c = ControlAtPos(ScreenToClient(p), false);
        const TCursor cursor = c ? c->Cursor() : Cursor();
        if (cursor != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(cursor));
            m.Result = 1;
            return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::CMEnabledChanged2(TMessage&)
{
    if (handle_)
        EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::CMColorChanged(TMessage&)
{
    for (TControl* c : controls_)
        c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Invalidate();
}

void TWinControl::CMFontChanged(TMessage&)
{
    for (TControl* c : controls_)
        c->Perform(CM_PARENTFONTCHANGED, 0, 0);
    Invalidate();
}

}  // namespace vcl
