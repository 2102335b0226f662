#pragma once

// Calls beyond the Win32 interface that programs and tests use to steer the
// window manager: the backend, the message-box answer, the close signals and
// the window surfaces that device contexts draw into.

#include "platform/gdi/surface.h"
#include "platform/win32/backend/backend.h"
#include "platform/win32/wintypes.h"

#include <functional>
#include <string>

namespace vls::user {

// The backend chosen at the first window-manager call: headless when
// VEILSTRAND_BACKEND=headless or no display is available, else SDL2.
backend::Backend& CurrentBackend();
bool IsHeadless();

// A message box set with this hook is logged to stderr and answered by it,
// whatever the backend. Without a hook, headless boxes are logged and take
// their first button; SDL shows a real dialog. Returns the previous hook.
using MessageBoxHook = std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// SIGINT and SIGTERM become WM_CLOSE to the program's main window (the
// active window's shown root owner), posted from the message loop; with no
// window they post WM_QUIT. Installed by the first top-level window at the
// latest; a program calls it first thing, before the window manager is up,
// so a signal in its first moments waits for the message loop instead of
// ending the process.
void InstallCloseSignals();
// Names the window that those signals and the desktop's quit ask to close,
// in place of the active window's root owner: a class library names its
// application's main form, so the request is never lost on an owner-less
// popup or dialog that happens to be active. A null answer (or no hook)
// keeps the default.
void SetCloseTarget(std::function<HWND()> target);

// The surface of the top-level window that holds hwnd, and hwnd's client
// origin within it. Device contexts over a window draw here.
gdi::SurfacePtr WindowSurface(HWND hwnd, POINT* clientOrigin);
// Shows what has been drawn into a window's surface (device contexts call it
// when released; painting calls it after EndPaint).
void PresentWindow(HWND hwnd);

// Milliseconds of the clock that timers and message times use.
DWORD Now();

// Destroys every window and forgets every class; for tests that need a
// clean window manager between cases.
void ResetForTests();

}  // namespace vls::user
