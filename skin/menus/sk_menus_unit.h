#pragma once

// Start and end of the menus unit: the click-handler window, the item
// container registry and the menus that the self-drawn frame reaches.

namespace skin {

void InitMenusUnit();
void FinalizeMenusUnit();

}  // namespace skin
