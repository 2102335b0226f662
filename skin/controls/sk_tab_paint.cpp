// Painting of the tab control: background, frame, tabs in row order, and the
// two scroll buttons of a single row.

#include "skin/controls/sk_tab_control.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

constexpr int kTabItemPart = 1, kPanePart = 9;
constexpr int kArrowButtonPart = 1;
constexpr int kArrowLeftNormal = 9, kArrowRightNormal = 13;
constexpr int kMinTextLength = 8;

bool DrawTheme(const char16_t* classList, HDC dc, int part, int state, const RECT& r)
{
    HTHEME theme = ThemeApi().OpenThemeData(nullptr, classList);
    if (!theme)
        return false;
    ThemeApi().DrawThemeBackground(theme, dc, part, state, &r, nullptr);
    ThemeApi().CloseThemeData(theme);
    return true;
}

void Line(vcl::TCanvas* canvas, int x0, int y0, int x1, int y1, vcl::TColor color)
{
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetColor(color);
    canvas->MoveTo(x0, y0);
    canvas->LineTo(x1, y1);
}

}  // namespace

void TSkCustomTabControl::PaintBackground()
{
    if (ComponentState().Contains(vcl::csDesigning) || !Transparent()) {
        TSkCustomControl::PaintClient();
        return;
    }
    HDC dc = Canvas()->Handle();
    const RECT client = DisplayRect();
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    CopyParentBackground(dc);
    RestoreDC(dc, saved);
}

void TSkCustomTabControl::PaintClient()
{
    if (!tabs_)
        return;
    PaintBackground();
    PaintTabs(false);
    PaintFrame();
    PaintTabs(true);
    if (ScrollButtonsShown()) {
        PaintLeftButton();
        PaintRightButton();
    }
}

void TSkCustomTabControl::RefreshTabs()
{
    if (!tabs_ || !Parent() || !HandleAllocated())
        return;
    if (ComponentState().Contains(vcl::csDesigning) || Performance() != kspNoBuffer) {
        Invalidate();
        return;
    }
    RECT strip{};
    for (int i = 0; i < tabs_->Count(); ++i) {
        const RECT r = GetTabRect(i);
        UnionRect(&strip, &strip, &r);
    }
    if (RectIsEmpty(strip))
        return;
    if (tabPosition_ == tpTop || tabPosition_ == tpBottom) {
        strip.top -= 2;
        strip.bottom += 2;
        strip.left = 0;
        strip.right = Width();
    } else {
        strip.left -= 2;
        strip.right += 2;
        strip.top = 0;
        strip.bottom = Height();
    }
    InvalidateArea(strip);
}

void TSkCustomTabControl::PaintTabs(bool selected)
{
    Canvas()->Font()->Assign(Font());
    LayoutRows();
    const int count = tabs_->Count();
    if (selected) {
        if (tabIndex_ >= 0 && tabIndex_ < count)
            DrawTab(tabIndex_);
        return;
    }
    auto drawRow = [&](int row) {
        const int first = row == 0 ? 0 : rows_[static_cast<size_t>(row - 1)].last + 1;
        const int last = rows_[static_cast<size_t>(row)].last;
        for (int i = first; i <= last && i < count; ++i)
            if (i != tabIndex_)
                DrawTab(i);
    };
    if (rowCount_ > 1) {
        const int sel = SelectedRow();
        if (scrollOpposite_) {
            for (int r = rowCount_ - 1; r >= sel; --r)
                drawRow(r);
            for (int r = 0; r < sel; ++r)
                drawRow(r);
        } else {
            for (int r = sel - 1; r >= 0; --r)
                drawRow(r);
            for (int r = rowCount_ - 1; r >= sel; --r)
                drawRow(r);
        }
        return;
    }
    const int last = LastVisibleTab();
    for (int i = firstVisible_; i <= last && i < count; ++i)
        if (i != tabIndex_)
            DrawTab(i);
}

void TSkCustomTabControl::DrawTab(int index)
{
    const RECT rect = GetTabRect(index);
    const TTabPosition side = TabSide(index);
    if (ownerDraw_) {
        DoDrawTab(index, rect, index == tabIndex_);
        return;
    }
    DrawTabFace(index, side, rect);
    RECT text = rect;
    TSkCustomTabSheet* page = PageOfTab(index);
    if (usePages_ && images_ && page && page->ImageIndex() >= 0 && page->PageIndex() < images_->Count()) {
        DrawTabImage(index, side, rect);
        const int th = CalcTabHeight();
        switch (side) {
        case tpTop:
        case tpBottom: text.left += th; break;
        case tpLeft: text.bottom -= th; break;
        case tpRight: text.top += th; break;
        }
    }
    const bool horizontal = side == tpTop || side == tpBottom;
    if ((horizontal ? RectWidth(text) : RectHeight(text)) > kMinTextLength)
        DrawTabText(index, side, text);
}

