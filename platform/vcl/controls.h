#pragma once

// Controls: TControl (a rectangle in a parent that paints and takes the
// mouse), TWinControl (with a window of the window manager), and the two
// painting bases TCustomControl and TGraphicControl.

#include <functional>
#include <vector>

#include "platform/vcl/classes.h"
#include "platform/vcl/drag_events.h"
#include "platform/vcl/graphics.h"
#include "platform/vcl/messages.h"
#include "platform/user/winuser.h"

namespace vcl {

class TWinControl;
class TCustomForm;
class TPopupMenu;
class IDockManager;
class TBasicAction;
class TControlActionLink;

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDragMode { dmManual, dmAutomatic };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
using TScrollBarInc = std::int16_t;
using TCursor = std::int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6, crSizeNS = -7,
                  crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19,
                  crHelp = -20, crHandPoint = -21, crSizeAll = -22;
// Cursor values by name ("crHandPoint"), as the text form writes them.
bool CursorToIdent(std::int64_t cursor, std::string& ident);
bool IdentToCursor(const std::string& ident, std::int64_t& cursor);
const TIdentMap* CursorIdentMap();

// What CM_HINTSHOW hands a control (its lParam): the control may replace
// the hint text for the point under the mouse, in its client coordinates.
struct THintInfo {
    class TControl* HintControl = nullptr;
    POINT CursorPos{};
    AnsiString HintStr;
};

enum TControlStyleItem {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
    csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
    csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;
enum TControlStateItem {
    csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating, csPaintCopy,
    csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;

extern const TEnumInfo kAlignInfo, kAnchorInfo, kBiDiModeInfo, kDragModeInfo, kAlignmentInfo, kScrollStyleInfo,
    kScrollBarKindInfo, kTextLayoutInfo, kImeModeInfo;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
using TMouseWheelEvent = TEvent<TObject*, TShiftState, int, POINT, bool&>;
using TMouseWheelUpDownEvent = TEvent<TObject*, TShiftState, POINT, bool&>;
using TWndMethod = std::function<void(TMessage&)>;
// Asked before a control takes a new size; clearing `resize` refuses it.
using TCanResizeEvent = TEvent<TObject*, int&, int&, bool&>;
// Given the size limits before they are applied; may change them.
using TConstrainedResizeEvent = TEvent<TObject*, int&, int&, int&, int&>;

class TControl;

// The smallest and largest size a control may take; 0 leaves that side free.
// A minimum above a set maximum raises the maximum with it, and the reverse.
class TSizeConstraints : public TPersistent {
    VCL_DECLARE_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl* control = nullptr) : control_(control) {}
    int MaxHeight() const { return maxHeight_; }
    int MaxWidth() const { return maxWidth_; }
    int MinHeight() const { return minHeight_; }
    int MinWidth() const { return minWidth_; }
    void SetMaxHeight(int v);
    void SetMaxWidth(int v);
    void SetMinHeight(int v);
    void SetMinWidth(int v);
    void Assign(TPersistent* source) override;
    // The size clamped to the limits.
    void Apply(int& width, int& height) const;
    // The size clamped to the given limits (0: that side free).
    static void Clamp(int& width, int& height, int minWidth, int minHeight, int maxWidth, int maxHeight);
    TNotifyEvent OnChange;

private:
    void Change();
    TControl* control_;
    int maxHeight_ = 0;
    int maxWidth_ = 0;
    int minHeight_ = 0;
    int minWidth_ = 0;
};

TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyDataToShiftState(LPARAM keyData);

class TControl : public TComponent {
    VCL_DECLARE_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBoundsRect(const RECT& r) { SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }
    virtual RECT GetClientRect() const;
    RECT ClientRect() const { return GetClientRect(); }
    int ClientWidth() const { return GetClientRect().right; }
    int ClientHeight() const { return GetClientRect().bottom; }
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    virtual POINT GetClientOrigin() const;
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    AnsiString Caption() const { return GetText(); }
    void SetCaption(const AnsiString& v) { SetText(v); }
    AnsiString Text() const { return GetText(); }
    virtual AnsiString GetText() const { return text_; }
    virtual void SetText(const AnsiString& v);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TFont* Font() const { return font_; }
    void SetFont(TFont* f) { font_->Assign(f); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& v) { hint_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors a) { anchors_ = a; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    TBiDiMode BiDiMode() const { return bidiMode_; }
    void SetBiDiMode(TBiDiMode m) { bidiMode_ = m; }
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool v) { parentBiDiMode_ = v; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode m) { dragMode_ = m; }
    bool UseRightToLeftAlignment() const { return false; }
    bool UseRightToLeftReading() const { return false; }
    // The DrawText flags for the control's reading order (left to right here).
    UINT DrawTextBiDiModeFlags(UINT flags) const { return flags; }
    UINT DrawTextBiDiModeFlagsReadingOnly() const { return 0; }

