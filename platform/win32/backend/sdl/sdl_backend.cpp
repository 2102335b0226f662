#include "platform/win32/backend/sdl/sdl_backend.h"

#include "platform/win32/backend/sdl/display_loss.h"
#include "platform/win32/backend/sdl/sdl_keys.h"
#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/code_pages.h"

#include <SDL_shape.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>

namespace vls::backend {
namespace {

struct SdlWindow {
    SDL_Window* window = nullptr;
    NativeWindowDesc desc;  // x, y, width, height: the window's place on our desktop
    bool shaped = false;
    bool external = false;  // someone draws into it with OpenGL
    bool shown = false;
};

std::string ToUtf8(const std::u16string& text)
{
    return vls::win32::Utf16ToUtf8(text);
}

std::u16string FromUtf8(const char* text)
{
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (p && *p) {
        char32_t cp = *p;
        int extra = cp < 0x80 ? 0 : (cp & 0xE0) == 0xC0 ? 1 : (cp & 0xF0) == 0xE0 ? 2 : (cp & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) {
            out.push_back(0xFFFD);
            ++p;
            continue;
        }
        cp &= extra == 0 ? 0x7F : extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07;
        ++p;
        bool ok = true;
        for (int k = 0; k < extra; ++k, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

class SdlBackend;
SdlBackend* g_current = nullptr;

class SdlBackend final : public Backend {
public:
    bool Start()
    {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        // Window pixels go straight to the display's own surface (a shared
        // image on X). Otherwise SDL makes an OpenGL renderer with a context
        // of its own for every window it presents: a second context beside
        // the Direct3D layer's, built before the engine's first frame.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            return false;
        const char* const driver = SDL_GetCurrentVideoDriver();
        if (driver && std::strcmp(driver, "x11") == 0)
            WatchForLostDisplay();
        // The windows of these drivers are seen by nobody: copying window
        // pixels to them would cost a second window-sized picture and a copy
        // per frame, for nothing.
        unseen_ = !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
        g_current = this;
        return true;
    }

    ~SdlBackend() override
    {
        for (auto& [id, w] : windows_)
            if (w.window)
                SDL_DestroyWindow(w.window);
        for (SDL_Cursor* c : cursors_)
            if (c)
                SDL_FreeCursor(c);
        if (g_current == this)
            g_current = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    const char* Name() const override { return "sdl"; }

    void DesktopSize(int& width, int& height) const override
    {
        SDL_Rect r{0, 0, 1024, 768};
        SDL_GetDisplayBounds(0, &r);
        width = r.w;
        height = r.h;
    }

    void WorkArea(int& left, int& top, int& right, int& bottom) const override
    {
        SDL_Rect r{0, 0, 1024, 768};
        if (SDL_GetDisplayUsableBounds(0, &r) != 0)
            SDL_GetDisplayBounds(0, &r);
        left = r.x;
        top = r.y;
        right = r.x + r.w;
        bottom = r.y + r.h;
    }

    NativeWindow CreateNativeWindow(const NativeWindowDesc& desc) override
    {
        SdlWindow w;
        w.desc = desc;
        w.window = MakeWindow(desc, false);
        if (!w.window)
            return 0;
        const NativeWindow id = SDL_GetWindowID(w.window);
        windows_[id] = w;
        return id;
    }

    void DestroyNativeWindow(NativeWindow window) override
    {
        const auto it = windows_.find(window);
        if (it == windows_.end())
            return;
        if (it->second.window)
            SDL_DestroyWindow(it->second.window);
        windows_.erase(it);
    }

    void ShowNativeWindow(NativeWindow window, bool show, bool) override
    {
        SdlWindow* w = Lookup(window);
        if (!w)
            return;
        w->shown = show;
        if (show)
            SDL_ShowWindow(w->window);
        else
            SDL_HideWindow(w->window);
    }

    void MinimizeNativeWindow(NativeWindow window, bool minimized) override
    {
        if (SdlWindow* w = Lookup(window)) {
            if (minimized)
                SDL_MinimizeWindow(w->window);
            else
                SDL_RestoreWindow(w->window);
        }
    }

    void MoveNativeWindow(NativeWindow window, int x, int y, int width, int height) override
    {
        SdlWindow* w = Lookup(window);
        if (!w)
            return;
        if (w->desc.x != x || w->desc.y != y)
            SDL_SetWindowPosition(w->window, x, y);
        if (w->desc.width != width || w->desc.height != height)
            SDL_SetWindowSize(w->window, width, height);
        w->desc.x = x;
        w->desc.y = y;
        w->desc.width = width;
        w->desc.height = height;
    }

    void SetNativeTitle(NativeWindow window, const std::string& title) override
    {
        if (SdlWindow* w = Lookup(window))
            SDL_SetWindowTitle(w->window, title.c_str());
    }

    void RaiseNativeWindow(NativeWindow window) override
    {
        if (SdlWindow* w = Lookup(window); w && w->shown)
            SDL_RaiseWindow(w->window);
    }

    void SetNativeShape(NativeWindow window, const std::vector<std::uint8_t>& mask, int width, int height) override
    {
        SdlWindow* w = Lookup(window);
        if (!w || w->external)
            return;
        if (mask.empty()) {
            if (!w->shaped)
                return;
            width = w->desc.width;
            height = w->desc.height;
        }
        if (!w->shaped && !Reshape(*w, window))
            return;  // the desktop cannot shape windows: it stays a rectangle
        SDL_Surface* shape = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!shape)
            return;
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(shape->pixels) + y * shape->pitch);
            for (int x = 0; x < width; ++x)
                row[x] = (mask.empty() || mask[static_cast<std::size_t>(y) * width + x]) ? 0xFF000000u : 0;
        }
        SDL_WindowShapeMode mode{};
        mode.mode = ShapeModeBinarizeAlpha;
        mode.parameters.binarizationCutoff = 128;
        SDL_SetWindowShape(w->window, shape, &mode);
        SDL_FreeSurface(shape);
    }

    void Present(NativeWindow window, const std::uint32_t* pixels, int width, int height, int stride) override
    {
        SdlWindow* w = Lookup(window);
        if (!w || w->external || !pixels || unseen_)
            return;
        SDL_Surface* target = SDL_GetWindowSurface(w->window);
        if (!target)
            return;
        SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), width, height, 32,
                                                                 stride * 4, SDL_PIXELFORMAT_ARGB8888);
        if (!source)
            return;
        SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
        SDL_Rect dst{0, 0, target->w, target->h};
        if (target->w == width && target->h == height)
            SDL_BlitSurface(source, nullptr, target, nullptr);
        else
            SDL_BlitScaled(source, nullptr, target, &dst);
        SDL_FreeSurface(source);
        SDL_UpdateWindowSurface(w->window);
    }

