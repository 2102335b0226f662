// Frame painting: target buffers, drop shadow, blended border, the plain
// frame look with caption and buttons, the client background, the
// background snapshot and the show animation.

#include <algorithm>
#include <memory>

#include "platform/vcl/graphics.h"
#include "skin/controls/sk_paint_buffer.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

// The class library paints a container's graphic controls from its own
// paint; the show animation paints them into its picture the same way.
struct TGraphicControlsPainter : vcl::TWinControl {
    using vcl::TWinControl::PaintControls;
};
auto PaintGraphicControls() { return &TGraphicControlsPainter::PaintControls; }

}  // namespace

namespace {

std::uint8_t ShadowAlphaAt(int depth)
{
    static constexpr std::uint8_t kSteps[] = {0x08, 0x3A, 0x6C};
    return depth < 3 ? kSteps[depth] : 0x80;
}

void FillShadowBand(TSkBitmap* target, const RECT& band, int fullWidth, int fullHeight, int startX, int startY)
{
    for (int y = std::max(0, static_cast<int>(band.top)); y < std::min(static_cast<int>(band.bottom), target->Height()); ++y) {
        for (int x = std::max(0, static_cast<int>(band.left)); x < std::min(static_cast<int>(band.right), target->Width()); ++x) {
            // Depth from the outer edges; the far ends soften one step per pixel.
            const int depth = std::min({fullWidth - 1 - x, fullHeight - 1 - y, x - startX, y - startY});
            const std::uint8_t a = ShadowAlphaAt(std::max(0, depth));
            *target->PixelPtr(x, y) = (static_cast<TPixel>(a) << 24) | (kShadowPixel & 0x00FFFFFFu);
        }
    }
}

struct ThemeHandle {
    explicit ThemeHandle(HWND window)
    {
        if (ThemesActive() && ThemeApi().OpenThemeData)
            theme = ThemeApi().OpenThemeData(window, u"Window");
    }
    ~ThemeHandle()
    {
        if (theme && ThemeApi().CloseThemeData)
            ThemeApi().CloseThemeData(theme);
    }
    HTHEME theme = nullptr;
};

}  // namespace

vcl::TCanvas* TSkCustomForm::FormCanvas()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control)
        return canvas_;
    const HWND window = control->Handle();
    if (window != canvasWindow_ || !canvasDC_) {
        // A re-created window gets a new device context; the old one went
        // with its window.
        if (canvasDC_ && canvasWindow_ && IsWindow(canvasWindow_))
            ReleaseDC(canvasWindow_, canvasDC_);
        canvasWindow_ = window;
        canvasDC_ = GetDC(window);
        canvas_->SetHandle(canvasDC_);
    }
    return canvas_;
}

void TSkCustomForm::DrawShadow(TSkBitmap* target)
{
    const int s = ShadowSize();
    if (s <= 0)
        return;
    const RECT client = GetFrameClientRect();
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    std::vector<RECT> parts;
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    const bool shaped = control && GetWindowRgn(control->Handle(), probe) > NULLREGION;
    DeleteObject(probe);
    if (shaped) {
        parts.push_back(RECT{s, s, frameWidth_, client.top});
        parts.push_back(RECT{s, s, client.left, frameHeight_});
        for (const RECT& r : parts)
            target->FillRect(r, kShadowPixel);
    }
    const RECT right{client.right, s, fullWidth_, client.bottom};
    const RECT bottom{s, client.bottom, fullWidth_, fullHeight_};
    FillShadowBand(target, right, fullWidth_, fullHeight_, client.right - 3 * 0, s);
    FillShadowBand(target, bottom, fullWidth_, fullHeight_, s, client.bottom);
    parts.push_back(right);
    parts.push_back(bottom);
    const RECT topRight{fullWidth_ - s, 0, fullWidth_, s};
    const RECT bottomLeft{0, fullHeight_ - s, s, fullHeight_};
    target->FillRect(topRight, KeyColor & 0x00FFFFFFu);
    target->FillRect(bottomLeft, KeyColor & 0x00FFFFFFu);
    parts.push_back(topRight);
    parts.push_back(bottomLeft);
    for (const RECT& r : parts)
        target->ComposeOver(snapshot_, r.left, r.top, r);
}

