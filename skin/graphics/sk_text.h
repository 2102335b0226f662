#pragma once

// UTF-16 text drawing and measuring on a canvas, with the ANSI road for the
// non-NT family, ellipsis shortening and text turned by a quarter.

#include "platform/gdi/wingdi.h"
#include "platform/vcl/graphics.h"

namespace skin {

// Set from GetVersionEx when the library starts (the text routines use the
// wide calls on the NT family).
extern bool IsWinNT;
extern bool IsWin98OrLater;
void InitOsFlags();

int SkDrawText(vcl::TCanvas* canvas, const vcl::WideString& text, RECT& rect, UINT format);
int SkTextWidth(vcl::TCanvas* canvas, const vcl::WideString& text, UINT format);
int SkTextHeight(vcl::TCanvas* canvas, const vcl::WideString& text);
void EllipsisText(HDC dc, const vcl::WideString& text, int maxWidth, vcl::WideString& result);
int DrawRotatedText(vcl::TCanvas* canvas, const vcl::WideString& text, const RECT& rect, bool clockwise, UINT format);

}  // namespace skin
