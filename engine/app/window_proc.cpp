#include "engine/app/engine_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/program.h"

#include "platform/win32/kernel/paths.h"
#include "platform/user/winuser.h"

#include <climits>
#include <cstdio>
#include <string>

namespace {

constexpr WPARAM kKeyEscape = 27;
constexpr WPARAM kKeyMessenger = 77; // 'M'
constexpr WPARAM kKeyHints = 72;     // 'H'
constexpr WPARAM kKeyScreenshot = 119; // F8

constexpr int32_t kMenuMainScreen = 1;
constexpr int32_t kMenuOptionsScreen = 3;
constexpr int32_t kMenuSaveScreen = 5;
constexpr int32_t kDialogueSpeaking = 2;

constexpr uint32_t kStateInputEnabled = 0x1;
constexpr uint32_t kStateMessengerAllowed = 0x200;
constexpr uint32_t kStateMessengerOpen = 0x400;

constexpr int32_t kClick = 1;
constexpr int32_t kDoubleClick = 2;

int32_t Clamp(int32_t value, int32_t high)
{
    if (value > high)
        value = high;
    return value < 0 ? 0 : value;
}

void OnMouseMove(cKestruneEngine& engine, WPARAM wParam, LPARAM lParam)
{
    cKestruneMembers& members = engine.Members();
    if (!members.HasGameplay(engine))
        return;
    int32_t maxX = 0;
    int32_t maxY = 0;
    members.GetMouseLimits(engine, maxX, maxY);
    const int32_t x = static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)));
    const int32_t y = static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)));
    members.SetMouse(engine, Clamp(x, maxX), Clamp(y, maxY));

    // A held button keeps acting on an options slider every frame.
    if (members.MenuOpen(engine) && members.MenuScreen(engine) == kMenuOptionsScreen) {
        const int32_t control = members.MenuActiveControl(engine);
        int32_t* const left = members.ButtonEvent(engine, false);
        if (control >= 1 && control <= 4 && (wParam & MK_LBUTTON) && left && *left != kDoubleClick)
            *left = kClick;
    }
}

void OnButton(cKestruneEngine& engine, bool right, bool doubleClick)
{
    int32_t* const slot = engine.Members().ButtonEvent(engine, right);
    if (!slot)
        return;
    // A double click stays until the input step has consumed it.
    if (doubleClick)
        *slot = kDoubleClick;
    else if (*slot != kDoubleClick)
        *slot = kClick;
}

void OnEscape(cKestruneEngine& engine)
{
    cKestruneMembers& members = engine.Members();
    if (engine.video) {
        if (members.VideoRealtime(engine.video))
            return;
        members.ResumeVideoScript(engine.video);
        cKestruneVideo* const ended = engine.video;
        engine.video = nullptr;
        members.DeleteVideo(ended);
        // The next queued video plays; the ones behind it keep waiting.
        if (cKestruneVideo* const next = engine.queuedVideo) {
            engine.queuedVideo = members.UnlinkQueuedVideo(next);
            engine.video = next;
        }
        return;
    }
    if (members.MenuOpen(engine)) {
        if (members.MenuScreen(engine) == kMenuMainScreen)
            members.CloseMenu(engine);
        else
            members.MenuToMainScreen(engine);
        return;
    }
    if (!members.HasGameplay(engine))
        return;
    const int32_t dialogueState = members.DialogueState(engine);
    if (dialogueState > 0) {
        if (dialogueState == kDialogueSpeaking) {
            if (members.DialogueSpeechPlaying(engine))
                members.StopDialogueSpeech(engine);
            else
                members.EndDialogueLine(engine);
        }
        return;
    }
    if (members.GameState(engine) & kStateInputEnabled)
        members.OpenMenu(engine);
}

// Whether the game is free for a screen of its own: no menu, dialogue, video
// or scripted wait in the way.
bool GameIsIdle(cKestruneEngine& engine)
{
    cKestruneMembers& members = engine.Members();
    return !members.MenuOpen(engine) && members.DialogueState(engine) == 0 && !engine.video &&
        !members.ScriptedWaitPending(engine);
}

void OnMessengerKey(cKestruneEngine& engine)
{
    cKestruneMembers& members = engine.Members();
    if (!members.HasGameplay(engine))
        return;
    const uint32_t state = members.GameState(engine);
    const uint32_t needed = kStateMessengerAllowed | kStateInputEnabled;
    if ((state & needed) != needed || !GameIsIdle(engine) || members.PlayerWalking(engine))
        return;
    if (!members.HasInventoryItem(engine, "Messenger"))
        return;
    members.RunProjectFunction(engine, (state & kStateMessengerOpen) ? "messenger_close" : "messenger_open");
}

void OnHintKey(cKestruneEngine& engine)
{
    cKestruneMembers& members = engine.Members();
    if (!members.HasGameplay(engine))
        return;
    const uint32_t state = members.GameState(engine);
    if (!(state & kStateInputEnabled) || (state & kStateMessengerOpen) || !GameIsIdle(engine))
        return;
    if (members.HasHints(engine))
        members.ShowHints(engine, true);
}

bool FileOpens(const std::string& name)
{
    const auto path = vls::win32::MapPath(name);
    if (!path)
        return false;
    std::FILE* const file = std::fopen(path->c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

void OnScreenshotKey(cKestruneEngine& engine)
{
    if (!engine.Members().HasGraphics(engine))
        return;
    for (int n = 0; n < INT_MAX; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "screenshot %d.bmp", n);
        if (!FileOpens(name)) {
            engine.Members().SaveScreenshot(engine, name);
            return;
        }
    }
}

} // namespace

void OnKeyDown(WPARAM key, LPARAM)
{
    if (!g_engine)
        return;
    cKestruneEngine& engine = *g_engine;
    switch (key) {
    case kKeyEscape: OnEscape(engine); break;
    case kKeyMessenger: OnMessengerKey(engine); break;
    case kKeyHints: OnHintKey(engine); break;
    case kKeyScreenshot: OnScreenshotKey(engine); break;
    default: break;
    }
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    cKestruneEngine* const engine = g_engine;
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        // Nothing is left to wait for: an inactive frame must not keep waiting.
        if (engine)
            engine->inactive = 0;
        break;
    case WM_ACTIVATEAPP:
        if (engine)
            engine->inactive = wParam == 0 ? 1 : 0;
        break;
    case WM_CHAR:
        if (engine && engine->Members().MenuOpen(*engine) && engine->Members().MenuScreen(*engine) == kMenuSaveScreen)
            engine->Members().MenuNameEntry(*engine, wParam);
        break;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        break;
    case WM_KEYUP:
        if (engine && wParam == kKeyHints && engine->Members().HasHints(*engine))
            engine->Members().ShowHints(*engine, false);
        break;
    case WM_MOUSEMOVE:
        if (engine)
            OnMouseMove(*engine, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (engine)
            OnButton(*engine, message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK,
                message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
