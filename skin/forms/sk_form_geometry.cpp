// Frame geometry: client rectangle, frame buttons, hit codes, the
// rectangles of the window states, tracking limits and the window region.

#include <algorithm>

#include "skin/controls/sk_status_bar.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

constexpr int kCornerBand = 20;
constexpr int kMinTrackWidth = 150;
constexpr int kMinTrackHeight = 40;

bool IsMDIChild(vcl::TCustomForm* form) { return form && form->FormStyle() == vcl::fsMDIChild; }

}  // namespace

int TSkCustomForm::CaptionHeightOfStyle() const
{
    switch (borderStyle_) {
    case kbsStandard: return GetMetric(SM_CYCAPTION);
    case kbsToolWindow: return GetMetric(SM_CYSMCAPTION);
    default: return 0;
    }
}

RECT TSkCustomForm::GetFrameClientRect()
{
    RECT r{0, 0, frameWidth_, frameHeight_};
    if (borderStyle_ == kbsNone || (IsMDIChild(OwnerForm()) && windowState_ == kwsMaximized))
        return r;
    const int f = GetMetric(SM_CXFRAME);
    r.left += f;
    r.right -= f;
    r.bottom -= f;
    r.top = f + CaptionHeightOfStyle();
    return r;
}

RECT TSkCustomForm::GetClientBounds()
{
    const RECT r = GetFrameClientRect();
    return RECT{0, 0, r.right - r.left, r.bottom - r.top};
}

void TSkCustomForm::GetButtonRect(TSkBorderIcon index, RECT& rect)
{
    rect = RECT{};
    if (!borderIcons_.Contains(index) || borderStyle_ == kbsNone)
        return;
    const bool themes = ThemesActive();
    const RECT client = GetFrameClientRect();
    RECT band{client.left, GetMetric(SM_CXFRAME) + 1, client.right, client.top};
    if (themes)
        --band.top;
    const int h = band.bottom - band.top;
    if (index == kbiSystemMenu) {
        rect = RECT{band.left, band.top, band.left + h, band.bottom};
        return;
    }
    const int boxWidth = themes ? h - 4 : h - 2;
    const int boxHeight = h - 4;
    const int y = band.top + 2;
    int x = band.right - 2 - boxWidth;
    if (themes && borderStyle_ == kbsToolWindow)
        x += 2;
    auto place = [&](TSkBorderIcon which) {
        if (which == index)
            rect = RECT{x, y, x + boxWidth, y + boxHeight};
        return which == index;
    };
    const bool minimized = windowState_ == kwsMinimized;
    if (borderIcons_.Contains(kbiClose)) {
        if (place(kbiClose))
            return;
        x -= boxWidth + 2;
    }
    if (borderStyle_ == kbsToolWindow)
        return;
    const int step = boxWidth + (themes ? 2 : 0);
    if (borderIcons_.Contains(kbiMaximize) && !minimized) {
        if (place(kbiMaximize))
            return;
        x -= step;
    }
    if (borderIcons_.Contains(kbiMinimize)) {
        if (place(kbiMinimize))
            return;
        x -= step;
    }
    if (borderIcons_.Contains(kbiRollup) && !minimized) {
        if (themes)
            return;  // no roll-up button in the themed look, nor anything after it
        x -= 2;
        if (place(kbiRollup))
            return;
        x -= step;
    }
    if (borderIcons_.Contains(kbiTray) && !minimized) {
        if (themes)
            return;
        if (place(kbiTray))
            return;
        x -= step;
    }
    if (borderIcons_.Contains(kbiHelp) && windowState_ != kwsRollup && !minimized) {
        x -= 2;
        place(kbiHelp);
    }
}

int TSkCustomForm::HitTest(int x, int y)
{
    const RECT r = GetFrameClientRect();
    const int width = frameWidth_;
    const int height = frameHeight_;
    const int b = CaptionHeightOfStyle();
    int code = khtNone;
    if (y < r.top && x < width)
        code = khtCaption;
    static constexpr std::pair<TSkBorderIcon, int> kButtons[] = {
        {kbiSystemMenu, khtSysMenu}, {kbiClose, khtClose},   {kbiMinimize, khtMinimize}, {kbiMaximize, khtMaximize},
        {kbiHelp, khtHelp},          {kbiRollup, khtRollup}, {kbiTray, khtTray}};
    const POINT p{x, y};
    for (const auto& [icon, buttonCode] : kButtons) {
        RECT br;
        GetButtonRect(icon, br);
        if (PtInRect(&br, p))
            code = buttonCode;
    }
    if (windowState_ == kwsMaximized || windowState_ == kwsMinimized || windowState_ == kwsRollup)
        return code;
    auto byX = [&](int left, int right, int middle) {
        return x < kCornerBand ? left : (x > width - kCornerBand ? right : middle);
    };
    auto byY = [&](int top, int bottom, int middle) {
        return y < kCornerBand ? top : (y > height - kCornerBand ? bottom : middle);
    };
    if (y < r.top - b)
        code = byX(khtTopLeft, khtTopRight, khtTop);
    if (r.bottom < y && y < height)
        code = byX(khtBottomLeft, khtBottomRight, khtBottom);
    if (x < r.left)
        code = byY(khtTopLeft, khtBottomLeft, khtLeft);
    if (r.right < x && x < width)
        code = byY(khtTopRight, khtBottomRight, khtRight);
    if (TSkCustomStatusBar* bar = FindStatusBar()) {
        const RECT grip = bar->GetSizeGripRect();
        const POINT topLeft = ScreenToWindow(bar->ClientToScreen(POINT{grip.left, grip.top}));
        const POINT bottomRight = ScreenToWindow(bar->ClientToScreen(POINT{grip.right, grip.bottom}));
        const RECT inWindow{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        if (PtInRect(&inWindow, p))
            code = khtBottomRight;
    }
    return code;
}

TSkCustomStatusBar* TSkCustomForm::FindStatusBar()
{
    auto* owner = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!owner)
        return nullptr;
    for (int i = 0; i < owner->ControlCount(); ++i) {
        auto* bar = dynamic_cast<TSkCustomStatusBar*>(owner->Controls(i));
        if (bar && bar->SizeGripActive())
            return bar;
    }
    return nullptr;
}

