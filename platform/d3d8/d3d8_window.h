#pragma once

// How the OpenGL device finds its window. By default the window comes from
// the SDL backend of the window layer; tests install their own. When the
// resolver yields no window, or under VEILSTRAND_BACKEND=headless,
// CreateDevice makes the recording device; but when an input script drives
// the headless backend, whose screenshots want the real picture, it makes
// the OpenGL device offscreen.

#include "platform/win32/wintypes.h"

// Returns the SDL_Window* that shows the given window, or null.
using D3D8WindowResolver = void* (*)(HWND window);
// Null restores the default.
void D3D8SetWindowResolver(D3D8WindowResolver resolver);
D3D8WindowResolver D3D8GetWindowResolver();
