#pragma once

// How the OpenGL device finds its window, and where the 1024 x 768 picture
// lands inside it. The window layer installs the resolver; with none, or when
// it yields no window, or under VEILSTRAND_BACKEND=headless, CreateDevice
// makes the recording device.

#include "platform/win32/wintypes.h"

// Returns the SDL_Window* that shows the given window, or null.
using D3D8WindowResolver = void* (*)(HWND window);
void D3D8SetWindowResolver(D3D8WindowResolver resolver);
D3D8WindowResolver D3D8GetWindowResolver();

// The largest rectangle of the picture's aspect that fits the window,
// centred; the rest is black bars. Mouse positions map back through it.
RECT D3D8LetterboxRect(int windowWidth, int windowHeight, int pictureWidth = 1024, int pictureHeight = 768);