    void Poll(std::vector<Event>& events) override
    {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            Translate(e, events);
    }

    void Wait(std::uint32_t timeoutMs) override
    {
        // SDL cannot wait on our wake-up, so wait in short slices.
        const std::uint32_t start = SDL_GetTicks();
        for (;;) {
            if (woken_.exchange(false))
                return;
            const std::uint32_t spent = SDL_GetTicks() - start;
            if (timeoutMs != 0xFFFFFFFFu && spent >= timeoutMs)
                return;
            const std::uint32_t left = timeoutMs == 0xFFFFFFFFu ? 20 : std::min<std::uint32_t>(20, timeoutMs - spent);
            if (SDL_WaitEventTimeout(nullptr, static_cast<int>(left)) == 1)
                return;
        }
    }

    void Wake() override { woken_.store(true); }

    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(win32::ClockMicroseconds() / 1000); }

    void SetCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    void SetCursorShape(int id) override
    {
        SDL_SystemCursor which = SDL_SYSTEM_CURSOR_ARROW;
        switch (id) {
        case 32513: which = SDL_SYSTEM_CURSOR_IBEAM; break;
        case 32514: which = SDL_SYSTEM_CURSOR_WAIT; break;
        case 32515: which = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
        case 32642: which = SDL_SYSTEM_CURSOR_SIZENWSE; break;
        case 32643: which = SDL_SYSTEM_CURSOR_SIZENESW; break;
        case 32644: which = SDL_SYSTEM_CURSOR_SIZEWE; break;
        case 32645: which = SDL_SYSTEM_CURSOR_SIZENS; break;
        case 32646: which = SDL_SYSTEM_CURSOR_SIZEALL; break;
        case 32648: which = SDL_SYSTEM_CURSOR_NO; break;
        case 32649: which = SDL_SYSTEM_CURSOR_HAND; break;
        case 32650: which = SDL_SYSTEM_CURSOR_WAITARROW; break;
        default: break;
        }
        SDL_Cursor*& cursor = cursors_[which];
        if (!cursor)
            cursor = SDL_CreateSystemCursor(which);
        if (cursor)
            SDL_SetCursor(cursor);
    }

