#include "platform/user/user_state.h"

#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/win32/backend/sdl/sdl_backend.h"
#include "platform/user/user_control.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace vls::user {
namespace {

bool AskedFor(const char* backendName)
{
    const char* choice = std::getenv("VEILSTRAND_BACKEND");
    return choice && std::strcmp(choice, backendName) == 0;
}

bool HasDisplay()
{
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("SDL_VIDEODRIVER");
}

// Only a fallback is announced: whoever asked for headless knows already.
void SayRunningWithoutWindow(const std::string& why)
{
    std::fprintf(stderr, "%s: %s: running without a window (set VEILSTRAND_BACKEND=headless to say so)\n",
                 program_invocation_short_name, why.c_str());
}

std::unique_ptr<State> MakeState()
{
    auto state = std::make_unique<State>();
    if (!AskedFor("headless")) {
        std::string failure;
        if (HasDisplay() || AskedFor("sdl")) {
            state->backend = backend::CreateSdlBackend(&failure);
            failure = "no display could be opened (" + failure + ")";
        } else {
            failure = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
        }
        if (!state->backend)
            SayRunningWithoutWindow(failure);
    }
    if (!state->backend) {
        state->backend = backend::CreateHeadlessBackend();
        state->headless = true;
    }
    int width = 0;
    int height = 0;
    state->backend->DesktopSize(width, height);
    state->cursorPos = {width / 2, height / 2};

    auto desktop = std::make_unique<Window>();
    desktop->handle = reinterpret_cast<HWND>(state->nextHandle);
    state->nextHandle += 2;
    desktop->style = WS_VISIBLE | WS_CLIPCHILDREN;
    desktop->rect = {0, 0, width, height};
    desktop->client = desktop->rect;
    desktop->created = true;
    state->desktop = desktop->handle;
    state->windows[reinterpret_cast<std::uintptr_t>(desktop->handle)] = std::move(desktop);
    return state;
}

// Never destroyed: programs tear their windows down from exit handlers,
// which run after static objects are gone.
std::unique_ptr<State>& Holder()
{
    static auto* state = new std::unique_ptr<State>;
    return *state;
}

}  // namespace

State& Get()
{
    auto& state = Holder();
    if (!state)
        state = MakeState();
    return *state;
}

Window* Find(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto& windows = Get().windows;
    const auto it = windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == windows.end() ? nullptr : it->second.get();
}

bool IsDesktop(const Window* w) { return w && w->handle == Get().desktop; }

bool IsTopLevel(const Window* w) { return w && w->parent == Get().desktop; }

Window* TopLevelOf(Window* w)
{
    while (w && !IsDesktop(w) && !IsTopLevel(w))
        w = Find(w->parent);
    return IsDesktop(w) ? nullptr : w;
}

POINT ClientOriginOnScreen(const Window* w)
{
    POINT origin{w->client.left, w->client.top};
    for (const Window* p = Find(w->parent); p; p = Find(p->parent)) {
        origin.x += p->client.left;
        origin.y += p->client.top;
    }
    return origin;
}

RECT ScreenWindowRect(const Window* w)
{
    POINT base{0, 0};
    if (const Window* p = Find(w->parent))
        base = ClientOriginOnScreen(p);
    return {w->rect.left + base.x, w->rect.top + base.y, w->rect.right + base.x, w->rect.bottom + base.y};
}

RECT ScreenClientRect(const Window* w)
{
    const POINT o = ClientOriginOnScreen(w);
    return {o.x, o.y, o.x + (w->client.right - w->client.left), o.y + (w->client.bottom - w->client.top)};
}

bool SameName(const std::string& a, const char* b) { return b && strcasecmp(a.c_str(), b) == 0; }

backend::Backend& CurrentBackend() { return *Get().backend; }

bool IsHeadless() { return Get().headless; }

DWORD Now() { return Get().backend->NowMs(); }

void ResetForTests()
{
    State& s = Get();
    std::vector<HWND> tops;
    if (Window* d = Find(s.desktop))
        tops = d->children;
    for (const HWND h : tops)
        DestroyWindow(h);
    // Windows owned by nothing that were never parented (message windows).
    std::vector<HWND> rest;
    for (const auto& [key, w] : s.windows)
        if (w->handle != s.desktop)
            rest.push_back(w->handle);
    for (const HWND h : rest)
        DestroyWindow(h);
    s.classes.clear();
    s.posted.clear();
    s.input.clear();
    s.quitPosted = false;
    s.timers.clear();
    s.hooks.clear();
    s.capture = s.focus = s.active = nullptr;
    s.appActive = false;
    s.cursorCount = 0;
    std::memset(s.syncKeys, 0, sizeof s.syncKeys);
    std::memset(s.asyncKeys, 0, sizeof s.asyncKeys);
    s.lastClickMsg = 0;
    s.lastClickWindow = nullptr;
    s.trackWindow = nullptr;
    s.mouseWindow = nullptr;
    SetMessageBoxHook(nullptr);
    std::vector<backend::Event> drop;
    s.backend->Poll(drop);
}

}  // namespace vls::user
