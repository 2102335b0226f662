// The frame's answers to the owner form's messages: non-client size, hit
// test and painting, activation, the mouse on the frame (move, size, snap,
// buttons), window-position changes and the frame's own messages.

#include <algorithm>
#include <cstring>

#include "skin/controls/sk_combo_box.h"
#include "skin/controls/sk_paint_buffer.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"

namespace skin {

using vcl::TMessage;

namespace {

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

void ProcessPaintMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
        if (!GetMessageA(&msg, nullptr, WM_PAINT, WM_PAINT)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchMessageA(&msg);
    }
}

}  // namespace

void TSkCustomForm::FitFullSize(int width, int height)
{
    fullWidth_ = width;
    fullHeight_ = height;
    const int s = ShadowSize();
    frameWidth_ = width - s;
    frameHeight_ = height - s;
}

void TSkCustomForm::WMNCCalcSize(TMessage& m)
{
    if (m.WParam != 0) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
        const WINDOWPOS* pos = params->lppos;
        RECT r = pos ? RECT{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy} : params->rgrc[0];
        const RECT client = GetFrameClientRect();
        r.left += client.left;
        r.top += client.top;
        r.right -= fullWidth_ - client.right;
        r.bottom -= fullHeight_ - client.bottom;
        r.right = std::max(r.right, r.left);
        r.bottom = std::max(r.bottom, r.top);
        params->rgrc[0] = r;
        params->rgrc[1] = r;
    }
    m.Result = 0;
    MarkHandled();
}

void TSkCustomForm::WMNCHitTest(TMessage& m)
{
    const POINT p = ScreenToWindow(PointOf(m.LParam));
    const int code = HitTest(p.x, p.y) & 127;
    const bool sizing = dragging_->Sizeable() && windowState_ != kwsMaximized;
    LRESULT result = HTCLIENT;
    switch (code) {
    case khtCaption: result = dragging_->Moveable() ? HTCAPTION : HTCLIENT; break;
    case khtLeft: result = sizing ? HTLEFT : HTCLIENT; break;
    case khtTop: result = sizing ? HTTOP : HTCLIENT; break;
    case khtRight: result = sizing ? HTRIGHT : HTCLIENT; break;
    case khtBottom: result = sizing ? HTBOTTOM : HTCLIENT; break;
    case khtTopLeft: result = sizing ? HTTOPLEFT : HTCLIENT; break;
    case khtTopRight: result = sizing ? HTTOPRIGHT : HTCLIENT; break;
    case khtBottomLeft: result = sizing ? HTBOTTOMLEFT : HTCLIENT; break;
    case khtBottomRight: result = sizing ? HTBOTTOMRIGHT : HTCLIENT; break;
    case khtBorder: result = HTBORDER; break;
    case khtClose: result = HTCLOSE; break;
    case khtHelp: result = HTHELP; break;
    case khtMaximize: result = HTMAXBUTTON; break;
    case khtMinimize:
    case khtRollup:
    case khtTray:
    case khtSysMenu:
    case khtCustom: result = HTMINBUTTON; break;
    default: break;
    }
    m.Result = result;
    MarkHandled();
}

void TSkCustomForm::WMNCPaint(TMessage& m)
{
    PaintFrame();
    m.Result = 0;
    MarkHandled();
}

bool TSkCustomForm::HasOwnerWindow()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    return control && control->HandleAllocated() && GetWindowLongPtrA(control->Handle(), GWL_HWNDPARENT) != 0;
}

void TSkCustomForm::WMNCActivate(TMessage& m)
{
    frameActive_ = m.WParam != 0;
    if (!ncActivateSeen_) {
        ncActivateSeen_ = true;
        if (minimizeApplication_ && vcl::Application) {
            appHandlersTaken_ = true;
            previousAppMinimize_ = vcl::Application->OnMinimize;
            previousAppRestore_ = vcl::Application->OnRestore;
            vcl::Application->OnMinimize = [this](vcl::TObject* s) { AppMinimize(s); };
            vcl::Application->OnRestore = [this](vcl::TObject* s) { AppRestore(s); };
        }
    }
    vcl::TCustomForm* form = OwnerForm();
    if (!frameActive_) {
        PaintFrame();
        m.Result = 1;
        MarkHandled();
    } else if (!HasOwnerWindow()) {
        PaintFrame();
    } else if (form && form->FormStyle() == vcl::fsMDIChild) {
        m.Result = 0;
    } else {
        PaintFrame();
        m.Result = 0;
        MarkHandled();
    }
}

