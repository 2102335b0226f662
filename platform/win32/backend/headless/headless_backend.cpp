#include "platform/win32/backend/headless/headless_backend.h"

#include "platform/gdi/bmp.h"
#include "platform/win32/backend/headless/input_script.h"
#include "platform/win32/kernel/clock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <unistd.h>

namespace vls::backend {
namespace {

struct HeadlessWindow {
    NativeWindowDesc desc;
    bool shown = false;
    bool minimized = false;
    std::vector<std::uint8_t> shape;
    Surface presented;
    bool hasPresented = false;
};

// The window's picture as a 24-bit BMP, written through a temporary file so
// that a driver never sees half a picture. Empty, or why it failed.
std::string WritePicture(const Surface& picture, const std::string& path)
{
    Surface copy = picture;
    const gdi::Surface view(copy.width, copy.height, copy.pixels.data(), copy.width);
    const std::vector<std::uint8_t> bytes = gdi::WriteBmp(view, 24);
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return "cannot write \"" + temporary + "\": " + std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return "cannot write \"" + path + "\": " + reason;
    }
    return {};
}

class HeadlessBackend;
HeadlessBackend* g_current = nullptr;

class HeadlessBackend final : public Backend, private headless::ScriptTarget {
public:
    HeadlessBackend()
    {
        if (pipe(wakePipe_) == 0) {
            fcntl(wakePipe_[0], F_SETFL, O_NONBLOCK);
            fcntl(wakePipe_[1], F_SETFL, O_NONBLOCK);
        }
        g_current = this;
        script_ = headless::InputScript::FromEnvironment(wakePipe_[0]);
        if (script_) {
            headless::InputScript* const script = script_.get();
            win32::SetClockSource([script] { return script->ReadClock(); });
            win32::SetSleepSource([script](std::uint32_t ms) { script->Sleep(ms); });
        }
    }

    ~HeadlessBackend() override
    {
        if (g_current == this)
            g_current = nullptr;
        if (script_)
            win32::SetSleepSource({});
        if (manualClock_ || script_)
            win32::SetClockSource({});
        close(wakePipe_[0]);
        close(wakePipe_[1]);
    }

    const char* Name() const override { return "headless"; }

    void DesktopSize(int& width, int& height) const override
    {
        width = headless::kDesktopWidth;
        height = headless::kDesktopHeight;
    }

    void WorkArea(int& left, int& top, int& right, int& bottom) const override
    {
        left = 0;
        top = 0;
        right = headless::kDesktopWidth;
        bottom = headless::kDesktopHeight;
    }

    NativeWindow CreateNativeWindow(const NativeWindowDesc& desc) override
    {
        const NativeWindow id = nextId_++;
        windows_[id].desc = desc;
        byTag_[desc.tag] = id;
        zOrder_.push_back(id);
        return id;
    }

    void DestroyNativeWindow(NativeWindow window) override
    {
        const auto it = windows_.find(window);
        if (it == windows_.end())
            return;
        byTag_.erase(it->second.desc.tag);
        windows_.erase(it);
        std::erase(zOrder_, window);
    }

    void ShowNativeWindow(NativeWindow window, bool show, bool) override
    {
        if (HeadlessWindow* w = Lookup(window)) {
            w->shown = show;
            if (show)
                ToFront(window);
        }
    }

    void MinimizeNativeWindow(NativeWindow window, bool minimized) override
    {
        if (HeadlessWindow* w = Lookup(window))
            w->minimized = minimized;
    }

    void MoveNativeWindow(NativeWindow window, int x, int y, int width, int height) override
    {
        if (HeadlessWindow* w = Lookup(window)) {
            w->desc.x = x;
            w->desc.y = y;
            w->desc.width = width;
            w->desc.height = height;
        }
    }

    void SetNativeTitle(NativeWindow window, const std::string& title) override
    {
        if (HeadlessWindow* w = Lookup(window))
            w->desc.title = title;
    }

