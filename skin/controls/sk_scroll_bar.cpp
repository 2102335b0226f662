#include "skin/controls/sk_scroll_bar.h"

#include <algorithm>

#include "platform/vcl/extctrls.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

// Parts of the "ScrollBar" visual-style class.
constexpr int kArrowPart = 1, kThumbHorzPart = 2, kThumbVertPart = 3, kLowerTrackHorzPart = 4,
              kUpperTrackHorzPart = 5, kLowerTrackVertPart = 6, kUpperTrackVertPart = 7;

// Draws one part of the scroll-bar style; false when no style is active.
bool DrawThemed(HDC dc, int part, int state, const RECT& r)
{
    if (!ThemesActive())
        return false;
    HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"ScrollBar");
    if (!theme)
        return false;
    ThemeApi().DrawThemeBackground(theme, dc, part, state, &r, nullptr);
    ThemeApi().CloseThemeData(theme);
    return true;
}

bool Holds(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

}  // namespace

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
    b.Message(WM_GETDLGCODE, &TSkCustomScrollBar::WMGetDlgCode);
    b.Message(vcl::CM_ENABLEDCHANGED, &TSkCustomScrollBar::CMEnabledChanged);
})

TSkCustomScrollBar::TSkCustomScrollBar(vcl::TComponent* owner) : TSkGraphicControl(owner)
{
    controlStyle_.Include(vcl::csCaptureMouse);
    SetPerformance(kspDoubleBuffer);
    SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYVTHUMB) + 2 * borderWidth_);
}

TSkCustomScrollBar::~TSkCustomScrollBar() { delete repeatTimer_; }

// ------------------------------------------------------------- properties

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

void TSkCustomScrollBar::UpdateSize()
{
    if (Vertical())
        SetWidth(ThumbMetric() + 2 * borderWidth_);
    else
        SetHeight(ThumbMetric() + 2 * borderWidth_);
}

void TSkCustomScrollBar::CMEnabledChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    Invalidate();
}

// --------------------------------------------------------------- geometry

int TSkCustomScrollBar::ThumbMetric() const { return GetSystemMetrics(SM_CYVTHUMB); }

int TSkCustomScrollBar::GetButtonSize() const
{
    const int length = (Vertical() ? Height() : Width()) - 2 * borderWidth_;
    const int s = ThumbMetric();
    return length < 2 * s ? length / 2 : s;
}

RECT TSkCustomScrollBar::GetTrackRect() const
{
    RECT r{borderWidth_, borderWidth_, Width() - borderWidth_, Height() - borderWidth_};
    if (showButtons_) {
        const int size = GetButtonSize();
        if (Vertical()) {
            r.top += size;
            r.bottom -= size;
        } else {
            r.left += size;
            r.right -= size;
        }
    }
    return r;
}

int TSkCustomScrollBar::TrackStart() const
{
    const RECT r = GetTrackRect();
    return Vertical() ? r.top : r.left;
}

int TSkCustomScrollBar::TrackLength() const
{
    const RECT r = GetTrackRect();
    return Vertical() ? RectHeight(r) : RectWidth(r);
}

RECT TSkCustomScrollBar::GetFirstButtonRect() const
{
    const int size = GetButtonSize(), bw = borderWidth_;
    return Vertical() ? RECT{bw, bw, Width() - bw, bw + size} : RECT{bw, bw, bw + size, Height() - bw};
}

RECT TSkCustomScrollBar::GetSecondButtonRect() const
{
    const int size = GetButtonSize(), bw = borderWidth_;
    return Vertical() ? RECT{bw, Height() - bw - size, Width() - bw, Height() - bw}
                      : RECT{Width() - bw - size, bw, Width() - bw, Height() - bw};
}

int TSkCustomScrollBar::GetSliderSize() const
{
    const int length = TrackLength();
    const int s = ThumbMetric();
    int candidate = s;
    if (pageSize_ > 0) {
        const double range = static_cast<double>(max_) - min_ + 1;
        candidate = static_cast<int>(vcl::Round(length * static_cast<double>(pageSize_) / range));
        candidate = std::max(candidate, (s / 3) * 2);
    }
    return candidate < length ? candidate : 0;
}

// The span of positions that the slider's free travel stands for.
int TSkCustomScrollBar::SliderRange() const
{
    long long r = static_cast<long long>(max_) - min_ - pageSize_;
    if (pageSize_ != 0)
        ++r;
    return static_cast<int>(std::clamp<long long>(r, -1, INT32_MAX));
}

