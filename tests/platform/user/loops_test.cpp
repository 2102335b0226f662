#include "window_fixture.h"

#include <csignal>

using vls::test::WindowTest;

class Loops : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        vls::headless::UseManualClock();
    }

    // The window that a close signal asks to close; null when none was asked.
    static HWND ClosedBySignal(int signal)
    {
        raise(signal);
        MSG m{};
        if (!GetMessageA(&m, nullptr, 0, 0) || m.message != WM_CLOSE)
            return nullptr;
        return m.hwnd;
    }
};

TEST_F(Loops, TimersFireAtTheirIntervalAndStopWhenKilled)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    const DWORD start = vls::user::Now();
    ASSERT_EQ(SetTimer(w, 5, 100, nullptr), 5u);
    MSG m{};
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    vls::headless::AdvanceClock(99);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    vls::headless::AdvanceClock(1);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.hwnd, w);
    EXPECT_EQ(m.wParam, 5u);
    // Late timers do not queue up: one message, then the next interval.
    vls::headless::AdvanceClock(350);
    EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    // GetMessage waits for the next one by moving the virtual clock.
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(vls::user::Now() - start, 550u);
    EXPECT_TRUE(KillTimer(w, 5));
    EXPECT_FALSE(KillTimer(w, 5));
    vls::headless::AdvanceClock(1000);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Loops, TimerCallbacksRunFromDispatchAndThreadTimersGetTheirOwnIds)
{
    static int calls = 0;
    struct Callback {
        static void Proc(HWND, UINT msg, UINT_PTR, DWORD)
        {
            if (msg == WM_TIMER)
                ++calls;
        }
    };
    const UINT_PTR a = SetTimer(nullptr, 0, 10, &Callback::Proc);
    const UINT_PTR b = SetTimer(nullptr, 0, 10, &Callback::Proc);
    EXPECT_NE(a, b);
    vls::headless::AdvanceClock(10);
    Pump();
    EXPECT_EQ(calls, 2);
    KillTimer(nullptr, a);
    KillTimer(nullptr, b);
}

TEST_F(Loops, DestroyingAWindowKillsItsTimersAndDropsItsPostedMessages)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    SetTimer(w, 1, 10, nullptr);
    PostMessageA(w, WM_USER, 0, 0);
    DestroyWindow(w);
    vls::headless::AdvanceClock(100);
    MSG m{};
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0)) << "a stale handle is refused";
    EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
}

TEST_F(Loops, NestedModalLoopEndsOnAPostedMessageAndTheOuterLoopCarriesOn)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
    const UINT kEndModal = WM_USER + 1;
    int depthSeen = 0;
    answers_[w] = [&](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_USER)
            return std::nullopt;
        // A modal loop of its own, as a dialog or a menu runs it.
        SetTimer(h, 9, 50, nullptr);
        MSG m{};
        int timerTicks = 0;
        while (GetMessageA(&m, nullptr, 0, 0)) {
            if (m.message == kEndModal && m.hwnd == h)
                break;
            if (m.message == WM_TIMER && ++timerTicks == 2)
                PostMessageA(h, kEndModal, 0, 0);
            DispatchMessageA(&m);
        }
        KillTimer(h, 9);
        depthSeen = timerTicks;
        PostQuitMessage(0);
        return 0;
    };
    PostMessageA(w, WM_USER, 0, 0);
    PostMessageA(w, WM_USER + 2, 0, 0);
    MSG m{};
    std::vector<UINT> outer;
    while (GetMessageA(&m, nullptr, 0, 0)) {
        outer.push_back(m.message);
        DispatchMessageA(&m);
    }
    EXPECT_EQ(depthSeen, 2);
    // The message posted before the modal loop started was handled inside it.
    EXPECT_EQ(outer, std::vector<UINT>{WM_USER});
    EXPECT_FALSE(Of(WM_USER + 2).empty());
}

TEST_F(Loops, SigtermBecomesCloseForTheMainWindow)
{
    const HWND main = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Make(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, main);  // an owned popup is not the main window
    Clear();
    raise(SIGTERM);
    MSG m{};
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_CLOSE);
    EXPECT_EQ(m.hwnd, main);
    DispatchMessageA(&m);
    EXPECT_FALSE(IsWindow(main)) << "the default close destroys the window";
}

TEST_F(Loops, SigintClosesTheShownFormOfAHiddenApplicationWindow)
{
    const HWND app = Make(WS_POPUP, 0, 0, 0, 0);  // hidden, owns the forms
    const HWND form = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, app);
    EXPECT_EQ(ClosedBySignal(SIGINT), form);
}

// With every window hidden (a program in the tray) the close goes to the
// window that owns the program's windows, not to the first hidden form.
TEST_F(Loops, SigtermWithEverythingHiddenGoesToTheOwnerOfTheForms)
{
    const HWND app = Make(WS_POPUP, 0, 0, 0, 0);
    Make(WS_POPUP, 0, 0, 10, 10, app);  // never shown, made first
    Make(WS_POPUP, 0, 0, 100, 100, app);  // the main form, hidden in the tray
    // The forms were shown and brought up once; the owner lies below them.
    SetWindowPos(app, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Clear();
    EXPECT_EQ(ClosedBySignal(SIGTERM), app);
}

// A program in the tray keeps unowned helper windows of its own (a tray
// icon's window, a timer's): the close still reaches the owner of the forms,
// never a helper that would swallow it and leave the program running.
TEST_F(Loops, SigtermWithEverythingHiddenPassesUnownedHelperWindows)
{
    const HWND app = Make(WS_POPUP, 0, 0, 0, 0);
    Make(WS_POPUP, 0, 0, 100, 100, app);  // the main form, hidden in the tray
    const HWND helper = Make(WS_POPUP, 0, 0, 0, 0, nullptr, WS_EX_TOOLWINDOW);
    SetWindowPos(helper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Clear();
    EXPECT_EQ(ClosedBySignal(SIGTERM), app);
}

TEST_F(Loops, DesktopCloseRequestBecomesClose)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    answers_[w] = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_CLOSE)
            return 0;  // refused: the window stays
        return std::nullopt;
    };
    vls::headless::RequestClose(w);
    Pump();
    EXPECT_EQ(Of(WM_CLOSE).size(), 1u);
    EXPECT_TRUE(IsWindow(w));
}

TEST_F(Loops, MessageBoxIsAnsweredByTheHookAndDefaultsToTheFirstButton)
{
    std::string seenText;
    std::string seenCaption;
    UINT seenType = 0;
    vls::user::SetMessageBoxHook([&](HWND, const std::string& text, const std::string& caption, UINT type) {
        seenText = text;
        seenCaption = caption;
        seenType = type;
        return IDCANCEL;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Error in module x[]\n-> y\n", "An error occured...", 0x41011), IDCANCEL);
    EXPECT_EQ(seenText, "Error in module x[]\n-> y\n");
    EXPECT_EQ(seenCaption, "An error occured...");
    EXPECT_EQ(seenType, 0x41011u);
    vls::user::SetMessageBoxHook(nullptr);
    const std::pair<UINT, int> defaults[] = {{MB_OK, IDOK}, {MB_OKCANCEL, IDOK}, {MB_YESNO, IDYES},
                                             {MB_YESNOCANCEL, IDYES}, {MB_RETRYCANCEL, IDRETRY},
                                             {MB_ABORTRETRYIGNORE, IDABORT}};
    for (const auto& [type, answer] : defaults)
        EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", type), answer) << type;
}