    TSizeConstraints* Constraints() const { return constraints_; }
    void SetConstraints(TSizeConstraints* c) { constraints_->Assign(c); }

    // With AutoSize on, every new size passes through CanAutoSize, so the
    // control keeps the size its content asks for.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    // Applies the automatic size again (the content or font changed).
    virtual void AdjustSize();
    TCanResizeEvent OnCanResize;
    TConstrainedResizeEvent OnConstrainedResize;

    // The action the control follows: its caption, enabled and visible
    // states, hint and click come from it while they agree with it.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* action);
    TControlActionLink* ActionLink() const { return actionLink_; }
    // Lets the linked action update itself (idle time).
    virtual void InitiateAction();

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle s) { controlStyle_ = s; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState s) { controlState_ = s; }

    // Sends a message straight to the control's WindowProc.
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& message);
    void DefaultHandler(TMessage& message) override;

    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();
    bool Showing() const;
    TCustomForm* ParentForm() const;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

    virtual void Click();
    virtual void DblClick();

    // Dragging and docking (dragdock.cpp).
    TDragKind DragKind() const { return dragKind_; }
    void SetDragKind(TDragKind v) { dragKind_ = v; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor v) { dragCursor_ = v; }
    // Starts dragging this control: at once, or once the mouse has moved
    // more than `threshold` pixels (-1: the default).
    void BeginDrag(bool immediate, int threshold = -1);
    bool Dragging() const;
    void EndDrag(bool drop);
    // Without a parent, or on the host form that floats it.
    bool Floating() const;
    TWinControl* HostDockSite() const { return hostDockSite_; }
    // Docks on `site` (null: floats where it is now).
    void ManualDock(TWinControl* site, TControl* dropOnControl = nullptr, TAlign align = alNone);
    // Floats on a host form of its own at a screen rectangle.
    void ManualFloat(const RECT& screenRect);
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDockEvent OnStartDock;
    TEndDragEvent OnEndDock;

protected:
    virtual void DoStartDrag(TDragObject*& dragObject);
    virtual void DoEndDrag(TObject* target, int x, int y);
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int x, int y);
    virtual void DoStartDock(TDragObject*& dragObject);
    virtual void DoEndDock(TObject* target, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    // A turn of the wheel by `delta` (120 a notch, positive away from the
    // user) at a screen point; true when handled, else the parent is asked.
    virtual bool DoMouseWheel(TShiftState shift, int delta, POINT mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, POINT mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, POINT mousePos);
    virtual void Changed();
    // The size the content asks for, given the size asked for; false
    // when the control has no say.
    virtual bool CanAutoSize(int&, int&) { return true; }
    virtual bool CanResize(int& newWidth, int& newHeight);
    virtual void ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight);
    // The size that SetBounds gives for the one asked for; false when the
    // control refuses to change its size.
    bool CheckNewSize(int& width, int& height);
    virtual void ActionChange(TObject* sender, bool checkDefaults);
    virtual TControlActionLink* CreateActionLink();
    // Sets AutoSize without sizing (constructors and streams set the size apart).
    void InitAutoSize(bool v) { autoSize_ = v; }
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void RequestAlign();
    void InvalidateControl(bool isVisible, bool isOpaque);
    void FontChanged(TObject*);
    TWinControl* parent_ = nullptr;
    TControlStyle controlStyle_;
    TControlState controlState_;

