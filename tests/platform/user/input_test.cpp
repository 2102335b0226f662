#include "platform/win32/imm32/imm.h"

#include "window_fixture.h"

using vls::backend::MouseButton;
using vls::test::WindowTest;
namespace hl = vls::headless;

class Input : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        hl::UseManualClock();
    }
};

// A window whose top 20 rows are a caption of its own and whose client area
// starts below them; the rightmost 10 columns say HTTRANSPARENT.
TEST_F(Input, HitTestingFollowsACustomNonClientArea)
{
    const HWND back = Make(WS_POPUP | WS_VISIBLE, 0, 0, 400, 400);
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 100, 100, 200, 100);
    answers_[w] = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg == WM_NCCALCSIZE) {
            RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
            r->top += 20;
            return 0;
        }
        if (msg == WM_NCHITTEST) {
            RECT wr{};
            GetWindowRect(h, &wr);
            const int x = GET_X_LPARAM(lParam) - wr.left;
            const int y = GET_Y_LPARAM(lParam) - wr.top;
            if (x >= 190)
                return HTTRANSPARENT;
            return y < 20 ? HTCAPTION : HTCLIENT;
        }
        if (msg == WM_NCLBUTTONDOWN)
            return 0;  // no move loop in this test
        return std::nullopt;
    };
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.bottom, 80);
    Clear();

    hl::Click(150, 110);  // caption
    hl::Click(150, 150);  // client: 50, 30 inside the client area
    hl::Click(295, 150);  // transparent strip: goes to the window behind
    Pump();
    const auto nc = Of(WM_NCLBUTTONDOWN);
    ASSERT_EQ(nc.size(), 1u);
    EXPECT_EQ(nc[0].hwnd, w);
    EXPECT_EQ(nc[0].wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(GET_X_LPARAM(nc[0].lParam), 150) << "non-client messages carry screen coordinates";
    const auto down = Of(WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].hwnd, w);
    EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 30);
    EXPECT_EQ(down[0].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(down[1].hwnd, back);
    EXPECT_EQ(GET_X_LPARAM(down[1].lParam), 295);
    EXPECT_EQ(WindowFromPoint(POINT{150, 150}), back) << "the click on the strip raised the window behind";
}

TEST_F(Input, ChildWindowsTakeClicksInsideTheirParentsClientArea)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    const HWND child = Make(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, top);
    const HWND disabled = Make(WS_CHILD | WS_VISIBLE | WS_DISABLED, 200, 200, 50, 50, top);
    Clear();
    hl::Click(60, 70);
    hl::Click(210, 210);
    Pump();
    const auto down = Of(WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 20);
    EXPECT_EQ(down[1].hwnd, top) << "a disabled child leaves the click to its parent";
    (void)disabled;
}

TEST_F(Input, ClickOutsideAnOpenPopupReachesTheWindowUnderTheMouse)
{
    const HWND form = Make(WS_POPUP | WS_VISIBLE, 0, 0, 400, 300);
    const HWND other = Make(WS_POPUP | WS_VISIBLE, 500, 0, 100, 100);
    SetActiveWindow(form);
    const HWND popup = Make(WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, form, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    // The popup's own loop: capture, peek the click, close when it is outside,
    // and leave the click in the queue for whoever is under the mouse.
    SetCapture(popup);
    hl::Click(520, 20);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, popup) << "while captured the popup sees the click";
    POINT inPopup = m.pt;
    ScreenToClient(popup, &inPopup);
    EXPECT_EQ(inPopup.x, 470);
    ReleaseCapture();
    DestroyWindow(popup);
    Clear();
    Pump();
    const auto down = Of(WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].hwnd, other);
    EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 20);
    EXPECT_EQ(GetActiveWindow(), other) << "the click activated the window under the mouse";
    EXPECT_EQ(Of(WM_MOUSEACTIVATE).size(), 1u);
}

