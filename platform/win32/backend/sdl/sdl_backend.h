#pragma once

// The SDL2 screen: each top-level window is a borderless SDL window showing
// its software surface; input, clipboard and message boxes come from SDL.

#include "platform/win32/backend/backend.h"
#include "platform/win32/wintypes.h"

#include <SDL.h>

#include <memory>
#include <string>

namespace vls::backend {

// Null when SDL's video cannot start (no display); `failure` then says why.
std::unique_ptr<Backend> CreateSdlBackend(std::string* failure = nullptr);

}  // namespace vls::backend

// For the OpenGL device: the SDL window of a top-level HWND (null when the
// window has none yet or the SDL backend is not in use). Once asked for, the
// window no longer shows its software surface: the caller draws into it.
SDL_Window* vls_backend_sdl_window(HWND hwnd);

// The area of a window's drawable that shows a logicalWidth x logicalHeight
// picture scaled with its aspect kept (bars left and right or above and
// below), in drawable pixels.
struct VlsLetterbox {
    int x;
    int y;
    int width;
    int height;
};
VlsLetterbox vls_backend_sdl_letterbox(SDL_Window* window, int logicalWidth, int logicalHeight);
// Maps a position in the window (SDL window coordinates) to the logical
// picture; false when it lies on a bar (the point is then clamped).
bool vls_backend_sdl_window_to_logical(SDL_Window* window, int logicalWidth, int logicalHeight, int* x, int* y);