private:
    void WMMouseDown(TMessage& m, TMouseButton button, bool doubleClick);
    void WMMouseUp(TMessage& m, TMouseButton button);
    void DoMouseMessage(TMessage& m);
    void CMEnabledChanged(TMessage& m);
    void CMVisibleChanged(TMessage& m);
    void CMTextChanged(TMessage&) {}
    void CMParentFontChanged(TMessage& m);
    void CMParentColorChanged(TMessage& m);
    void CMParentShowHintChanged(TMessage& m);
    void CMHitTest(TMessage& m) { m.Result = HTCLIENT; }
    void CMMouseWheel(TMessage& m);
    void WMContextMenu(TMessage& m);
    bool DoCanAutoSize(int& width, int& height);
    void DoActionChange(TObject* sender);
    bool IsLinked(bool (TControlActionLink::*linked)()) const;
    bool GetVisibleValue() const { return visible_; }
    bool IsColorStored() const { return !parentColor_; }
    bool IsFontStored() const { return !parentFont_; }
    TFont* FontValue() const { return font_; }
    void SetFontValue(TFont* f) { SetFont(f); }
    int ColorValue() const { return color_; }
    void SetColorValue(int c) { SetColor(c); }
    int CursorValue() const { return cursor_; }
    void SetCursorValue(int c) { SetCursor(static_cast<TCursor>(c)); }
    friend struct DragDockAccess;
    void LeaveFloatHost();
    // Ends a drag of the control and takes it off its dock site (destruction).
    void LeaveDragAndDock();
    int DragCursorValue() const { return dragCursor_; }
    void SetDragCursorValue(int c) { dragCursor_ = static_cast<TCursor>(c); }
    friend class TWinControl;

    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    AnsiString text_;
    TColor color_ = clWindow;
    TFont* font_;
    bool parentFont_ = true;
    bool parentColor_ = true;
    AnsiString hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    TCursor cursor_ = crDefault;
    TBiDiMode bidiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    TDragMode dragMode_ = dmManual;
    TPopupMenu* popupMenu_ = nullptr;
    TSizeConstraints* constraints_;
    bool autoSize_ = false;
    bool adjustingSize_ = false;
    TControlActionLink* actionLink_ = nullptr;
    int wheelAccumulator_ = 0;
    TDragKind dragKind_ = dkDrag;
    TCursor dragCursor_ = crDrag;
    TWinControl* hostDockSite_ = nullptr;
    TCustomForm* floatHost_ = nullptr;
};

struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSA WindowClass{};
    AnsiString WinClassName;
};

class TWinControl : public TControl {
    VCL_DECLARE_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    void RecreateWnd();
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    TControl* ControlAtPos(POINT pos, bool allowDisabled) const;
    bool ContainsControl(TControl* control) const;
    // The direct child with that name (case-insensitive), or null.
    TControl* FindChildControl(const AnsiString& name) const;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v) { tabStop_ = v; }
    // The input method wanted while the control has the focus; kept for
    // the streams, as the platform chooses its input method itself.
    TImeMode ImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode v) { imeMode_ = v; }
    AnsiString ImeName() const { return imeName_; }
    void SetImeName(const AnsiString& v) { imeName_ = v; }
    // The sunken 3D look; the platform draws one look, so it is kept for the
    // streams and for controls that read it. With ParentCtl3D the parent's
    // value counts; setting Ctl3D ends that.
    bool Ctl3D() const;
    void SetCtl3D(bool v);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool v) { parentCtl3D_ = v; }
    int TabOrder() const;
    void SetTabOrder(int v);
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    void SetBounds(int left, int top, int width, int height) override;
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void SetVisible(bool v) override;
    POINT GetClientOrigin() const override;
    RECT GetClientRect() const override;
    void SetText(const AnsiString& v) override;
    // Read through WM_GETTEXT once the window exists, so that whoever hooks
    // the window sees every read.
    AnsiString GetText() const override;
    void Realign();
    // Lays the children out again because `control` changed (null: none in
    // particular), through the virtual AlignControls so that a container can
    // place its children its own way. While alignment is disabled the need is
    // only noted; EnableAlign then does it once.
    void AlignControl(TControl* control);
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    void PaintTo(HDC dc, int x, int y);

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The control whose window `hwnd` is, or null.
    static TWinControl* FindControl(HWND hwnd);
    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // Docking (dragdock.cpp).
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool v);
    bool UseDockManager() const { return useDockManager_; }
    void SetUseDockManager(bool v);
    IDockManager* DockManager() const { return dockManager_; }
    int DockClientCount() const { return static_cast<int>(dockClients_.size()); }
    TControl* DockClients(int index) const;
    virtual void DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DockDrop(TDragDockObject* source, int x, int y);
    virtual void GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos, bool& canDock);
    // Asks OnUnDock whether `client` may leave for `newTarget`.
    virtual bool DoUnDock(TWinControl* newTarget, TControl* client);
    TDockOverEvent OnDockOver;
    TDockDropEvent OnDockDrop;
    TGetSiteInfoEvent OnGetSiteInfo;
    TUnDockEvent OnUnDock;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyHandle();
    virtual void PaintWindow(HDC dc);
    void PaintHandler(TMessage& m);
    void PaintControls(HDC dc, TControl* first);
    // The part of the client rectangle that aligned children share.
    virtual void AdjustClientRect(RECT&) {}
    virtual void AlignControls(TControl* control, RECT& rect);
    // Fits the size to the visible children.
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    virtual bool DoKeyDown(WORD& key, TShiftState shift);
    virtual bool DoKeyPress(char& key);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();
    void UpdateShowing();
    void UpdateBounds();
    WNDPROC defWndProc_ = nullptr;

