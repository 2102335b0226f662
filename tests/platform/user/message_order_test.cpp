#include "window_fixture.h"

using vls::test::WindowTest;
using Seq = std::vector<std::string>;

class MessageOrder : public WindowTest {};

TEST_F(MessageOrder, CreatingAVisibleTopLevelWindowActivatesAndFocusesIt)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
    ASSERT_TRUE(w);
    EXPECT_EQ(Names(w), (Seq{"NCCREATE", "CREATE", "SIZE", "MOVE", "SHOWWINDOW", "POSCHANGING", "ACTIVATEAPP",
                               "NCACTIVATE", "ACTIVATE", "SETFOCUS", "POSCHANGED"}));
    EXPECT_EQ(GetActiveWindow(), w);
    EXPECT_EQ(GetFocus(), w);
    EXPECT_TRUE(vls::headless::IsShownOnDesktop(w));
}

TEST_F(MessageOrder, ActivationMovesBetweenTopLevelWindowsWithoutActivateApp)
{
    const HWND a = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND b = Make(WS_POPUP | WS_VISIBLE, 200, 0, 100, 100);
    Clear();
    SetActiveWindow(a);
    EXPECT_EQ(Names(), (Seq{"NCACTIVATE", "ACTIVATE", "NCACTIVATE", "ACTIVATE", "KILLFOCUS", "SETFOCUS"}));
    EXPECT_EQ(log_[0].hwnd, b);
    EXPECT_EQ(LOWORD(log_[1].wParam), WA_INACTIVE);
    EXPECT_EQ(reinterpret_cast<HWND>(log_[1].lParam), a);
    EXPECT_EQ(log_[2].hwnd, a);
    EXPECT_EQ(LOWORD(log_[3].wParam), WA_ACTIVE);
    EXPECT_EQ(GetFocus(), a);
}

TEST_F(MessageOrder, DesktopFocusLossDeactivatesTheApplication)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Clear();
    vls::headless::DesktopFocus(w, false);
    Pump();
    EXPECT_EQ(Names(), (Seq{"NCACTIVATE", "ACTIVATE", "ACTIVATEAPP", "KILLFOCUS"}));
    EXPECT_EQ(Of(WM_ACTIVATEAPP).at(0).wParam, 0u);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    Clear();
    vls::headless::DesktopFocus(w, true);
    Pump();
    EXPECT_EQ(Of(WM_ACTIVATEAPP).at(0).wParam, 1u);
    EXPECT_EQ(GetActiveWindow(), w);
}

TEST_F(MessageOrder, SentMessagesRunAtOnceAndPostedOnesInQueueOrder)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    Clear();
    PostMessageA(w, WM_USER, 1, 0);
    PostMessageA(w, WM_USER + 1, 2, 0);
    EXPECT_EQ(SendMessageA(w, WM_USER + 2, 0, 0), 0);
    EXPECT_EQ(Names(), (Seq{"USER+2"}));
    Pump();
    EXPECT_EQ(Names(), (Seq{"USER+2", "USER", "USER+1"}));
}

TEST_F(MessageOrder, PeekWithoutRemoveLeavesTheMessageAndFiltersApply)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    const HWND other = Make(WS_POPUP, 0, 0, 10, 10);
    PostMessageA(w, WM_USER, 0, 0);
    PostMessageA(other, WM_USER + 1, 0, 0);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, other, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(m.hwnd, other);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_USER, WM_USER + 5, PM_REMOVE));
}

TEST_F(MessageOrder, QuitComesAfterPostedMessagesAndEndsGetMessage)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    PostQuitMessage(7);
    PostMessageA(w, WM_USER, 0, 0);
    MSG m{};
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageOrder, DestroyGoesParentFirstThenFreesChildrenFirst)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
    const HWND grandchild = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, child);
    SetFocus(grandchild);
    SetCapture(child);
    Clear();
    ignored_.push_back(WM_NCACTIVATE);
    ignored_.push_back(WM_ACTIVATE);
    ignored_.push_back(WM_ACTIVATEAPP);
    ignored_.push_back(WM_SHOWWINDOW);
    ASSERT_TRUE(DestroyWindow(top));
    EXPECT_EQ(Names(), (Seq{"POSCHANGING", "POSCHANGED", "KILLFOCUS", "CAPTURECHANGED", "DESTROY", "DESTROY",
                              "DESTROY", "NCDESTROY", "NCDESTROY", "NCDESTROY"}));
    const auto destroys = Of(WM_DESTROY);
    EXPECT_EQ(destroys[0].hwnd, top);
    EXPECT_EQ(destroys[2].hwnd, grandchild);
    const auto ncdestroys = Of(WM_NCDESTROY);
    EXPECT_EQ(ncdestroys[0].hwnd, grandchild);
    EXPECT_EQ(ncdestroys[2].hwnd, top);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(grandchild));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(MessageOrder, OwnedPopupsAreDestroyedBeforeTheirOwner)
{
    const HWND owner = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND popup = Make(WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, owner);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
    EXPECT_EQ(GetParent(popup), owner);
    Clear();
    DestroyWindow(owner);
    const auto destroys = Of(WM_DESTROY);
    ASSERT_EQ(destroys.size(), 2u);
    EXPECT_EQ(destroys[0].hwnd, popup);
    EXPECT_EQ(destroys[1].hwnd, owner);
}

