#include "platform/vcl/forms.h"

#include <cstdio>
#include <map>

#include "platform/vcl/filer.h"
#include "platform/win32/kernel/module.h"

namespace vcl {

const TEnumInfo kFormBorderStyleInfo{"TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
const TEnumInfo kBorderIconInfo{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
const TEnumInfo kPositionInfo{"TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                            "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
const TEnumInfo kFormStyleInfo{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
const TEnumInfo kWindowStateInfo{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

struct GlobalObjects {
    // Left alive at exit on purpose: the window manager may be gone by then.
    GlobalObjects()
    {
        Application = new TApplication(nullptr);
        Screen = new TScreen(nullptr);
    }
};
const GlobalObjects g_globals;

std::map<AnsiString, std::vector<std::uint8_t>>& FormResources()
{
    static std::map<AnsiString, std::vector<std::uint8_t>> r;
    return r;
}

}  // namespace

void RegisterFormResource(const AnsiString& className, const std::vector<std::uint8_t>& data)
{
    FormResources()[UpperCase(className)] = data;
}

void HandleControlException(TObject* sender)
{
    if (Application) {
        Application->HandleException(sender);
        return;
    }
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
    }
}

// -------------------------------------------------------------- TCustomForm

VCL_IMPLEMENT_CLASS(TCustomForm, TWinControl, [](auto& b) {
    b.Component();
    b.Set("BorderIcons", &kBorderIconInfo, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
          std::optional<TBorderIcons>(TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
    b.Enum("BorderStyle", &kFormBorderStyleInfo, &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
           std::optional<TFormBorderStyle>(bsSizeable));
    b.Enum("FormStyle", &kFormStyleInfo, &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, std::optional<TFormStyle>(fsNormal));
    b.Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false);
    b.Enum("Position", &kPositionInfo, &TCustomForm::Position, &TCustomForm::SetPosition, std::optional<TPosition>(poDesigned));
    b.Enum("WindowState", &kWindowStateInfo, &TCustomForm::WindowState, &TCustomForm::SetWindowState,
           std::optional<TWindowState>(wsNormal));
    b.Object("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    b.Bool("AutoScroll", &TCustomForm::AutoScroll, &TCustomForm::SetAutoScroll, true);
    b.Enum("DefaultMonitor", &kDefaultMonitorInfo, &TCustomForm::DefaultMonitor, &TCustomForm::SetDefaultMonitor,
           std::optional<TDefaultMonitor>(dmActiveForm));
    b.Int("HelpContext", &TCustomForm::HelpContext, &TCustomForm::SetHelpContext, 0);
    b.Str("HelpFile", &TCustomForm::HelpFile, &TCustomForm::SetHelpFile);
    b.Event("OnShortCut", &TCustomForm::OnShortCut);
    b.Event("OnActivate", &TCustomForm::OnActivate);
    b.Event("OnClose", &TCustomForm::OnClose);
    b.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
    b.Event("OnCreate", &TCustomForm::OnCreate);
    b.Event("OnDeactivate", &TCustomForm::OnDeactivate);
    b.Event("OnDestroy", &TCustomForm::OnDestroy);
    b.Event("OnHide", &TCustomForm::OnHide);
    b.Event("OnPaint", &TCustomForm::OnPaint);
    b.Event("OnShow", &TCustomForm::OnShow);
    b.Message(WM_CLOSE, &TCustomForm::WMClose);
    b.Message(WM_ACTIVATE, &TCustomForm::WMActivate);
    b.Message(WM_SYSCOMMAND, &TCustomForm::WMSysCommand);
    b.Message(CM_SHOWINGCHANGED, &TCustomForm::CMShowingChanged2);
    b.Message(CM_DIALOGKEY, &TCustomForm::CMDialogKey);
    b.Message(CM_DIALOGCHAR, &TCustomForm::CMDialogChar);
    b.Message(CM_RELEASE, &TCustomForm::CMRelease);
    b.Message(WM_MOUSEACTIVATE, &TCustomForm::WMMouseActivate);
})

VCL_IMPLEMENT_CLASS(TForm, TCustomForm, [](auto& b) { b.Component(); })

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner), canvas_(new TControlCanvas()), icon_(new TIcon())
{
    controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    canvas_->SetControl(this);
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
    SetColor(clBtnFace);
    SetParentColor(false);
    if (Screen)
        Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    if (created_) {
        try {
            DoDestroy();
        } catch (...) {
            HandleControlException(this);
        }
    }
    if (Screen)
        Screen->RemoveForm(this);
    if (Application && Application->mainForm_ == this)
        Application->mainForm_ = nullptr;
    Destroying();
    // Components (a frame) still see the MDI parent while they go.
    DestroyComponents();
    LeaveMDIParent();
    DestroyHandle();
    for (TCustomForm* child : mdiChildren_)
        child->mdiParent_ = nullptr;
    mdiChildren_.clear();
    activeMDIChild_ = nullptr;
    delete canvas_;
    delete icon_;
}

void TCustomForm::AfterConstruction()
{
    auto it = FormResources().find(UpperCase(ClassName()));
    if (it != FormResources().end()) {
        TMemoryStream stream;
        stream.Write(it->second.data(), static_cast<std::int32_t>(it->second.size()));
        stream.SetPosition(0);
        TReader reader(&stream);
        reader.ReadRootComponent(this);
    }
    created_ = true;
    DoCreate();
}

void TCustomForm::Loaded()
{
    TWinControl::Loaded();
    UpdateShowing();
}

void TCustomForm::DoCreate()
{
    // A failing OnCreate is reported; the form still opens.
    try {
        OnCreate(this);
    } catch (...) {
        HandleControlException(this);
    }
}

void TCustomForm::DoDestroy() { OnDestroy(this); }
void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TCustomForm::Activate()
{
    active_ = true;
    if (Screen)
        Screen->activeForm_ = this;
    OnActivate(this);
}

void TCustomForm::Deactivate()
{
    active_ = false;
    OnDeactivate(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == activeControl_)
        activeControl_ = nullptr;
}

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    // Components without a parent first (an action list writes its own
    // actions), then the controls on the form.
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!dynamic_cast<TControl*>(c) && !c->HasParent())
            proc(c);
    }
    TWinControl::GetChildren(proc, root);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s)
{
    if (borderStyle_ == s)
        return;
    borderStyle_ = s;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons i)
{
    if (borderIcons_ == i)
        return;
    borderIcons_ = i;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle s)
{
    if (formStyle_ == s)
        return;
    const bool mdi = formStyle_ == fsMDIChild || formStyle_ == fsMDIForm || s == fsMDIChild || s == fsMDIForm;
    formStyle_ = s;
    if (HandleAllocated() && mdi) {
        // A child's window lives in its parent's client, a parent's holds one.
        LeaveMDIParent();
        RecreateWnd();
    } else if (HandleAllocated())
        SetWindowPos(Handle(), s == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState s)
{
    if (windowState_ == s)
        return;
    windowState_ = s;
    if (HandleAllocated() && Showing())
        ShowWindow(Handle(), s == wsMinimized ? SW_MINIMIZE : s == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    switch (borderStyle_) {
    case bsNone: params.Style |= WS_POPUP; break;
    case bsSingle: params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        params.Style |= WS_CAPTION;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (borderStyle_ != bsNone && borderIcons_.Contains(biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
            if (borderIcons_.Contains(biMinimize))
                params.Style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize))
                params.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (formStyle_ == fsStayOnTop)
        params.ExStyle |= WS_EX_TOPMOST;
    params.WndParent = Application && Application != static_cast<void*>(this) ? Application->Handle() : nullptr;
    params.WindowClass.style = CS_DBLCLKS;
    if (formStyle_ == fsMDIChild) {
        TCustomForm* parent = FindMDIParent();
        if (!parent || !parent->Handle() || !parent->clientHandle_)
            throw EInvalidOperation(consts::SNoMDIForm);
        mdiParent_ = parent;
        params.Style = (params.Style & ~WS_POPUP) | WS_CHILD;
        params.WndParent = parent->clientHandle_;
    }
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (formStyle_ == fsMDIForm)
        CreateMDIClient();
    else if (formStyle_ == fsMDIChild)
        JoinMDIParent();
}

void TCustomForm::PlaceWindow()
{
    if (!Screen)
        return;
    int x = Left(), y = Top();
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
        x = (Screen->Width() - Width()) / 2;
        y = (Screen->Height() - Height()) / 2;
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* center = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (!center && Application)
            center = Application->MainForm();
        if (center && center != this) {
            x = center->Left() + (center->Width() - Width()) / 2;
            y = center->Top() + (center->Height() - Height()) / 2;
        } else {
            x = (Screen->Width() - Width()) / 2;
            y = (Screen->Height() - Height()) / 2;
        }
        break;
    }
    default: return;
    }
    SetBounds(std::max(0, x), std::max(0, y), Width(), Height());
}

void TCustomForm::SetVisible(bool v)
{
    TControl::SetVisible(v);
}

void TCustomForm::CMShowingChanged2(TMessage&)
{
    if (Showing()) {
        DoShow();
        PlaceWindow();
        const int cmd = windowState_ == wsMinimized ? SW_SHOWMINIMIZED
                        : windowState_ == wsMaximized ? SW_SHOWMAXIMIZED
                                                       : SW_SHOWNORMAL;
        ShowWindow(Handle(), cmd);
        if (mdiParent_)
            mdiParent_->MDIActivate(this);
        else
            SetForegroundWindow(Handle());
        if (activeControl_ && activeControl_->CanFocus())
            ::SetFocus(activeControl_->Handle());
    } else {
        DoHide();
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
    }
}

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFront();
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::Release()
{
    if (HandleAllocated())
        PostMessageA(Handle(), CM_RELEASE, 0, 0);
    else
        delete this;
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || modal_)
        throw EInvalidOperation(consts::SCannotShowModal);
    if (GetCapture())
        ReleaseCapture();
    // Every other form is disabled while this one is up.
    std::vector<HWND> disabled;
    for (int i = 0; Screen && i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f != this && f->HandleAllocated() && IsWindowEnabled(f->Handle()) && IsWindowVisible(f->Handle())) {
            EnableWindow(f->Handle(), FALSE);
            disabled.push_back(f->Handle());
        }
    }
    modal_ = true;
    modalResult_ = mrNone;
    try {
        Show();
        while (true) {
            Application->HandleMessage();
            if (Application->Terminated())
                break;
            if (modalResult_ != mrNone) {
                // The close handlers may keep the form open.
                TCloseAction action = caHide;
                if (!CloseQuery())
                    action = caNone;
                else
                    DoClose(action);
                if (action == caNone) {
                    modalResult_ = mrNone;
                    continue;
                }
                break;
            }
        }
        Hide();
    } catch (...) {
        modal_ = false;
        for (HWND h : disabled)
            EnableWindow(h, TRUE);
        throw;
    }
    modal_ = false;
    for (HWND h : disabled)
        EnableWindow(h, TRUE);
    return modalResult_;
}

void TCustomForm::SetActiveControl(TWinControl* c)
{
    if (activeControl_ == c)
        return;
    if (c && (c == this || c->ParentForm() != this))
        throw EInvalidOperation(consts::SCannotFocus);
    activeControl_ = c;
    if (c && Showing() && active_ && c->CanFocus())
        ::SetFocus(c->Handle());
}

void TCustomForm::SetFocusedControl(TWinControl* c)
{
    if (c == this || c == activeControl_)
        return;
    TWinControl* old = activeControl_;
    activeControl_ = c;
    if (old && IsLiveObject(old))
        old->Perform(CM_EXIT, 0, 0);
    if (c)
        c->Perform(CM_ENTER, 0, 0);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(c));
}