void TSkCustomTabControl::DrawTabFace(int index, TTabPosition side, const RECT& rect)
{
    vcl::TCanvas* canvas = Canvas();
    const bool active = index == tabIndex_;
    RECT r = rect;
    if (ThemesActive()) {
        if (!active) {
            switch (side) {
            case tpTop: r.top += 2; break;
            case tpBottom: r.bottom -= 2; break;
            case tpLeft: r.left += 2; break;
            case tpRight: r.right -= 2; break;
            }
        }
        if (index == 0 && (side == tpTop || side == tpBottom))
            r.left = 0;
        const int state = !Enabled() ? 4 : active ? 3 : index == trackedTab_ ? 2 : 1;
        DrawTheme(u"Tab", canvas->Handle(), kTabItemPart, state, r);
        return;
    }
    if (active) {
        switch (side) {
        case tpTop: r = RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom}; break;
        case tpBottom: r = RECT{r.left - 2, r.top, r.right + 2, r.bottom + 2}; break;
        case tpLeft: r = RECT{r.left - 2, r.top - 2, r.right, r.bottom + 2}; break;
        case tpRight: r = RECT{r.left, r.top - 2, r.right + 2, r.bottom + 2}; break;
        }
    }
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    canvas->Brush()->SetColor(vcl::clBtnFace);
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->Pen()->SetColor(vcl::clBtnFace);
    canvas->Pen()->SetStyle(vcl::psSolid);
    switch (side) {
    case tpTop: canvas->RoundRect(L + 1, T + 1, R - 1, B, 4, 4); FillRectCoords(canvas, L + 1, T + 2, R - 1, B, vcl::clBtnFace); break;
    case tpBottom: canvas->RoundRect(L + 1, T, R - 1, B - 1, 4, 4); FillRectCoords(canvas, L + 1, T, R - 1, B - 2, vcl::clBtnFace); break;
    case tpLeft: canvas->RoundRect(L + 1, T + 1, R, B - 1, 4, 4); FillRectCoords(canvas, L + 2, T + 1, R, B - 1, vcl::clBtnFace); break;
    case tpRight: canvas->RoundRect(L, T + 1, R - 1, B - 1, 4, 4); FillRectCoords(canvas, L, T + 1, R - 2, B - 1, vcl::clBtnFace); break;
    }
    if (active && HasFocus())
        DrawFocusRectColor(canvas,
                           RECT{L + LeftMargin() + 1, T + TopMargin() + 1, R - LeftMargin() - 1, B - TopMargin() - 1},
                           vcl::clBtnShadow);
    const vcl::TColor hi = vcl::clBtnHighlight, dark = vcl::cl3DDkShadow, shadow = vcl::clBtnShadow;
    switch (side) {
    case tpTop:
        Line(canvas, L + 3, T, R - 3, T, hi);
        Line(canvas, L, T + 3, L, B - 1, hi);
        Line(canvas, R - 1, T + 3, R - 1, B - 1, dark);
        Line(canvas, R - 2, T + 3, R - 2, B - 1, shadow);
        Line(canvas, L, T + 2, L + 3, T - 1, hi);
        Line(canvas, R - 3, T, R - 2, T + 1, hi);
        Line(canvas, R - 2, T + 1, R, T + 3, dark);
        Line(canvas, R - 2, T + 2, R - 1, T + 2, shadow);
        break;
    case tpBottom:
        Line(canvas, L + 3, B - 1, R - 3, B - 1, dark);
        Line(canvas, L + 3, B - 2, R - 3, B - 2, shadow);
        Line(canvas, L, T, L, B - 3, hi);
        Line(canvas, R - 1, T, R - 1, B - 3, dark);
        Line(canvas, R - 2, T, R - 2, B - 3, shadow);
        Line(canvas, L, B - 3, L + 3, B, hi);
        Line(canvas, R - 1, B - 3, R - 4, B, dark);
        break;
    case tpLeft:
        Line(canvas, L, T + 3, L, B - 3, hi);
        Line(canvas, L + 3, T, R, T, hi);
        Line(canvas, L + 3, B - 1, R, B - 1, dark);
        Line(canvas, L + 3, B - 2, R, B - 2, shadow);
        Line(canvas, L, T + 3, L + 3, T, hi);
        Line(canvas, L, B - 4, L + 3, B - 1, dark);
        break;
    case tpRight:
        Line(canvas, R - 1, T + 3, R - 1, B - 3, dark);
        Line(canvas, R - 2, T + 3, R - 2, B - 3, shadow);
        Line(canvas, L, T, R - 3, T, hi);
        Line(canvas, L, B - 1, R - 3, B - 1, dark);
        Line(canvas, L, B - 2, R - 3, B - 2, shadow);
        Line(canvas, R - 3, T, R, T + 3, dark);
        Line(canvas, R - 4, B - 1, R - 1, B - 4, dark);
        break;
    }
}