    void WarpCursor(int x, int y) override { SDL_WarpMouseGlobal(x, y); }

    void SetCapture(bool captured) override { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }

    void SetClipboardText(const std::u16string& text) override { SDL_SetClipboardText(ToUtf8(text).c_str()); }

    bool GetClipboardText(std::u16string& text) override
    {
        char* raw = SDL_GetClipboardText();
        if (!raw)
            return false;
        text = FromUtf8(raw);
        SDL_free(raw);
        return true;
    }

    int ShowMessageBox(const MessageBoxRequest& request) override
    {
        std::vector<SDL_MessageBoxButtonData> buttons;
        for (std::size_t i = 0; i < request.buttons.size(); ++i) {
            SDL_MessageBoxButtonData b{};
            b.buttonid = static_cast<int>(i);
            b.text = request.buttons[i].c_str();
            if (static_cast<int>(i) == request.defaultButton)
                b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (request.buttons[i] == "Cancel" || (request.buttons.size() == 1))
                b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            buttons.push_back(b);
        }
        SDL_MessageBoxData data{};
        data.flags = request.icon == 0x10 ? SDL_MESSAGEBOX_ERROR
                     : request.icon == 0x30 ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
        data.title = request.caption.c_str();
        data.message = request.text.c_str();
        data.numbuttons = static_cast<int>(buttons.size());
        data.buttons = buttons.data();
        int chosen = -1;
        if (SDL_ShowMessageBox(&data, &chosen) != 0) {
            // Windows of a driver that draws nowhere are seen by nobody; on a
            // real screen the program can still draw a box of its own.
            std::fprintf(stderr, "No message box of the desktop's could be shown: %s\n", SDL_GetError());
            return unseen_ ? kMessageBoxNotShown : kMessageBoxNoDialog;
        }
        return chosen;
    }

    SDL_Window* WindowOf(void* tag, bool claim)
    {
        for (auto& [id, w] : windows_) {
            if (w.desc.tag == tag) {
                if (claim)
                    w.external = true;
                return w.window;
            }
        }
        return nullptr;
    }

private:
    SdlWindow* Lookup(NativeWindow id)
    {
        const auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : &it->second;
    }