void TSkCustomForm::PaintFrame()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control || !control->HandleAllocated() || !framePaint_)
        return;
    vcl::TCustomForm* form = OwnerForm();
    if (form && form->FormStyle() == vcl::fsMDIChild && windowState_ == kwsMaximized)
        return;
    const RECT client = GetFrameClientRect();
    if (client.left == 0 && client.top == 0 && !shadow_->Enabled())
        return;
    if (fullWidth_ <= 0 || fullHeight_ <= 0)
        return;
    const HWND window = control->Handle();

    TSkBitmap* target = nullptr;
    std::unique_ptr<TSkBitmap> temporary;
    if (animating_ && animationImage_) {
        target = animationImage_;
    } else {
        switch (performance_) {
        case ksfpSharedBuffer: target = SharedPaintBuffer(fullWidth_, fullHeight_); break;
        case ksfpPersistentBuffer:
            if (!persistentBuffer_)
                persistentBuffer_ = new TSkBitmap();
            if (persistentBuffer_->Width() != fullWidth_ || persistentBuffer_->Height() != fullHeight_)
                persistentBuffer_->SetSize(fullWidth_, fullHeight_);
            target = persistentBuffer_;
            break;
        case ksfpDoubleBuffer: break;
        case ksfpNoBuffer:
            if (!shadow_->Enabled() && !blending_->Enabled())
                break;
            break;
        }
        if (!target && (performance_ == ksfpDoubleBuffer || shadow_->Enabled() || blending_->Enabled())) {
            temporary = std::make_unique<TSkBitmap>();
            temporary->SetSize(fullWidth_, fullHeight_);
            target = temporary.get();
        }
    }

    const RECT strips[4] = {
        {0, 0, fullWidth_, client.top},
        {0, client.bottom, fullWidth_, fullHeight_},
        {0, client.top, client.left, client.bottom},
        {client.right, client.top, fullWidth_, client.bottom},
    };
    if (!target) {
        HDC dc = GetWindowDC(window);
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
        vcl::TCanvas canvas;
        canvas.SetHandle(dc);
        try {
            DrawFrame(&canvas);
        } catch (...) {
            canvas.SetHandle(nullptr);
            RestoreDC(dc, saved);
            ReleaseDC(window, dc);
            throw;
        }
        canvas.SetHandle(nullptr);
        RestoreDC(dc, saved);
        ReleaseDC(window, dc);
        return;
    }

    if (shadow_->Enabled())
        DrawShadow(target);
    vcl::TCanvas canvas;
    canvas.SetHandle(target->DC());
    const int saved = SaveDC(target->DC());
    ExcludeClipRect(target->DC(), client.left, client.top, client.right, client.bottom);
    const bool blend = blending_->Enabled();
    const bool wasAlpha = target->AlphaBlend();
    if (blend)
        target->SetAlphaBlend(true);
    DrawFrame(&canvas);
    RestoreDC(target->DC(), saved);
    canvas.SetHandle(nullptr);
    if (blend) {
        const RECT frameStrips[4] = {
            {0, 0, frameWidth_, client.top},
            {0, client.bottom, frameWidth_, frameHeight_},
            {0, client.top, client.left, client.bottom},
            {client.right, client.top, frameWidth_, client.bottom},
        };
        for (const RECT& r : frameStrips) {
            target->SetRectAlpha(static_cast<std::uint8_t>(blending_->Value()), r);
            target->ComposeOver(snapshot_, r.left, r.top, r);
        }
        target->SetAlphaBlend(wasAlpha);
    }
    if (target == animationImage_)
        return;
    HDC dc = GetWindowDC(window);
    for (const RECT& r : strips) {
        if (!RectIsEmpty(r))
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, target->DC(), r.left, r.top, SRCCOPY);
    }
    ReleaseDC(window, dc);
}

