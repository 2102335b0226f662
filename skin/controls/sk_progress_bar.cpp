#include "skin/controls/sk_progress_bar.h"

#include <algorithm>

#include "skin/graphics/sk_theme.h"

namespace skin {

const vcl::TEnumInfo kBarOrientationInfo{"TSkBarOrientation", {"kboHorizontal", "kboVertical"}};

namespace {

constexpr int kBarPart = 1, kVertBarPart = 2, kChunkPart = 3, kVertChunkPart = 4;
constexpr double kLeastFraction = 0.01;

void DrawThemePart(HDC dc, int part, const RECT& r)
{
    HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Progress");
    if (!theme)
        return;
    ThemeApi().DrawThemeBackground(theme, dc, part, 1, &r, nullptr);
    ThemeApi().CloseThemeData(theme);
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomProgressBar, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Int("Min", &TSkCustomProgressBar::Min, &TSkCustomProgressBar::SetMin, 0);
    b.Int("Max", &TSkCustomProgressBar::Max, &TSkCustomProgressBar::SetMax, 100);
    b.Int("Position", &TSkCustomProgressBar::Position, &TSkCustomProgressBar::SetPosition, 0);
    b.Enum("Orientation", &kBarOrientationInfo, &TSkCustomProgressBar::Orientation,
           &TSkCustomProgressBar::SetOrientation, std::optional<TSkBarOrientation>(kboHorizontal));
    b.Int("BorderWidth", &TSkCustomProgressBar::BarBorderWidth, &TSkCustomProgressBar::SetBarBorderWidth, 0);
    b.Bool("ShowBorder", &TSkCustomProgressBar::ShowBorder, &TSkCustomProgressBar::SetShowBorder, true);
    b.Bool("Smooth", &TSkCustomProgressBar::Smooth, &TSkCustomProgressBar::SetSmooth, false);
    b.Bool("Transparent", &TSkCustomProgressBar::Transparent, &TSkCustomProgressBar::SetTransparent, true);
})

TSkCustomProgressBar::TSkCustomProgressBar(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    SetPerformance(kspDoubleBuffer);
    SetColor(vcl::clBtnFace);
    SetTransparent(true);
    SetBounds(Left(), Top(), 140, 16);
}

void TSkCustomProgressBar::SetMin(int v)
{
    min_ = v;
    Invalidate();
}

void TSkCustomProgressBar::SetMax(int v)
{
    max_ = v;
    Invalidate();
}

float TSkCustomProgressBar::GetFraction(int position) const
{
    if (max_ <= min_)
        return 0.0f;
    const double clamped = std::clamp(position, min_, max_);
    return static_cast<float>((clamped - min_) / (static_cast<double>(max_) - min_));
}

void TSkCustomProgressBar::SetPosition(int v)
{
    if (v == position_)
        return;
    const float before = GetFraction(position_);
    position_ = v;
    if (GetFraction(v) == before)
        return;
    // Painted at once, so that a caller's long loop still shows progress;
    // other messages wait for the caller to return.
    InvalidateArea(RECT{0, 0, Width(), Height()});
    if (HandleAllocated())
        UpdateWindow(Handle());
}

void TSkCustomProgressBar::SetOrientation(TSkBarOrientation v)
{
    if (v == orientation_)
        return;
    orientation_ = v;
    Invalidate();
}

void TSkCustomProgressBar::SetBarBorderWidth(int v)
{
    if (v == barBorderWidth_)
        return;
    barBorderWidth_ = v;
    Invalidate();
}

void TSkCustomProgressBar::SetShowBorder(bool v)
{
    if (v == showBorder_)
        return;
    showBorder_ = v;
    Invalidate();
}

void TSkCustomProgressBar::SetSmooth(bool v)
{
    if (v == smooth_)
        return;
    smooth_ = v;
    Invalidate();
}

void TSkCustomProgressBar::GetBarRect(RECT& rect) const
{
    rect = RECT{0, 0, Width(), Height()};
    if (showBorder_)
        InflateRect(&rect, -2, -2);
    InflateRect(&rect, -barBorderWidth_, -barBorderWidth_);
}

void TSkCustomProgressBar::PaintClient()
{
    PaintFrame();
    PaintBar();
}

void TSkCustomProgressBar::PaintFrame()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r{0, 0, Width(), Height()};
    if (ThemesActive()) {
        if (showBorder_)
            DrawThemePart(canvas->Handle(), orientation_ == kboVertical ? kVertBarPart : kBarPart, r);
        return;
    }
    if (showBorder_) {
        DrawEdgeLines(canvas, r, vcl::clBtnShadow, vcl::clBtnHighlight);
        InflateRect(&r, -1, -1);
    }
    FillRectColor(canvas, r, Color());
}

void TSkCustomProgressBar::PaintBar()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r{};
    GetBarRect(r);
    const bool vertical = orientation_ == kboVertical;
    const int length = vertical ? RectHeight(r) : RectWidth(r);
    const float f = GetFraction(position_);
    const int filled = static_cast<int>(vcl::Round(static_cast<double>(f) * length));
    RECT bar = r;
    if (vertical)
        bar.top = bar.bottom - filled;
    else
        bar.right = bar.left + filled;
    if (ThemesActive()) {
        DrawThemePart(canvas->Handle(), vertical ? kVertChunkPart : kChunkPart, bar);
        return;
    }
    if (smooth_) {
        FillRectColor(canvas, bar, vcl::clHighlight);
        return;
    }
    const int across = vertical ? RectWidth(r) : RectHeight(r);
    const int step = static_cast<int>(vcl::Round(across * 0.64)) + 2;
    const int blocks = step > 0 ? length / step : 0;
    const int k = static_cast<int>(vcl::Round(static_cast<double>(f) * blocks));
    if (static_cast<double>(f) < kLeastFraction || k < 0)
        return;
    for (int i = 0; i <= k; ++i) {
        RECT block = vertical ? RECT{r.left, r.bottom - step + 2 - i * step, r.right, r.bottom - i * step}
                              : RECT{r.left + i * step, r.top, r.left + i * step + step - 2, r.bottom};
        IntersectRect(&block, &block, &r);
        if (!RectIsEmpty(block))
            FillRectColor(canvas, block, vcl::clHighlight);
    }
}

}  // namespace skin