    SDL_Window* MakeWindow(const NativeWindowDesc& desc, bool shaped)
    {
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
        if (desc.topmost)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        if (desc.toolWindow)
            flags |= SDL_WINDOW_SKIP_TASKBAR;
        const int width = std::max(1, desc.width);
        const int height = std::max(1, desc.height);
        if (shaped)
            return SDL_CreateShapedWindow(desc.title.c_str(), static_cast<unsigned>(std::max(0, desc.x)),
                                          static_cast<unsigned>(std::max(0, desc.y)), static_cast<unsigned>(width),
                                          static_cast<unsigned>(height), flags);
        // OpenGL-capable, so the Direct3D layer can draw into the window.
        SDL_Window* w = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, width, height, flags | SDL_WINDOW_OPENGL);
        if (!w)
            w = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, width, height, flags);
        return w;
    }

    // Shaped windows must be made as such: swap the window for a shaped one
    // under the same id in our table.
    bool Reshape(SdlWindow& w, NativeWindow id)
    {
        SDL_Window* shaped = MakeWindow(w.desc, true);
        if (!shaped)
            return false;
        SDL_DestroyWindow(w.window);
        w.window = shaped;
        w.shaped = true;
        aliases_[SDL_GetWindowID(shaped)] = id;
        if (w.shown)
            SDL_ShowWindow(shaped);
        return true;
    }

    SdlWindow* ByEventWindow(Uint32 sdlId, NativeWindow* idOut)
    {
        NativeWindow id = sdlId;
        if (const auto a = aliases_.find(sdlId); a != aliases_.end())
            id = a->second;
        if (idOut)
            *idOut = id;
        return Lookup(id);
    }

    // A window-relative position on our desktop, through the letterbox when
    // the SDL window is not the size of ours.
    void ToDesktop(const SdlWindow& w, int& x, int& y)
    {
        int sw = 0;
        int sh = 0;
        SDL_GetWindowSize(w.window, &sw, &sh);
        if (sw != w.desc.width || sh != w.desc.height)
            vls_backend_sdl_window_to_logical(w.window, w.desc.width, w.desc.height, &x, &y);
        x += w.desc.x;
        y += w.desc.y;
    }

    void Translate(const SDL_Event& e, std::vector<Event>& out)
    {
        Event ev;
        ev.time = NowMs();
        switch (e.type) {
        case SDL_MOUSEMOTION: {
            SdlWindow* w = ByEventWindow(e.motion.windowID, nullptr);
            if (!w)
                return;
            ev.kind = EventKind::MouseMove;
            ev.x = e.motion.x;
            ev.y = e.motion.y;
            ToDesktop(*w, ev.x, ev.y);
            out.push_back(ev);
            return;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            SdlWindow* w = ByEventWindow(e.button.windowID, nullptr);
            if (!w || e.button.button > SDL_BUTTON_RIGHT)
                return;
            ev.kind = EventKind::MouseButton;
            ev.button = e.button.button == SDL_BUTTON_LEFT ? MouseButton::Left
                        : e.button.button == SDL_BUTTON_RIGHT ? MouseButton::Right : MouseButton::Middle;
            ev.down = e.type == SDL_MOUSEBUTTONDOWN;
            ev.x = e.button.x;
            ev.y = e.button.y;
            ToDesktop(*w, ev.x, ev.y);
            // The press goes where the pointer is, so report it there first.
            Event move = ev;
            move.kind = EventKind::MouseMove;
            out.push_back(move);
            out.push_back(ev);
            return;
        }
        case SDL_MOUSEWHEEL: {
            int x = 0;
            int y = 0;
            SDL_GetGlobalMouseState(&x, &y);
            ev.kind = EventKind::MouseWheel;
            ev.x = x;
            ev.y = y;
            ev.wheel = (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
            out.push_back(ev);
            return;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            bool extended = false;
            const int vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode, &extended);
            if (!vk)
                return;
            ev.kind = EventKind::Key;
            ev.vk = vk;
            ev.scan = static_cast<int>(e.key.keysym.scancode) & 0xFF;
            ev.extended = extended;
            ev.down = e.type == SDL_KEYDOWN;
            out.push_back(ev);
            return;
        }
        case SDL_TEXTINPUT: {
            // Text that follows its key press travels with it.
            if (!out.empty() && out.back().kind == EventKind::Key && out.back().down && out.back().text.empty()) {
                out.back().text = e.text.text;
                return;
            }
            ev.kind = EventKind::Text;
            ev.text = e.text.text;
            out.push_back(ev);
            return;
        }
        case SDL_WINDOWEVENT: {
            NativeWindow id = 0;
            SdlWindow* w = ByEventWindow(e.window.windowID, &id);
            if (!w)
                return;
            ev.window = w->desc.tag;
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: ev.kind = EventKind::CloseRequest; break;
            case SDL_WINDOWEVENT_FOCUS_GAINED: ev.kind = EventKind::FocusGained; break;
            case SDL_WINDOWEVENT_FOCUS_LOST: ev.kind = EventKind::FocusLost; break;
            case SDL_WINDOWEVENT_EXPOSED: ev.kind = EventKind::Exposed; break;
            case SDL_WINDOWEVENT_MINIMIZED: ev.kind = EventKind::Minimized; break;
            case SDL_WINDOWEVENT_RESTORED: ev.kind = EventKind::Restored; break;
            case SDL_WINDOWEVENT_LEAVE: {
                // The pointer left for the desktop or another program: tell
                // where it is, so mouse-leave tracking ends.
                int x = 0;
                int y = 0;
                SDL_GetGlobalMouseState(&x, &y);
                ev.kind = EventKind::MouseMove;
                ev.window = nullptr;
                ev.x = x;
                ev.y = y;
                break;
            }
            default: return;
            }
            out.push_back(ev);
            return;
        }
        default: return;
        }
    }

    std::map<NativeWindow, SdlWindow> windows_;
    std::map<Uint32, NativeWindow> aliases_;
    SDL_Cursor* cursors_[SDL_NUM_SYSTEM_CURSORS] = {};
    std::atomic<bool> woken_{false};
    bool unseen_ = false;  // the driver shows no window
};

}  // namespace

