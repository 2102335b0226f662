#include "skin/skins/sk_nine_slice.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "skin/graphics/sk_region.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

const vcl::TEnumInfo kTileStyleInfo{"TscTileStyle", {"tsTile", "tsStretch", "tsCenter"}};

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Piece rectangles are worked out in 64 bits: a damaged skin's margins and
// link rectangles may be anywhere in the 32-bit range, and their sums with
// the bounds must neither wrap nor size anything before they are clipped.
struct Box {
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
};

Box ToBox(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const Box& b)
{
    return RECT{static_cast<LONG>(b.left), static_cast<LONG>(b.top), static_cast<LONG>(b.right),
                static_cast<LONG>(b.bottom)};
}
Box Cut(const Box& a, const Box& b)
{
    return Box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

// Where a paint may land and read: the object's bounds within the canvas's
// clip box, and the link's rectangle within its bitmap. Every piece is cut
// to both before anything is drawn, so no scratch bitmap or loop is ever
// larger than what is seen.
struct PaintLimits {
    Box target;
    Box source;
};

PaintLimits LimitsOf(vcl::TCanvas* canvas, const TSkBitmapLink* link, const RECT& bounds)
{
    PaintLimits limits{ToBox(bounds), ToBox(link->ClippedRect())};
    RECT clip{};
    if (GetClipBox(canvas->Handle(), &clip) != ERROR)
        limits.target = Cut(limits.target, ToBox(clip));
    return limits;
}

// An unscaled copy of `source` with its top-left corner at (x, y).
void DrawUnscaled(vcl::TCanvas* canvas, TSkBitmap* image, std::int64_t x, std::int64_t y, const Box& source,
                  const PaintLimits& limits, bool transparent)
{
    const Box readable = Cut(source, limits.source);
    x += readable.left - source.left;
    y += readable.top - source.top;
    const Box seen = Cut(Box{x, y, x + readable.Width(), y + readable.Height()}, limits.target);
    if (readable.Empty() || seen.Empty())
        return;
    const std::int64_t dx = seen.left - x, dy = seen.top - y;
    image->DrawRect(canvas, static_cast<int>(seen.left), static_cast<int>(seen.top),
                    ToRect(Box{readable.left + dx, readable.top + dy, readable.left + dx + seen.Width(),
                               readable.top + dy + seen.Height()}),
                    transparent);
}

// `source` stretched over `dest`: the readable part of the source, mapped
// onto the destination, and of that only what may be painted. The mapping
// is done in floating point, as a damaged skin's sizes may pass 2^32.
void DrawStretched(vcl::TCanvas* canvas, TSkBitmap* image, const Box& dest, const Box& source,
                   const PaintLimits& limits, bool transparent)
{
    const Box readable = Cut(source, limits.source);
    if (readable.Empty() || dest.Empty())
        return;
    const double toDestX = static_cast<double>(dest.Width()) / static_cast<double>(source.Width());
    const double toDestY = static_cast<double>(dest.Height()) / static_cast<double>(source.Height());
    auto lower = [](std::int64_t origin, std::int64_t offset, double scale) {
        return origin + static_cast<std::int64_t>(std::floor(static_cast<double>(offset) * scale));
    };
    auto upper = [](std::int64_t origin, std::int64_t offset, double scale) {
        return origin + static_cast<std::int64_t>(std::ceil(static_cast<double>(offset) * scale));
    };
    const Box shown{lower(dest.left, readable.left - source.left, toDestX),
                    lower(dest.top, readable.top - source.top, toDestY),
                    upper(dest.left, readable.right - source.left, toDestX),
                    upper(dest.top, readable.bottom - source.top, toDestY)};
    const Box seen = Cut(shown, limits.target);
    if (seen.Empty())
        return;
    const Box part = Cut(Box{lower(source.left, seen.left - dest.left, 1.0 / toDestX),
                             lower(source.top, seen.top - dest.top, 1.0 / toDestY),
                             upper(source.left, seen.right - dest.left, 1.0 / toDestX),
                             upper(source.top, seen.bottom - dest.top, 1.0 / toDestY)},
                         readable);
    if (part.Empty())
        return;
    image->StretchRect(canvas, ToRect(seen), ToRect(part), transparent);
}

// Tiles of `source` over `dest`, starting on the grid of `dest`, only those
// that reach what may be painted.
void DrawTiled(vcl::TCanvas* canvas, TSkBitmap* image, const Box& dest, const Box& source, const PaintLimits& limits,
               bool transparent)
{
    const Box seen = Cut(dest, limits.target);
    if (seen.Empty())
        return;
    const std::int64_t w = source.Width(), h = source.Height();
    const std::int64_t firstX = dest.left + (seen.left - dest.left) / w * w;
    const std::int64_t firstY = dest.top + (seen.top - dest.top) / h * h;
    for (std::int64_t x = firstX; x < seen.right; x += w)
        for (std::int64_t y = firstY; y < seen.bottom; y += h) {
            const Box tile = Cut(Box{x, y, x + w, y + h}, seen);
            DrawUnscaled(canvas, image, tile.left, tile.top,
                         Box{source.left + tile.left - x, source.top + tile.top - y,
                             source.left + tile.right - x, source.top + tile.bottom - y},
                         limits, transparent);
        }
}

// Centred pieces sit in the middle of the whole object, not of their own
// destination, so a centred edge lands over the centre.
void DrawPiece(vcl::TCanvas* canvas, TSkBitmap* image, const Box& source, const Box& dest, TscTileStyle style,
               bool transparent, const Box& bounds, const PaintLimits& limits)
{
    if (source.Width() <= 0 || source.Height() <= 0)
        return;
    switch (style) {
    case tsTile:
        DrawTiled(canvas, image, dest, source, limits, transparent);
        break;
    case tsStretch:
        DrawStretched(canvas, image, dest, source, limits, transparent);
        break;
    case tsCenter:
        DrawUnscaled(canvas, image, bounds.left + (bounds.Width() - source.Width()) / 2,
                     bounds.top + (bounds.Height() - source.Height()) / 2, source, limits, transparent);
        break;
    }
}

}  // namespace

