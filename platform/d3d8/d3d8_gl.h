#pragma once

// The OpenGL device: Direct3D 8 drawing on an OpenGL 2.1 compatibility
// context of an SDL window, into a 1024 x 768 framebuffer object that Present
// scales into the window with letterboxing and the gamma ramp. Offscreen, the
// device draws on a hidden window of its own, and the headless backend reads
// each presented picture, through the gamma ramp, as the picture of the
// window the device was made for.

#include "platform/d3d8/d3d8_device.h"

namespace vls::d3d8 {

// Null when no context can be made on the window.
D3D8Device* createOpenGLDevice(IDirect3D8* d3d, void* sdlWindow, const D3DPRESENT_PARAMETERS& params,
                               const D3DCAPS8& caps);
// Null when no offscreen context can be made.
D3D8Device* createOffscreenDevice(IDirect3D8* d3d, HWND shownIn, const D3DPRESENT_PARAMETERS& params,
                                  const D3DCAPS8& caps);

}  // namespace vls::d3d8
