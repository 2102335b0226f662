#pragma once

// Drawing a bitmap of the containers into a rectangle: placed, centred,
// stretched or tiled, opaque or transparent.

#include "platform/vcl/graphics.h"

namespace kit {

inline constexpr UINT kDrawClip = 0x01;
inline constexpr UINT kDrawCenter = 0x08;
inline constexpr UINT kDrawStretch = 0x10;
inline constexpr UINT kDrawTile = 0x20;
inline constexpr UINT kDrawColorKey = 0x40;     // transparent where the bitmap has `key`
inline constexpr UINT kDrawTransparent = 0x80;  // transparent by the bitmap's transparent colour
inline constexpr UINT kDrawMask = 0x100;        // through `mask`: white keeps the background
inline constexpr UINT kDrawAspectHeight = 0x200;
inline constexpr UINT kDrawAspectWidth = 0x400;
inline constexpr UINT kDrawPalette = 0x1000;

// Draws `bitmap` into `rect` of `canvas` by `flags`; the rectangle it covers.
RECT DrawBitmap(vcl::TCanvas* canvas, const RECT& rect, vcl::TBitmap* bitmap, UINT flags,
                vcl::TColor key = vcl::clNone, vcl::TBitmap* mask = nullptr);

// Draws `bitmap` disabled, placed by `flags` as DrawBitmap places it. Its
// visible pixels (those not white in `mask`, or without a mask those that
// are not `key`) become a checkerboard: every pixel whose x + y is even
// takes `disabledColor` and the others let the background show. With
// `disabledColor` clNone the visible pixels are drawn in their grey
// (0.30 red + 0.59 green + 0.11 blue) instead.
RECT DrawDisabledBitmap(vcl::TCanvas* canvas, const RECT& rect, vcl::TBitmap* bitmap, UINT flags, vcl::TColor key,
                        vcl::TBitmap* mask, vcl::TColor disabledColor);

}  // namespace kit
