#include "skin/graphics/sk_canvas.h"

#include <algorithm>

namespace skin {

RECT CenterRect(const RECT& r, const RECT& bounds)
{
    RECT out = r;
    const int dx = bounds.left - r.left + (RectWidth(bounds) - RectWidth(r)) / 2;
    const int dy = bounds.top - r.top + (RectHeight(bounds) - RectHeight(r)) / 2;
    out.left += dx;
    out.right += dx;
    out.top += dy;
    out.bottom += dy;
    return out;
}

RECT CenterRectVert(const RECT& r, const RECT& bounds)
{
    const int w = RectWidth(r), h = RectHeight(r);
    const int top = bounds.top + (RectHeight(bounds) - h) / 2;
    return RECT{bounds.left, top, bounds.left + w, top + h};
}

void FillRectColor(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor color)
{
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(rect);
}

void FillRectCoords(vcl::TCanvas* canvas, int l, int t, int r, int b, vcl::TColor color)
{
    FillRectColor(canvas, RECT{l, t, r, b}, color);
}

void FrameRectColor(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor color)
{
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetColor(color);
    canvas->Rectangle(rect);
}

void FrameRectCoords(vcl::TCanvas* canvas, int l, int t, int r, int b, vcl::TColor color)
{
    FrameRectColor(canvas, RECT{l, t, r, b}, color);
}

void FillRoundRectColor(vcl::TCanvas* canvas, const RECT& rect, int radius, vcl::TColor color)
{
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetColor(color);
    canvas->RoundRect(rect.left, rect.top, rect.right, rect.bottom, radius, radius);
}

void DrawFocusRectColor(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor color)
{
    canvas->Brush()->SetStyle(vcl::bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->DrawFocusRect(rect);
}

void DrawEdgeLines(vcl::TCanvas* canvas, const RECT& r, vcl::TColor topLeft, vcl::TColor bottomRight)
{
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetColor(topLeft);
    canvas->MoveTo(r.left, r.bottom - 2);
    canvas->LineTo(r.left, r.top);
    canvas->LineTo(r.right - 1, r.top);
    canvas->Pen()->SetColor(bottomRight);
    canvas->LineTo(r.right - 1, r.bottom - 1);
    canvas->LineTo(r.left - 1, r.bottom - 1);
}

const vcl::TEnumInfo kBevelSideInfo{"TSkBevelSide", {"kbsLeft", "kbsTop", "kbsRight", "kbsBottom"}};

void DrawBevelRings(vcl::TCanvas* canvas, RECT& r, TSkBevelSides sides, vcl::TColor bottomRight, vcl::TColor topLeft,
                    int count)
{
    canvas->Pen()->SetStyle(vcl::psSolid);
    for (int i = 0; i < count && !RectIsEmpty(r); ++i) {
        canvas->Pen()->SetColor(topLeft);
        if (sides.Contains(kbsLeft)) {
            canvas->MoveTo(r.left, r.top);
            canvas->LineTo(r.left, r.bottom);
        }
        if (sides.Contains(kbsTop)) {
            canvas->MoveTo(r.left, r.top);
            canvas->LineTo(r.right, r.top);
        }
        canvas->Pen()->SetColor(bottomRight);
        if (sides.Contains(kbsBottom)) {
            canvas->MoveTo(r.left, r.bottom - 1);
            canvas->LineTo(r.right, r.bottom - 1);
        }
        if (sides.Contains(kbsRight)) {
            canvas->MoveTo(r.right - 1, r.top);
            canvas->LineTo(r.right - 1, r.bottom);
        }
        if (sides.Contains(kbsLeft))
            ++r.left;
        if (sides.Contains(kbsTop))
            ++r.top;
        if (sides.Contains(kbsRight))
            --r.right;
        if (sides.Contains(kbsBottom))
            --r.bottom;
    }
}

void LineToColor(vcl::TCanvas* canvas, int x, int y, vcl::TColor color)
{
    canvas->Pen()->SetStyle(vcl::psSolid);
    canvas->Pen()->SetColor(color);
    canvas->LineTo(x, y);
}

void FillGradient(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor from, bool vertical, vcl::TColor to)
{
    if (RectIsEmpty(rect))
        return;
    const int width = RectWidth(rect), height = RectHeight(rect);
    int steps = (vertical || width > 254) ? 255 : width;
    if (vertical && height < steps)
        steps = height;
    const COLORREF a = vcl::ColorToRGB(from), b = vcl::ColorToRGB(to);
    const int fr = GetRValue(a), fg = GetGValue(a), fb = GetBValue(a);
    const int tr = GetRValue(b), tg = GetGValue(b), tb = GetBValue(b);
    const int length = vertical ? height : width;
    auto channel = [steps](int k, int f, int t) {
        return static_cast<int>(vcl::Round((static_cast<double>(k) * (t - f) * 255 / steps + f * 255.0) / 255));
    };
    for (int k = 0; k <= steps; ++k) {
        int start = vcl::MulDiv(k, length, steps), end = vcl::MulDiv(k + 1, length, steps);
        start = std::min(start, length);
        end = std::min(end, length);
        if (end <= start)
            continue;
        const vcl::TColor c = static_cast<vcl::TColor>(RGB(std::clamp(channel(k, fr, tr), 0, 255),
                                                           std::clamp(channel(k, fg, tg), 0, 255),
                                                           std::clamp(channel(k, fb, tb), 0, 255)));
        const RECT band = vertical ? RECT{rect.left, rect.top + start, rect.right, rect.top + end}
                                   : RECT{rect.left + start, rect.top, rect.left + end, rect.bottom};
        FillRectColor(canvas, band, c);
    }
}

void FillPattern(vcl::TCanvas* canvas, RECT rect, vcl::TColor color1, vcl::TColor color2)
{
    rect.left = std::max<LONG>(rect.left, 0);
    rect.top = std::max<LONG>(rect.top, 0);
    if (RectIsEmpty(rect))
        return;
    vcl::TBitmap pattern;
    pattern.SetSize(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.Canvas()->SetPixel(x, y, (x % 2) == (y % 2) ? color2 : color1);
    canvas->Brush()->SetBitmap(&pattern);
    canvas->FillRect(rect);
    canvas->Brush()->SetBitmap(nullptr);
}

void DrawIconCentered(vcl::TCanvas* canvas, const RECT& rect, HICON icon)
{
    if (!icon)
        return;
    const RECT square = CenterRect(RECT{0, 0, 16, 16}, rect);
    DrawIconEx(canvas->Handle(), square.left, square.top, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace skin
