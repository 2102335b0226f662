#pragma once

// Pixel-level work shared by the drawing calls: raster operations, brush
// sampling and filling of clipped areas. Coordinates here are surface pixels.

#include <cstdint>

#include "platform/gdi/objects.h"

namespace vls::gdi {

// The ternary raster operation `rop` (its index in bits 16-23) applied bit by
// bit to pattern, source and destination.
std::uint32_t ApplyRop3(DWORD rop, std::uint32_t pattern, std::uint32_t source, std::uint32_t dest);
// The binary raster operation R2_* applied to pen and destination.
std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t dest);
bool RopUsesSource(DWORD rop);
bool RopUsesPattern(DWORD rop);

// What a brush paints at a surface pixel. Hatch gaps are the DC's background
// colour when it is opaque and nothing otherwise; a null brush paints nothing.
class BrushSampler {
public:
    BrushSampler(const BrushObject* brush, const DcObject& dc);
    bool Null() const { return null_; }
    bool Sample(int x, int y, std::uint32_t& pixel) const;

private:
    const BrushObject* brush_;
    bool null_ = true;
    bool opaqueHatch_ = false;
    std::uint32_t color_ = 0;
    std::uint32_t back_ = 0;
    POINT origin_{0, 0};
};

// Calls f(rect) for every part of `area` inside the target's clip.
template <class F>
void ForEachClipped(const DrawTarget& target, const RECT& area, F f)
{
    for (const RECT& c : target.clip.Rects()) {
        const RECT r = IntersectRects(c, area);
        if (!RectEmpty(r))
            f(r);
    }
}

void FillWithBrush(const DrawTarget& target, const RECT& area, const BrushSampler& brush, DWORD rop);
void FillRegionWithBrush(const DrawTarget& target, const Region& area, const BrushSampler& brush, DWORD rop);
void FillRegionWithPen(const DrawTarget& target, const Region& area, std::uint32_t pen, int rop2);

}  // namespace vls::gdi
