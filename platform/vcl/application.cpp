#include <cstdio>
#include <functional>

#include "platform/user/user_control.h"
#include "platform/vcl/forms.h"
#include "platform/win32/kernel/module.h"

namespace vcl {

// ------------------------------------------------------------- TApplication

// The application's window stands for the program: asked to close (the
// desktop's close, a close signal while every form is hidden, in the tray
// for one), it closes the main form instead of going away itself.
VCL_IMPLEMENT_CLASS(TApplication, TComponent, [](auto& b) {
    b.Message(WM_CLOSE, std::function<void(TApplication*, TMessage&)>([](TApplication* app, TMessage& m) {
                  if (app->MainForm())
                      app->MainForm()->Close();
                  m.Result = 0;
              }));
})

namespace {

LRESULT CALLBACK ApplicationWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!Application || Application->Handle() != hwnd)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        Application->Dispatch(m);
    } catch (...) {
        Application->HandleException(Application);
    }
    return m.Result;
}

}  // namespace

// Made during static initialisation: nothing here may call other layers.
TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

AnsiString TApplication::Title() const
{
    if (!titleSet_)
        return ChangeFileExt(ExtractFileName(ExeName()), "");
    return title_;
}

TApplication::~TApplication()
{
    DestroyComponents();
    delete icon_;
    if (handle_)
        DestroyWindow(handle_);
}

AnsiString TApplication::ExeName() const
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

HWND TApplication::Handle()
{
    if (!handleCreated_) {
        handleCreated_ = true;
        WNDCLASSA existing{};
        if (!GetClassInfoA(nullptr, "TApplication", &existing)) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = ApplicationWndProc;
            wc.lpszClassName = "TApplication";
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            RegisterClassA(&wc);
        }
        // Hidden and zero-sized: it stands for the program on the desktop.
        handle_ = CreateWindowExA(0, "TApplication", Title().c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                  GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    return handle_;
}

void TApplication::WndProc(TMessage& m) { Dispatch(m); }

void TApplication::DefaultHandler(TMessage& m)
{
    if (handle_)
        m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

void TApplication::SetTitle(const AnsiString& title)
{
    title_ = title;
    titleSet_ = true;
    if (handle_)
        SetWindowTextA(handle_, title.c_str());
}

void TApplication::SetHint(const AnsiString& hint)
{
    if (hint_ == hint)
        return;
    hint_ = hint;
    OnHint(this);
}

TCustomForm* TApplication::CreateForm(TClass cls)
{
    if (!cls || !cls->create || !cls->InheritsFrom(TCustomForm::StaticClass()))
        throw EInvalidOperation(Format(consts::SClassNotFound, cls ? cls->ClassName() : "nil"));
    auto* form = static_cast<TCustomForm*>(cls->create(this));
    try {
        form->AfterConstruction();
    } catch (...) {
        delete form;
        throw;
    }
    if (!mainForm_) {
        form->HandleNeeded();
        mainForm_ = form;
        // Ctrl+C and SIGTERM shut the program down through its main form,
        // whatever list or dialog is open at the time.
        vls::user::SetCloseTarget([] {
            TCustomForm* main = Application ? Application->MainForm() : nullptr;
            return main && main->HandleAllocated() && IsWindowVisible(main->Handle()) ? main->Handle() : nullptr;
        });
    }
    return form;
}

void TApplication::Run()
{
    if (mainForm_ && showMainForm_)
        mainForm_->SetVisible(true);
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
        if (!mainForm_)
            break;
    }
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    OnMessage(msg, handled);
    if (!handled) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE)
        TrackMouse();
    return true;
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg))
        Idle();
}

void TApplication::TrackMouse()
{
    POINT p{};
    GetCursorPos(&p);
    TControl* now = FindDragTarget(p, false);
    if (now != mouseControl_) {
        TControl* old = mouseControl_;
        mouseControl_ = now;
        if (old)
            old->Perform(CM_MOUSELEAVE, 0, 0);
        if (now)
            now->Perform(CM_MOUSEENTER, 0, 0);
        // A control freed by one of those messages is forgotten: ask no hint.
        if (mouseControl_ != now)
            return;
    }
    // Asked on every move: a control may give each part of itself a hint.
    SetHint(HintAt(now, p));
}

