#pragma once

// Painting a skin bitmap rectangle into an object's bounds: whole, by tile,
// stretch or centre, or as nine pieces with fixed corners and scaled edges.

#include <memory>

#include "platform/vcl/graphics.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

class TSkSkinObject;

enum TscTileStyle { tsTile, tsStretch, tsCenter };
extern const vcl::TEnumInfo kTileStyleInfo;

struct TSkSlicePlan {
    int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    TscTileStyle tileStyle = tsTile;        // the whole picture, or the centre piece
    TscTileStyle borderTileStyle = tsTile;  // the four edges
    bool maskCentre = true, maskBorder = true, maskAngles = true;
};

// Nothing when the link is not usable or the bounds are empty. All margins
// 0 draws the whole link by the tile style, transparent by maskCentre.
void PaintLinkPicture(vcl::TCanvas* canvas, const TSkBitmapLink* link, const RECT& bounds, const TSkSlicePlan& plan);

// A link replaced by the skin's bitmap of the same name (rectangle kept);
// left as it is when the skin has no such bitmap.
void ResolveLink(TSkBitmapLink* link, const TSkBitmapList* list);

// `preferred` when usable, else `fallback`.
inline const TSkBitmapLink* UsableOr(const TSkBitmapLink* preferred, const TSkBitmapLink* fallback)
{
    return preferred && preferred->IsValid() ? preferred : fallback;
}

// The per-state pictures of a button: focused, hot, disabled and pressed
// each replace the normal one when usable, tested in that order.
struct TSkStateLinks {
    std::unique_ptr<TSkBitmapLink> hot = std::make_unique<TSkBitmapLink>();
    std::unique_ptr<TSkBitmapLink> focused = std::make_unique<TSkBitmapLink>();
    std::unique_ptr<TSkBitmapLink> pressed = std::make_unique<TSkBitmapLink>();
    std::unique_ptr<TSkBitmapLink> disabled = std::make_unique<TSkBitmapLink>();

    const TSkBitmapLink* Pick(std::uint8_t state, const TSkBitmapLink* normal) const;
    void Resolve(const TSkBitmapList* list);
    void Assign(const TSkStateLinks& other);
};

// The region of the pixels that `object` paints over the key colour, at its
// position; the object is painted at (0, 0) for this and put back.
HRGN RegionOfPaintedPixels(TSkSkinObject* object);

}  // namespace skin