void TSkCustomForm::DrawFrame(vcl::TCanvas* canvas)
{
    if (borderStyle_ == kbsNone)
        return;
    const RECT client = GetFrameClientRect();
    const RECT whole{0, 0, frameWidth_, frameHeight_};
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    ThemeHandle theme(control ? control->Handle() : nullptr);
    const bool tool = borderStyle_ == kbsToolWindow;
    if (theme.theme && ThemeApi().DrawThemeBackground) {
        const int state = frameActive_ ? 1 : 2;
        const RECT left{0, client.top, client.left, frameHeight_};
        const RECT right{client.right, client.top, frameWidth_, frameHeight_};
        const RECT bottom{0, client.bottom, frameWidth_, frameHeight_};
        const HDC dc = canvas->Handle();
        ThemeApi().DrawThemeBackground(theme.theme, dc, tool ? kWpSmallFrameLeft : kWpFrameLeft, state, &left, nullptr);
        ThemeApi().DrawThemeBackground(theme.theme, dc, tool ? kWpSmallFrameRight : kWpFrameRight, state, &right, nullptr);
        ThemeApi().DrawThemeBackground(theme.theme, dc, tool ? kWpSmallFrameBottom : kWpFrameBottom, state, &bottom,
                                       nullptr);
    } else {
        RECT edge = whole;
        DrawEdge(canvas->Handle(), &edge, EDGE_RAISED, BF_RECT);
        FillRectCoords(canvas, 2, client.top, client.left, frameHeight_ - 2, vcl::clBtnFace);
        FillRectCoords(canvas, client.right, client.top, frameWidth_ - 2, frameHeight_ - 2, vcl::clBtnFace);
        FillRectCoords(canvas, 2, client.bottom, frameWidth_ - 2, frameHeight_ - 2, vcl::clBtnFace);
        FillRectCoords(canvas, 2, 2, frameWidth_ - 2, client.top, vcl::clBtnFace);
    }
    if (performance_ != ksfpNoBuffer) {
        if (theme.theme && ThemeApi().DrawThemeBackground) {
            const RECT caption{0, 0, frameWidth_, client.top};
            ThemeApi().DrawThemeBackground(theme.theme, canvas->Handle(), tool ? kWpSmallCaption : kWpCaption,
                                           frameActive_ ? 1 : 2, &caption, nullptr);
        }
        PaintCaption(canvas);
        return;
    }
    // Drawn apart and copied in one step, so the caption never flickers.
    TSkBitmap buffer;
    buffer.SetSize(frameWidth_, client.top);
    if (buffer.Empty())
        return;
    BitBlt(buffer.DC(), 0, 0, frameWidth_, client.top, canvas->Handle(), 0, 0, SRCCOPY);
    vcl::TCanvas bufferCanvas;
    bufferCanvas.SetHandle(buffer.DC());
    if (theme.theme && ThemeApi().DrawThemeBackground) {
        const RECT caption{0, 0, frameWidth_, client.top};
        ThemeApi().DrawThemeBackground(theme.theme, buffer.DC(), tool ? kWpSmallCaption : kWpCaption,
                                       frameActive_ ? 1 : 2, &caption, nullptr);
    }
    PaintCaption(&bufferCanvas);
    bufferCanvas.SetHandle(nullptr);
    const RECT band{2, 2, frameWidth_ - 2, client.top};
    BitBlt(canvas->Handle(), band.left, band.top, band.right - band.left, band.bottom - band.top, buffer.DC(),
           band.left, band.top, SRCCOPY);
}

