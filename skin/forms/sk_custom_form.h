#pragma once

// The self-drawn form frame: a component dropped on a form that takes over
// the form's non-client area through a window-procedure hook and draws the
// caption bar, border, frame buttons, shadow and blended border itself,
// with roll-up and tray states, snapping and its own system menu.

#include <vector>

#include "platform/vcl/forms.h"
#include "platform/vcl/menus.h"
#include "skin/forms/sk_frame_menus.h"
#include "skin/forms/sk_hook.h"
#include "skin/graphics/sk_options.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

class TSkCustomStatusBar;

enum TSkBorderStyle { kbsNone, kbsStandard, kbsToolWindow };
enum TSkBorderIcon { kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiHelp, kbiRollup, kbiTray };
using TSkBorderIcons = vcl::TSet<TSkBorderIcon>;
enum TSkWindowState { kwsNormal, kwsMaximized, kwsMinimized, kwsRollup, kwsTray };
enum TSkFormPerformance { ksfpNoBuffer, ksfpSharedBuffer, ksfpPersistentBuffer, ksfpDoubleBuffer };
extern const vcl::TEnumInfo kBorderStyleInfo, kBorderIconInfo, kWindowStateInfo, kFormPerformanceInfo;

using TSkFormActionEvent = vcl::TEvent<vcl::TObject*, bool&>;

constexpr UINT SK_TRAYNOTIFY = 0x56C;
constexpr UINT SK_UPDATEFRAME = 0x56D;
constexpr UINT SK_MAXIMIZE = 0x56E;
constexpr UINT SK_SETWINDOWSTATE = 0x56F;
constexpr UINT SK_PAINTFRAMETO = 0xB1C8;
// To the frame's own window: take over the MDI parent's new client window.
constexpr UINT SK_REHOOKMDICLIENT = 0x570;

// Frame hit codes.
enum TSkHitCode {
    khtNone = 0, khtCaption, khtLeft, khtTop, khtRight, khtBottom, khtBorder, khtTopLeft, khtTopRight,
    khtBottomLeft, khtBottomRight, khtClose, khtHelp, khtMinimize, khtMaximize, khtRollup, khtTray, khtSysMenu,
    khtCustom
};

// Half-transparent grey of the drop shadow.
constexpr TPixel kShadowPixel = 0x803F3F3Fu;

// Parts of the "Window" theme class.
enum TSkWindowPart {
    kWpCaption = 1, kWpSmallCaption = 2, kWpFrameLeft = 7, kWpFrameRight = 8, kWpFrameBottom = 9,
    kWpSmallFrameLeft = 10, kWpSmallFrameRight = 11, kWpSmallFrameBottom = 12, kWpMinButton = 15,
    kWpMaxButton = 17, kWpCloseButton = 18, kWpRestoreButton = 21, kWpHelpButton = 23
};

class TSkCustomForm : public TSkHook {
    VCL_DECLARE_CLASS(TSkCustomForm, TSkHook)
public:
    explicit TSkCustomForm(vcl::TComponent* owner);
    ~TSkCustomForm() override;

