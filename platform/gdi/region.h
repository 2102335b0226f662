#pragma once

// A region as a list of non-overlapping rectangles in y-x bands: rows of
// equal top and bottom, sorted top to bottom and left to right within a row,
// with touching rectangles of a row merged. Equal regions have equal lists.

#include <vector>

#include "platform/win32/wintypes.h"

namespace vls::gdi {

class Region {
public:
    Region() = default;
    explicit Region(const RECT& r);
    static Region FromRects(const std::vector<RECT>& rects);
    static Region Ellipse(const RECT& bounds);
    static Region RoundRect(const RECT& bounds, int ellipseWidth, int ellipseHeight);
    // Even-odd (ALTERNATE) or non-zero (WINDING) fill of a closed polygon.
    static Region Polygon(const POINT* points, int count, bool winding);

    enum class Op { And, Or, Xor, Diff };
    static Region Combine(const Region& a, const Region& b, Op op);

    bool Empty() const { return rects_.empty(); }
    const std::vector<RECT>& Rects() const { return rects_; }
    RECT Bounds() const;
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Kind() const;
    bool Contains(int x, int y) const;
    bool Intersects(const RECT& r) const;
    void Offset(int dx, int dy);
    bool operator==(const Region& other) const;

private:
    std::vector<RECT> rects_;
};

bool RectEmpty(const RECT& r);
RECT IntersectRects(const RECT& a, const RECT& b);

}  // namespace vls::gdi
