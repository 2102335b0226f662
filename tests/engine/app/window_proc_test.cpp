#include "engine/app/kestrune_engine.h"
#include "engine/app/program.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include "platform/win32/kernel/module.h"
#include "platform/user/winuser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using vls::test::FakeMembers;
using Calls = std::vector<std::string>;

LPARAM Position(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class WindowProcTest : public ::testing::Test {
protected:
    WindowProcTest() : engine(nullptr, nullptr, "", &members) { g_engine = &engine; }
    ~WindowProcTest() override
    {
        g_engine = nullptr;
        engine.video = nullptr;
        engine.queuedVideo = nullptr;
    }

    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { WndProc(nullptr, message, wParam, lParam); }
    void Key(WPARAM key) { Send(WM_KEYDOWN, key); }

    vls::test::ScopedConfig config;
    FakeMembers members;
    cKestruneEngine engine;
};

TEST_F(WindowProcTest, MousePositionsAreSignedAndClampedToTheLimits)
{
    struct Case {
        int x, y;
        int32_t storedX, storedY;
    };
    const std::vector<Case> cases = {
        {100, 200, 100, 200},
        {2000, 900, 1020, 764},
        {-5, -1, 0, 0},
        {1020, 764, 1020, 764},
        {0x7fff, 0x8000, 1020, 0},
    };
    for (const Case& c : cases) {
        Send(WM_MOUSEMOVE, 0, Position(c.x, c.y));
        EXPECT_EQ(members.mouseX, c.storedX) << c.x << "," << c.y;
        EXPECT_EQ(members.mouseY, c.storedY) << c.x << "," << c.y;
    }
}

TEST_F(WindowProcTest, ClicksFillTheEventSlotsAndADoubleClickWins)
{
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(members.leftEvent, 1);
    Send(WM_LBUTTONDBLCLK);
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(members.leftEvent, 2);
    Send(WM_RBUTTONDOWN);
    EXPECT_EQ(members.rightEvent, 1);
    Send(WM_RBUTTONDBLCLK);
    Send(WM_RBUTTONDOWN);
    EXPECT_EQ(members.rightEvent, 2);

    members.leftEvent = 0;
    members.gameplay = false;
    Send(WM_LBUTTONDOWN);
    Send(WM_MOUSEMOVE, 0, Position(5, 5));
    EXPECT_EQ(members.leftEvent, 0);
    EXPECT_EQ(members.mouseX, -1);
}

TEST_F(WindowProcTest, AHeldButtonKeepsDraggingAnOptionsSlider)
{
    members.menuOpen = true;
    members.menuScreen = 3;
    members.menuControl = 2;
    Send(WM_MOUSEMOVE, MK_LBUTTON, Position(10, 10));
    EXPECT_EQ(members.leftEvent, 1);

    struct Case {
        int32_t screen, control;
        WPARAM keys;
        int32_t before, after;
    };
    const std::vector<Case> cases = {
        {3, 4, MK_LBUTTON, 0, 1},
        {3, 1, MK_LBUTTON, 2, 2}, // a pending double click is kept
        {3, 5, MK_LBUTTON, 0, 0},
        {3, 0, MK_LBUTTON, 0, 0},
        {3, 2, 0, 0, 0},
        {1, 2, MK_LBUTTON, 0, 0},
    };
    for (const Case& c : cases) {
        members.menuScreen = c.screen;
        members.menuControl = c.control;
        members.leftEvent = c.before;
        Send(WM_MOUSEMOVE, c.keys, Position(10, 10));
        EXPECT_EQ(members.leftEvent, c.after) << c.screen << "/" << c.control;
    }
    members.menuOpen = false;
    members.menuScreen = 3;
    members.menuControl = 2;
    members.leftEvent = 0;
    Send(WM_MOUSEMOVE, MK_LBUTTON, Position(10, 10));
    EXPECT_EQ(members.leftEvent, 0);
}

TEST_F(WindowProcTest, ActivationAndCharactersAndCursor)
{
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(engine.inactive, 1);
    Send(WM_ACTIVATEAPP, 1);
    EXPECT_EQ(engine.inactive, 0);

    Send(WM_CHAR, 'a');
    members.menuOpen = true;
    members.menuScreen = 4;
    Send(WM_CHAR, 'b');
    members.menuScreen = 5;
    Send(WM_CHAR, 'c');
    EXPECT_EQ(members.calls, (Calls{"name entry 99"}));

    EXPECT_EQ(WndProc(nullptr, WM_SETCURSOR, 0, 0), TRUE);
}

TEST_F(WindowProcTest, DestroyingTheWindowEndsAnInactiveWait)
{
    Send(WM_ACTIVATEAPP, 0);
    Send(WM_DESTROY);
    EXPECT_EQ(engine.inactive, 0);
    engine.PumpMessages();
    EXPECT_EQ(engine.quit, 1);
}

TEST_F(WindowProcTest, EscapeEndsVideosOneAtATimeAndResumesTheirScripts)
{
    const auto video = [](uintptr_t n) { return FakeMembers::Object<cKestruneVideo>(n); };
    engine.video = video(1);
    // Two videos wait: the second must still wait once the first plays.
    engine.queuedVideo = video(2);
    members.queuedBehind = {{video(2), video(3)}};
    Key(VK_ESCAPE);
    EXPECT_EQ(engine.video, video(2));
    EXPECT_EQ(engine.queuedVideo, video(3));
    Key(VK_ESCAPE);
    EXPECT_EQ(engine.video, video(3));
    EXPECT_EQ(engine.queuedVideo, nullptr);
    Key(VK_ESCAPE);
    EXPECT_EQ(engine.video, nullptr);
    EXPECT_EQ(members.calls,
        (Calls{"resume 1", "delete video 1", "resume 2", "delete video 2", "resume 3", "delete video 3"}));

    // A realtime video plays on, and Escape reaches nothing else either.
    members.calls.clear();
    members.menuOpen = true;
    engine.video = video(4);
    members.realtimeVideos = {engine.video};
    Key(VK_ESCAPE);
    EXPECT_EQ(engine.video, video(4));
    EXPECT_TRUE(members.calls.empty());
}

TEST_F(WindowProcTest, EscapeWalksTheMenuBackAndThenClosesIt)
{
    members.menuOpen = true;
    members.menuScreen = 6;
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    EXPECT_EQ(members.calls, (Calls{"menu main", "close menu"}));
    EXPECT_FALSE(members.menuOpen);
    Key(VK_ESCAPE);
    EXPECT_EQ(members.calls.back(), "open menu");
}

TEST_F(WindowProcTest, EscapeDuringADialogueCutsOnlyTheSpokenLine)
{
    struct Case {
        int32_t state;
        bool speech;
        uint32_t gameState;
        Calls calls;
    };
    const std::vector<Case> cases = {
        {2, true, 0x207, {"stop speech"}},
        {2, false, 0x207, {"end line"}},
        {1, true, 0x207, {}},
        {0, false, 0x207, {"open menu"}},
        {-1, false, 0x207, {"open menu"}},
        {0, false, 0x206, {}},
    };
    for (const Case& c : cases) {
        members.calls.clear();
        members.menuOpen = false;
        members.dialogueState = c.state;
        members.speechPlaying = c.speech;
        members.gameState = c.gameState;
        Key(VK_ESCAPE);
        EXPECT_EQ(members.calls, c.calls) << c.state << " " << c.speech;
    }
}

TEST_F(WindowProcTest, MessengerKeyNeedsAnIdleGameAndTheItem)
{
    Key('M');
    members.gameState |= 0x400;
    Key('M');
    EXPECT_EQ(members.calls, (Calls{"run messenger_open", "run messenger_close"}));

    struct Blocker {
        const char* name;
        void (*apply)(FakeMembers&, cKestruneEngine&);
    };
    const std::vector<Blocker> blockers = {
        {"no gameplay", [](FakeMembers& m, cKestruneEngine&) { m.gameplay = false; }},
        {"no 0x200", [](FakeMembers& m, cKestruneEngine&) { m.gameState = 0x7; }},
        {"no 0x1", [](FakeMembers& m, cKestruneEngine&) { m.gameState = 0x206; }},
        {"menu open", [](FakeMembers& m, cKestruneEngine&) { m.menuOpen = true; }},
        {"dialogue", [](FakeMembers& m, cKestruneEngine&) { m.dialogueState = 1; }},
        {"walking", [](FakeMembers& m, cKestruneEngine&) { m.walking = true; }},
        {"video", [](FakeMembers& m, cKestruneEngine& e) {
             e.video = FakeMembers::Object<cKestruneVideo>(9);
             m.realtimeVideos = {e.video};
         }},
        {"scripted wait", [](FakeMembers& m, cKestruneEngine&) { m.scriptedWait = true; }},
        {"no item", [](FakeMembers& m, cKestruneEngine&) { m.items.clear(); }},
    };
    for (const Blocker& b : blockers) {
        FakeMembers fresh;
        cKestruneEngine other(nullptr, nullptr, "", &fresh);
        g_engine = &other;
        b.apply(fresh, other);
        Key('M');
        EXPECT_TRUE(fresh.calls.empty()) << b.name;
        other.video = nullptr;
    }
    g_engine = &engine;
}

TEST_F(WindowProcTest, HintKeyShowsWhileHeld)
{
    Key('H');
    Key('H');
    Send(WM_KEYUP, 'H');
    Send(WM_KEYUP, 'J');
    EXPECT_EQ(members.calls, (Calls{"show hints", "show hints", "hide hints"}));

    members.calls.clear();
    members.gameState |= 0x400;
    Key('H');
    members.gameState = 0x206;
    Key('H');
    members.gameState = 0x207;
    members.hints = false;
    Key('H');
    Send(WM_KEYUP, 'H');
    EXPECT_TRUE(members.calls.empty());
}

TEST_F(WindowProcTest, ScreenshotTakesTheFirstFreeNumber)
{
    const vls::test::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    Key(VK_F8);
    dir.write("screenshot 0.bmp", "x");
    dir.write("screenshot 1.bmp", "x");
    dir.write("screenshot 3.bmp", "x");
    Key(VK_F8);
    members.graphics = false;
    Key(VK_F8);
    std::filesystem::current_path(previous);
    EXPECT_EQ(members.calls, (Calls{"screenshot screenshot 0.bmp", "screenshot screenshot 2.bmp"}));
}

TEST(ProgramExports, DoWinInitIsFoundByName)
{
    RegisterProgramExports();
    EXPECT_EQ(GetProcAddress(GetModuleHandleA(nullptr), "doWinInit"), vls::win32::ToProc(doWinInit));
}

TEST_F(WindowProcTest, WithoutAnEngineEveryMessageGoesToTheDefault)
{
    g_engine = nullptr;
    Send(WM_ACTIVATEAPP, 0);
    Send(WM_LBUTTONDOWN);
    Key(VK_ESCAPE);
    Key('M');
    Key(VK_F8);
    EXPECT_EQ(engine.inactive, 0);
    EXPECT_TRUE(members.calls.empty());
    EXPECT_EQ(members.leftEvent, 0);
}

} // namespace