    // Published.
    TSkAnimation* Animation() const { return animation_; }
    // The show animation is being painted and played.
    bool Animating() const { return animating_; }
    void SetAnimation(TSkAnimation* v) { animation_->Assign(v); }
    TSkBlending* Blending() const { return blending_; }
    void SetBlending(TSkBlending* v) { blending_->Assign(v); }
    TSkBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TSkBorderIcons v);
    TSkBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TSkBorderStyle v);
    vcl::WideString Caption() const { return caption_; }
    void SetCaption(const vcl::WideString& v);
    TSkDragging* Dragging() const { return dragging_; }
    void SetDragging(TSkDragging* v) { dragging_->Assign(v); }
    TSkGravitation* Gravitation() const { return gravitation_; }
    void SetGravitation(TSkGravitation* v) { gravitation_->Assign(v); }
    vcl::TSizeConstraints* Constraints() const { return constraints_; }
    void SetConstraints(vcl::TSizeConstraints* v);
    vcl::TControl* MenuBar() const { return menuBar_; }
    void SetMenuBar(vcl::TControl* v);
    TSkPopupMenuOptions* SystemMenuOptions() const { return systemMenuOptions_; }
    void SetSystemMenuOptions(TSkPopupMenuOptions* v) { systemMenuOptions_->Assign(v); }
    vcl::TPopupMenu* SystemMenuLink() const { return systemMenuLink_; }
    void SetSystemMenuLink(vcl::TPopupMenu* v);
    TSkPopupMenuOptions* TrayMenuOptions() const { return trayMenuOptions_; }
    void SetTrayMenuOptions(TSkPopupMenuOptions* v) { trayMenuOptions_->Assign(v); }
    vcl::TPopupMenu* TrayMenuLink() const { return trayMenuLink_; }
    void SetTrayMenuLink(vcl::TPopupMenu* v);
    bool MinimizeApplication() const { return minimizeApplication_; }
    void SetMinimizeApplication(bool v) { minimizeApplication_ = v; }
    TSkFormPerformance Performance() const { return performance_; }
    void SetPerformance(TSkFormPerformance v) { performance_ = v; }
    TSkShadow* Shadow() const { return shadow_; }
    void SetShadow(TSkShadow* v) { shadow_->Assign(v); }
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool v);
    bool StretchBackground() const { return stretchBackground_; }
    void SetStretchBackground(bool v) { stretchBackground_ = v; }
    TSkWindowState WindowState() const { return windowState_; }
    void SetWindowState(TSkWindowState v);
    TSkWindowState PreviousState() const { return previousState_; }

    vcl::TNotifyEvent OnCreate;
    vcl::TNotifyEvent OnPaint;
    TSkFormActionEvent OnClose, OnMinimize, OnMaximize, OnRollup, OnMinToTray;
    vcl::TNotifyEvent OnResize;

    // Geometry, in window coordinates.
    virtual RECT GetFrameClientRect();
    RECT GetClientBounds();
    virtual void GetButtonRect(TSkBorderIcon index, RECT& rect);
    virtual RECT GetRollupRect();
    virtual RECT GetMinimizedRect();
    virtual RECT GetMaximizedRect();
    virtual POINT GetMaxTrackSize();
    virtual POINT GetMinTrackSize();
    virtual int HitTest(int x, int y);
    RECT GetWorkArea();
    // The first status bar among the owner's controls whose size grip is active.
    TSkCustomStatusBar* FindStatusBar();
    POINT ScreenToWindow(POINT p);
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    int FullWidth() const { return fullWidth_; }
    int FullHeight() const { return fullHeight_; }
    RECT NormalBounds() const { return normalBounds_; }
    int MouseOverCode() const { return mouseOver_; }
    int PressedCode() const { return pressed_; }
    bool FrameActive() const { return frameActive_; }
    bool FramePaintEnabled() const { return framePaint_; }

    // Painting.
    void PaintFrame();
    virtual void DrawFrame(vcl::TCanvas* canvas);
    void PaintCaption(vcl::TCanvas* canvas);
    void DrawButton(vcl::TCanvas* canvas, const RECT& rect, bool highlighted, bool pressed, TSkBorderIcon index);
    virtual void PaintBackground();
    virtual void UpdateRegion();
    virtual HRGN CreateRegion();
    void UpdateFrame();
    void DisableFramePaint() { framePaint_ = false; }
    void EnableFramePaint() { framePaint_ = true; }
    void PaintRect(const RECT& rect);
    void InvalidateForm();
    void CaptureBackground(const RECT& newRect);
    TSkBitmap* BackgroundSnapshot() const { return snapshot_; }
    HICON GetSmallIcon();
    // A canvas on the owner window's DC, taken again when the window was re-created.
    vcl::TCanvas* FormCanvas();

    // Window actions.
    void Close();
    void Maximize();
    void Minimize();
    void Rollup();
    void MinimizeToTray();
    void Restore();
    void Help();
    void ShowSystemMenu();
    std::vector<TSkSystemMenuEntry> BuildSystemMenu();
    // An item of the built-in system menu, owned by `owner`; null leaves
    // the menus their plain item. A menu item of the menus folder.
    virtual vcl::TComponent* CreateMenuItem(vcl::TComponent*) { return nullptr; }
    void SystemMenuClick(const vcl::AnsiString& caption);
    HWND TrayWindow() const { return trayWindow_; }

    void AfterMessage(vcl::TMessage& msg, bool& handled) override;
    void BeforeMessage(vcl::TMessage& msg, bool& handled) override;

    // MDI. The frame of a form's MDI child, or of the form itself; null
    // when it has none.
    static TSkCustomForm* FrameOf(vcl::TCustomForm* form);
    // An MDI parent: one of its children's frames is maximized.
    bool IsMDIChildMaximized();
    // An MDI child: the parent's caption reads "<parent> - [<child>]" while
    // this child is maximized, and loses that suffix otherwise.
    void UpdateMDICaption();
    // An MDI child: after it left the maximized state, the parent's caption
    // and every child frame are brought up to date.
    void UpdateMDIChildren();

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    virtual void NCMouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y);
    virtual void NCMouseMove(vcl::TShiftState shift, int x, int y);
    virtual void NCMouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y);
    void SetFormBounds(const RECT& r);
    void Gravitate(RECT& r);
    void DrawDragFrame(const RECT& r);
    // The owner as a form; null when the frame sits on something else.
    vcl::TCustomForm* OwnerForm() const;
    bool Loading() const { return ComponentState().Contains(vcl::csLoading); }
    bool Designing() const { return ComponentState().Contains(vcl::csDesigning); }

