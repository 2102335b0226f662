#include "skin/controls/sk_scroll_bar.h"

#include <algorithm>

namespace skin {

VCL_IMPLEMENT_CLASS(TSkCustomScrollBar, TSkGraphicControl, [](auto& b) {
    b.Component();
    b.Enum("Kind", &vcl::kScrollBarKindInfo, &TSkCustomScrollBar::Kind, &TSkCustomScrollBar::SetKind,
           std::optional<vcl::TScrollBarKind>(vcl::sbHorizontal));
    b.Int("Min", &TSkCustomScrollBar::Min, &TSkCustomScrollBar::SetMin, 0);
    b.Int("Max", &TSkCustomScrollBar::Max, &TSkCustomScrollBar::SetMax, 100);
    b.Int("PageSize", &TSkCustomScrollBar::PageSize, &TSkCustomScrollBar::SetPageSize, 0);
    b.Int("Position", &TSkCustomScrollBar::Position, &TSkCustomScrollBar::SetPosition, 0);
    b.Int("SmallChange", &TSkCustomScrollBar::SmallChangeValue, &TSkCustomScrollBar::SetSmallChangeValue, 1);
    b.Int("LargeChange", &TSkCustomScrollBar::LargeChangeValue, &TSkCustomScrollBar::SetLargeChangeValue, 1);
    b.Bool("ShowButtons", &TSkCustomScrollBar::ShowButtons, &TSkCustomScrollBar::SetShowButtons, true);
    b.Int("BorderWidth", &TSkCustomScrollBar::BorderWidth, &TSkCustomScrollBar::SetBorderWidth, 1);
    b.Event("OnChange", &TSkCustomScrollBar::OnChange);
    b.Event("OnScroll", &TSkCustomScrollBar::OnScroll);
})

TSkCustomScrollBar::TSkCustomScrollBar(vcl::TComponent* owner) : TSkGraphicControl(owner)
{
    controlStyle_.Include(vcl::csCaptureMouse);
    SetPerformance(kspDoubleBuffer);
    SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYVTHUMB) + 2 * borderWidth_);
}

void TSkCustomScrollBar::SetKind(vcl::TScrollBarKind v)
{
    if (kind_ == v)
        return;
    kind_ = v;
    if (ComponentState().Contains(vcl::csDesigning) &&
        ((kind_ == vcl::sbHorizontal && Height() > Width()) || (kind_ == vcl::sbVertical && Width() > Height())))
        SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TSkCustomScrollBar::SetMin(int v)
{
    if (min_ == v)
        return;
    min_ = std::min(v, max_);
    if (position_ < min_)
        SetPosition(min_);
    pageSize_ = std::min<long long>(pageSize_, static_cast<long long>(max_) - min_ + 1);
    Invalidate();
}

void TSkCustomScrollBar::SetMax(int v)
{
    if (max_ == v)
        return;
    max_ = std::max(v, min_);
    if (position_ > max_)
        SetPosition(max_);
    pageSize_ = std::min<long long>(pageSize_, static_cast<long long>(max_) - min_ + 1);
    Invalidate();
}

void TSkCustomScrollBar::SetPageSize(int v)
{
    if (v == pageSize_ || v < 0)
        return;
    pageSize_ = std::min<long long>(v, static_cast<long long>(max_) - min_ + 1);
    Invalidate();
}

void TSkCustomScrollBar::SetPosition(int v)
{
    if (v == position_)
        return;
    position_ = std::clamp(v, min_, max_);
    Invalidate();
    Change();
}

void TSkCustomScrollBar::SetShowButtons(bool v)
{
    if (showButtons_ == v)
        return;
    showButtons_ = v;
    Invalidate();
}

void TSkCustomScrollBar::SetBorderWidth(int v)
{
    if (borderWidth_ == v)
        return;
    borderWidth_ = v;
    Invalidate();
}

}  // namespace skin