void TSkCustomForm::WMNCButtonDown(TMessage& m)
{
    CloseOpenDropDown();
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!frameActive_ && control)
        ::SetFocus(control->Handle());
    const POINT p = ScreenToWindow(PointOf(m.LParam));
    if (m.Msg == WM_NCLBUTTONDOWN) {
        buttonState_ = 8;
        NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, p.x, p.y);
    } else {
        buttonState_ = 16;
        NCMouseDown(vcl::mbRight, vcl::TShiftState{vcl::ssRight}, p.x, p.y);
    }
    m.Result = 0;
    MarkHandled();
}

void TSkCustomForm::WMNCButtonUp(TMessage& m)
{
    const POINT p = ScreenToWindow(PointOf(m.LParam));
    buttonState_ = 0;
    NCMouseUp(m.Msg == WM_NCLBUTTONUP ? vcl::mbLeft : vcl::mbRight, vcl::TShiftState{}, p.x, p.y);
    m.Result = 0;
    MarkHandled();
}

void TSkCustomForm::WMNCMouseMove(TMessage& m)
{
    const POINT p = ScreenToWindow(PointOf(m.LParam));
    vcl::TShiftState shift;
    if (buttonState_ == 8)
        shift.Include(vcl::ssLeft);
    if (buttonState_ == 16)
        shift.Include(vcl::ssRight);
    NCMouseMove(shift, p.x, p.y);
    m.Result = 0;
    MarkHandled();
}

void TSkCustomForm::WMNCLButtonDblClk(TMessage& m)
{
    const POINT p = ScreenToWindow(PointOf(m.LParam));
    NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft, vcl::ssDouble}, p.x, p.y);
    NCMouseUp(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft, vcl::ssDouble}, p.x, p.y);
    buttonState_ = 0;
    m.Result = 1;
    MarkHandled();
}

POINT ClientToWindowPoint(TSkCustomForm* frame, LPARAM lParam)
{
    const RECT client = frame->GetFrameClientRect();
    return POINT{GET_X_LPARAM(lParam) + client.left, GET_Y_LPARAM(lParam) + client.top};
}

void TSkCustomForm::WMLButtonUp(TMessage& m)
{
    if (buttonState_ == 0)
        return;
    const POINT p = ClientToWindowPoint(this, m.LParam);
    buttonState_ = 0;
    NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, p.x, p.y);
}

void TSkCustomForm::WMMouseMove(TMessage& m)
{
    if (mouseOver_ != 0 && GetKeyState(VK_LBUTTON) >= 0) {
        mouseOver_ = 0;
        PaintFrame();
    }
    if (buttonState_ != 0) {
        const POINT p = ClientToWindowPoint(this, m.LParam);
        vcl::TShiftState shift;
        shift.Include(buttonState_ == 8 ? vcl::ssLeft : vcl::ssRight);
        NCMouseMove(shift, p.x, p.y);
    }
}

void TSkCustomForm::WMActivate(TMessage& m)
{
    // Activating a minimized frame from outside (the task bar) restores it.
    if (LOWORD(m.WParam) != WA_INACTIVE && !frameActive_ && windowState_ == kwsMinimized)
        Minimize();
}

void TSkCustomForm::WMPaint(TMessage& m)
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control)
        return;
    PAINTSTRUCT ps{};
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    const bool own = dc == nullptr;
    if (own)
        dc = BeginPaint(control->Handle(), &ps);
    // The form's own painting: its graphic children and Paint, on this DC.
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    if (own)
        EndPaint(control->Handle(), &ps);
    m.Result = 0;
    MarkHandled();
}