void PaintLinkPicture(vcl::TCanvas* canvas, const TSkBitmapLink* link, const RECT& bounds, const TSkSlicePlan& plan)
{
    if (!link || !link->IsValid() || Width(bounds) <= 0 || Height(bounds) <= 0)
        return;
    TSkBitmap* image = link->Image();
    const PaintLimits limits = LimitsOf(canvas, link, bounds);
    const Box s = ToBox(link->Rect());
    const Box b = ToBox(bounds);
    if (plan.marginLeft == 0 && plan.marginTop == 0 && plan.marginRight == 0 && plan.marginBottom == 0) {
        DrawPiece(canvas, image, s, b, plan.tileStyle, plan.maskCentre, b, limits);
        return;
    }
    const std::int64_t ml = plan.marginLeft, mt = plan.marginTop, mr = plan.marginRight, mb = plan.marginBottom;
    const std::int64_t x = b.left, y = b.top, w = b.Width(), h = b.Height();
    auto dest = [x, y](std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t bottom) {
        return Box{x + l, y + t, x + r, y + bottom};
    };
    auto piece = [&](const Box& source, const Box& target, TscTileStyle style, bool transparent) {
        DrawPiece(canvas, image, source, target, style, transparent, b, limits);
    };
    piece(Box{s.left + ml, s.top + mt, s.right - mr, s.bottom - mb}, dest(ml, mt, w - mr, h - mb), plan.tileStyle,
          plan.maskCentre);
    piece(Box{s.left + ml, s.top, s.right - mr, s.top + mt}, dest(ml, 0, w - mr, mt), plan.borderTileStyle,
          plan.maskBorder);
    piece(Box{s.left + ml, s.bottom - mb, s.right - mr, s.bottom}, dest(ml, h - mb, w - mr, h), plan.borderTileStyle,
          plan.maskBorder);
    piece(Box{s.left, s.top + mt, s.left + ml, s.bottom - mb}, dest(0, mt, ml, h - mb), plan.borderTileStyle,
          plan.maskBorder);
    piece(Box{s.right - mr, s.top + mt, s.right, s.bottom - mb}, dest(w - mr, mt, w, h - mb), plan.borderTileStyle,
          plan.maskBorder);
    // Corners are cut to the link like every piece: a margin wider than the
    // picture shows what the picture has, never what lies beside it.
    const PaintLimits& corner = limits;
    DrawUnscaled(canvas, image, x, y, Box{s.left, s.top, s.left + ml, s.top + mt}, corner, plan.maskAngles);
    DrawUnscaled(canvas, image, x + w - mr, y, Box{s.right - mr, s.top, s.right, s.top + mt}, corner,
                 plan.maskAngles);
    DrawUnscaled(canvas, image, x, y + h - mb, Box{s.left, s.bottom - mb, s.left + ml, s.bottom}, corner,
                 plan.maskAngles);
    DrawUnscaled(canvas, image, x + w - mr, y + h - mb, Box{s.right - mr, s.bottom - mb, s.right, s.bottom}, corner,
                 plan.maskAngles);
}

void ResolveLink(TSkBitmapLink* link, const TSkBitmapList* list)
{
    if (!link || !list)
        return;
    std::unique_ptr<TSkBitmapLink> bound(list->GetLink(link->Name(), link->Rect()));
    if (bound)
        link->Assign(bound.get());
}

const TSkBitmapLink* TSkStateLinks::Pick(std::uint8_t state, const TSkBitmapLink* normal) const
{
    const TSkBitmapLink* replacement = nullptr;
    switch (state) {
    case kStateFocused: replacement = focused.get(); break;
    case kStateHot: replacement = hot.get(); break;
    case kStateDisabled: replacement = disabled.get(); break;
    case kStatePressed: replacement = pressed.get(); break;
    default: break;
    }
    return UsableOr(replacement, normal);
}

void TSkStateLinks::Resolve(const TSkBitmapList* list)
{
    for (TSkBitmapLink* link : {hot.get(), focused.get(), pressed.get(), disabled.get()})
        ResolveLink(link, list);
}

void TSkStateLinks::Assign(const TSkStateLinks& other)
{
    hot->Assign(other.hot.get());
    focused->Assign(other.focused.get());
    pressed->Assign(other.pressed.get());
    disabled->Assign(other.disabled.get());
}

HRGN RegionOfPaintedPixels(TSkSkinObject* object)
{
    if (object->Width() > kMaxBitmapSide || object->Height() > kMaxBitmapSide)
        return nullptr;
    const RECT bounds = object->GetBounds();
    TSkBitmap shape;
    shape.SetSize(object->Width(), object->Height());
    shape.Fill(KeyColor);
    vcl::TCanvas canvas;
    canvas.SetHandle(shape.DC());
    object->SetBounds(RECT{0, 0, object->Width(), object->Height()});
    try {
        object->Paint(&canvas);
    } catch (...) {
        canvas.SetHandle(nullptr);
        object->SetBounds(bounds);
        throw;
    }
    canvas.SetHandle(nullptr);
    object->SetBounds(bounds);
    return CreateRegionFromBitmap(&shape, bounds.left, bounds.top);
}

}  // namespace skin
