#pragma once

// The screen beneath the window manager. platform/user draws every
// top-level window into a 32-bit surface of its own and hands the backend the
// finished pixels; the backend shows them (SDL2) or keeps them (headless),
// and reports input at screen coordinates, close requests and focus changes.

#include <cstdint>
#include <string>
#include <vector>

namespace vls::backend {

// A copy of a top-level window's pixels: 0xAARRGGBB words, rows top to bottom.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

enum class MouseButton { Left, Right, Middle };

enum class EventKind {
    MouseMove,     // x, y: screen position
    MouseButton,   // x, y, button, down
    MouseWheel,    // x, y, wheel (multiples of 120, positive away from the user)
    Key,           // vk, scan, extended, down
    Text,          // text: UTF-8 typed text not covered by the key's own character
    CloseRequest,  // window: the desktop asks the window to close
    FocusGained,   // window: the desktop made this window the foreground one
    FocusLost,     // window
    Exposed,       // window: the desktop lost what it showed of the window
    Minimized,     // window: the desktop minimized the window
    Restored,      // window: the desktop brought a minimized window back
    Quit,          // the desktop asks the whole program to end
};

struct Event {
    EventKind kind = EventKind::MouseMove;
    int x = 0;
    int y = 0;
    MouseButton button = MouseButton::Left;
    bool down = false;
    int wheel = 0;
    int vk = 0;
    int scan = 0;
    bool extended = false;
    std::string text;
    void* window = nullptr;  // the owner tag of CreateWindow
    std::uint32_t time = 0;
};

struct NativeWindowDesc {
    void* tag = nullptr;  // the window manager's handle, reported back in events
    std::string title;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool topmost = false;
    bool toolWindow = false;  // kept off the task bar
};

using NativeWindow = std::uintptr_t;

// Buttons of a message box, in order; the answer is the index of the button.
struct MessageBoxRequest {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    int defaultButton = 0;
    int icon = 0;  // the MB_ICON* bits
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual const char* Name() const = 0;
    virtual void DesktopSize(int& width, int& height) const = 0;
    // The work area: the desktop less any panels the desktop reserves.
    virtual void WorkArea(int& left, int& top, int& right, int& bottom) const = 0;

    virtual NativeWindow CreateNativeWindow(const NativeWindowDesc& desc) = 0;
    virtual void DestroyNativeWindow(NativeWindow window) = 0;
    virtual void ShowNativeWindow(NativeWindow window, bool show, bool activate) = 0;
    // Minimized windows stay reachable from the desktop's task list.
    virtual void MinimizeNativeWindow(NativeWindow window, bool minimized) = 0;
    virtual void MoveNativeWindow(NativeWindow window, int x, int y, int width, int height) = 0;
    virtual void SetNativeTitle(NativeWindow window, const std::string& title) = 0;
    virtual void RaiseNativeWindow(NativeWindow window) = 0;
    // Shape of the window as a mask of width*height bytes (nonzero: inside);
    // empty clears the shape.
    virtual void SetNativeShape(NativeWindow window, const std::vector<std::uint8_t>& mask, int width,
                                int height) = 0;
    virtual void Present(NativeWindow window, const std::uint32_t* pixels, int width, int height, int stridePixels) = 0;

    // Moves queued input into events. Never blocks.
    virtual void Poll(std::vector<Event>& events) = 0;
    // Blocks until input may be ready or timeoutMs passes (0xFFFFFFFF: no
    // limit); Wake() from a signal handler ends the wait early.
    virtual void Wait(std::uint32_t timeoutMs) = 0;
    virtual void Wake() = 0;

    virtual std::uint32_t NowMs() = 0;

    virtual void SetCursorVisible(bool visible) = 0;
    virtual void SetCursorShape(int systemCursorId) = 0;
    virtual void WarpCursor(int x, int y) = 0;
    virtual void SetCapture(bool captured) = 0;

    virtual void SetClipboardText(const std::u16string& text) = 0;
    virtual bool GetClipboardText(std::u16string& text) = 0;

    // Shows a message box and returns the index of the button chosen;
    // kMessageBoxNotShown when nobody could see one (no screen to show it
    // on), kMessageBoxNoDialog when the desktop has no box of its own to
    // offer but shows the program's windows, so the program may draw one.
    static constexpr int kMessageBoxNotShown = -2;
    static constexpr int kMessageBoxNoDialog = -3;
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
};

}  // namespace vls::backend