std::unique_ptr<Backend> CreateSdlBackend(std::string* failure)
{
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->Start()) {
        if (failure)
            *failure = SDL_GetError();
        return nullptr;
    }
    return backend;
}

}  // namespace vls::backend

SDL_Window* vls_backend_sdl_window(HWND hwnd)
{
    return vls::backend::g_current ? vls::backend::g_current->WindowOf(hwnd, true) : nullptr;
}

VlsLetterbox vls_backend_sdl_letterbox(SDL_Window* window, int logicalWidth, int logicalHeight)
{
    int dw = 0;
    int dh = 0;
    if (window)
        SDL_GL_GetDrawableSize(window, &dw, &dh);
    if (dw <= 0 || dh <= 0)
        SDL_GetWindowSize(window, &dw, &dh);
    if (dw <= 0 || dh <= 0 || logicalWidth <= 0 || logicalHeight <= 0)
        return {0, 0, std::max(dw, 0), std::max(dh, 0)};
    // Whole pixels, aspect kept: the larger of the two scales that fits.
    int width = dw;
    int height = static_cast<int>(static_cast<long long>(dw) * logicalHeight / logicalWidth);
    if (height > dh) {
        height = dh;
        width = static_cast<int>(static_cast<long long>(dh) * logicalWidth / logicalHeight);
    }
    return {(dw - width) / 2, (dh - height) / 2, width, height};
}

bool vls_backend_sdl_window_to_logical(SDL_Window* window, int logicalWidth, int logicalHeight, int* x, int* y)
{
    if (!window || !x || !y || logicalWidth <= 0 || logicalHeight <= 0)
        return false;
    int ww = 0;
    int wh = 0;
    int dw = 0;
    int dh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    if (dw <= 0 || dh <= 0) {
        dw = ww;
        dh = wh;
    }
    const VlsLetterbox box = vls_backend_sdl_letterbox(window, logicalWidth, logicalHeight);
    // Window points to drawable pixels (high-density displays differ).
    const double px = ww > 0 ? *x * static_cast<double>(dw) / ww : *x;
    const double py = wh > 0 ? *y * static_cast<double>(dh) / wh : *y;
    const bool inside = px >= box.x && py >= box.y && px < box.x + box.width && py < box.y + box.height;
    const double lx = box.width > 0 ? (px - box.x) * logicalWidth / box.width : 0;
    const double ly = box.height > 0 ? (py - box.y) * logicalHeight / box.height : 0;
    *x = std::clamp(static_cast<int>(lx), 0, logicalWidth - 1);
    *y = std::clamp(static_cast<int>(ly), 0, logicalHeight - 1);
    return inside;
}
