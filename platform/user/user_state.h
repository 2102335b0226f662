#pragma once

// The window manager's own state: classes, the window tree, queues, timers,
// input state. Internal to platform/user.

#include "platform/gdi/surface.h"
#include "platform/win32/backend/backend.h"
#include "platform/user/winuser.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vls::user {

struct WindowClass {
    std::string name;  // as registered; looked up case-insensitively
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    ATOM atom = 0;
    std::vector<BYTE> extra;
};

struct Window {
    HWND handle = nullptr;
    WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // the tree parent: the desktop for top-level windows
    HWND owner = nullptr;
    std::vector<HWND> children;  // front to back
    RECT rect{};                 // window rectangle in the parent's client coordinates
    RECT client{};               // client rectangle in the same coordinates
    std::string text;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0;  // child id, or the menu of a top-level window
    LONG_PTR userData = 0;
    std::vector<BYTE> extra;
    std::map<std::string, HANDLE> props;
    HRGN region = nullptr;  // owned once set
    bool minimized = false;
    bool maximized = false;
    RECT normalRect{};
    bool destroying = false;
    bool created = false;  // WM_CREATE has returned
    bool redraw = true;

    // Painting: the part of the client area to repaint (client coordinates),
    // kept as a bounding rectangle.
    RECT update{};
    bool updateErase = false;
    bool frameInvalid = false;
    bool internalPaint = false;

    // Top-level windows only.
    backend::NativeWindow native = 0;
    bool nativeShown = false;
    bool nativeMinimized = false;
    gdi::SurfacePtr surface;
    bool surfaceDirty = false;
    std::uint64_t announcement = 0;  // for FindWindowA in other processes
    bool messageOnly = false;
};

// Hardware input as the backend reported it; its target is decided when it
// leaves the queue.
struct InputEvent {
    backend::Event event;
    DWORD time = 0;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    TIMERPROC proc = nullptr;
    DWORD due = 0;
};

struct Hook {
    int kind = 0;
    HOOKPROC proc = nullptr;
    HHOOK handle = nullptr;
};

struct State {
    std::unique_ptr<backend::Backend> backend;
    bool headless = false;

    std::vector<std::unique_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
    std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::uintptr_t nextHandle = 0x10010;
    HWND desktop = nullptr;

    std::deque<MSG> posted;
    std::deque<InputEvent> input;
    bool quitPosted = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 0x7000;
    std::vector<Hook> hooks;
    std::uintptr_t nextHook = 1;
    std::map<std::string, UINT> registeredMessages;
    int sendDepth = 0;

    DWORD lastMessageTime = 0;
    POINT lastMessagePos{};

    HWND capture = nullptr;
    bool desktopCapture = false;
    HWND focus = nullptr;
    HWND active = nullptr;
    bool appActive = false;
    POINT cursorPos{};
    int cursorCount = 0;  // ShowCursor counter: shown while >= 0
    HCURSOR cursor = nullptr;

    // Key state: bit 0x80 down, bit 0x01 toggled. sync follows the messages
    // removed from the queue; async the input as it arrived.
    BYTE syncKeys[256]{};
    BYTE asyncKeys[256]{};
    bool altAlone = false;
    // Text the desktop gave with the last key press taken from the queue,
    // which TranslateMessage prefers to the key's own character.
    std::string lastKeyText;
    UINT lastKeyVk = 0;

    // Double clicks: the last button press that may pair with the next.
    UINT lastClickMsg = 0;
    HWND lastClickWindow = nullptr;
    DWORD lastClickTime = 0;
    POINT lastClickPos{};

    // TrackMouseEvent.
    HWND trackWindow = nullptr;
    DWORD trackFlags = 0;
    DWORD hoverTime = 400;
    DWORD hoverStart = 0;
    POINT hoverPos{};
    bool hoverArmed = false;
    HWND mouseWindow = nullptr;  // window under the mouse at the last move
    LRESULT mouseHit = HTNOWHERE;
};

State& Get();
// Looks a handle up; null for a stale or foreign handle.
Window* Find(HWND hwnd);
bool IsDesktop(const Window* w);
// The top-level window (child of the desktop) that holds w; itself if it is one.
Window* TopLevelOf(Window* w);
bool IsTopLevel(const Window* w);

// Geometry helpers: a window's rectangles in screen coordinates.
RECT ScreenWindowRect(const Window* w);
RECT ScreenClientRect(const Window* w);
POINT ClientOriginOnScreen(const Window* w);

// Messages sent straight to a window procedure (with the call hooks).
LRESULT Send(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);
void Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Takes what the backend has queued (and the close signals) into the queue.
void PumpBackend();
// Presents every top-level window whose surface changed.
void PresentDirty();

// Activation and focus internals.
void ActivateWindow(Window* top, WORD how);
// Hands activation on from a window that is going away or hiding.
void ActivateOtherThan(Window* w);
// The desktop's pointer grab follows our capture only while a button is held,
// as the original's capture reaches other programs' windows only then.
void SyncDesktopCapture();
// Creates, moves, shows or hides the backend window of a top-level window.
void SyncNative(Window* top);
void Deactivate();
void OnWindowGone(Window* w);

// Painting internals.
bool NeedsPaint(const Window* w);
Window* FindWindowToPaint();
// `hitFrames`: the children's borders and captions that the rectangle
// touches are drawn again too (what a moved window uncovers).
void InvalidateWindow(Window* w, const RECT* rect, bool erase, bool children, bool frame, bool hitFrames = false);
void ResizeSurface(Window* top);
// The surface-pixel mask of a window's region, for the backend's shape.
void ApplyShape(Window* top);
// Caret: taken off a window's pixels while it paints, put back after.
void HideCaretForPaint(HWND hwnd);
void ShowCaretAfterPaint(HWND hwnd);

// Non-client defaults.
bool HasClassicFrame(const Window* w);
void PaintClassicFrame(Window* w, bool active);
void DefaultNcCalcSize(const Window* w, RECT& rect);
LRESULT DefaultNcHitTest(Window* w, POINT screen);

// Input routing.
bool RouteInput(const InputEvent& in, MSG& out, bool remove);
// Posts typed text as WM_CHAR, or as a composition for what the ANSI code page lacks.
void PostTypedText(HWND hwnd, const std::u16string& text);
// Mouse-leave and hover tracking, checked as the loop runs.
void CheckHover(DWORD now);

// Windows announced for FindWindowA in other processes.
void AnnounceWindow(Window* w);
void WithdrawWindow(Window* w);

WindowClass* LookupClass(LPCSTR name);

// Case-insensitive ASCII comparison (class names).
bool SameName(const std::string& a, const char* b);

}  // namespace vls::user
