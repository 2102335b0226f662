#pragma once

// Transitions that reveal a new picture over the old one: a byte mask of
// blocks built by one of fourteen effect generators, repeated per tile,
// mixes the two pictures frame by frame until the configured time is over.

#include <cstdint>
#include <vector>

#include "platform/vcl/graphics.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

enum TkeEffect {
    keRandomSelect, keFade, keDiagonal, keDown, keIn, keOut, keRectIn, keRectOut, kePixel, kePixelLine,
    keDiamondIn, keDiamondOut, keSmoothDiagonal, keSmoothRectIn, keSmoothRectOut
};
enum TSkDirection { kdNone, kdNoRotate, kdRotate90, kdRotate180, kdRotate270 };
extern const vcl::TEnumInfo kEffectInfo, kDirectionInfo;

// The values a transition reads from its animation options.
struct TSkTransition {
    int Time = 400;  // milliseconds
    TkeEffect Effect = keFade;
    TSkDirection Direction = kdNone;
    int Resolution = 1;  // block size in pixels
    int TileCount = 1;   // tiles per axis
};

using TSkMask = std::vector<std::uint8_t>;

void DrawMaskLine(TSkMask& mask, int width, int height, std::uint8_t value, int x0, int y0, int x1, int y1);
// Fills a cleared width x height mask for Progress 0..100.
void GenerateMask(TkeEffect effect, TSkMask& mask, int width, int height, int progress);
// The library's re-seedable generator behind the random pick of an effect
// and the pixel-line effect; the pixel effect reseeds a generator of its own.
void TransitionRandomize(std::uint32_t seed);
int TransitionRandom(int range);

// Builds one frame of the transition into `frame` (the old picture's size).
void BuildTransitionFrame(const TSkTransition& t, TkeEffect effect, int progress, TSkBitmap* newPicture,
                          TSkBitmap* oldPicture, TSkBitmap* frame);

// Runs the transition on the canvas at (X, Y) and ends on the new picture.
// Nothing happens without both pictures, or when the new one is smaller.
void PlayTransition(vcl::TCanvas* canvas, int x, int y, const TSkTransition& t, TSkBitmap* newPicture,
                    TSkBitmap* oldPicture);

}  // namespace skin
