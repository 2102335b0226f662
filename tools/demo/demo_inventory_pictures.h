#pragma once

// The inventory's pictures: the bar that slides up from the bottom of the
// screen, its two scroll arrows (plain and lit) and the glow drawn behind an
// item held as the cursor.

#include "tools/demo/demo_harbour.h"

#include <vector>

namespace vls::tools {

// "ui_inventory_1.image", "ui_inventory_2.image" and "inv_bg.image".
std::vector<DemoResource> MakeInventoryPictures();

} // namespace vls::tools
