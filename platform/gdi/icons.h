#pragma once

// Icons that the window manager hands out: the system's stock icons, drawn
// by us, and scaled copies of any icon.

#include "platform/gdi/wingdi.h"

namespace vls::gdi {

constexpr int kStockIconSize = 32;

// The stock icon of a system icon id (32512 application to 32517 logo), made
// on first use and never freed; null for any other id.
HICON StockIcon(int id);
// A new icon of `icon`'s picture scaled to width x height (0 keeps that
// side); null when `icon` is no icon.
HICON ScaledIconCopy(HICON icon, int width, int height);

}  // namespace vls::gdi