int TSkCustomScrollBar::SliderOffset() const
{
    const int start = TrackStart();
    const int r = SliderRange();
    const int avail = TrackLength() - GetSliderSize();
    if (static_cast<long long>(max_) - min_ - pageSize_ + 1 <= 0 || r <= 0)
        return start;
    if (static_cast<long long>(position_) > static_cast<long long>(max_) - pageSize_ + 1)
        return start + avail;
    return start + static_cast<int>(vcl::Round((static_cast<double>(position_) - min_) * avail / r));
}

int TSkCustomScrollBar::PositionFromOffset(int offset) const
{
    const int r = SliderRange();
    const int avail = TrackLength() - GetSliderSize();
    long long p = 0;
    if (avail != 0 && r >= 1)
        p = vcl::Round(static_cast<double>(r) * (offset - TrackStart()) / avail + min_);
    p = std::max<long long>(p, min_);
    p = std::min<long long>(p, static_cast<long long>(max_) - pageSize_ + 1);
    return static_cast<int>(std::clamp<long long>(p, INT32_MIN, INT32_MAX));
}

RECT TSkCustomScrollBar::GetSliderRect() const
{
    RECT r = GetTrackRect();
    const int offset = SliderOffset(), size = GetSliderSize();
    if (Vertical()) {
        r.top = offset;
        r.bottom = offset + size;
    } else {
        r.left = offset;
        r.right = offset + size;
    }
    return r;
}

// A bar too short for its slider has no page areas either.
RECT TSkCustomScrollBar::GetFirstPageRect() const
{
    RECT r = GetTrackRect();
    const int end = GetSliderSize() > 0 ? SliderOffset() : TrackStart();
    (Vertical() ? r.bottom : r.right) = end;
    return r;
}

RECT TSkCustomScrollBar::GetSecondPageRect() const
{
    RECT r = GetTrackRect();
    const int size = GetSliderSize();
    if (size > 0)
        (Vertical() ? r.top : r.left) = SliderOffset() + size;
    else
        (Vertical() ? r.top : r.left) = Vertical() ? r.bottom : r.right;
    return r;
}

bool TSkCustomScrollBar::InFirstButton(int x, int y) const { return Holds(GetFirstButtonRect(), x, y); }
bool TSkCustomScrollBar::InSecondButton(int x, int y) const { return Holds(GetSecondButtonRect(), x, y); }
bool TSkCustomScrollBar::InSlider(int x, int y) const { return Holds(GetSliderRect(), x, y); }
bool TSkCustomScrollBar::InFirstPage(int x, int y) const { return Holds(GetFirstPageRect(), x, y); }
bool TSkCustomScrollBar::InSecondPage(int x, int y) const { return Holds(GetSecondPageRect(), x, y); }

bool TSkCustomScrollBar::SliderVisible() const
{
    return (Enabled() || ComponentState().Contains(vcl::csDesigning)) && !RectIsEmpty(GetSliderRect());
}

// --------------------------------------------------------------- painting

void TSkCustomScrollBar::PaintClient()
{
    TSkGraphicControl::PaintClient();
    PaintBorder();
    PaintTrack();
    if (showButtons_) {
        PaintFirstButton();
        PaintSecondButton();
    }
    if (!SliderVisible())
        return;
    PaintSlider();
    if (pressedFirstPage_ && hoverFirstPage_)
        PaintFirstPage();
    if (pressedSecondPage_ && hoverSecondPage_)
        PaintSecondPage();
}

void TSkCustomScrollBar::PaintBorder()
{
    if (borderWidth_ > 0)
        DrawEdgeLines(Canvas(), RECT{0, 0, Width(), Height()}, vcl::clBtnShadow, vcl::clBtnHighlight);
}

void TSkCustomScrollBar::PaintTrack()
{
    const RECT r = GetTrackRect();
    if (DrawThemed(Canvas()->Handle(), Vertical() ? kLowerTrackVertPart : kLowerTrackHorzPart, 1, r))
        return;
    FillPattern(Canvas(), r, vcl::clScrollBar, vcl::clBtnHighlight);
}

void TSkCustomScrollBar::DrawArrow(const RECT& r, bool first, bool pressed, bool hover)
{
    const bool disabled = !Enabled();
    const int base = (first ? 0 : 4) + (Vertical() ? 0 : 8);
    const int state = base + (disabled ? 4 : pressed && hover ? 3 : hover ? 2 : 1);
    if (DrawThemed(Canvas()->Handle(), kArrowPart, state, r))
        return;
    UINT flags = Vertical() ? (first ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) : (first ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT);
    if (pressed && hover)
        flags |= DFCS_PUSHED | DFCS_FLAT;
    if (disabled && !ComponentState().Contains(vcl::csDesigning))
        flags |= DFCS_INACTIVE;
    RECT box = r;
    DrawFrameControl(Canvas()->Handle(), &box, DFC_SCROLL, flags);
}