void TSkCustomForm::PaintCaption(vcl::TCanvas* canvas)
{
    const RECT client = GetFrameClientRect();
    const int f = GetMetric(SM_CXFRAME);
    RECT band{client.left, f, client.right, client.top};
    if (RectIsEmpty(band))
        return;
    const bool tool = borderStyle_ == kbsToolWindow;
    const TSkSystemResources& res = SystemResources();
    vcl::TFont* font = tool ? res.SmallCaptionFont : res.CaptionFont;
    vcl::TFont fallback;
    if (!font) {
        vcl::TFont other;
        LoadCaptionFonts(tool ? &other : &fallback, tool ? &fallback : &other);
        font = &fallback;
    }
    canvas->Font()->Assign(font);

    int buttons = 1;
    for (TSkBorderIcon i : {kbiClose, kbiMaximize, kbiMinimize, kbiHelp, kbiRollup, kbiTray})
        buttons += borderIcons_.Contains(i) ? 1 : 0;
    const int available = tool ? frameWidth_ - band.left - 2 * GetMetric(SM_CYSMCAPTION)
                               : frameWidth_ - band.left - buttons * GetMetric(SM_CYSIZE);
    vcl::WideString text;
    SelectObject(canvas->Handle(), canvas->Font()->Handle());
    EllipsisText(canvas->Handle(), caption_, std::max(0, available), text);

    RECT textRect = band;
    if (!tool && borderIcons_.Contains(kbiSystemMenu))
        textRect.left += band.bottom - band.top;
    textRect.left += 2;
    textRect.right -= 2;
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    ThemeHandle theme(control ? control->Handle() : nullptr);
    UINT flags = DT_VCENTER | DT_SINGLELINE;
    if (theme.theme && ThemeApi().GetThemeSysColor) {
        const COLORREF color = ThemeApi().GetThemeSysColor(
            theme.theme, frameActive_ ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
        canvas->Font()->SetColor(static_cast<vcl::TColor>(color));
        if (ThemeApi().DrawThemeText)
            ThemeApi().DrawThemeText(theme.theme, canvas->Handle(), kWpCaption, frameActive_ ? 1 : 2,
                                     reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()), flags, 0,
                                     &textRect);
        SetBkMode(canvas->Handle(), TRANSPARENT);
        SkDrawText(canvas, text, textRect, flags);
    } else {
        FillGradient(canvas, band, frameActive_ ? vcl::clActiveCaption : vcl::clInactiveCaption, false,
                     static_cast<vcl::TColor>(vcl::SysColorBase | (frameActive_ ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION)));
        canvas->Font()->SetColor(frameActive_ ? vcl::clCaptionText : vcl::clInactiveCaptionText);
        canvas->Brush()->SetStyle(vcl::bsClear);
        SetBkMode(canvas->Handle(), TRANSPARENT);
        if (control && control->UseRightToLeftReading())
            flags |= DT_RTLREADING;
        SkDrawText(canvas, text, textRect, flags);
    }

    const bool leftHeld = buttonState_ == 8;
    auto state = [&](TSkBorderIcon icon, int code) {
        RECT r;
        GetButtonRect(icon, r);
        if (RectIsEmpty(r))
            return;
        const bool pressed = leftHeld && pressed_ == code && mouseOver_ == code;
        const bool highlighted = mouseOver_ == code && !dragging_flag_;
        DrawButton(canvas, r, highlighted, pressed, icon);
    };
    state(kbiClose, khtClose);
    if (tool)
        return;
    state(kbiSystemMenu, khtSysMenu);
    state(kbiMinimize, khtMinimize);
    state(kbiMaximize, khtMaximize);
    state(kbiRollup, khtRollup);
    state(kbiTray, khtTray);
    state(kbiHelp, khtHelp);
}

