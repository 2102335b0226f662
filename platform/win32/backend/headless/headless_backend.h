#pragma once

// The headless screen: a virtual desktop of memory surfaces, input that tests
// script at screen coordinates, and a clock that runs with the monotonic
// clock until a test takes it over.

#include "platform/win32/backend/backend.h"
#include "platform/win32/wintypes.h"

#include <functional>
#include <memory>

namespace vls::backend {

std::unique_ptr<Backend> CreateHeadlessBackend();

}  // namespace vls::backend

// Scripted input and inspection for tests and for programs run without a
// display. Every call acts on the one headless backend in use; with no such
// backend they do nothing.
namespace vls::headless {

constexpr int kDesktopWidth = 1024;
constexpr int kDesktopHeight = 768;

void MouseMove(int x, int y);
void MouseButton(backend::MouseButton button, bool down);
void MouseWheel(int delta);
// Move, press and release the left button at one screen position.
void Click(int x, int y, backend::MouseButton button = backend::MouseButton::Left);
void Key(int vk, bool down);
// Press and release, as a short tap.
void KeyTap(int vk);
// Text typed through an input method (UTF-8).
void Text(const std::string& utf8);
// The desktop's close button on a top-level window.
void RequestClose(HWND hwnd);
// The desktop moving the keyboard focus to or away from a window.
void DesktopFocus(HWND hwnd, bool gained);

// Clock: from the first call on, the clock stands still except when moved
// here, and a wait for a timer moves it forward to the timer's due time.
void UseManualClock();
void AdvanceClock(std::uint32_t ms);

// The last pixels shown for a top-level window, or null.
const backend::Surface* PresentedSurface(HWND hwnd);

// Whether an input script drives the program: its screenshots then want the
// picture a drawing device makes, not the window's own surface.
bool ScriptWantsPictures();
// A device that draws a window's picture offscreen hands the backend a
// reader of that picture (false: none yet); the window's screenshots and
// PresentedSurface then come from it. An empty reader takes it back.
using PictureReader = std::function<bool(backend::Surface&)>;
void SetPictureReader(HWND hwnd, PictureReader reader);
// Whether the window is shown on the virtual desktop.
bool IsShownOnDesktop(HWND hwnd);

}  // namespace vls::headless