void TSkCustomScrollBar::PaintFirstButton()
{
    DrawArrow(GetFirstButtonRect(), true, pressedFirstButton_, hoverFirstButton_);
}

void TSkCustomScrollBar::PaintSecondButton()
{
    DrawArrow(GetSecondButtonRect(), false, pressedSecondButton_, hoverSecondButton_);
}

void TSkCustomScrollBar::PaintSlider()
{
    const RECT r = GetSliderRect();
    const int state = !Enabled() ? 4 : SliderHeld() ? 3 : hoverSlider_ ? 2 : 1;
    if (DrawThemed(Canvas()->Handle(), Vertical() ? kThumbVertPart : kThumbHorzPart, state, r))
        return;
    vcl::TCanvas* canvas = Canvas();
    FillRectColor(canvas, r, vcl::clBtnFace);
    if (SliderHeld()) {
        FrameRectColor(canvas, r, vcl::clBtnShadow);
        return;
    }
    DrawEdgeLines(canvas, InflatedRect(r, -1), vcl::clBtnHighlight, vcl::clBtnShadow);
    DrawEdgeLines(canvas, r, vcl::cl3DLight, vcl::cl3DDkShadow);
}

void TSkCustomScrollBar::PaintFirstPage()
{
    const RECT r = GetFirstPageRect();
    if (!DrawThemed(Canvas()->Handle(), Vertical() ? kUpperTrackVertPart : kUpperTrackHorzPart, 3, r))
        FillRectColor(Canvas(), r, vcl::cl3DDkShadow);
}

void TSkCustomScrollBar::PaintSecondPage()
{
    const RECT r = GetSecondPageRect();
    if (!DrawThemed(Canvas()->Handle(), Vertical() ? kLowerTrackVertPart : kLowerTrackHorzPart, 3, r))
        FillRectColor(Canvas(), r, vcl::cl3DDkShadow);
}

// ------------------------------------------------------------------ mouse

void TSkCustomScrollBar::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkGraphicControl::MouseDown(button, shift, x, y);
    if (button != vcl::mbLeft)
        return;
    if (InSlider(x, y)) {
        dragOffset_ = (Vertical() ? y : x) - SliderOffset();
        int p = position_;
        Scroll(kscTrack, p);
        SetPosition(p);
        Invalidate();
    }
    const bool before[4] = {pressedFirstButton_ && hoverFirstButton_, pressedSecondButton_ && hoverSecondButton_,
                            pressedFirstPage_ && hoverFirstPage_, pressedSecondPage_ && hoverSecondPage_};
    if (InFirstButton(x, y))
        pressedFirstButton_ = true;
    if (InSecondButton(x, y))
        pressedSecondButton_ = true;
    if (InFirstPage(x, y))
        pressedFirstPage_ = true;
    if (InSecondPage(x, y))
        pressedSecondPage_ = true;
    const bool after[4] = {pressedFirstButton_ && hoverFirstButton_, pressedSecondButton_ && hoverSecondButton_,
                           pressedFirstPage_ && hoverFirstPage_, pressedSecondPage_ && hoverSecondPage_};
    for (int i = 0; i < 4; ++i) {
        if (after[i] && !before[i]) {
            Invalidate();
            StartRepeat(true);
            break;
        }
    }
}

void TSkCustomScrollBar::MouseMove(vcl::TShiftState shift, int x, int y)
{
    TSkGraphicControl::MouseMove(shift, x, y);
    lastMouse_ = POINT{x, y};
    if (dragOffset_ >= 0) {
        const RECT track = GetTrackRect();
        const int lo = Vertical() ? track.top : track.left, hi = Vertical() ? track.bottom : track.right;
        const int t = std::clamp((Vertical() ? y : x) - dragOffset_, lo, std::max(lo, hi));
        int p = PositionFromOffset(t);
        Scroll(kscTrack, p);
        SetPosition(PositionFromOffset(t));
    }
    const bool was[5] = {hoverSlider_, hoverFirstButton_, hoverSecondButton_, hoverFirstPage_, hoverSecondPage_};
    hoverSlider_ = InSlider(x, y);
    hoverFirstButton_ = showButtons_ && InFirstButton(x, y);
    hoverSecondButton_ = showButtons_ && InSecondButton(x, y);
    hoverFirstPage_ = InFirstPage(x, y);
    hoverSecondPage_ = InSecondPage(x, y);
    const bool now[5] = {hoverSlider_, hoverFirstButton_, hoverSecondButton_, hoverFirstPage_, hoverSecondPage_};
    if (!std::equal(std::begin(was), std::end(was), std::begin(now)))
        Invalidate();
}