void TSkCustomForm::DrawButton(vcl::TCanvas* canvas, const RECT& rect, bool highlighted, bool pressed,
                               TSkBorderIcon index)
{
    RECT r = rect;
    const HDC dc = canvas->Handle();
    if (index == kbiSystemMenu) {
        DrawIconCentered(canvas, r, GetSmallIcon());
        return;
    }
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    ThemeHandle theme(control ? control->Handle() : nullptr);
    if (theme.theme && ThemeApi().DrawThemeBackground && index != kbiRollup && index != kbiTray) {
        int part = kWpCloseButton;
        if (index == kbiMinimize)
            part = windowState_ == kwsMinimized ? kWpRestoreButton : kWpMinButton;
        else if (index == kbiMaximize)
            part = windowState_ == kwsMaximized ? kWpRestoreButton : kWpMaxButton;
        else if (index == kbiHelp)
            part = kWpHelpButton;
        const int state = !frameActive_ ? 5 : pressed ? 3 : highlighted ? 2 : 1;
        ThemeApi().DrawThemeBackground(theme.theme, dc, part, state, &r, nullptr);
        return;
    }
    switch (index) {
    case kbiClose: DrawFrameControl(dc, &r, DFC_CAPTION, DFCS_CAPTIONCLOSE | (pressed ? DFCS_PUSHED : 0)); break;
    case kbiMinimize:
        DrawFrameControl(dc, &r, DFC_CAPTION,
                         (windowState_ == kwsMinimized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN) |
                             (pressed ? DFCS_PUSHED : 0));
        break;
    case kbiMaximize:
        DrawFrameControl(dc, &r, DFC_CAPTION,
                         (windowState_ == kwsMaximized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                             (pressed ? DFCS_PUSHED : 0));
        break;
    case kbiHelp: DrawFrameControl(dc, &r, DFC_CAPTION, DFCS_CAPTIONHELP | (pressed ? DFCS_PUSHED : 0)); break;
    case kbiRollup:
    case kbiTray: {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        canvas->Brush()->SetColor(vcl::clBlack);
        canvas->Brush()->SetStyle(vcl::bsSolid);
        canvas->Pen()->SetColor(vcl::clBlack);
        if (index == kbiRollup) {
            RECT t{r.left + 4, r.top + 5, r.right - 4, r.bottom - 5};
            if (!pressed)
                OffsetRect(&t, -1, -1);
            const int cx = (t.left + t.right) / 2;
            POINT points[3];
            if (windowState_ == kwsRollup) {
                points[0] = POINT{t.left, t.top};
                points[1] = POINT{t.right, t.top};
                points[2] = POINT{cx, t.bottom};
            } else {
                points[0] = POINT{t.left, t.bottom};
                points[1] = POINT{t.right, t.bottom};
                points[2] = POINT{cx, t.top};
            }
            Polygon(dc, points, 3);
        } else {
            RECT e{r.left + 5, r.top + 5, r.right - 5, r.bottom - 5};
            OffsetRect(&e, 0, 2);
            if (pressed)
                OffsetRect(&e, 1, 1);
            Ellipse(dc, e.left, e.top, e.right, e.bottom);
        }
        break;
    }
    default: break;
    }
}

HICON TSkCustomForm::GetSmallIcon()
{
    if (smallIcon_)
        return smallIcon_;
    HICON source = nullptr;
    if (vcl::TCustomForm* form = OwnerForm(); form && form->Icon() && form->Icon()->Handle())
        source = form->Icon()->Handle();
    if (!source && vcl::Application->Icon()->Handle())
        source = vcl::Application->Icon()->Handle();
    if (!source)
        source = LoadIconA(nullptr, IDI_APPLICATION);
    int w = GetMetric(SM_CXSMICON);
    int h = GetMetric(SM_CYSMICON);
    if (w == 0 || h == 0) {
        w = GetMetric(SM_CXSIZE);
        h = GetMetric(SM_CYSIZE);
    }
    smallIcon_ = static_cast<HICON>(CopyImage(source, IMAGE_ICON, w, h, LR_COPYFROMRESOURCE));
    return smallIcon_;
}

void TSkCustomForm::PaintBackground()
{
    vcl::TCanvas* canvas = FormCanvas();
    const RECT client = GetClientBounds();
    canvas->Brush()->SetStyle(vcl::bsSolid);
    vcl::TColor color = vcl::clBtnFace;
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()))
        color = control->Color();
    FillRectColor(canvas, client, color);
}

void TSkCustomForm::PaintBackgroundOrEvent()
{
    if (OnPaint && !Loading())
        OnPaint(this);
    else
        PaintBackground();
}

