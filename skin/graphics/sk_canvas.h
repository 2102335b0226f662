#pragma once

// Rectangle and canvas helpers shared by every control: fills, frames,
// edges, gradients, a one-pixel checkerboard and centred icons.

#include "platform/vcl/graphics.h"

namespace skin {

enum TSkBevelSide { kbsLeft, kbsTop, kbsRight, kbsBottom };
using TSkBevelSides = vcl::TSet<TSkBevelSide>;
constexpr TSkBevelSides kAllBevelSides{kbsLeft, kbsTop, kbsRight, kbsBottom};
extern const vcl::TEnumInfo kBevelSideInfo;

inline int RectWidth(const RECT& r) { return r.right - r.left; }
inline int RectHeight(const RECT& r) { return r.bottom - r.top; }
inline bool RectIsEmpty(const RECT& r) { return RectWidth(r) < 1 || RectHeight(r) < 1; }
inline bool RectEquals(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline RECT InflatedRect(const RECT& r, int d) { return RECT{r.left - d, r.top - d, r.right + d, r.bottom + d}; }
RECT CenterRect(const RECT& r, const RECT& bounds);
RECT CenterRectVert(const RECT& r, const RECT& bounds);

void FillRectColor(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor color);
void FillRectCoords(vcl::TCanvas* canvas, int l, int t, int r, int b, vcl::TColor color);
void FrameRectColor(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor color);
void FrameRectCoords(vcl::TCanvas* canvas, int l, int t, int r, int b, vcl::TColor color);
void FillRoundRectColor(vcl::TCanvas* canvas, const RECT& rect, int radius, vcl::TColor color);
void DrawFocusRectColor(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor color);
void DrawEdgeLines(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor topLeft, vcl::TColor bottomRight);
// `count` one-pixel rings: left and top in `topLeft`, then bottom and right
// in `bottomRight`, each only on the sides asked for; every drawn side moves
// `rect` inwards by one.
void DrawBevelRings(vcl::TCanvas* canvas, RECT& rect, TSkBevelSides sides, vcl::TColor bottomRight,
                    vcl::TColor topLeft, int count);
void LineToColor(vcl::TCanvas* canvas, int x, int y, vcl::TColor color);
inline void MoveToPoint(vcl::TCanvas* canvas, int x, int y) { canvas->MoveTo(x, y); }
void FillGradient(vcl::TCanvas* canvas, const RECT& rect, vcl::TColor from, bool vertical, vcl::TColor to);
void FillPattern(vcl::TCanvas* canvas, RECT rect, vcl::TColor color1, vcl::TColor color2);
void DrawIconCentered(vcl::TCanvas* canvas, const RECT& rect, HICON icon);

}  // namespace skin