    void RaiseNativeWindow(NativeWindow window) override
    {
        if (Lookup(window))
            ToFront(window);
    }

    void SetNativeShape(NativeWindow window, const std::vector<std::uint8_t>& mask, int, int) override
    {
        if (HeadlessWindow* w = Lookup(window))
            w->shape = mask;
    }

    void Present(NativeWindow window, const std::uint32_t* pixels, int width, int height, int stride) override
    {
        HeadlessWindow* w = Lookup(window);
        if (!w || !pixels || width <= 0 || height <= 0)
            return;
        Surface& s = w->presented;
        s.width = width;
        s.height = height;
        s.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            std::copy(pixels + static_cast<std::ptrdiff_t>(y) * stride, pixels + static_cast<std::ptrdiff_t>(y) * stride + width, s.Row(y));
        w->hasPresented = true;
    }

    void Poll(std::vector<Event>& events) override
    {
        char drain[64];
        while (read(wakePipe_[0], drain, sizeof drain) > 0) {
        }
        if (script_)
            script_->Poll(*this);
        events.insert(events.end(), queued_.begin(), queued_.end());
        queued_.clear();
    }

    void Wait(std::uint32_t timeoutMs) override
    {
        if (!queued_.empty())
            return;
        if (script_ && script_->Wait(timeoutMs))
            return;
        if (manualClock_ && timeoutMs != 0xFFFFFFFFu) {
            // Virtual time: waiting for a timer is moving the clock to it.
            virtualMicros_ += static_cast<std::uint64_t>(timeoutMs) * 1000;
            return;
        }
        pollfd fd{wakePipe_[0], POLLIN, 0};
        const int timeout = timeoutMs == 0xFFFFFFFFu ? -1 : static_cast<int>(std::min<std::uint32_t>(timeoutMs, 0x7FFFFFFF));
        while (poll(&fd, 1, timeout) < 0 && errno == EINTR) {
            // A signal lands here; its handler has written to the pipe too.
            if (timeout >= 0)
                break;
        }
    }

    void Wake() override
    {
        const char one = 1;
        [[maybe_unused]] const ssize_t n = write(wakePipe_[1], &one, 1);
    }

    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(win32::ClockMicroseconds() / 1000); }

    void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
    void SetCursorShape(int id) override { cursorShape_ = id; }
    void WarpCursor(int x, int y) override
    {
        mouseX_ = x;
        mouseY_ = y;
    }
    void SetCapture(bool) override {}

    void SetClipboardText(const std::u16string& text) override { clipboard_ = text; }
    bool GetClipboardText(std::u16string& text) override
    {
        text = clipboard_;
        return true;
    }

    int ShowMessageBox(const MessageBoxRequest&) override { return 0; }

    // Scripted input. Events of an input script come out of the Poll that
    // reads them, so nothing needs waking, and their time stamps leave the
    // virtual clock where it is.
    void Push(Event e, bool wake = true)
    {
        e.time = script_ ? static_cast<std::uint32_t>(script_->PeekClock() / 1000) : NowMs();
        if (e.kind == EventKind::MouseMove || e.kind == EventKind::MouseButton || e.kind == EventKind::MouseWheel) {
            if (e.kind == EventKind::MouseMove) {
                mouseX_ = e.x;
                mouseY_ = e.y;
            }
            e.x = mouseX_;
            e.y = mouseY_;
        }
        queued_.push_back(std::move(e));
        if (wake)
            Wake();
    }

    void UseManualClock()
    {
        if (manualClock_ || script_)
            return;
        virtualMicros_ = win32::ClockMicroseconds();
        manualClock_ = true;
        win32::SetClockSource([this] { return virtualMicros_.load(); });
    }

    void Advance(std::uint32_t ms)
    {
        UseManualClock();
        virtualMicros_ += static_cast<std::uint64_t>(ms) * 1000;
    }

