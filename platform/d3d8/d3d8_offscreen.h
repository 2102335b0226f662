#pragma once

// A hidden window of SDL's offscreen video driver: an OpenGL context on
// Mesa's software renderer through EGL, with no display server, for a device
// whose pictures are read back instead of shown.

#include <SDL.h>

namespace vls::d3d8 {

// Null when the driver cannot start or make the window.
SDL_Window* openOffscreenWindow(int width, int height);
void closeOffscreenWindow(SDL_Window* window);

}  // namespace vls::d3d8
