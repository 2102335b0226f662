#pragma once

// Resources every menu shares: the menu font, the default item size and the
// sub-menu arrow, made when the menus unit starts.

#include "platform/vcl/graphics.h"
#include "skin/graphics/sk_bitmap.h"

namespace skin {

struct TSkMenuResources {
    vcl::TFont* MenuFont = nullptr;
    int DefaultItemWidth = 20;
    int DefaultItemHeight = 20;
    TSkBitmap* Arrow = nullptr;  // 20 x 20, magenta where it is see-through
};

const TSkMenuResources& MenuResources();
void CreateMenuResources();
void FreeMenuResources();

}  // namespace skin
