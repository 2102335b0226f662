#include "window_fixture.h"

using vls::test::WindowTest;
using Seq = std::vector<std::string>;

class Position : public WindowTest {
protected:
    static std::vector<HWND> TopLevelOrder()
    {
        std::vector<HWND> order;
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
            order.push_back(h);
        return order;
    }
};

TEST_F(Position, SetWindowPosReportsOnlyWhatChanged)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    const HWND w = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 40, top);
    struct Case {
        int x, y, cx, cy;
        UINT flags;
        Seq expected;
        RECT rect;  // in the parent's client coordinates
    };
    const Case cases[] = {
        {20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER, {"POSCHANGING", "POSCHANGED", "MOVE"}, {20, 30, 70, 70}},
        {0, 0, 80, 40, SWP_NOMOVE | SWP_NOZORDER, {"POSCHANGING", "POSCHANGED", "SIZE"}, {20, 30, 100, 70}},
        {5, 5, 10, 10, SWP_NOZORDER, {"POSCHANGING", "POSCHANGED", "MOVE", "SIZE"}, {5, 5, 15, 15}},
        {5, 5, 10, 10, SWP_NOZORDER, {"POSCHANGING", "POSCHANGED"}, {5, 5, 15, 15}},
    };
    for (const Case& c : cases) {
        Clear();
        ASSERT_TRUE(SetWindowPos(w, nullptr, c.x, c.y, c.cx, c.cy, c.flags));
        EXPECT_EQ(Names(w), c.expected) << c.x << "," << c.y << " " << c.cx << "x" << c.cy;
        RECT r{};
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &c.rect)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST_F(Position, TheWindowMayChangeItsPlaceWhileItIsBeingMoved)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    answers_[w] = [](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg == WM_WINDOWPOSCHANGING) {
            auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
            wp->cx = std::min(wp->cx, 150);  // a size constraint
            return 0;
        }
        return std::nullopt;
    };
    MoveWindow(w, 10, 10, 400, 200, TRUE);
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 200);
}

TEST_F(Position, ZOrderKeepsTopmostWindowsAboveAndActivationRaisesOwnersWithTheirPopups)
{
    const HWND a = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
    const HWND pinned = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, WS_EX_TOPMOST);
    const HWND b = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
    EXPECT_EQ(TopLevelOrder(), (std::vector<HWND>{pinned, b, a}));
    const HWND popup = Make(WS_POPUP | WS_VISIBLE, 0, 0, 5, 5, a);
    SetActiveWindow(a);
    EXPECT_EQ(TopLevelOrder(), (std::vector<HWND>{pinned, popup, a, b}));
    SetWindowPos(pinned, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(TopLevelOrder().front(), b);
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(TopLevelOrder().back(), b);
}

TEST_F(Position, MinimizeRestoreAndMaximizeKeepTheNormalPlace)
{
    const HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 60, 300, 200);
    const HWND other = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
    SetActiveWindow(w);
    Clear();
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_FALSE(vls::headless::IsShownOnDesktop(w));
    EXPECT_EQ(GetActiveWindow(), other) << "minimizing hands activation on";
    ASSERT_FALSE(Of(WM_SIZE).empty());
    EXPECT_EQ(Of(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsIconic(w));
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.right - r.left, 300);
    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(w));
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&r, &work));
    ShowWindow(w, SW_RESTORE);
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    GetWindowPlacement(w, &place);
    EXPECT_EQ(place.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(place.rcNormalPosition.top, 60);
}

TEST_F(Position, StylesChangeThroughSetWindowLongWithNotice)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Clear();
    SetWindowLongA(w, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_BORDER));
    EXPECT_EQ(Names(w), (Seq{"STYLECHANGING", "STYLECHANGED"}));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)), WS_POPUP | WS_BORDER | WS_VISIBLE)
        << "visibility stays with ShowWindow";
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 98) << "the frame change recomputed the client area";
    SetWindowLongPtrA(w, GWLP_USERDATA, 0x1234);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 0x1234);
}

TEST_F(Position, CoordinateMappingAcrossTheTree)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 200, 300, 300);
    const HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 20, 100, 100, top);
    POINT p{5, 6};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 100 + 1 + 10 + 5);
    EXPECT_EQ(p.y, 200 + 1 + 20 + 6);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 26);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{15, 26}), child);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{250, 250}), top);
    EXPECT_TRUE(IsChild(top, child));
    EXPECT_EQ(GetAncestor(child, GA_ROOT), top);
}