// Paints the client background with the form canvas standing on `dc`.
void TSkCustomForm::PaintClientBackground(HDC dc, const RECT* only)
{
    vcl::TCanvas* canvas = FormCanvas();
    const HDC own = canvas->Handle();
    const RECT client = GetFrameClientRect();
    const RECT bounds = GetClientBounds();
    const bool blend = blending_->Enabled();
    std::unique_ptr<TSkBitmap> temporary;
    TSkBitmap* buffer = nullptr;
    if (animating_ && animationImage_) {
        buffer = animationImage_;
    } else if (performance_ == ksfpSharedBuffer) {
        buffer = SharedPaintBuffer(fullWidth_, fullHeight_);
    } else if (performance_ == ksfpPersistentBuffer) {
        if (!persistentBuffer_) {
            persistentBuffer_ = new TSkBitmap();
            persistentBuffer_->SetSize(fullWidth_, fullHeight_);
        }
        buffer = persistentBuffer_;
    } else if (performance_ == ksfpDoubleBuffer || blend) {
        temporary = std::make_unique<TSkBitmap>();
        temporary->SetSize(fullWidth_, fullHeight_);
        buffer = temporary.get();
    }
    if (!buffer || buffer->Empty()) {
        canvas->SetHandle(dc);
        try {
            PaintBackgroundOrEvent();
        } catch (...) {
            canvas->SetHandle(own);
            throw;
        }
        canvas->SetHandle(own);
        return;
    }
    // The buffer holds the whole window; the background goes at the client offset.
    const HDC bufferDC = buffer->DC();
    POINT oldOrigin{};
    SetViewportOrgEx(bufferDC, client.left, client.top, &oldOrigin);
    const int saved = SaveDC(bufferDC);
    IntersectClipRect(bufferDC, 0, 0, bounds.right, bounds.bottom);
    canvas->SetHandle(bufferDC);
    try {
        PaintBackgroundOrEvent();
    } catch (...) {
        canvas->SetHandle(own);
        RestoreDC(bufferDC, saved);
        SetViewportOrgEx(bufferDC, oldOrigin.x, oldOrigin.y, nullptr);
        throw;
    }
    canvas->SetHandle(own);
    RestoreDC(bufferDC, saved);
    SetViewportOrgEx(bufferDC, oldOrigin.x, oldOrigin.y, nullptr);
    if (blend) {
        buffer->SetRectAlpha(static_cast<std::uint8_t>(blending_->Value()), client);
        buffer->ComposeOver(snapshot_, client.left, client.top, client);
    }
    if (buffer == animationImage_)
        return;
    RECT copy = only ? *only : bounds;
    BitBlt(dc, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, bufferDC, client.left + copy.left,
           client.top + copy.top, SRCCOPY);
}

void TSkCustomForm::PaintRect(const RECT& rect)
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control || !framePaint_)
        return;
    HDC dc = GetDC(control->Handle());
    PaintClientBackground(dc, &rect);
    ReleaseDC(control->Handle(), dc);
}

void TSkCustomForm::InvalidateForm()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control)
        return;
    control->Invalidate();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&msg);
}