TEST_F(Input, DoubleClicksOnlyForClassesThatAskForThem)
{
    const HWND plain = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND dbl = Make(WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr, 0, kDblClass);
    Clear();
    struct Case {
        int x;
        int secondX;
        DWORD gapMs;
        UINT second;
    };
    const Case cases[] = {
        {10, 10, 100, WM_LBUTTONDOWN},   // no CS_DBLCLKS
        {210, 210, 100, WM_LBUTTONDBLCLK},
        {210, 211, 500, WM_LBUTTONDBLCLK},  // at the time limit, within the square
        {210, 210, 501, WM_LBUTTONDOWN},    // too slow
        {210, 215, 100, WM_LBUTTONDOWN},    // moved too far
    };
    for (const Case& c : cases) {
        Clear();
        hl::AdvanceClock(1000);  // forget the previous case
        hl::Click(c.x, 10);
        hl::AdvanceClock(c.gapMs);
        hl::Click(c.secondX, 10);
        Pump();
        std::vector<UINT> presses;
        for (const auto& r : log_)
            if (r.msg == WM_LBUTTONDOWN || r.msg == WM_LBUTTONDBLCLK)
                presses.push_back(r.msg);
        ASSERT_EQ(presses.size(), 2u) << c.x;
        EXPECT_EQ(presses[0], WM_LBUTTONDOWN) << c.x;
        EXPECT_EQ(presses[1], c.second) << c.x << " " << c.secondX << " " << c.gapMs;
    }
    // A third quick click is a plain press again.
    Clear();
    hl::AdvanceClock(1000);
    hl::Click(210, 10);
    hl::Click(210, 10);
    hl::Click(210, 10);
    Pump();
    EXPECT_EQ(Of(WM_LBUTTONDBLCLK).size(), 1u);
    EXPECT_EQ(Of(WM_LBUTTONDOWN).size(), 2u);
    (void)plain;
    (void)dbl;
}

TEST_F(Input, KeysGoToTheFocusWithKeyDataAndTranslateToCharacters)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND edit = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, top);
    SetFocus(edit);
    Clear();
    hl::Key(VK_SHIFT, true);
    hl::KeyTap('A');
    hl::Key(VK_SHIFT, false);
    hl::Key('B', true);
    hl::Key('B', true);  // auto-repeat
    hl::Key('B', false);
    Pump();
    const auto chars = Of(WM_CHAR);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(chars[1].wParam, static_cast<WPARAM>('b'));
    EXPECT_EQ(chars[0].hwnd, edit);
    const auto downs = Of(WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 4u);
    EXPECT_EQ(downs[2].lParam & (1 << 30), 0) << "first press: key was up";
    EXPECT_NE(downs[3].lParam & (1 << 30), 0) << "repeat: key was down";
    const auto ups = Of(WM_KEYUP);
    ASSERT_FALSE(ups.empty());
    EXPECT_NE(static_cast<DWORD>(ups.back().lParam) & 0x80000000u, 0u);
    EXPECT_EQ(GetKeyState('B') & 0x8000, 0);
}

TEST_F(Input, AltKeysAreSystemKeysAndAltAloneAsksForTheMenu)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Clear();
    hl::Key(VK_MENU, true);
    hl::KeyTap('X');
    hl::Key(VK_MENU, false);
    hl::KeyTap(VK_F10);
    Pump();
    EXPECT_EQ(Of(WM_KEYDOWN).size(), 0u);
    EXPECT_EQ(Of(WM_SYSKEYDOWN).size(), 3u);
    ASSERT_EQ(Of(WM_SYSCHAR).size(), 1u);
    EXPECT_EQ(Of(WM_SYSCHAR)[0].wParam, static_cast<WPARAM>('x'));
    EXPECT_NE(Of(WM_SYSKEYDOWN)[1].lParam & (1 << 29), 0) << "context bit: Alt held";
    // Alt+X asks for the menu with the letter; plain F10 without it.
    const auto commands = Of(WM_SYSCOMMAND);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].wParam & 0xFFF0, SC_KEYMENU);
    EXPECT_EQ(commands[0].lParam, 'x');
    EXPECT_EQ(commands[1].wParam & 0xFFF0, SC_KEYMENU);
    EXPECT_EQ(commands[1].lParam, 0);
    (void)w;
}

TEST_F(Input, TextOutsideTheAnsiCodePageArrivesAsACompositionResult)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    std::u16string composed;
    answers_[w] = [&](HWND h, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR)) {
            const HIMC imc = ImmGetContext(h);
            const LONG bytes = ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
            composed.resize(static_cast<std::size_t>(bytes) / 2);
            ImmGetCompositionStringW(imc, GCS_RESULTSTR, composed.data(), static_cast<DWORD>(bytes));
            ImmReleaseContext(h, imc);
            return 0;
        }
        return std::nullopt;
    };
    Clear();
    hl::Text("\xC3\xA9\xD0\x96\xD0\xB4\xE2\x82\xAC");  // é Ж д €
    Pump();
    std::vector<std::string> seen;
    for (const auto& r : log_)
        if (r.msg == WM_CHAR || r.msg == WM_IME_STARTCOMPOSITION || r.msg == WM_IME_COMPOSITION ||
            r.msg == WM_IME_ENDCOMPOSITION)
            seen.push_back(vls::test::MessageName(r.msg));
    EXPECT_EQ(seen, (std::vector<std::string>{"CHAR", "IME_START", "IME_COMPOSITION", "IME_END", "CHAR"}));
    EXPECT_EQ(Of(WM_CHAR)[0].wParam, 0xE9u);
    EXPECT_EQ(Of(WM_CHAR)[1].wParam, 0x80u) << "the euro sign is in code page 1252";
    EXPECT_EQ(composed, u"\u0416\u0434");
}