void TSkCustomForm::WMEraseBkgnd(TMessage& m)
{
    vcl::TCustomForm* form = OwnerForm();
    const bool mdiRequest = form && form->FormStyle() == vcl::fsMDIForm && m.LParam != 0;
    if (!mdiRequest && framePaint_)
        PaintClientBackground(reinterpret_cast<HDC>(m.WParam), nullptr);
    m.Result = 1;
    MarkHandled();
}

void TSkCustomForm::SkmBackgroundRequest(TMessage& m)
{
    // A control asks for the face under it: the client background, painted
    // into its DC, whose origin is the form's client origin.
    if (!BackgroundRequestOf(m) || !framePaint_)
        return;
    PaintClientBackground(reinterpret_cast<HDC>(m.WParam), nullptr);
    m.Result = 1;
    MarkHandled();
}

void TSkCustomForm::WMWindowPosChanging(TMessage& m)
{
    auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    m.Result = 0;
    MarkHandled();
    if (!pos || !control)
        return;
    const bool effects = blending_->Enabled() || shadow_->Enabled();
    if (!((pos->flags & SWP_NOSIZE) && (pos->flags & SWP_NOMOVE))) {
        const POINT maxTrack = GetMaxTrackSize();
        pos->cx = std::min(pos->cx, static_cast<int>(maxTrack.x));
        pos->cy = std::min(pos->cy, static_cast<int>(maxTrack.y));
        if (windowState_ != kwsRollup && windowState_ != kwsMinimized) {
            const POINT minTrack = GetMinTrackSize();
            pos->cx = std::max(pos->cx, static_cast<int>(minTrack.x));
            pos->cy = std::max(pos->cy, static_cast<int>(minTrack.y));
        }
        const bool sameAsVisible = pos->cx == frameWidth_ && pos->cy == frameHeight_;
        if (!sameAsVisible && !(pos->flags & SWP_NOSIZE) && !(pos->flags & SWP_FRAMECHANGED)) {
            FitFullSize(pos->cx, pos->cy);
            UpdateRegion();
        }
        if (pos->flags & SWP_FRAMECHANGED)
            PaintFrame();
        if (effects && control->HandleAllocated()) {
            RECT now{};
            GetWindowRect(control->Handle(), &now);
            RECT wanted{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
            if (pos->flags & SWP_NOMOVE)
                wanted = RECT{now.left, now.top, now.left + pos->cx, now.top + pos->cy};
            CaptureBackground(wanted);
        }
    }
    if ((pos->flags & SWP_SHOWWINDOW) && !loadedStatePending_) {
        if (effects && control->HandleAllocated()) {
            snapshotRect_ = RECT{};
            RECT now{};
            GetWindowRect(control->Handle(), &now);
            CaptureBackground(now);
        }
        AnimateShow();
    }
    if (effects)
        pos->flags |= SWP_NOCOPYBITS;
}

void TSkCustomForm::WMSysCommand(TMessage& m)
{
    const WPARAM command = m.WParam & 0xFFF0;
    if (command == SC_KEYMENU && m.LParam != ' ' && m.LParam != '-' && !GetCapture() && menuBar_ && FrameMenus()) {
        if (auto* control = dynamic_cast<vcl::TWinControl*>(Owner()))
            PostMessageA(control->Handle(), WM_CHAR, static_cast<WPARAM>(m.LParam), 0);
        FrameMenus()->MenuBarTrackMenu(menuBar_);
        m.Result = 1;
    } else if ((command == SC_KEYMENU && m.LParam == ' ') || command == SC_MOUSEMENU) {
        ShowSystemMenu();
    } else if (command == SC_RESTORE) {
        Restore();
    } else if (command == SC_MINIMIZE) {
        // Our own posted minimize only lets the system know: the frame is
        // minimized already and must not toggle back.
        if (ownMinimizePending_)
            ownMinimizePending_ = false;
        else
            Minimize();
    } else if (command == SC_CONTEXTHELP) {
        PaintFrame();
    }
}

void TSkCustomForm::WMThemeChanged(TMessage& m)
{
    // Metrics are read afresh at every use; the caption fonts are loaded anew.
    const TSkSystemResources& res = SystemResources();
    if (res.CaptionFont && res.SmallCaptionFont)
        LoadCaptionFonts(res.CaptionFont, res.SmallCaptionFont);
    m.Result = 0;
    MarkHandled();
}

void TSkCustomForm::SkUpdateFrame(TMessage& m)
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (m.WParam == 13 && control && control->HandleAllocated()) {
        const LONG_PTR style = GetWindowLongPtrA(control->Handle(), GWL_STYLE);
        SetWindowLongPtrA(control->Handle(), GWL_STYLE, style | WS_CAPTION);
    }
    PaintFrame();
    MarkHandled();
}

