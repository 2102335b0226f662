#pragma once

// Start and end of the menus unit: the shared menu resources, the
// click-handler window, the item container registry and the menus that the
// self-drawn frame reaches.

namespace skin {

void InitMenusUnit();
void FinalizeMenusUnit();
// Installs the menus behind the frame's seam (part of InitMenusUnit).
void InstallMenusForFrames();
// Installs the edits' context-menu maker (part of InitMenusUnit).
void InstallMenusForEdits();

}  // namespace skin
