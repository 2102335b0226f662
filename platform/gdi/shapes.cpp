#include <algorithm>
#include <cstdlib>

#include "platform/gdi/raster.h"

using namespace vls::gdi;

namespace {

// On and off run lengths of the styled one-pixel pens.
std::vector<int> DashPattern(UINT style)
{
    switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

// Collects the pixels a pen covers along lines (each pixel a pen-wide square,
// the last point of each line left out), then paints them once, so that an
// XOR pen never flips a pixel twice.
class PenStroke {
public:
    explicit PenStroke(const PenObject& pen) : pen_(pen), dashes_(DashPattern(pen.style)) {}

    void Line(POINT a, POINT b)
    {
        int x = a.x, y = a.y;
        const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
        const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
        int err = dx + dy;
        while (x != b.x || y != b.y) {
            Plot(x, y);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }

    void Paint(const DrawTarget& t, const DcObject& dc) const
    {
        Region area = Region::FromRects(rects_);
        area.Offset(t.offset.x, t.offset.y);
        FillRegionWithPen(t, area, ColorRefToPixel(pen_.color), dc.state.rop2);
    }

private:
    void Plot(int x, int y)
    {
        if (!dashes_.empty() && pen_.width <= 1) {
            const bool on = (dashIndex_ % 2) == 0;
            if (++dashStep_ >= dashes_[dashIndex_]) {
                dashStep_ = 0;
                dashIndex_ = (dashIndex_ + 1) % dashes_.size();
            }
            if (!on)
                return;
        }
        const int lo = (pen_.width - 1) / 2;
        rects_.push_back({x - lo, y - lo, x - lo + pen_.width, y - lo + pen_.width});
    }

    const PenObject& pen_;
    std::vector<int> dashes_;
    size_t dashIndex_ = 0;
    int dashStep_ = 0;
    std::vector<RECT> rects_;
};

bool PenVisible(const DcObject& dc)
{
    return dc.state.pen && dc.state.pen->style != PS_NULL;
}

void FillLogical(DcObject& dc, const DrawTarget& t, Region area)
{
    // The mix mode governs the fill of a figure as it does its outline; of
    // the mixes only "leave the screen" has a brush form worth keeping.
    if (dc.state.rop2 == R2_NOP)
        return;
    area.Offset(t.offset.x, t.offset.y);
    FillRegionWithBrush(t, area, BrushSampler(dc.state.brush.get(), dc), PATCOPY);
}

void PaintLogicalWithPen(DcObject& dc, const DrawTarget& t, Region area)
{
    area.Offset(t.offset.x, t.offset.y);
    FillRegionWithPen(t, area, ColorRefToPixel(dc.state.pen->color), dc.state.rop2);
}

RECT Ordered(int left, int top, int right, int bottom)
{
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// A closed figure: `shape(rect)` gives its region for a bounding rectangle.
// The pen paints the ring between the outer figure and the figure shrunk by
// the pen width; the brush fills the inside. Without a pen the figure is one
// pixel smaller on the right and bottom, as in the original.
template <class Shape>
BOOL Figure(HDC hdc, RECT box, Shape shape)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return FALSE;
    const DrawTarget t = TargetOf(*dc);
    if (!t.Valid())
        return TRUE;
    if (!PenVisible(*dc)) {
        FillLogical(*dc, t, shape(RECT{box.left, box.top, box.right - 1, box.bottom - 1}));
        return TRUE;
    }
    const int w = dc->state.pen->width;
    const int lo = (w - 1) / 2, hi = w - 1 - lo;
    const Region outer = shape(RECT{box.left - lo, box.top - lo, box.right + hi, box.bottom + hi});
    const Region inner = shape(RECT{box.left + hi + 1, box.top + hi + 1, box.right - 1 - lo, box.bottom - 1 - lo});
    FillLogical(*dc, t, inner);
    PaintLogicalWithPen(*dc, t, Region::Combine(outer, inner, Region::Op::Diff));
    return TRUE;
}

}  // namespace

BOOL LineTo(HDC hdc, int x, int y)
{
    auto dc = GetDc(hdc);
    if (!dc)
        return FALSE;
    const POINT from = dc->state.position;
    dc->state.position = {x, y};
    if (!PenVisible(*dc))
        return TRUE;
    const DrawTarget t = TargetOf(*dc);
    if (!t.Valid())
        return TRUE;
    PenStroke stroke(*dc->state.pen);
    stroke.Line(from, POINT{x, y});
    stroke.Paint(t, *dc);
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    auto dc = GetDc(hdc);
    if (!dc || !points || count < 2)
        return FALSE;
    if (!PenVisible(*dc))
        return TRUE;
    const DrawTarget t = TargetOf(*dc);
    PenStroke stroke(*dc->state.pen);
    for (int i = 0; i + 1 < count; ++i)
        stroke.Line(points[i], points[i + 1]);
    stroke.Paint(t, *dc);
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count)
{
    auto dc = GetDc(hdc);
    if (!dc || !points || count < 2)
        return FALSE;
    const DrawTarget t = TargetOf(*dc);
    FillLogical(*dc, t, Region::Polygon(points, count, false));
    if (PenVisible(*dc)) {
        PenStroke stroke(*dc->state.pen);
        for (int i = 0; i < count; ++i)
            stroke.Line(points[i], points[(i + 1) % count]);
        stroke.Paint(t, *dc);
    }
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    return Figure(hdc, Ordered(left, top, right, bottom), [](const RECT& r) { return Region(r); });
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    return Figure(hdc, Ordered(left, top, right, bottom), [](const RECT& r) { return Region::Ellipse(r); });
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height)
{
    return Figure(hdc, Ordered(left, top, right, bottom),
                  [width, height](const RECT& r) { return Region::RoundRect(r, width, height); });
}
