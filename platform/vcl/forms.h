#pragma once

// Forms, the application object with its hidden window and message loop,
// and the screen.

#include <map>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/lists.h"

namespace vcl {

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                       mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;
extern const TEnumInfo kFormBorderStyleInfo, kBorderIconInfo, kPositionInfo, kFormStyleInfo, kWindowStateInfo;

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
// A key message (WM_KEYDOWN or WM_SYSKEYDOWN) offered to the form first.
using TShortCutEvent = TEvent<TMessage&, bool&>;

enum TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
extern const TEnumInfo kDefaultMonitorInfo;

// A display of the desktop; the window manager has one.
class TMonitor : public TObject {
    VCL_DECLARE_CLASS(TMonitor, TObject)
public:
    HMONITOR Handle() const;
    int MonitorNum() const { return 0; }
    RECT BoundsRect() const;
    RECT WorkareaRect() const;
    int Left() const { return BoundsRect().left; }
    int Top() const { return BoundsRect().top; }
    int Width() const { return BoundsRect().right - BoundsRect().left; }
    int Height() const { return BoundsRect().bottom - BoundsRect().top; }
    bool Primary() const { return true; }
};

class TCustomForm : public TWinControl {
    VCL_DECLARE_CLASS(TCustomForm, TWinControl)
public:
    // A form made in code, with nothing read from a stream.
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Reads the form's stored resource (registered under its class name)
    // when there is one, then runs OnCreate. Call once after construction.
    void AfterConstruction();

