#pragma once

// A hidden window of SDL's offscreen video driver: an OpenGL context on
// Mesa's software renderer through EGL, with no display server, for a device
// whose pictures are read back instead of shown.

#include <SDL.h>

#include <string>
#include <vector>

namespace vls::d3d8 {

// Null when the driver cannot start or make the window.
SDL_Window* openOffscreenWindow(int width, int height);
void closeOffscreenWindow(SDL_Window* window);

// The shared objects loaded in the process now.
std::vector<std::string> loadedModules();
// Keeps every shared object loaded since `before` loaded to the end of the
// process: Mesa's driver keeps allocations it never frees, and unloaded at
// exit they could not be told from ours by the leak checker.
void keepModulesLoadedSince(const std::vector<std::string>& before);

}  // namespace vls::d3d8
