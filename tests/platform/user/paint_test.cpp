#include "window_fixture.h"

using vls::test::WindowTest;
namespace hl = vls::headless;

namespace {

constexpr std::uint32_t kRed = 0x00FF0000;
constexpr std::uint32_t kGreen = 0x0000FF00;

std::uint32_t PixelAt(HWND top, int x, int y)
{
    const vls::backend::Surface* s = hl::PresentedSurface(top);
    if (!s || x < 0 || y < 0 || x >= s->width || y >= s->height)
        return 0xDEADBEEF;
    return s->Row(y)[x] & 0x00FFFFFF;
}

}  // namespace

class Paint : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ignored_ = {WM_NCHITTEST, WM_SETCURSOR, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_GETTEXT, WM_MOUSEMOVE};
        red_ = CreateSolidBrush(RGB(255, 0, 0));
        WNDCLASSA wc{};
        wc.lpfnWndProc = &WindowTest::Proc;
        wc.hbrBackground = red_;
        wc.lpszClassName = "RedBack";
        ASSERT_TRUE(RegisterClassA(&wc));
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        DeleteObject(red_);
    }
    HBRUSH red_ = nullptr;
};

TEST_F(Paint, ShowingAWindowPaintsItWithItsClassBrush)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr, 0, "RedBack");
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    Pump();
    EXPECT_EQ(PixelAt(w, 0, 0), kRed);
    EXPECT_EQ(PixelAt(w, 39, 29), kRed);
    const auto seq = Names(w);
    const auto paint = std::find(seq.begin(), seq.end(), "PAINT");
    ASSERT_NE(paint, seq.end());
    EXPECT_EQ(*(paint + 1), "NCPAINT");
    EXPECT_EQ(*(paint + 2), "ERASEBKGND");
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) << "painting validated the window";
}

TEST_F(Paint, ChildrenPaintOverTheirParentAndClipChildrenKeepsThemApart)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 100, nullptr, 0, "RedBack");
    const HWND child = Make(WS_CHILD | WS_VISIBLE, 20, 30, 40, 20, top);
    answers_[child] = [](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT ps{};
        const HDC dc = BeginPaint(h, &ps);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        const RECT all{-100, -100, 1000, 1000};  // the device context clips to the child
        FillRect(dc, &all, green);
        DeleteObject(green);
        EndPaint(h, &ps);
        return 0;
    };
    UpdateWindow(top);
    EXPECT_EQ(PixelAt(top, 19, 30), kRed);
    EXPECT_EQ(PixelAt(top, 20, 30), kGreen);
    EXPECT_EQ(PixelAt(top, 59, 49), kGreen);
    EXPECT_EQ(PixelAt(top, 60, 49), kRed);
    EXPECT_EQ(PixelAt(top, 59, 50), kRed);

    // Repainting the parent alone leaves the child's pixels alone.
    Clear();
    InvalidateRect(top, nullptr, TRUE);
    Pump();
    EXPECT_TRUE(Of(WM_PAINT).size() == 1 && Of(WM_PAINT)[0].hwnd == top);
    EXPECT_EQ(PixelAt(top, 30, 40), kGreen);

    // GetDC follows the parent's style; GetDCEx clips children only when
    // asked to, so an outline drawn through it shows over them.
    const auto fillThrough = [&](HDC dc, COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        const RECT all{0, 0, 100, 100};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ReleaseDC(top, dc);
        Pump();
    };
    fillThrough(GetDC(top), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(top, 10, 10), 0x000000FFu);
    EXPECT_EQ(PixelAt(top, 30, 40), kGreen);
    fillThrough(GetDCEx(top, nullptr, DCX_CACHE | DCX_CLIPCHILDREN), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(top, 10, 10), kRed);
    EXPECT_EQ(PixelAt(top, 30, 40), kGreen);
    fillThrough(GetDCEx(top, nullptr, DCX_CACHE), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(top, 30, 40), 0x000000FFu);
}

TEST_F(Paint, InvalidationAccumulatesAndComesAfterPostedMessages)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Pump();
    Clear();
    RECT got{};
    answers_[w] = [&](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT ps{};
        BeginPaint(h, &ps);
        got = ps.rcPaint;
        EndPaint(h, &ps);
        return 0;
    };
    const RECT a{10, 10, 20, 20};
    const RECT b{50, 5, 60, 15};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, FALSE);
    PostMessageA(w, WM_USER, 0, 0);
    Pump();
    const auto seq = Names(w);
    ASSERT_GE(seq.size(), 2u);
    EXPECT_EQ(seq[0], "USER");
    EXPECT_EQ(seq[1], "PAINT");
    EXPECT_EQ(Of(WM_PAINT).size(), 1u);
    const RECT expected{10, 5, 60, 20};
    EXPECT_TRUE(EqualRect(&got, &expected));

    Clear();
    InvalidateRect(w, nullptr, FALSE);
    ValidateRect(w, nullptr);
    Pump();
    EXPECT_TRUE(Of(WM_PAINT).empty());
}