namespace {

void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
        if (!w)
            continue;
        out.push_back(w);
        CollectTabStops(w, out);
    }
}

bool Broadcast(TWinControl* parent, TMessage& m)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || !c->Enabled())
            continue;
        c->WindowProc(m);
        if (m.Result != 0)
            return true;
        if (auto* w = dynamic_cast<TWinControl*>(c); w && Broadcast(w, m))
            return true;
    }
    return false;
}

}  // namespace

void TCustomForm::SelectNext(TWinControl* current, bool forward, bool checkTabStop)
{
    std::vector<TWinControl*> order;
    CollectTabStops(this, order);
    if (order.empty())
        return;
    auto it = std::find(order.begin(), order.end(), current);
    size_t index = it == order.end() ? (forward ? order.size() - 1 : 0) : static_cast<size_t>(it - order.begin());
    for (size_t step = 0; step < order.size(); ++step) {
        index = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
        TWinControl* c = order[index];
        if ((!checkTabStop || c->TabStop()) && c->CanFocus()) {
            c->SetFocus();
            return;
        }
    }
}

void TCustomForm::CMDialogKey(TMessage& m)
{
    const WORD key = static_cast<WORD>(m.WParam);
    if (key == VK_TAB) {
        SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
        m.Result = 1;
        return;
    }
    // Return and Escape go to the default and cancel buttons.
    m.Result = 0;
    Broadcast(this, m);
}