void TSkCustomForm::SkMaximize(TMessage&)
{
    Maximize();
    MarkHandled();
}

void TSkCustomForm::SkSetWindowState(TMessage& m)
{
    MarkHandled();
    // A state loaded with the form is applied while the window still waits
    // below the screen: its bounds there are no normal bounds, so the
    // pending mark stays on until the state is reached.
    const bool loaded = loadedStatePending_;
    auto* control = dynamic_cast<vcl::TControl*>(Owner());
    if (loaded && control && m.WParam == kwsRollup) {
        // Rolled up where the window belongs, not below the screen.
        loadedStatePending_ = false;
        control->SetBoundsRect(normalBounds_);
    }
    try {
        switch (m.WParam) {
        case kwsMaximized: Maximize(); break;
        case kwsMinimized: Minimize(); break;
        case kwsRollup: Rollup(); break;
        case kwsTray: MinimizeToTray(); break;
        default: break;
        }
    } catch (...) {
        loadedStatePending_ = false;
        throw;
    }
    if (!loaded)
        return;
    loadedStatePending_ = false;
    // A refused or unknown state leaves the window at its normal place.
    if (windowState_ == kwsNormal)
        ApplyNormal();
}

void TSkCustomForm::SkPaintFrameTo(TMessage& m)
{
    MarkHandled();
    const HDC dc = reinterpret_cast<HDC>(m.LParam);
    if (!dc) {
        m.Result = 0;
        return;
    }
    const int x = static_cast<short>(LOWORD(m.WParam));
    const int y = static_cast<short>(HIWORD(m.WParam));
    vcl::TCanvas* canvas = FormCanvas();
    const HDC own = canvas->Handle();
    const bool wasActive = frameActive_;
    frameActive_ = true;
    POINT old{};
    try {
        canvas->SetHandle(dc);
        GetViewportOrgEx(dc, &old);
        SetViewportOrgEx(dc, old.x + x, old.y + y, nullptr);
        DrawFrame(canvas);
        const RECT client = GetFrameClientRect();
        SetViewportOrgEx(dc, old.x + x + client.left, old.y + y + client.top, nullptr);
        PaintBackgroundOrEvent();
    } catch (...) {
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
        canvas->SetHandle(own);
        frameActive_ = wasActive;
        throw;
    }
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
    canvas->SetHandle(own);
    frameActive_ = wasActive;
    m.Result = 1;
}

void TSkCustomForm::AfterMessage(TMessage& m, bool& handled)
{
    TSkHook::AfterMessage(m, handled);
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control)
        return;
    switch (m.Msg) {
    case WM_GETTEXT: {
        const char* buffer = reinterpret_cast<const char*>(m.LParam);
        if (!buffer || m.WParam == 0)
            break;
        const vcl::AnsiString text(buffer, ::strnlen(buffer, m.WParam));
        if (text == lastText_)
            break;
        lastText_ = text;
        if (control->HandleAllocated()) {
            const LONG_PTR style = GetWindowLongPtrA(control->Handle(), GWL_STYLE);
            SetWindowLongPtrA(control->Handle(), GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
            PostMessageA(control->Handle(), SK_UPDATEFRAME, 13, 0);
        }
        caption_ = vcl::AnsiToWide(text);
        if (windowState_ == kwsMaximized)
            UpdateMDICaption();
        break;
    }
    case WM_SIZE: FitMaximizedMDIChild(); break;
    case WM_NCACTIVATE:
        if (vcl::TCustomForm* form = OwnerForm(); form && form->FormStyle() == vcl::fsMDIChild) {
            PaintFrame();
            PostMessageA(control->Handle(), SK_UPDATEFRAME, 0, 0);
        } else if (!HasOwnerWindow()) {
            PaintFrame();
        }
        break;
    default: break;
    }
}