TEST_F(Input, MouseLeaveIsPostedWhenTheMouseLeavesATrackedWindow)
{
    const HWND a = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND b = Make(WS_POPUP | WS_VISIBLE, 100, 0, 100, 100);
    hl::MouseMove(50, 50);
    Pump();
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = a;
    ASSERT_TRUE(TrackMouseEvent(&tme));
    Clear();
    hl::MouseMove(60, 50);
    Pump();
    EXPECT_TRUE(Of(WM_MOUSELEAVE).empty());
    hl::MouseMove(150, 50);
    Pump();
    ASSERT_EQ(Of(WM_MOUSELEAVE).size(), 1u);
    EXPECT_EQ(Of(WM_MOUSELEAVE)[0].hwnd, a);
    (void)b;
}

TEST_F(Input, ADisabledOwnerSwallowsClicksWhileItsModalPopupIsUp)
{
    const HWND owner = Make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    const HWND dialog = Make(WS_POPUP | WS_VISIBLE, 400, 0, 100, 100, owner);
    EnableWindow(owner, FALSE);
    Clear();
    hl::Click(10, 10);
    Pump();
    EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
    EXPECT_EQ(GetActiveWindow(), dialog);
    EnableWindow(owner, TRUE);
    hl::Click(10, 10);
    Pump();
    EXPECT_EQ(Of(WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(Input, CaptureSendsEveryMouseMessageToTheCapturingWindowInItsCoordinates)
{
    const HWND a = Make(WS_POPUP | WS_VISIBLE, 100, 100, 50, 50);
    Make(WS_POPUP | WS_VISIBLE, 300, 300, 50, 50);
    SetCapture(a);
    Clear();
    hl::Click(310, 320);
    Pump();
    const auto down = Of(WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].hwnd, a);
    EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 210);
    EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 220);
    hl::Click(10, 10);  // over the desktop: still ours, with negative coordinates
    Pump();
    EXPECT_EQ(GET_X_LPARAM(Of(WM_LBUTTONDOWN).back().lParam), -90);
}

TEST_F(Input, HoverIsPostedAfterTheMouseRestsLongEnough)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    hl::MouseMove(50, 50);
    Pump();
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = w;
    tme.dwHoverTime = 100;
    ASSERT_TRUE(TrackMouseEvent(&tme));
    Clear();
    hl::AdvanceClock(60);
    hl::MouseMove(51, 50);  // a small move does not restart the wait
    hl::AdvanceClock(40);
    Pump();
    ASSERT_EQ(Of(WM_MOUSEHOVER).size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(Of(WM_MOUSEHOVER)[0].lParam), 51);
    hl::AdvanceClock(500);
    Pump();
    EXPECT_EQ(Of(WM_MOUSEHOVER).size(), 1u) << "once per request";
}

TEST_F(Input, DraggingTheCaptionMovesTheWindow)
{
    const HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 150);
    hl::MouseMove(200, 110);  // in the caption
    hl::MouseButton(MouseButton::Left, true);
    hl::MouseMove(230, 150);
    hl::MouseButton(MouseButton::Left, false);
    Pump();
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 130);
    EXPECT_EQ(r.top, 140);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(Of(WM_EXITSIZEMOVE).empty());
}

TEST_F(Input, RightClicksAndTheMenuKeyAskForTheContextMenuUpTheChain)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
    const HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top);
    SetFocus(child);
    Clear();
    hl::Click(120, 130, MouseButton::Right);
    hl::KeyTap(VK_APPS);
    Pump();
    const auto menus = Of(WM_CONTEXTMENU);
    // Each request reaches the child and then, by default, its parent.
    ASSERT_EQ(menus.size(), 4u);
    EXPECT_EQ(menus[0].hwnd, child);
    EXPECT_EQ(menus[1].hwnd, top);
    EXPECT_EQ(reinterpret_cast<HWND>(menus[1].wParam), child);
    EXPECT_EQ(GET_X_LPARAM(menus[0].lParam), 120);
    EXPECT_EQ(GET_Y_LPARAM(menus[0].lParam), 130);
    EXPECT_EQ(menus[2].lParam, -1) << "from the keyboard";
}