private:
    friend class TControl;
    static LRESULT CALLBACK InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void WMPaint(TMessage& m) { PaintHandler(m); }
    void WMEraseBkgnd(TMessage& m);
    void WMSize(TMessage& m);
    void WMMove(TMessage& m);
    void WMWindowPosChanged(TMessage& m);
    void WMSetFocus(TMessage& m);
    void WMKillFocus(TMessage& m);
    void WMKeyDown(TMessage& m);
    void WMKeyUp(TMessage& m);
    void WMChar(TMessage& m);
    void WMSysChar(TMessage& m);
    void WMCommand(TMessage& m);
    void WMNotify(TMessage& m);
    void WMDrawItem(TMessage& m);
    void WMCtlColor(TMessage& m);
    void WMSetCursor(TMessage& m);
    void WMNCDestroy(TMessage& m);
    void CMShowingChanged(TMessage& m);
    void CMEnabledChanged2(TMessage& m);
    void CMColorChanged(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMInvalidate(TMessage& m) { Invalidate(); m.Result = 0; }
    int TabOrderValue() const { return TabOrder(); }
    void SetTabOrderValue(int v) { SetTabOrder(v); }

    HWND handle_ = nullptr;
    std::vector<TControl*> controls_;  // back to front
    bool tabStop_ = false;
    TImeMode imeMode_ = imDontCare;
    AnsiString imeName_;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    int alignDisabled_ = 0;
    bool showing_ = false;
    friend struct DragDockAccess;
    void ForgetDockClient(TControl* client);
    // Lets go of the dock clients and the dock manager (destruction).
    void LeaveDockSite();
    bool dockSite_ = false;
    bool useDockManager_ = false;
    IDockManager* dockManager_ = nullptr;
    std::vector<TControl*> dockClients_;
};

// A canvas on a control's device context: the control's window, or for a
// graphic control, its parent's window clipped to the control.
class TControlCanvas : public TCanvas {
    VCL_DECLARE_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    TControl* Control() const { return control_; }
    void SetControl(TControl* c);
    void FreeHandle();
    void UpdateTextFlags() {}

protected:
    void CreateHandle() override;

private:
    TControl* control_ = nullptr;
    HDC dc_ = nullptr;
    HWND window_ = nullptr;
};

class TCustomControl : public TWinControl {
    VCL_DECLARE_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    TControlCanvas* canvas_;
};

class TGraphicControl : public TControl {
    VCL_DECLARE_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return canvas_; }

protected:
    virtual void Paint() {}

private:
    void WMPaint(TMessage& m);
    TControlCanvas* canvas_;
};

// The control under a screen point: the windowed control there, or a graphic
// child of it at that point.
TControl* FindDragTarget(POINT pos, bool allowDisabled);
TWinControl* FindControl(HWND hwnd);

// A hidden window whose messages go to `method` (timers, the application).
HWND AllocateHWnd(const TWndMethod& method);
void DeallocateHWnd(HWND hwnd);

// Exceptions escaping a message handler go to the application's handler.
void HandleControlException(TObject* sender);
// The control that has the mouse captured (a graphic control through its parent).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);

}  // namespace vcl