    void Show();
    void Hide() { SetVisible(false); }
    void Close();
    bool CloseQuery();
    TModalResult ShowModal();
    void Release();
    TModalResult ModalResult() const { return modalResult_; }
    // ShowModal is running for this form.
    bool Modal() const { return modal_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    bool Active() const { return active_; }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons i);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle s);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState s);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);
    // Lets the actions of the form and its controls update themselves.
    virtual void UpdateActions();
    void SetFocusedControl(TWinControl* c);
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    TCanvas* Canvas() const { return canvas_; }
    TIcon* Icon() const { return icon_; }
    int PixelsPerInch() const { return 96; }
    void SetPixelsPerInch(int) {}
    bool Visible() const { return TControl::Visible(); }
    void SetVisible(bool v) override;
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int v) { helpContext_ = v; }
    AnsiString HelpFile() const { return helpFile_; }
    void SetHelpFile(const AnsiString& v) { helpFile_ = v; }
    TDefaultMonitor DefaultMonitor() const { return defaultMonitor_; }
    void SetDefaultMonitor(TDefaultMonitor v) { defaultMonitor_ = v; }
    TMonitor* Monitor() const;
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v) { autoScroll_ = v; }
    // Offers a key message to OnShortCut; true when it was taken. Key
    // presses in the form's controls come here before the controls see them.
    virtual bool IsShortCut(TMessage& keyMessage);
    virtual void DoClose(TCloseAction& action);

    bool DoKeyDown(WORD& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;

    // MDI. An fsMDIForm keeps a client window ("MDICLIENT") in the part of
    // its client area that aligned controls leave; the windows of its
    // fsMDIChild forms are children of that window, and one child at a time
    // is the active one (its frame shows active, it lies on top).
    HWND ClientHandle() const { return clientHandle_; }
    int MDIChildCount() const { return static_cast<int>(mdiChildren_.size()); }
    TCustomForm* MDIChildren(int index) const { return mdiChildren_.at(static_cast<size_t>(index)); }
    TCustomForm* ActiveMDIChild() const { return activeMDIChild_; }
    // Brings `child` to the front of the client window and activates it.
    void MDIActivate(TCustomForm* child);
    // The fsMDIForm whose client holds this child's window, or null.
    TCustomForm* MDIParent() const { return mdiParent_; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    virtual void Paint();
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void Activate();
    virtual void Deactivate();
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void AlignControls(TControl* control, RECT& rect) override;
    void DestroyWnd() override;

private:
    TCustomForm* FindMDIParent() const;
    void CreateMDIClient();
    void JoinMDIParent();
    void LeaveMDIParent();
    void WMMouseActivate(TMessage& m);
    void WMClose(TMessage& m);
    void WMActivate(TMessage& m);
    void WMSysCommand(TMessage& m);
    void CMShowingChanged2(TMessage& m);
    void CMDialogKey(TMessage& m);
    void CMDialogChar(TMessage& m);
    void CMRelease(TMessage& m);
    void PlaceWindow();
    TControlCanvas* canvas_;
    TIcon* icon_;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TFormStyle formStyle_ = fsNormal;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TWinControl* activeControl_ = nullptr;
    TModalResult modalResult_ = mrNone;
    bool active_ = false;
    bool modal_ = false;
    bool created_ = false;
    int helpContext_ = 0;
    AnsiString helpFile_;
    TDefaultMonitor defaultMonitor_ = dmActiveForm;
    bool autoScroll_ = true;
    HWND clientHandle_ = nullptr;
    RECT clientPlace_{};
    std::vector<TCustomForm*> mdiChildren_;
    TCustomForm* activeMDIChild_ = nullptr;
    TCustomForm* mdiParent_ = nullptr;
};

// A container of controls designed like a form and placed on one.
class TCustomFrame : public TWinControl {
    VCL_DECLARE_CLASS(TCustomFrame, TWinControl)
public:
    explicit TCustomFrame(TComponent* owner);
};

class TForm : public TCustomForm {
    VCL_DECLARE_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

using TExceptionEvent = TEvent<TObject*, Exception&>;
using TIdleEvent = TEvent<TObject*, bool&>;
using TMessageEvent = TEvent<MSG&, bool&>;

class TApplication : public TComponent {
    VCL_DECLARE_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    void Initialize() {}
    // The hidden window of class "TApplication" whose text is the title.
    HWND Handle();
    AnsiString Title() const;
    void SetTitle(const AnsiString& title);
    TCustomForm* MainForm() const { return mainForm_; }
    bool Terminated() const { return terminated_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool v) { showMainForm_ = v; }
    AnsiString ExeName() const;

    // Makes a form of `cls` owned by the application; the first one made
    // becomes the main form.
    TCustomForm* CreateForm(TClass cls);
    template <class T>
    void CreateForm(T*& reference)
    {
        reference = static_cast<T*>(CreateForm(T::StaticClass()));
    }
    void Run();
    void Terminate();
    void ProcessMessages();
    void HandleMessage();
    void HandleException(TObject* sender);
    void ShowException(Exception& e);
    int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags);
    void Minimize();
    void Restore();
    void BringToFront();
    void CancelHint() {}
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& hint);
    // Shows the hint of the control under `cursorPos` now.
    void ActivateHint(POINT cursorPos);
    // The hint for a screen point over `control` (null: none).
    AnsiString HintAt(TControl* control, POINT screenPos);
    // Asks the help system for a topic; false: there is none to ask.
    bool HelpContext(int context);
    TIcon* Icon() const;
    TBiDiMode BiDiMode() const { return bidiMode_; }
    void SetBiDiMode(TBiDiMode v) { bidiMode_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    // Forgets `control` as the one under the mouse: a control created later
    // at the same address must still be told the mouse entered it.
    void ControlDestroyed(TControl* control);

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TNotifyEvent OnHint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

private:
    friend class TCustomForm;
    bool ProcessMessage(MSG& msg);
    void Idle();
    void TrackMouse();
    void WndProc(TMessage& m);
    void DefaultHandler(TMessage& m) override;
    HWND handle_ = nullptr;
    AnsiString title_;
    bool titleSet_ = false;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool showMainForm_ = true;
    bool handleCreated_ = false;
    AnsiString hint_;
    bool showHint_ = true;
    TControl* mouseControl_ = nullptr;
    mutable TIcon* icon_ = nullptr;
    TBiDiMode bidiMode_ = bdLeftToRight;
};

class TScreen : public TComponent {
    VCL_DECLARE_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const;
    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    HCURSOR Cursors(int index);
    void SetCursors(int index, HCURSOR cursor) { cursors_[index] = cursor; }
    TStrings* Fonts();
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    RECT WorkAreaRect() const;
    int DesktopWidth() const { return Width(); }
    int DesktopHeight() const { return Height(); }
    TFont* HintFont() const { return hintFont_; }
    TFont* IconFont() const { return iconFont_; }
    TFont* MenuFont() const { return menuFont_; }

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TCursor cursor_ = crDefault;
    std::map<int, HCURSOR> cursors_;
    TStringList* fonts_ = nullptr;
    TFont* hintFont_;
    TFont* iconFont_;
    TFont* menuFont_;
};

// Whether `text` marks `key` as its accelerator ("&File" and 'F').
bool IsAccel(WORD key, const AnsiString& text);

extern TApplication* Application;
extern TScreen* Screen;

// Registers a form's stored binary stream ("TPF0") under its class name, so
// that AfterConstruction reads it.
void RegisterFormResource(const AnsiString& className, const std::vector<std::uint8_t>& data);

}  // namespace vcl