    const Surface* PresentedFor(void* tag)
    {
        const auto it = byTag_.find(tag);
        return it == byTag_.end() ? nullptr : PictureOf(windows_.at(it->second));
    }

    bool Scripted() const { return script_ != nullptr; }

    void SetReader(void* tag, headless::PictureReader reader)
    {
        if (reader)
            readers_[tag] = std::move(reader);
        else
            readers_.erase(tag);
    }

    bool ShownFor(void* tag) const
    {
        const auto it = byTag_.find(tag);
        if (it == byTag_.end())
            return false;
        const HeadlessWindow& w = windows_.at(it->second);
        return w.shown && !w.minimized;
    }

private:
    void ToFront(NativeWindow window)
    {
        std::erase(zOrder_, window);
        zOrder_.insert(zOrder_.begin(), window);
    }

    // What the window shows: its device's picture when a device draws it.
    const Surface* PictureOf(const HeadlessWindow& w)
    {
        if (const auto reader = readers_.find(w.desc.tag); reader != readers_.end() && reader->second(devicePicture_))
            return &devicePicture_;
        return w.hasPresented ? &w.presented : nullptr;
    }

    // The shown window nearest the front: the one a script acts on.
    const HeadlessWindow* FrontWindow() const
    {
        for (const NativeWindow id : zOrder_)
            if (const HeadlessWindow& w = windows_.at(id); w.shown)
                return &w;
        return nullptr;
    }

    // Moves the mouse to a point of the front window (of the desktop when
    // no window is shown).
    void MouseTo(int x, int y)
    {
        Event e;
        e.kind = EventKind::MouseMove;
        e.x = x;
        e.y = y;
        if (const HeadlessWindow* w = FrontWindow()) {
            e.x += w->desc.x;
            e.y += w->desc.y;
        }
        Push(e, false);
    }

    void PushScripted(EventKind kind, const headless::ScriptCommand& c, bool down)
    {
        Event e;
        e.kind = kind;
        e.vk = c.vk;
        e.button = c.button;
        e.wheel = c.wheel;
        e.text = c.text;
        e.down = down;
        Push(e, false);
    }

    std::string Apply(const headless::ScriptCommand& c) override
    {
        using headless::ScriptOp;
        switch (c.op) {
        case ScriptOp::Step: return {};
        case ScriptOp::KeyDown: PushScripted(EventKind::Key, c, true); return {};
        case ScriptOp::KeyUp: PushScripted(EventKind::Key, c, false); return {};
        case ScriptOp::Key:
            PushScripted(EventKind::Key, c, true);
            PushScripted(EventKind::Key, c, false);
            return {};
        case ScriptOp::Text: PushScripted(EventKind::Text, c, false); return {};
        case ScriptOp::Move: MouseTo(c.x, c.y); return {};
        case ScriptOp::ButtonDown:
        case ScriptOp::ButtonUp:
            MouseTo(c.x, c.y);
            PushScripted(EventKind::MouseButton, c, c.op == ScriptOp::ButtonDown);
            return {};
        case ScriptOp::Click:
            MouseTo(c.x, c.y);
            PushScripted(EventKind::MouseButton, c, true);
            PushScripted(EventKind::MouseButton, c, false);
            return {};
        case ScriptOp::Wheel:
            MouseTo(c.x, c.y);
            PushScripted(EventKind::MouseWheel, c, false);
            return {};
        case ScriptOp::Activate:
        case ScriptOp::Deactivate:
        case ScriptOp::Close: {
            const HeadlessWindow* w = FrontWindow();
            if (!w)
                return "no window is shown";
            Event e;
            e.kind = c.op == ScriptOp::Activate ? EventKind::FocusGained
                : c.op == ScriptOp::Deactivate  ? EventKind::FocusLost
                                                : EventKind::CloseRequest;
            e.window = w->desc.tag;
            Push(e, false);
            return {};
        }
        case ScriptOp::Screenshot: {
            const HeadlessWindow* w = FrontWindow();
            const Surface* picture = w ? PictureOf(*w) : nullptr;
            if (!picture)
                return "no window has shown a picture yet";
            return WritePicture(*picture, c.text);
        }
        }
        return {};
    }