private:
    // Messages (before phase).
    void WMNCCalcSize(vcl::TMessage& m);
    void WMNCHitTest(vcl::TMessage& m);
    void WMNCPaint(vcl::TMessage& m);
    void WMNCActivate(vcl::TMessage& m);
    void WMNCButtonDown(vcl::TMessage& m);
    void WMNCButtonUp(vcl::TMessage& m);
    void WMNCMouseMove(vcl::TMessage& m);
    void WMNCLButtonDblClk(vcl::TMessage& m);
    void WMLButtonUp(vcl::TMessage& m);
    void WMMouseMove(vcl::TMessage& m);
    void WMActivate(vcl::TMessage& m);
    void WMPaint(vcl::TMessage& m);
    void WMEraseBkgnd(vcl::TMessage& m);
    void SkmBackgroundRequest(vcl::TMessage& m);
    void WMWindowPosChanging(vcl::TMessage& m);
    void WMSysCommand(vcl::TMessage& m);
    void WMThemeChanged(vcl::TMessage& m);
    void SkUpdateFrame(vcl::TMessage& m);
    void SkMaximize(vcl::TMessage& m);
    void SkSetWindowState(vcl::TMessage& m);
    void SkPaintFrameTo(vcl::TMessage& m);

    void InstallMDIClientProc();
    void LeaveMaximizedMDIChild(bool postSize);
    void RemoveMDIClientProc();
    // Gives the client window its own procedure back, when it still has ours.
    void ReleaseMDIClient();
    void MDIClientWndProc(vcl::TMessage& m);
    // The MDI parent's frame's menu bar, where a maximized child's window
    // buttons go; null when there is none.
    vcl::TControl* MDIParentMenuBar();
    // What a maximized MDI child covers: the parent's client window.
    RECT MDIClientArea();
    void FitMaximizedMDIChild();
    void PaintClientBackground(HDC dc, const RECT* only);
    void PaintBackgroundOrEvent();
    void DrawShadow(TSkBitmap* target);
    void AnimateShow();
    void OptionChanged(vcl::TObject*);
    bool AskAction(const TSkFormActionEvent& event);
    // Asks the action's event; an action in its own state restores instead.
    // True when the state is to be entered.
    bool BeginStateAction(const TSkFormActionEvent& event, TSkWindowState state);
    void DeleteTrayIcon();
    // The window region: the frame's, with its copy under the shadow.
    HRGN CreateFrameRegion();
    void SaveNormalBounds();
    void ApplyNormal();
    void TrayWndProc(vcl::TMessage& m);
    void UpdateTrayIcon();
    void FormShortCut(vcl::TMessage& m, bool& handled);
    void AppMinimize(vcl::TObject* sender);
    void AppRestore(vcl::TObject* sender);
    bool HasOwnerWindow();
    int CaptionHeightOfStyle() const;
    int ShadowSize() const;
    void MinimizeWindow();
    static int GetMetric(int index);
    // Border-style, states and the "Form.TrayIcon" owners' helpers.
    void FitFullSize(int width, int height);

    // Published state.
    TSkAnimation* animation_;
    TSkBlending* blending_;
    TSkBorderIcons borderIcons_{kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiRollup, kbiTray};
    TSkBorderStyle borderStyle_ = kbsStandard;
    vcl::WideString caption_;
    TSkDragging* dragging_;
    TSkGravitation* gravitation_;
    vcl::TSizeConstraints* constraints_;
    vcl::TControl* menuBar_ = nullptr;
    TSkPopupMenuOptions* systemMenuOptions_;
    vcl::TPopupMenu* systemMenuLink_ = nullptr;
    TSkPopupMenuOptions* trayMenuOptions_;
    vcl::TPopupMenu* trayMenuLink_ = nullptr;
    bool minimizeApplication_ = true;
    TSkFormPerformance performance_ = ksfpNoBuffer;
    TSkShadow* shadow_;
    bool stayOnTop_ = false;
    bool stretchBackground_ = false;
    TSkWindowState windowState_ = kwsNormal;

    // Frame state.
    int frameWidth_ = 0, frameHeight_ = 0, fullWidth_ = 0, fullHeight_ = 0;
    bool frameActive_ = false;
    int mouseOver_ = 0;
    int pressed_ = 0;
    int buttonState_ = 0;  // 0 none, 8 left, 16 right
    bool dragging_flag_ = false;
    bool borderDrag_ = false;
    POINT downPoint_{};
    POINT lastPoint_{};
    RECT dragRect_{};
    RECT normalBounds_{};
    TSkWindowState previousState_ = kwsNormal;
    TSkWindowState loadedState_ = kwsNormal;
    bool loadedStatePending_ = false;
    bool framePaint_ = true;
    TSkBitmap* snapshot_;
    RECT snapshotRect_{};
    bool captureSuspended_ = false;
    TSkBitmap* persistentBuffer_ = nullptr;
    TSkBitmap* animationImage_ = nullptr;
    bool animating_ = false;
    HWND mdiClient_ = nullptr;
    WNDPROC mdiClientProc_ = nullptr;
    WNDPROC mdiPreviousProc_ = nullptr;
    POINT systemMenuPoint_{};
    bool systemMenuPointSet_ = false;
    HICON smallIcon_ = nullptr;
    vcl::TCanvas* canvas_ = nullptr;
    HDC canvasDC_ = nullptr;
    HWND canvasWindow_ = nullptr;
    HWND trayWindow_ = nullptr;
    bool trayIconShown_ = false;
    vcl::TShortCutEvent previousShortCut_;
    bool shortCutChained_ = false;
    vcl::TNotifyEvent previousAppMinimize_, previousAppRestore_;
    bool appHandlersTaken_ = false;
    bool ncActivateSeen_ = false;
    vcl::AnsiString lastText_;
    bool ownMinimizePending_ = false;
};

}  // namespace skin