void TSkCustomForm::CaptureBackground(const RECT& newRect)
{
    if (!Owner() || captureSuspended_ || RectEquals(newRect, snapshotRect_))
        return;
    if (!(blending_->Enabled() || (windowState_ != kwsMaximized && previousState_ != kwsMaximized))) {
        if (previousState_ == kwsMaximized)
            previousState_ = kwsNormal;
        return;
    }
    auto fresh = std::make_unique<TSkBitmap>();
    fresh->SetSize(newRect.right - newRect.left, newRect.bottom - newRect.top);
    if (fresh->Empty())
        return;
    HDC screen = GetDC(nullptr);
    RECT overlap{};
    const bool overlaps = !snapshot_->Empty() && IntersectRect(&overlap, &newRect, &snapshotRect_);
    auto fromScreen = [&](const RECT& r) {
        if (!RectIsEmpty(r))
            BitBlt(fresh->DC(), r.left - newRect.left, r.top - newRect.top, r.right - r.left, r.bottom - r.top, screen,
                   r.left, r.top, SRCCOPY);
    };
    if (!overlaps) {
        fromScreen(newRect);
    } else {
        // Only what the window did not cover is read from the screen; under
        // the window the screen shows the window itself.
        fromScreen(RECT{newRect.left, newRect.top, overlap.left, newRect.bottom});
        fromScreen(RECT{overlap.left, newRect.top, overlap.right, overlap.top});
        fromScreen(RECT{overlap.right, newRect.top, newRect.right, newRect.bottom});
        fromScreen(RECT{overlap.left, overlap.bottom, overlap.right, newRect.bottom});
        BitBlt(fresh->DC(), overlap.left - newRect.left, overlap.top - newRect.top, overlap.right - overlap.left,
               overlap.bottom - overlap.top, snapshot_->DC(), overlap.left - snapshotRect_.left,
               overlap.top - snapshotRect_.top, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    delete snapshot_;
    snapshot_ = fresh.release();
    snapshotRect_ = newRect;
}

void TSkCustomForm::AnimateShow()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control || !animation_->Enabled() || fullWidth_ <= 0 || fullHeight_ <= 0)
        return;
    vcl::Application->ProcessMessages();
    animating_ = true;
    animationImage_ = new TSkBitmap();
    try {
        animationImage_->SetSize(fullWidth_, fullHeight_);
        const RECT bounds = control->BoundsRect();
        snapshotRect_ = RECT{};
        CaptureBackground(bounds);
        const bool wasActive = frameActive_;
        frameActive_ = true;
        PaintFrame();
        frameActive_ = wasActive;
        PaintClientBackground(animationImage_->DC(), nullptr);
        // Outside the window region the old picture stays.
        HRGN region = CreateFrameRegion();
        for (int y = 0; y < fullHeight_; ++y)
            for (int x = 0; x < fullWidth_; ++x)
                if (!PtInRegion(region, x, y))
                    *animationImage_->PixelPtr(x, y) = KeyColor;
        DeleteObject(region);
        const RECT client = GetFrameClientRect();
        // Labels, shapes and images first, as the form's own paint draws
        // them; the windowed children then go over them.
        const int saved = SaveDC(animationImage_->DC());
        OffsetWindowOrgEx(animationImage_->DC(), -client.left, -client.top, nullptr);
        IntersectClipRect(animationImage_->DC(), 0, 0, client.right - client.left, client.bottom - client.top);
        (control->*PaintGraphicControls())(animationImage_->DC(), nullptr);
        RestoreDC(animationImage_->DC(), saved);
        for (int i = 0; i < control->ControlCount(); ++i) {
            auto* child = dynamic_cast<vcl::TWinControl*>(control->Controls(i));
            if (child && child->Visible())
                child->PaintTo(animationImage_->DC(), client.left + child->Left(), client.top + child->Top());
        }
        HDC screen = GetDC(nullptr);
        vcl::TCanvas canvas;
        canvas.SetHandle(screen);
        PlayTransition(&canvas, bounds.left, bounds.top, animation_, animationImage_, snapshot_);
        canvas.SetHandle(nullptr);
        ReleaseDC(nullptr, screen);
    } catch (...) {
        animating_ = false;
        delete animationImage_;
        animationImage_ = nullptr;
        throw;
    }
    animating_ = false;
    delete animationImage_;
    animationImage_ = nullptr;
}

void TSkCustomForm::UpdateFrame()
{
    auto* control = dynamic_cast<vcl::TControl*>(Owner());
    if (!Active() || Designing() || !control)
        return;
    captureSuspended_ = true;
    const int clientWidth = control->ClientWidth();
    const int clientHeight = control->ClientHeight();
    control->SetHeight(control->Height() + 1);
    control->SetHeight(control->Height() - 1);
    const int dw = clientWidth - control->ClientWidth();
    const int dh = clientHeight - control->ClientHeight();
    if (dw != 0 || dh != 0)
        control->SetBounds(control->Left(), control->Top(), control->Width() + dw, control->Height() + dh);
    captureSuspended_ = false;
    if (auto* window = dynamic_cast<vcl::TWinControl*>(control); window && window->HandleAllocated()) {
        const RECT whole{0, 0, control->Width(), control->Height()};
        InvalidateRect(window->Handle(), &whole, TRUE);
    }
}

}  // namespace skin