    void InputClosed() override
    {
        Event e;
        e.kind = EventKind::Quit;
        Push(e, false);
    }

    HeadlessWindow* Lookup(NativeWindow id)
    {
        const auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : &it->second;
    }

    int wakePipe_[2] = {-1, -1};
    NativeWindow nextId_ = 1;
    std::map<NativeWindow, HeadlessWindow> windows_;
    std::map<void*, NativeWindow> byTag_;
    std::vector<Event> queued_;
    std::vector<NativeWindow> zOrder_;  // front first
    std::unique_ptr<headless::InputScript> script_;
    std::map<void*, headless::PictureReader> readers_;
    Surface devicePicture_;  // the last picture a reader gave
    bool manualClock_ = false;
    std::atomic<std::uint64_t> virtualMicros_{0};
    bool cursorVisible_ = true;
    int cursorShape_ = 0;
    int mouseX_ = headless::kDesktopWidth / 2;
    int mouseY_ = headless::kDesktopHeight / 2;
    std::u16string clipboard_;
};

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace vls::backend

namespace vls::headless {

using backend::Event;
using backend::EventKind;
using backend::g_current;

void MouseMove(int x, int y)
{
    if (!g_current)
        return;
    Event e;
    e.kind = EventKind::MouseMove;
    e.x = x;
    e.y = y;
    g_current->Push(e);
}

void MouseButton(backend::MouseButton button, bool down)
{
    if (!g_current)
        return;
    Event e;
    e.kind = EventKind::MouseButton;
    e.button = button;
    e.down = down;
    g_current->Push(e);
}

void MouseWheel(int delta)
{
    if (!g_current)
        return;
    Event e;
    e.kind = EventKind::MouseWheel;
    e.wheel = delta;
    g_current->Push(e);
}

void Click(int x, int y, backend::MouseButton button)
{
    MouseMove(x, y);
    MouseButton(button, true);
    MouseButton(button, false);
}

void Key(int vk, bool down)
{
    if (!g_current)
        return;
    Event e;
    e.kind = EventKind::Key;
    e.vk = vk;
    e.down = down;
    g_current->Push(e);
}

void KeyTap(int vk)
{
    Key(vk, true);
    Key(vk, false);
}

void Text(const std::string& utf8)
{
    if (!g_current)
        return;
    Event e;
    e.kind = EventKind::Text;
    e.text = utf8;
    g_current->Push(e);
}

void RequestClose(HWND hwnd)
{
    if (!g_current)
        return;
    Event e;
    e.kind = EventKind::CloseRequest;
    e.window = hwnd;
    g_current->Push(e);
}

void DesktopFocus(HWND hwnd, bool gained)
{
    if (!g_current)
        return;
    Event e;
    e.kind = gained ? EventKind::FocusGained : EventKind::FocusLost;
    e.window = hwnd;
    g_current->Push(e);
}

void UseManualClock()
{
    if (g_current)
        g_current->UseManualClock();
}

void AdvanceClock(std::uint32_t ms)
{
    if (g_current)
        g_current->Advance(ms);
}

const backend::Surface* PresentedSurface(HWND hwnd) { return g_current ? g_current->PresentedFor(hwnd) : nullptr; }

bool IsShownOnDesktop(HWND hwnd) { return g_current && g_current->ShownFor(hwnd); }

bool ScriptWantsPictures() { return g_current && g_current->Scripted(); }

void SetPictureReader(HWND hwnd, PictureReader reader)
{
    if (g_current)
        g_current->SetReader(hwnd, std::move(reader));
}

}  // namespace vls::headless