void TSkCustomScrollBar::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    if (button == vcl::mbLeft) {
        int p = position_;
        if (dragOffset_ >= 0) {
            Scroll(kscPosition, p);
            SetPosition(p);
        }
        dragOffset_ = -1;
        pressedFirstButton_ = pressedSecondButton_ = pressedFirstPage_ = pressedSecondPage_ = false;
        if (repeatTimer_)
            repeatTimer_->SetEnabled(false);
        p = position_;
        Scroll(kscEndScroll, p);
        SetPosition(p);
        Invalidate();
    }
    TSkGraphicControl::MouseUp(button, shift, x, y);
}

void TSkCustomScrollBar::MouseLeave()
{
    TSkGraphicControl::MouseLeave();
    const bool any = hoverSlider_ || hoverFirstButton_ || hoverSecondButton_ || hoverFirstPage_ || hoverSecondPage_;
    hoverSlider_ = hoverFirstButton_ = hoverSecondButton_ = hoverFirstPage_ = hoverSecondPage_ = false;
    if (any)
        Invalidate();
}

// ----------------------------------------------------------------- repeat

bool TSkCustomScrollBar::Repeating() const { return repeatTimer_ && repeatTimer_->Enabled(); }

void TSkCustomScrollBar::SetAutoScrollMin(bool on)
{
    if (autoScrollMin_ == on)
        return;
    autoScrollMin_ = on;
    if (on) {
        autoScrollMax_ = false;
        StartRepeat(false);
    } else {
        StopRepeat();
    }
}

void TSkCustomScrollBar::SetAutoScrollMax(bool on)
{
    if (autoScrollMax_ == on)
        return;
    autoScrollMax_ = on;
    if (on) {
        autoScrollMin_ = false;
        StartRepeat(false);
    } else {
        StopRepeat();
    }
}

void TSkCustomScrollBar::StartRepeat(bool immediate)
{
    if (!repeatTimer_) {
        repeatTimer_ = new vcl::TTimer(nullptr);
        repeatTimer_->SetEnabled(false);
        repeatTimer_->OnTimer = [this](vcl::TObject* sender) { RepeatTick(sender); };
    }
    if (immediate) {
        RepeatTick(repeatTimer_);
        repeatTimer_->SetInterval(static_cast<unsigned>(KeyRepeatDelay()));
    } else {
        repeatTimer_->SetInterval(static_cast<unsigned>(KeyRepeatInterval()));
    }
    repeatTimer_->SetEnabled(true);
}

void TSkCustomScrollBar::StopRepeat()
{
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

// Re-tests both page areas at the last mouse point, since the slider moves
// under a held mouse; answers whether either changed.
bool TSkCustomScrollBar::UpdatePageHover()
{
    const bool first = InFirstPage(lastMouse_.x, lastMouse_.y);
    const bool changed = first != hoverFirstPage_;
    hoverFirstPage_ = first;
    return changed;
}

void TSkCustomScrollBar::RepeatTick(vcl::TObject*)
{
    try {
        repeatTimer_->SetInterval(static_cast<unsigned>(KeyRepeatInterval()));
        if ((pressedFirstButton_ && hoverFirstButton_) || autoScrollMin_) {
            LineStep(false);
        } else if ((pressedSecondButton_ && hoverSecondButton_) || autoScrollMax_) {
            LineStep(true);
        } else {
            bool changed = UpdatePageHover();
            if (pressedFirstPage_ && hoverFirstPage_) {
                PageStep(false);
            } else {
                const bool second = InSecondPage(lastMouse_.x, lastMouse_.y);
                changed = changed || second != hoverSecondPage_;
                hoverSecondPage_ = second;
                if (pressedSecondPage_ && hoverSecondPage_)
                    PageStep(true);
            }
            if (changed)
                Invalidate();
        }
    } catch (...) {
        repeatTimer_->SetEnabled(false);
    }
}

void TSkCustomScrollBar::Step(int value, TSkScrollCode code)
{
    int p = std::clamp(value, min_, max_);
    Scroll(code, p);
    SetPosition(p);
}

void TSkCustomScrollBar::PageStep(bool forward)
{
    const long long page = pageSize_ >= 1 ? pageSize_ : largeChange_;
    const long long v = static_cast<long long>(position_) + (forward ? page : -page);
    Step(static_cast<int>(std::clamp<long long>(v, min_, max_)), forward ? kscPageDown : kscPageUp);
}

void TSkCustomScrollBar::LineStep(bool forward)
{
    const long long v = static_cast<long long>(position_) + (forward ? smallChange_ : -smallChange_);
    Step(static_cast<int>(std::clamp<long long>(v, min_, max_)), forward ? kscLineDown : kscLineUp);
    if (!forward && position_ <= min_ && autoScrollMin_)
        SetAutoScrollMin(false);
    if (forward && position_ >= max_ && autoScrollMax_)
        SetAutoScrollMax(false);
}

}  // namespace skin
