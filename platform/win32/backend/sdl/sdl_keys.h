#pragma once

// SDL key codes to the virtual-key codes of our windows.

#include <SDL.h>

namespace vls::backend {

// 0 for keys that have no virtual-key code.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scan, bool* extended);

}  // namespace vls::backend