// ------------------------------------------------------------ frame mouse

void TSkCustomForm::NCMouseDown(vcl::TMouseButton button, vcl::TShiftState, int x, int y)
{
    if (button != vcl::mbLeft)
        return;
    pressed_ = mouseOver_ = HitTest(x, y);
    downPoint_ = lastPoint_ = POINT{x, y};
    PaintFrame();
    if (pressed_ >= khtCaption && pressed_ <= khtBottomRight) {
        dragging_flag_ = true;
        dragRect_ = RECT{};
        if (dragging_->DragMode() == kfdmBorder) {
            DisableFramePaint();
            borderDrag_ = true;
        }
    }
    if (auto* control = dynamic_cast<vcl::TWinControl*>(Owner()))
        SetCapture(control->Handle());
}

void TSkCustomForm::Gravitate(RECT& r)
{
    if (!gravitation_->Enabled())
        return;
    const int g = gravitation_->Size();
    const RECT w = GetWorkArea();
    const int s = ShadowSize();
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int visibleRight = r.right - s;
    const int visibleBottom = r.bottom - s;
    if (std::abs(r.left - w.left) < g)
        OffsetRect(&r, w.left - r.left, 0);
    else if (std::abs(visibleRight - w.right) < g)
        OffsetRect(&r, w.right - visibleRight, 0);
    if (std::abs(r.top - w.top) < g)
        OffsetRect(&r, 0, w.top - r.top);
    else if (std::abs(visibleBottom - w.bottom) < g)
        OffsetRect(&r, 0, w.bottom - visibleBottom);
    (void)width;
    (void)height;
}

void TSkCustomForm::NCMouseMove(vcl::TShiftState shift, int x, int y)
{
    auto* control = dynamic_cast<vcl::TControl*>(Owner());
    if (!shift.Contains(vcl::ssLeft) || !dragging_flag_ || !control) {
        const int code = HitTest(x, y);
        if (code != mouseOver_) {
            mouseOver_ = code;
            PaintFrame();
        }
        return;
    }
    RECT r = control->BoundsRect();
    const bool sizeable = dragging_->Sizeable() && (windowState_ == kwsNormal || windowState_ == kwsTray);
    const POINT minTrack = GetMinTrackSize();
    const bool border = dragging_->DragMode() == kfdmBorder;
    auto left = [&] {
        r.left += x - downPoint_.x;
        if (r.right - r.left < minTrack.x)
            r.left = r.right - minTrack.x;
    };
    auto top = [&] {
        r.top += y - downPoint_.y;
        if (r.bottom - r.top < minTrack.y)
            r.top = r.bottom - minTrack.y;
    };
    auto right = [&] { r.right += x - (border ? downPoint_.x : lastPoint_.x); };
    auto bottom = [&] { r.bottom += y - (border ? downPoint_.y : lastPoint_.y); };
    switch (pressed_) {
    case khtCaption:
        if (dragging_->Moveable() && windowState_ != kwsMaximized) {
            OffsetRect(&r, x - downPoint_.x, y - downPoint_.y);
            Gravitate(r);
        }
        break;
    case khtLeft: if (sizeable) left(); break;
    case khtTop: if (sizeable) top(); break;
    case khtRight: if (sizeable) right(); break;
    case khtBottom: if (sizeable) bottom(); break;
    case khtTopLeft: if (sizeable) { top(); left(); } break;
    case khtTopRight: if (sizeable) { top(); right(); } break;
    case khtBottomLeft: if (sizeable) { bottom(); left(); } break;
    case khtBottomRight: if (sizeable) { bottom(); right(); } break;
    default: break;
    }
    if (!border) {
        SetFormBounds(r);
        mouseOver_ = HitTest(x, y);
        PaintFrame();
    } else {
        DrawDragFrame(r);
    }
    // In full drag the window moved under the mouse: the point in window
    // coordinates is where the press began, plus what sizing added.
    lastPoint_ = POINT{x, y};
}

