#include "skin/skins/sk_nine_slice.h"

#include <algorithm>

#include "skin/graphics/sk_region.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

const vcl::TEnumInfo kTileStyleInfo{"TscTileStyle", {"tsTile", "tsStretch", "tsCenter"}};

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The tiles of `dest` that reach the canvas's clip box, starting on the
// tile grid of `dest`, so that tiling costs what is seen.
RECT VisibleTiles(vcl::TCanvas* canvas, const RECT& dest, const RECT& source)
{
    RECT clip{};
    if (GetClipBox(canvas->Handle(), &clip) == ERROR)
        return dest;
    const int w = Width(source), h = Height(source);
    RECT r = dest;
    if (clip.left > r.left)
        r.left += (clip.left - r.left) / w * w;
    if (clip.top > r.top)
        r.top += (clip.top - r.top) / h * h;
    if (clip.right < r.right)
        r.right = std::max(r.left, static_cast<int>(clip.right));
    if (clip.bottom < r.bottom)
        r.bottom = std::max(r.top, static_cast<int>(clip.bottom));
    return r;
}

// Centred pieces sit in the middle of the whole object, not of their own
// destination, so a centred edge lands over the centre.
void DrawPiece(vcl::TCanvas* canvas, TSkBitmap* image, const RECT& source, const RECT& dest, TscTileStyle style,
               bool transparent, const RECT& bounds)
{
    if (Width(source) <= 0 || Height(source) <= 0)
        return;
    // Pieces larger than any bitmap come only from damaged skins; stretching
    // one would build a scratch bitmap of its size.
    if (Width(dest) > kMaxBitmapSide || Height(dest) > kMaxBitmapSide)
        return;
    switch (style) {
    case tsTile:
        image->TileRect(canvas, VisibleTiles(canvas, dest, source), source, transparent);
        break;
    case tsStretch:
        image->StretchRect(canvas, dest, source, transparent);
        break;
    case tsCenter:
        image->DrawRect(canvas, bounds.left + (Width(bounds) - Width(source)) / 2,
                        bounds.top + (Height(bounds) - Height(source)) / 2, source, transparent);
        break;
    }
}

}  // namespace

void PaintLinkPicture(vcl::TCanvas* canvas, const TSkBitmapLink* link, const RECT& bounds, const TSkSlicePlan& plan)
{
    if (!link || !link->IsValid() || Width(bounds) <= 0 || Height(bounds) <= 0)
        return;
    TSkBitmap* image = link->Image();
    const RECT s = link->Rect();
    const int ml = plan.marginLeft, mt = plan.marginTop, mr = plan.marginRight, mb = plan.marginBottom;
    if (ml == 0 && mt == 0 && mr == 0 && mb == 0) {
        DrawPiece(canvas, image, s, bounds, plan.tileStyle, plan.maskCentre, bounds);
        return;
    }
    const int x = bounds.left, y = bounds.top, w = Width(bounds), h = Height(bounds);
    auto dest = [x, y](int l, int t, int r, int b) { return RECT{x + l, y + t, x + r, y + b}; };
    DrawPiece(canvas, image, RECT{s.left + ml, s.top + mt, s.right - mr, s.bottom - mb},
              dest(ml, mt, w - mr, h - mb), plan.tileStyle, plan.maskCentre, bounds);
    DrawPiece(canvas, image, RECT{s.left + ml, s.top, s.right - mr, s.top + mt}, dest(ml, 0, w - mr, mt),
              plan.borderTileStyle, plan.maskBorder, bounds);
    DrawPiece(canvas, image, RECT{s.left + ml, s.bottom - mb, s.right - mr, s.bottom}, dest(ml, h - mb, w - mr, h),
              plan.borderTileStyle, plan.maskBorder, bounds);
    DrawPiece(canvas, image, RECT{s.left, s.top + mt, s.left + ml, s.bottom - mb}, dest(0, mt, ml, h - mb),
              plan.borderTileStyle, plan.maskBorder, bounds);
    DrawPiece(canvas, image, RECT{s.right - mr, s.top + mt, s.right, s.bottom - mb}, dest(w - mr, mt, w, h - mb),
              plan.borderTileStyle, plan.maskBorder, bounds);
    image->DrawRect(canvas, x, y, RECT{s.left, s.top, s.left + ml, s.top + mt}, plan.maskAngles);
    image->DrawRect(canvas, x + w - mr, y, RECT{s.right - mr, s.top, s.right, s.top + mt}, plan.maskAngles);
    image->DrawRect(canvas, x, y + h - mb, RECT{s.left, s.bottom - mb, s.left + ml, s.bottom}, plan.maskAngles);
    image->DrawRect(canvas, x + w - mr, y + h - mb, RECT{s.right - mr, s.bottom - mb, s.right, s.bottom},
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