TEST_F(Paint, ARegionShapesHitTestingAndPainting)
{
    const HWND back = Make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    const HWND shaped = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, 0, "RedBack");
    // An L: the left column and the bottom row, 20 pixels thick.
    HRGN l = CreateRectRgn(0, 0, 20, 100);
    HRGN bottom = CreateRectRgn(0, 80, 100, 100);
    CombineRgn(l, l, bottom, RGN_OR);
    DeleteObject(bottom);
    EXPECT_NE(SetWindowRgn(shaped, l, TRUE), 0);  // the window owns the region now
    Pump();
    EXPECT_EQ(PixelAt(shaped, 5, 5), kRed);
    EXPECT_EQ(PixelAt(shaped, 90, 90), kRed);
    EXPECT_EQ(PixelAt(shaped, 50, 50), 0u) << "outside the region nothing is painted";

    EXPECT_EQ(WindowFromPoint(POINT{5, 5}), shaped);
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), back);
    Clear();
    hl::Click(50, 50);
    Pump();
    ASSERT_EQ(Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Of(WM_LBUTTONDOWN)[0].hwnd, back);

    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(shaped, copy), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(copy, 90, 90));
    DeleteObject(copy);
}

TEST_F(Paint, NonClientFrameIsPaintedByTheWindowDC)
{
    const HWND w = Make(WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 50, 50, nullptr, 0, "RedBack");
    answers_[w] = [](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_NCPAINT)
            return std::nullopt;
        const HDC dc = GetWindowDC(h);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        const RECT all{0, 0, 50, 50};
        FrameRect(dc, &all, green);
        DeleteObject(green);
        ReleaseDC(h, dc);
        return 0;
    };
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 48);
    Pump();
    EXPECT_EQ(PixelAt(w, 0, 0), kGreen);
    EXPECT_EQ(PixelAt(w, 49, 25), kGreen);
    EXPECT_EQ(PixelAt(w, 1, 1), kRed) << "the client area starts inside the border";
}

// A window moved away from over a sibling's caption uncovers that caption:
// the sibling paints its frame again, not only its client area; a sibling
// whose frame it never covered keeps it.
TEST_F(Paint, AMovedWindowHasTheFramesItUncoversPaintedAgain)
{
    const HWND top = Make(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 300, 300, nullptr, 0, "RedBack");
    const HWND under = Make(WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_CLIPSIBLINGS, 10, 10, 150, 100, top);
    const HWND inside = Make(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS, 10, 200, 150, 90, top);
    const HWND mover = Make(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 20, 14, 60, 60, top);
    SetWindowPos(mover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RECT client{};
    GetClientRect(under, &client);
    ASSERT_LT(client.bottom, 100) << "the caption lies outside the client area";
    Pump();
    Clear();
    SetWindowPos(mover, nullptr, 200, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    const auto framed = [&](HWND h) {
        for (const auto& r : Of(WM_NCPAINT))
            if (r.hwnd == h)
                return true;
        return false;
    };
    EXPECT_TRUE(framed(under));
    EXPECT_FALSE(framed(inside));

    // Moved within the other one's client area only, its frame stays.
    SetWindowPos(mover, nullptr, 40, 230, 40, 30, SWP_NOZORDER);
    Pump();
    Clear();
    SetWindowPos(mover, nullptr, 45, 235, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    EXPECT_FALSE(framed(inside));
}

TEST_F(Paint, TheDefaultFramePaintsTheCaptionInTheColoursOfTheActivationState)
{
    const HWND a = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 120, nullptr, 0, "RedBack", "Caption");
    const HWND b = Make(WS_POPUP | WS_VISIBLE, 300, 0, 50, 50);
    SetActiveWindow(a);
    Pump();
    const int frame = GetSystemMetrics(SM_CXFRAME);
    const int inCaptionX = frame + 60;
    const int inCaptionY = frame + 2;
    const auto colour = [](int index) {
        const COLORREF c = GetSysColor(index);
        return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    };
    EXPECT_EQ(PixelAt(a, inCaptionX, inCaptionY), colour(COLOR_ACTIVECAPTION));
    RECT client{};
    GetClientRect(a, &client);
    POINT origin{0, 0};
    ClientToScreen(a, &origin);
    EXPECT_EQ(origin.y, frame + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(PixelAt(a, origin.x + 5, origin.y + 5), kRed);
    SetActiveWindow(b);
    Pump();
    EXPECT_EQ(PixelAt(a, inCaptionX, inCaptionY), colour(COLOR_INACTIVECAPTION));
}