TEST_F(MessageOrder, CaptureChangesAreAnnouncedToTheLoser)
{
    const HWND a = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    const HWND b = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    EXPECT_EQ(SetCapture(a), nullptr);
    Clear();
    EXPECT_EQ(SetCapture(b), a);
    ASSERT_EQ(Of(WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(Of(WM_CAPTURECHANGED)[0].hwnd, a);
    EXPECT_EQ(reinterpret_cast<HWND>(Of(WM_CAPTURECHANGED)[0].lParam), b);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Of(WM_CAPTURECHANGED).back().hwnd, b);
}

TEST_F(MessageOrder, CreateFailsWhenNcCreateOrCreateRefuse)
{
    answers_[nullptr] = nullptr;
    // Refusal is decided by the procedure; route through a subclass below.
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    ASSERT_TRUE(w);
    struct Refuser {
        static LRESULT Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_CREATE)
                return -1;
            return DefWindowProcA(h, m, wp, lp);
        }
    };
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Refuser::Proc;
    wc.lpszClassName = "Refuser";
    ASSERT_TRUE(RegisterClassA(&wc));
    EXPECT_EQ(CreateWindowExA(0, "Refuser", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(RegisterClassA(&wc), 0) << "a class name registers once";
}

TEST_F(MessageOrder, SubclassingThroughSetWindowLongChainsToTheOldProcedure)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    static WNDPROC old = nullptr;
    static int seen = 0;
    struct Sub {
        static LRESULT Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_USER)
                ++seen;
            return CallWindowProcA(old, h, m, wp, lp);
        }
    };
    old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Sub::Proc)));
    EXPECT_EQ(old, &WindowTest::Proc);
    Clear();
    SendMessageA(w, WM_USER, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(Names(), (Seq{"USER"}));
}

TEST_F(MessageOrder, ProceduresSurviveTheRoundTripThroughThe32BitCalls)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    static LONG oldId = 0;
    static int seen = 0;
    struct Sub {
        static LRESULT Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_USER)
                ++seen;
            return CallWindowProcA(reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(oldId)), h, m, wp, lp);
        }
    };
    // What a 32-bit caller stores: the procedure as a LONG.
    oldId = GetWindowLongA(w, GWL_WNDPROC);
    const HWND helper = Make(WS_POPUP, 0, 0, 1, 1);
    SetWindowLongPtrA(helper, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Sub::Proc));
    const LONG subId = GetWindowLongA(helper, GWL_WNDPROC);
    EXPECT_EQ(SetWindowLongA(w, GWL_WNDPROC, subId), oldId);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), &Sub::Proc);
    Clear();
    SendMessageA(w, WM_USER, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(Names(w), (Seq{"USER"})) << "the old procedure ran too";
}

TEST_F(MessageOrder, AProcedureSqueezedIntoALongIsFoundAgain)
{
    const HWND w = Make(WS_POPUP, 0, 0, 10, 10);
    static LONG oldId = 0;
    static int seen = 0;
    struct Sub {
        static LRESULT Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_USER)
                ++seen;
            return CallWindowProcA(reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(oldId)), h, m, wp, lp);
        }
    };
    // As code written for 32 bits does it: the new procedure's address cut to a LONG.
    oldId = SetWindowLongA(w, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(&Sub::Proc)));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), &Sub::Proc);
    SendMessageA(w, WM_USER, 0, 0);
    EXPECT_EQ(seen, 1);
    SetWindowLongA(w, GWL_WNDPROC, oldId);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), &WindowTest::Proc);
}
