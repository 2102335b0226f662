#include "platform/gdi/region.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/wingdi.h"

namespace vls::gdi {

namespace {

struct Span {
    LONG left;
    LONG right;
};

// The spans of `rects` that cover the whole band [top, bottom). Rectangles of
// a canonical region never straddle band edges of a finer banding built from
// their own edges, so "covers" is a plain overlap test.
std::vector<Span> SpansInBand(const std::vector<RECT>& rects, LONG top, LONG bottom)
{
    std::vector<Span> spans;
    for (const RECT& r : rects) {
        if (r.top <= top && r.bottom >= bottom && r.left < r.right)
            spans.push_back({r.left, r.right});
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
    std::vector<Span> merged;
    for (const Span& s : spans) {
        if (!merged.empty() && s.left <= merged.back().right)
            merged.back().right = std::max(merged.back().right, s.right);
        else
            merged.push_back(s);
    }
    return merged;
}

bool Inside(const std::vector<Span>& spans, LONG x)
{
    for (const Span& s : spans) {
        if (x >= s.left && x < s.right)
            return true;
    }
    return false;
}

bool Apply(Region::Op op, bool a, bool b)
{
    switch (op) {
    case Region::Op::And: return a && b;
    case Region::Op::Or: return a || b;
    case Region::Op::Xor: return a != b;
    case Region::Op::Diff: return a && !b;
    }
    return false;
}

std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, Region::Op op)
{
    std::vector<LONG> xs;
    for (const Span& s : a) {
        xs.push_back(s.left);
        xs.push_back(s.right);
    }
    for (const Span& s : b) {
        xs.push_back(s.left);
        xs.push_back(s.right);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (!Apply(op, Inside(a, xs[i]), Inside(b, xs[i])))
            continue;
        if (!out.empty() && out.back().right == xs[i])
            out.back().right = xs[i + 1];
        else
            out.push_back({xs[i], xs[i + 1]});
    }
    return out;
}

std::vector<LONG> BandEdges(const std::vector<RECT>& a, const std::vector<RECT>& b)
{
    std::vector<LONG> ys;
    for (const RECT& r : a) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    for (const RECT& r : b) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    return ys;
}

// Rows of spans into canonical rectangles: a row joins the one above when it
// touches it and has exactly the same spans.
std::vector<RECT> Coalesce(const std::vector<std::pair<std::pair<LONG, LONG>, std::vector<Span>>>& rows)
{
    std::vector<RECT> out;
    size_t prevStart = 0;
    size_t prevCount = 0;
    LONG prevBottom = 0;
    for (const auto& [band, spans] : rows) {
        if (spans.empty())
            continue;
        bool same = prevCount == spans.size() && prevBottom == band.first;
        for (size_t i = 0; same && i < spans.size(); ++i)
            same = out[prevStart + i].left == spans[i].left && out[prevStart + i].right == spans[i].right;
        if (same) {
            for (size_t i = 0; i < spans.size(); ++i)
                out[prevStart + i].bottom = band.second;
        } else {
            prevStart = out.size();
            for (const Span& s : spans)
                out.push_back({s.left, band.first, s.right, band.second});
        }
        prevCount = spans.size();
        prevBottom = band.second;
    }
    return out;
}

Region FromRows(const std::vector<std::pair<LONG, Span>>& rowSpans)
{
    std::vector<RECT> rects;
    rects.reserve(rowSpans.size());
    for (const auto& [y, s] : rowSpans) {
        if (s.left < s.right)
            rects.push_back({s.left, y, s.right, y + 1});
    }
    return Region::FromRects(rects);
}

}  // namespace

bool RectEmpty(const RECT& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

RECT IntersectRects(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (RectEmpty(r))
        return RECT{0, 0, 0, 0};
    return r;
}

Region::Region(const RECT& r)
{
    if (!RectEmpty(r))
        rects_.push_back(r);
}

Region Region::FromRects(const std::vector<RECT>& rects)
{
    std::vector<RECT> valid;
    for (const RECT& r : rects) {
        if (!RectEmpty(r))
            valid.push_back(r);
    }
    const std::vector<LONG> ys = BandEdges(valid, {});
    std::vector<std::pair<std::pair<LONG, LONG>, std::vector<Span>>> rows;
    for (size_t i = 0; i + 1 < ys.size(); ++i)
        rows.push_back({{ys[i], ys[i + 1]}, SpansInBand(valid, ys[i], ys[i + 1])});
    Region out;
    out.rects_ = Coalesce(rows);
    return out;
}

Region Region::Combine(const Region& a, const Region& b, Op op)
{
    const std::vector<LONG> ys = BandEdges(a.rects_, b.rects_);
    std::vector<std::pair<std::pair<LONG, LONG>, std::vector<Span>>> rows;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        rows.push_back({{ys[i], ys[i + 1]},
                        CombineSpans(SpansInBand(a.rects_, ys[i], ys[i + 1]), SpansInBand(b.rects_, ys[i], ys[i + 1]), op)});
    }
    Region out;
    out.rects_ = Coalesce(rows);
    return out;
}

Region Region::Ellipse(const RECT& bounds)
{
    return RoundRect(bounds, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

Region Region::RoundRect(const RECT& bounds, int ellipseWidth, int ellipseHeight)
{
    if (RectEmpty(bounds))
        return Region();
    const double width = bounds.right - bounds.left;
    const double height = bounds.bottom - bounds.top;
    const double rx = std::min<double>(std::abs(ellipseWidth), width) / 2.0;
    const double ry = std::min<double>(std::abs(ellipseHeight), height) / 2.0;
    std::vector<std::pair<LONG, Span>> rows;
    for (LONG y = bounds.top; y < bounds.bottom; ++y) {
        const double cy = y + 0.5 - bounds.top;
        double inset = 0;
        double dy = 0;
        if (cy < ry)
            dy = ry - cy;
        else if (cy > height - ry)
            dy = cy - (height - ry);
        if (dy > 0 && ry > 0) {
            const double t = std::max(0.0, 1.0 - (dy * dy) / (ry * ry));
            inset = rx - rx * std::sqrt(t);
        }
        const LONG left = bounds.left + static_cast<LONG>(std::lround(inset));
        const LONG right = bounds.right - static_cast<LONG>(std::lround(inset));
        rows.push_back({y, {left, right}});
    }
    return FromRows(rows);
}

Region Region::Polygon(const POINT* points, int count, bool winding)
{
    if (!points || count < 3)
        return Region();
    LONG top = points[0].y;
    LONG bottom = points[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i].y);
        bottom = std::max(bottom, points[i].y);
    }
    std::vector<std::pair<LONG, Span>> rows;
    for (LONG y = top; y < bottom; ++y) {
        const double sy = y + 0.5;
        std::vector<std::pair<double, int>> crossings;
        for (int i = 0; i < count; ++i) {
            const POINT& p = points[i];
            const POINT& q = points[(i + 1) % count];
            if (p.y == q.y)
                continue;
            const bool down = q.y > p.y;
            const double y0 = down ? p.y : q.y;
            const double y1 = down ? q.y : p.y;
            if (sy < y0 || sy >= y1)
                continue;
            const double x = p.x + (sy - p.y) * (q.x - p.x) / static_cast<double>(q.y - p.y);
            crossings.push_back({x, down ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end());
        int wind = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            wind += crossings[i].second;
            const bool in = winding ? wind != 0 : (i % 2) == 0;
            if (!in)
                continue;
            const LONG left = static_cast<LONG>(std::ceil(crossings[i].first - 0.5));
            const LONG right = static_cast<LONG>(std::ceil(crossings[i + 1].first - 0.5));
            rows.push_back({y, {left, right}});
        }
    }
    return FromRows(rows);
}

RECT Region::Bounds() const
{
    if (rects_.empty())
        return RECT{0, 0, 0, 0};
    RECT b = rects_.front();
    for (const RECT& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

int Region::Kind() const
{
    if (rects_.empty())
        return NULLREGION;
    return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool Region::Contains(int x, int y) const
{
    for (const RECT& r : rects_) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return true;
    }
    return false;
}

bool Region::Intersects(const RECT& rect) const
{
    for (const RECT& r : rects_) {
        if (!RectEmpty(IntersectRects(r, rect)))
            return true;
    }
    return false;
}

void Region::Offset(int dx, int dy)
{
    for (RECT& r : rects_) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

bool Region::operator==(const Region& other) const
{
    if (rects_.size() != other.rects_.size())
        return false;
    for (size_t i = 0; i < rects_.size(); ++i) {
        const RECT& a = rects_[i];
        const RECT& b = other.rects_[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom)
            return false;
    }
    return true;
}

}  // namespace vls::gdi