void TCustomForm::CMDialogChar(TMessage& m)
{
    m.Result = 0;
    Broadcast(this, m);
}

bool IsAccel(WORD key, const AnsiString& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return AnsiUpperCase(AnsiString(1, text[i + 1])) == AnsiUpperCase(AnsiString(1, static_cast<char>(key)));
    }
    return false;
}

bool TCustomForm::DoKeyDown(WORD& key, TShiftState shift)
{
    KeyDown(key, shift);
    return key == 0;
}

bool TCustomForm::DoKeyPress(char& key)
{
    KeyPress(key);
    return key == 0;
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMActivate(TMessage& m)
{
    DefaultHandler(m);
    if (LOWORD(m.WParam) != WA_INACTIVE) {
        Activate();
        if (activeControl_ && activeControl_->CanFocus())
            ::SetFocus(activeControl_->Handle());
    } else {
        Deactivate();
    }
}

void TCustomForm::WMSysCommand(TMessage& m)
{
    const WPARAM cmd = m.WParam & 0xFFF0;
    if (cmd == SC_MINIMIZE)
        windowState_ = wsMinimized;
    else if (cmd == SC_MAXIMIZE)
        windowState_ = wsMaximized;
    else if (cmd == SC_RESTORE)
        windowState_ = wsNormal;
    DefaultHandler(m);
}

void TCustomForm::Paint() { OnPaint(this); }

void TCustomForm::PaintWindow(HDC dc)
{
    canvas_->FreeHandle();
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}

}  // namespace vcl