RECT TSkCustomForm::GetWorkArea()
{
    if (IsMDIChild(OwnerForm()))
        return MDIClientArea();
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()); control && control->Parent()) {
        RECT r{};
        ::GetClientRect(control->Parent()->Handle(), &r);
        return r;
    }
    RECT r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

POINT TSkCustomForm::ScreenToWindow(POINT p)
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control || !control->HandleAllocated())
        return p;
    RECT w{};
    GetWindowRect(control->Handle(), &w);
    return POINT{p.x - w.left, p.y - w.top};
}

RECT TSkCustomForm::GetRollupRect()
{
    const RECT client = GetFrameClientRect();
    const int height = client.top + (frameHeight_ - client.bottom) + ShadowSize();
    vcl::TCustomForm* form = OwnerForm();
    const int left = form ? form->Left() : 0;
    const int top = form ? form->Top() : 0;
    return RECT{left, top, left + fullWidth_, top + height};
}

RECT TSkCustomForm::GetMinimizedRect()
{
    const RECT client = GetFrameClientRect();
    const int height = client.top + (frameHeight_ - client.bottom);
    const RECT work = GetWorkArea();
    return RECT{0, work.bottom - height, GetMetric(SM_CXMINIMIZED), work.bottom};
}

RECT TSkCustomForm::GetMaximizedRect()
{
    vcl::TCustomForm* form = OwnerForm();
    if (IsMDIChild(form))
        return MDIClientArea();
    RECT r{};
    if (stayOnTop_)
        r = RECT{0, 0, 10000, 10000};
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    if (form) {
        const RECT monitor = form->Monitor()->BoundsRect();
        IntersectRect(&r, &r, &monitor);
    }
    // The border lies outside the visible area.
    const int border = GetFrameClientRect().left;
    InflateRect(&r, border, border);
    return r;
}

POINT TSkCustomForm::GetMaxTrackSize()
{
    const RECT m = GetMaximizedRect();
    POINT size{m.right - m.left, m.bottom - m.top};
    if (constraints_->MaxWidth() != 0)
        size.x = constraints_->MaxWidth();
    if (constraints_->MaxHeight() != 0)
        size.y = constraints_->MaxHeight();
    return size;
}

POINT TSkCustomForm::GetMinTrackSize()
{
    POINT size{kMinTrackWidth, kMinTrackHeight};
    if (constraints_->MinWidth() != 0)
        size.x = constraints_->MinWidth();
    if (constraints_->MinHeight() != 0)
        size.y = constraints_->MinHeight();
    return size;
}

HRGN TSkCustomForm::CreateRegion()
{
    const RECT whole{0, 0, frameWidth_, frameHeight_};
    const TThemeApi& api = ThemeApi();
    if (ThemesActive() && borderStyle_ != kbsNone && api.OpenThemeData && api.GetThemeBackgroundRegion) {
        auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
        if (HTHEME theme = api.OpenThemeData(control ? control->Handle() : nullptr, u"Window")) {
            HRGN region = nullptr;
            const int part = borderStyle_ == kbsToolWindow ? kWpSmallCaption : kWpCaption;
            api.GetThemeBackgroundRegion(theme, FormCanvas()->Handle(), part, 1, &whole, &region);
            api.CloseThemeData(theme);
            if (region)
                return region;
        }
    }
    return CreateRectRgn(whole.left, whole.top, whole.right, whole.bottom);
}

HRGN TSkCustomForm::CreateFrameRegion()
{
    HRGN region = CreateRegion();
    if (const int s = ShadowSize(); s > 0) {
        HRGN moved = CreateRegion();
        OffsetRgn(moved, s, s);
        CombineRgn(region, region, moved, RGN_OR);
        DeleteObject(moved);
    }
    return region;
}

void TSkCustomForm::UpdateRegion()
{
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control)
        return;
    if (performance_ == ksfpPersistentBuffer) {
        if (!persistentBuffer_)
            persistentBuffer_ = new TSkBitmap();
        persistentBuffer_->SetSize(fullWidth_, fullHeight_);
    }
    DisableFramePaint();
    try {
        SetWindowRgn(control->Handle(), CreateFrameRegion(), TRUE);
    } catch (...) {
        EnableFramePaint();
        throw;
    }
    EnableFramePaint();
    OnResize(this);
}

}  // namespace skin