void TSkCustomForm::SetFormBounds(const RECT& r)
{
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()))
        control->SetBoundsRect(r);
    ProcessPaintMessages();
}

void TSkCustomForm::DrawDragFrame(const RECT& r)
{
    if (windowState_ == kwsMaximized)
        return;
    // An MDI child moves within its parent's client window, in whose
    // coordinates its bounds are; the outline is drawn over the other
    // children there, and the desktop's DC serves every other window.
    vcl::TCustomForm* form = OwnerForm();
    vcl::TCustomForm* parent = form && form->FormStyle() == vcl::fsMDIChild ? form->MDIParent() : nullptr;
    const HWND surface = parent && IsWindow(parent->ClientHandle()) ? parent->ClientHandle() : nullptr;
    HDC dc = surface ? GetDCEx(surface, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS) : GetDC(nullptr);
    if (!dc)
        return;
    HPEN pen = CreatePen(PS_INSIDEFRAME, 2, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int oldRop = SetROP2(dc, R2_XORPEN);
    if (!RectIsEmpty(dragRect_))
        Rectangle(dc, dragRect_.left, dragRect_.top, dragRect_.right, dragRect_.bottom);
    if (!RectIsEmpty(r))
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
    dragRect_ = r;
    SetROP2(dc, oldRop);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    ReleaseDC(surface, dc);
}

void TSkCustomForm::NCMouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    const int code = HitTest(x, y);
    if (button == vcl::mbLeft) {
        ReleaseCapture();
        if (shift.Contains(vcl::ssDouble)) {
            if (code == khtCaption && borderIcons_.Contains(kbiMaximize)) {
                pressed_ = 0;
                dragging_flag_ = false;
                if (windowState_ == kwsMinimized)
                    Restore();
                else
                    Maximize();
                return;
            }
            if (code == khtSysMenu) {
                pressed_ = 0;
                dragging_flag_ = false;
                Close();
                return;
            }
        }
        if (code == pressed_) {
            switch (code) {
            case khtClose: Close(); break;
            case khtHelp: Help(); break;
            case khtMinimize: Minimize(); break;
            case khtMaximize: Maximize(); break;
            case khtRollup: Rollup(); break;
            case khtTray: MinimizeToTray(); break;
            case khtSysMenu: ShowSystemMenu(); break;
            default: break;
            }
        }
        if (borderDrag_) {
            // The window takes the last rectangle drawn. Running the move
            // once more in full-drag mode would size the right and bottom
            // edges from the last point, which gives nothing back there.
            const RECT last = dragRect_;
            DrawDragFrame(RECT{});
            dragRect_ = RECT{};
            borderDrag_ = false;
            EnableFramePaint();
            if (!RectIsEmpty(last))
                SetFormBounds(last);
            PaintFrame();
            if (auto* control = dynamic_cast<vcl::TControl*>(Owner()))
                control->Invalidate();
        } else {
            PaintFrame();
        }
        pressed_ = 0;
        dragging_flag_ = false;
    }
    if (button == vcl::mbRight && code == khtCaption) {
        auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
        if (control && control->HandleAllocated()) {
            RECT w{};
            GetWindowRect(control->Handle(), &w);
            systemMenuPoint_ = POINT{w.left + x, w.top + y};
            systemMenuPointSet_ = true;
        }
        ShowSystemMenu();
        systemMenuPointSet_ = false;
    }
}

}  // namespace skin
