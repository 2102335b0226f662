#include <algorithm>
#include <cstring>

#include "platform/gdi/objects.h"
#include "platform/gdi/raster.h"

using namespace vls::gdi;

namespace {

HRGN NewRegion(Region r)
{
    auto o = std::make_shared<RegionObject>();
    o->region = std::move(r);
    return static_cast<HRGN>(Register(o));
}

RECT Ordered(int left, int top, int right, int bottom)
{
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) { return NewRegion(Region(Ordered(left, top, right, bottom))); }

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return NewRegion(Region::Ellipse(Ordered(left, top, right, bottom)));
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height)
{
    return NewRegion(Region::RoundRect(Ordered(left, top, right, bottom), width, height));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    return NewRegion(Region::Polygon(points, count, fillMode == WINDING));
}

HRGN ExtCreateRegion(const XFORM*, DWORD count, const RGNDATA* data)
{
    // The header's own size and count are checked against the byte count the
    // caller gives, so a bad header cannot make us read past the buffer.
    if (!data || count < sizeof(RGNDATAHEADER))
        return nullptr;
    const RGNDATAHEADER& h = data->rdh;
    if (h.iType != RDH_RECTANGLES || h.dwSize < sizeof(RGNDATAHEADER) || h.dwSize > count)
        return nullptr;
    const std::uint64_t need = static_cast<std::uint64_t>(h.dwSize) + static_cast<std::uint64_t>(h.nCount) * sizeof(RECT);
    if (need > count)
        return nullptr;
    std::vector<RECT> rects(h.nCount);
    if (h.nCount > 0)
        std::memcpy(rects.data(), reinterpret_cast<const char*>(data) + h.dwSize, h.nCount * sizeof(RECT));
    return NewRegion(Region::FromRects(rects));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode)
{
    auto d = GetRegion(dest);
    auto a = GetRegion(src1);
    if (!d || !a)
        return ERROR;
    if (mode == RGN_COPY) {
        d->region = a->region;
        return d->region.Kind();
    }
    auto b = GetRegion(src2);
    if (!b)
        return ERROR;
    Region::Op op;
    switch (mode) {
    case RGN_AND: op = Region::Op::And; break;
    case RGN_OR: op = Region::Op::Or; break;
    case RGN_XOR: op = Region::Op::Xor; break;
    case RGN_DIFF: op = Region::Op::Diff; break;
    default: return ERROR;
    }
    d->region = Region::Combine(a->region, b->region, op);
    return d->region.Kind();
}

int OffsetRgn(HRGN rgn, int dx, int dy)
{
    auto r = GetRegion(rgn);
    if (!r)
        return ERROR;
    r->region.Offset(dx, dy);
    return r->region.Kind();
}

BOOL PtInRegion(HRGN rgn, int x, int y)
{
    auto r = GetRegion(rgn);
    return r && r->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN rgn, const RECT* rect)
{
    auto r = GetRegion(rgn);
    return r && rect && r->region.Intersects(*rect) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    auto ra = GetRegion(a);
    auto rb = GetRegion(b);
    return ra && rb && ra->region == rb->region ? TRUE : FALSE;
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom)
{
    auto r = GetRegion(rgn);
    if (!r)
        return FALSE;
    r->region = Region(Ordered(left, top, right, bottom));
    return TRUE;
}

int GetRgnBox(HRGN rgn, LPRECT rect)
{
    auto r = GetRegion(rgn);
    if (!r || !rect)
        return ERROR;
    *rect = r->region.Bounds();
    return r->region.Kind();
}

DWORD GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data)
{
    auto r = GetRegion(rgn);
    if (!r)
        return 0;
    const auto& rects = r->region.Rects();
    const DWORD need = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    if (!data)
        return need;
    if (size < need)
        return 0;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    data->rdh.rcBound = r->region.Bounds();
    if (!rects.empty())
        std::memcpy(reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    return need;
}

namespace {

// A region in logical coordinates moved onto the target's surface.
Region OnSurface(const Region& r, const DrawTarget& t)
{
    Region s = r;
    s.Offset(t.offset.x, t.offset.y);
    return s;
}

}  // namespace

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush)
{
    auto dc = GetDc(hdc);
    auto r = GetRegion(rgn);
    auto b = GetBrush(brush);
    if (!dc || !r || !b)
        return FALSE;
    const DrawTarget t = TargetOf(*dc);
    FillRegionWithBrush(t, OnSurface(r->region, t), BrushSampler(b.get(), *dc), PATCOPY);
    return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN rgn)
{
    auto dc = GetDc(hdc);
    return dc ? FillRgn(hdc, rgn, HandleOf<HBRUSH>(dc->state.brush)) : FALSE;
}

BOOL InvertRgn(HDC hdc, HRGN rgn)
{
    auto dc = GetDc(hdc);
    auto r = GetRegion(rgn);
    if (!dc || !r)
        return FALSE;
    const DrawTarget t = TargetOf(*dc);
    FillRegionWithBrush(t, OnSurface(r->region, t), BrushSampler(nullptr, *dc), DSTINVERT);
    return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int width, int height)
{
    auto dc = GetDc(hdc);
    auto r = GetRegion(rgn);
    auto b = GetBrush(brush);
    if (!dc || !r || !b || width <= 0 || height <= 0)
        return FALSE;
    // The frame is the region less the region shrunk by the frame size: the
    // parts of it that stay inside when moved in every direction.
    Region inner = r->region;
    for (const POINT d : {POINT{width, 0}, POINT{-width, 0}, POINT{0, height}, POINT{0, -height}}) {
        Region moved = r->region;
        moved.Offset(d.x, d.y);
        inner = Region::Combine(inner, moved, Region::Op::And);
    }
    const Region frame = Region::Combine(r->region, inner, Region::Op::Diff);
    const DrawTarget t = TargetOf(*dc);
    FillRegionWithBrush(t, OnSurface(frame, t), BrushSampler(b.get(), *dc), PATCOPY);
    return TRUE;
}
