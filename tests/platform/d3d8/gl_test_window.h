#pragma once

// A hidden SDL window with OpenGL for pixel tests, installed as the window of
// every HWND so that CreateDevice makes the OpenGL device. Without a display
// SDL's offscreen driver is used.

#include "platform/d3d8/d3d8_window.h"

#include <SDL.h>

#include <cstdlib>

namespace vls::test {

class GlTestWindow {
public:
    explicit GlTestWindow(int width = 1024, int height = 768)
    {
        if (!std::getenv("DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        window_ = SDL_CreateWindow("vls test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        current_ = window_;
        D3D8SetWindowResolver([](HWND) -> void* { return current_; });
    }
    ~GlTestWindow()
    {
        D3D8SetWindowResolver(nullptr);
        current_ = nullptr;
        if (window_) SDL_DestroyWindow(window_);
        // SDL's video stays up: unloading the GL driver would leave its
        // allocations without a module name for the leak checker.
    }
    bool ok() const { return window_ != nullptr; }
    SDL_Window* window() const { return window_; }

private:
    SDL_Window* window_ = nullptr;
    static inline SDL_Window* current_ = nullptr;
};

}  // namespace vls::test