void TSkCustomTabControl::DrawTabImage(int index, TTabPosition side, const RECT& rect)
{
    TSkCustomTabSheet* page = PageOfTab(index);
    if (!images_ || !page)
        return;
    RECT r = rect;
    if (index == tabIndex_)
        InflateRect(&r, 1, 1);
    InflateRect(&r, -3, -3);
    const int th = CalcTabHeight();
    int x = r.left, y = r.top;
    if (side == tpLeft)
        y = r.bottom - th;
    else if (side == tpRight)
        x = r.right - th;
    images_->Draw(Canvas(), x, y, page->ImageIndex(), Enabled());
}

void TSkCustomTabControl::DrawTabText(int index, TTabPosition side, const RECT& rect)
{
    vcl::TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    if (hotTrack_ && index == trackedTab_)
        canvas->Font()->SetColor(vcl::clHighlight);
    const int th = CalcTabHeight();
    RECT band = rect;
    const bool active = index == tabIndex_;
    switch (side) {
    case tpTop:
        band.bottom = band.top + th;
        if (!active)
            OffsetRect(&band, 0, 1);
        break;
    case tpBottom: band.top = band.bottom - th; break;
    case tpLeft: band.right = band.left + th; break;
    case tpRight: band.left = band.right - th; break;
    }
    const vcl::WideString text = vcl::AnsiToWide(tabs_->Strings(index));
    const UINT format = DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (side == tpTop || side == tpBottom)
        SkDrawText(canvas, text, band, format);
    else
        DrawRotatedText(canvas, text, band, side == tpRight, format);
}

void TSkCustomTabControl::PaintFrame()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r = FrameRect();
    if (ThemesActive()) {
        DrawTheme(u"Tab", canvas->Handle(), kPanePart, 1, r);
        return;
    }
    FillRectColor(canvas, r, vcl::clBtnFace);
    DrawEdgeLines(canvas, r, vcl::clBtnHighlight, vcl::cl3DDkShadow);
    InflateRect(&r, -1, -1);
    DrawEdgeLines(canvas, r, vcl::clBtnFace, vcl::clBtnShadow);
}

void TSkCustomTabControl::PaintLeftButton()
{
    RECT r = LeftButtonRect();
    if (ThemesActive()) {
        const int state = !Enabled() ? 3 : leftPressed_ && leftHover_ ? 2 : leftHover_ ? 1 : 0;
        DrawTheme(u"ScrollBar", Canvas()->Handle(), kArrowButtonPart, kArrowLeftNormal + state, r);
        return;
    }
    DrawFrameControl(Canvas()->Handle(), &r, DFC_SCROLL,
                     DFCS_SCROLLLEFT | (leftPressed_ && leftHover_ ? DFCS_PUSHED : 0));
}

void TSkCustomTabControl::PaintRightButton()
{
    RECT r = RightButtonRect();
    if (ThemesActive()) {
        const int state = !Enabled() ? 3 : rightPressed_ && rightHover_ ? 2 : rightHover_ ? 1 : 0;
        DrawTheme(u"ScrollBar", Canvas()->Handle(), kArrowButtonPart, kArrowRightNormal + state, r);
        return;
    }
    DrawFrameControl(Canvas()->Handle(), &r, DFC_SCROLL,
                     DFCS_SCROLLRIGHT | (rightPressed_ && rightHover_ ? DFCS_PUSHED : 0));
}

}  // namespace skin