AnsiString TApplication::HintAt(TControl* control, POINT screenPos)
{
    // The hint of the control under the mouse, or of the nearest parent
    // that has one; each may answer for the point through CM_HINTSHOW.
    for (TControl* c = control; c; c = c->Parent()) {
        THintInfo info;
        info.HintControl = c;
        info.HintStr = c->Hint();
        if (c->Parent() || dynamic_cast<TWinControl*>(c))
            info.CursorPos = c->ScreenToClient(screenPos);
        c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        if (!info.HintStr.empty())
            return info.HintStr;
    }
    return AnsiString();
}

void TApplication::ControlDestroyed(TControl* control)
{
    if (mouseControl_ == control)
        mouseControl_ = nullptr;
}

void TApplication::Idle()
{
    TrackMouse();
    if (Screen) {
        for (int i = 0; i < Screen->FormCount(); ++i)
            Screen->Forms(i)->UpdateActions();
    }
    bool done = true;
    OnIdle(this, done);
    if (done && !terminated_)
        WaitMessage();
}

void TApplication::HandleException(TObject*)
{
    try {
        throw;
    } catch (EAbort&) {
    } catch (Exception& e) {
        if (OnException)
            OnException(this, e);
        else
            ShowException(e);
    } catch (std::exception& e) {
        Exception wrapped(e.what());
        if (OnException)
            OnException(this, wrapped);
        else
            ShowException(wrapped);
    } catch (...) {
        Exception wrapped("Unbekannte Ausnahme");
        ShowException(wrapped);
    }
}

void TApplication::ShowException(Exception& e)
{
    AnsiString text = e.Message;
    if (!text.empty() && text.back() != '.')
        text += '.';
    MessageBoxA(mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr, text.c_str(), Title().c_str(),
                MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags)
{
    HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : Handle();
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::Minimize()
{
    if (mainForm_ && mainForm_->HandleAllocated())
        ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
    OnMinimize(this);
}

void TApplication::Restore()
{
    if (mainForm_ && mainForm_->HandleAllocated())
        ShowWindow(mainForm_->Handle(), SW_RESTORE);
    OnRestore(this);
}

void TApplication::BringToFront()
{
    if (mainForm_ && mainForm_->HandleAllocated())
        SetForegroundWindow(mainForm_->Handle());
}

// ------------------------------------------------------------------ TScreen

VCL_IMPLEMENT_CLASS(TScreen, TComponent, [](auto&) {})

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), hintFont_(new TFont()), iconFont_(new TFont()), menuFont_(new TFont())
{
}

TScreen::~TScreen()
{
    delete fonts_;
    delete hintFont_;
    delete iconFont_;
    delete menuFont_;
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form)
{
    std::erase(forms_, form);
    if (activeForm_ == form)
        activeForm_ = nullptr;
}

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount())
        throw EListError(Format(consts::SListIndexError, index));
    return forms_[static_cast<size_t>(index)];
}

void TScreen::SetCursor(TCursor c)
{
    cursor_ = c;
    ::SetCursor(Cursors(c == crDefault ? crArrow : c));
}

HCURSOR TScreen::Cursors(int index)
{
    auto it = cursors_.find(index);
    if (it != cursors_.end())
        return it->second;
    LPCSTR id = IDC_ARROW;
    switch (index) {
    case crIBeam: id = IDC_IBEAM; break;
    case crCross: id = IDC_CROSS; break;
    case crHourGlass:
    case crSQLWait: id = IDC_WAIT; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS:
    case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE:
    case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crNo:
    case crNoDrop: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crNone: return nullptr;
    default: break;
    }
    HCURSOR c = LoadCursorA(nullptr, id);
    cursors_[index] = c;
    return c;
}

TStrings* TScreen::Fonts()
{
    if (!fonts_) {
        fonts_ = new TStringList();
        fonts_->SetSorted(true);
        HDC dc = CreateCompatibleDC(nullptr);
        EnumFontFamiliesA(dc, nullptr,
                          [](const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM p) -> int {
                              reinterpret_cast<TStringList*>(p)->Add(lf->lfFaceName);
                              return 1;
                          },
                          reinterpret_cast<LPARAM>(fonts_));
        DeleteDC(dc);
    }
    return fonts_;
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

RECT TScreen::WorkAreaRect() const
{
    RECT r{0, 0, Width(), Height()};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

}  // namespace vcl
