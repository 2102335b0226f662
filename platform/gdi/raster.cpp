#include "platform/gdi/raster.h"

namespace vls::gdi {

namespace {

// The hatch patterns, one byte per row, bit 7 the leftmost pixel.
constexpr std::uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

int Mod(int a, int m)
{
    const int r = a % m;
    return r < 0 ? r + m : r;
}

}  // namespace

std::uint32_t ApplyRop3(DWORD rop, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    switch (rop) {
    case SRCCOPY: return s;
    case PATCOPY: return p;
    case BLACKNESS: return 0;
    case WHITENESS: return 0x00FFFFFF;
    case DSTINVERT: return ~d;
    case SRCAND: return s & d;
    case SRCPAINT: return s | d;
    case SRCINVERT: return s ^ d;
    case PATINVERT: return p ^ d;
    default: break;
    }
    const unsigned index = (rop >> 16) & 0xFF;
    std::uint32_t result = 0;
    for (unsigned term = 0; term < 8; ++term) {
        if (!(index & (1u << term)))
            continue;
        const std::uint32_t tp = (term & 4) ? p : ~p;
        const std::uint32_t ts = (term & 2) ? s : ~s;
        const std::uint32_t td = (term & 1) ? d : ~d;
        result |= tp & ts & td;
    }
    return result;
}

std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t d)
{
    const unsigned index = static_cast<unsigned>(rop2 - 1) & 0xF;
    std::uint32_t result = 0;
    if (index & 8)
        result |= pen & d;
    if (index & 4)
        result |= pen & ~d;
    if (index & 2)
        result |= ~pen & d;
    if (index & 1)
        result |= ~pen & ~d;
    return result;
}

bool RopUsesSource(DWORD rop)
{
    const unsigned index = (rop >> 16) & 0xFF;
    return ((index >> 2) & 0x33) != (index & 0x33);
}

bool RopUsesPattern(DWORD rop)
{
    const unsigned index = (rop >> 16) & 0xFF;
    return ((index >> 4) & 0x0F) != (index & 0x0F);
}

BrushSampler::BrushSampler(const BrushObject* brush, const DcObject& dc) : brush_(brush)
{
    if (!brush || brush->style == BS_NULL)
        return;
    if (brush->style == BS_PATTERN && !brush->pattern)
        return;
    null_ = false;
    color_ = ColorRefToPixel(brush->color);
    back_ = ColorRefToPixel(dc.state.bkColor);
    opaqueHatch_ = dc.state.bkMode == OPAQUE;
    origin_ = {dc.deviceOrigin.x + dc.state.brushOrg.x, dc.deviceOrigin.y + dc.state.brushOrg.y};
}

bool BrushSampler::Sample(int x, int y, std::uint32_t& pixel) const
{
    if (null_)
        return false;
    switch (brush_->style) {
    case BS_SOLID: pixel = color_; return true;
    case BS_HATCHED: {
        const std::uint8_t row = kHatches[brush_->hatch][Mod(y - origin_.y, 8)];
        if (row & (0x80 >> Mod(x - origin_.x, 8))) {
            pixel = color_;
            return true;
        }
        pixel = back_;
        return opaqueHatch_;
    }
    case BS_PATTERN: {
        const Surface& s = *brush_->pattern;
        pixel = s.At(Mod(x - origin_.x, s.Width()), Mod(y - origin_.y, s.Height())) & 0x00FFFFFF;
        return true;
    }
    default: return false;
    }
}

void FillWithBrush(const DrawTarget& target, const RECT& area, const BrushSampler& brush, DWORD rop)
{
    if (!target.Valid())
        return;
    const bool needsPattern = RopUsesPattern(rop);
    if (needsPattern && brush.Null())
        return;
    ForEachClipped(target, area, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            std::uint32_t* row = target.surface->Row(y);
            for (int x = r.left; x < r.right; ++x) {
                std::uint32_t p = 0;
                if (needsPattern && !brush.Sample(x, y, p))
                    continue;
                row[x] = ApplyRop3(rop, p, 0, row[x]) & 0x00FFFFFF;
            }
        }
    });
}

void FillRegionWithBrush(const DrawTarget& target, const Region& area, const BrushSampler& brush, DWORD rop)
{
    for (const RECT& r : area.Rects())
        FillWithBrush(target, r, brush, rop);
}

void FillRegionWithPen(const DrawTarget& target, const Region& area, std::uint32_t pen, int rop2)
{
    if (!target.Valid())
        return;
    for (const RECT& a : area.Rects()) {
        ForEachClipped(target, a, [&](const RECT& r) {
            for (int y = r.top; y < r.bottom; ++y) {
                std::uint32_t* row = target.surface->Row(y);
                for (int x = r.left; x < r.right; ++x)
                    row[x] = ApplyRop2(rop2, pen, row[x]) & 0x00FFFFFF;
            }
        });
    }
}

}  // namespace vls::gdi
