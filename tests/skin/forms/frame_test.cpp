#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/gdi/surface.h"
#include "platform/win32/shell/shellapi.h"
#include "platform/user/user_control.h"
#include "skin/controls/sk_status_bar.h"
#include "skin/forms/sk_custom_form.h"
#include "tests/support/temp_dir.h"

using namespace skin;
using vcl::TMessage;

namespace {

// Metrics of our window manager: frame 4, caption 19, small caption 15.
constexpr int kF = 4, kCaption = 19, kSmallCaption = 15;

class TTestFrame : public TSkCustomForm {
public:
    using TSkCustomForm::Gravitate;
    using TSkCustomForm::Loaded;
    using TSkCustomForm::NCMouseDown;
    using TSkCustomForm::NCMouseMove;
    using TSkCustomForm::NCMouseUp;
    using TSkCustomForm::TSkCustomForm;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        form = new vcl::TForm(vcl::Application);
        form->SetBounds(100, 100, 300, 200);
        form->SetCaption("Framed");
    }
    void TearDown() override
    {
        delete form;
        vcl::Application->ProcessMessages();
        FreeHookList();
    }
    TTestFrame* MakeFrame(TSkBorderStyle style = kbsStandard)
    {
        auto* frame = new TTestFrame(form);
        frame->SetBorderStyle(style);
        frame->Loaded();
        return frame;
    }
    RECT Button(TTestFrame* f, TSkBorderIcon i)
    {
        RECT r;
        f->GetButtonRect(i, r);
        return r;
    }

    vls::test::ScopedConfig config;
    vcl::TForm* form = nullptr;
};

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(FrameTest, ConstructorTakesTheFormsCaptionAndOwnFrame)
{
    TTestFrame* frame = MakeFrame();
    EXPECT_EQ(frame->Caption(), u"Framed");
    EXPECT_EQ(form->BorderStyle(), vcl::bsSizeable);
    EXPECT_EQ(form->BorderIcons(), vcl::TBorderIcons{vcl::biMinimize});
    EXPECT_FALSE(form->AutoScroll());
    EXPECT_EQ(frame->GetControl(), form);
    EXPECT_EQ(frame->FullWidth(), 300);
    EXPECT_EQ(frame->FrameHeight(), 200);
}

TEST_F(FrameTest, ClientRectangleByBorderStyle)
{
    TTestFrame* frame = MakeFrame();
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{kF, kF + kCaption, 300 - kF, 200 - kF}));
    EXPECT_EQ(form->ClientWidth(), 300 - 2 * kF);
    EXPECT_EQ(form->ClientHeight(), 200 - 2 * kF - kCaption);

    // A new style keeps the client size and fits the window around it.
    frame->SetBorderStyle(kbsToolWindow);
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{kF, kF + kSmallCaption, 300 - kF, 196 - kF}));
    EXPECT_EQ(form->Height(), 196);
    frame->SetBorderStyle(kbsNone);
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{0, 0, 292, 173}));
    EXPECT_EQ(form->ClientWidth(), 292);
    EXPECT_EQ(form->ClientHeight(), 173);
}

TEST_F(FrameTest, ButtonsLineUpFromTheRight)
{
    TTestFrame* frame = MakeFrame();
    frame->SetBorderIcons(TSkBorderIcons{kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiHelp, kbiRollup, kbiTray});
    // Band: x 4..296, y 5..23 (height 18); boxes 16 x 14 at y 7.
    EXPECT_TRUE(Same(Button(frame, kbiSystemMenu), RECT{4, 5, 22, 23}));
    EXPECT_TRUE(Same(Button(frame, kbiClose), RECT{278, 7, 294, 21}));
    EXPECT_TRUE(Same(Button(frame, kbiMaximize), RECT{260, 7, 276, 21}));
    EXPECT_TRUE(Same(Button(frame, kbiMinimize), RECT{244, 7, 260, 21}));
    EXPECT_TRUE(Same(Button(frame, kbiRollup), RECT{226, 7, 242, 21}));
    EXPECT_TRUE(Same(Button(frame, kbiTray), RECT{210, 7, 226, 21}));
    EXPECT_TRUE(Same(Button(frame, kbiHelp), RECT{192, 7, 208, 21}));

    frame->SetBorderIcons(TSkBorderIcons{kbiClose, kbiMinimize});
    EXPECT_TRUE(Same(Button(frame, kbiMinimize), RECT{260, 7, 276, 21}));
    EXPECT_TRUE(Same(Button(frame, kbiMaximize), RECT{}));

    // A tool window has only its close button.
    frame->SetBorderIcons(TSkBorderIcons{kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize});
    frame->SetBorderStyle(kbsToolWindow);
    EXPECT_FALSE(Same(Button(frame, kbiClose), RECT{}));
    EXPECT_TRUE(Same(Button(frame, kbiMinimize), RECT{}));
    EXPECT_TRUE(Same(Button(frame, kbiMaximize), RECT{}));
}

TEST_F(FrameTest, HitCodesOfTheFrame)
{
    TTestFrame* frame = MakeFrame();
    struct Case {
        int x, y, code;
    };
    const Case cases[] = {
        {150, 1, khtTop},          {19, 1, khtTopLeft},      {20, 1, khtTop},        {281, 1, khtTopRight},
        {1, 100, khtLeft},         {1, 19, khtTopLeft},      {1, 181, khtBottomLeft}, {298, 100, khtRight},
        {150, 198, khtBottom},     {298, 198, khtBottomRight}, {150, 12, khtCaption}, {150, 100, khtNone},
        {285, 12, khtClose},       {10, 12, khtSysMenu},     {265, 12, khtMaximize},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame->HitTest(c.x, c.y), c.code) << c.x << "," << c.y;

    // Maximized: buttons and caption only.
    frame->Maximize();
    EXPECT_EQ(frame->HitTest(1, 100), khtNone);
    EXPECT_EQ(frame->HitTest(150, 12), khtCaption);
}

TEST_F(FrameTest, MaximizedBorderLiesOutsideTheWorkArea)
{
    TTestFrame* frame = MakeFrame();
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    frame->Maximize();
    EXPECT_EQ(frame->WindowState(), kwsMaximized);
    EXPECT_TRUE(Same(form->BoundsRect(), RECT{work.left - kF, work.top - kF, work.right + kF, work.bottom + kF}));
    frame->Maximize();  // toggles back
    EXPECT_EQ(frame->WindowState(), kwsNormal);
    EXPECT_TRUE(Same(form->BoundsRect(), RECT{100, 100, 400, 300}));
}

TEST_F(FrameTest, SizesBelowTheMinimumTrackAreRaised)
{
    TTestFrame* frame = MakeFrame();
    form->SetBounds(100, 100, 50, 10);
    EXPECT_EQ(form->Width(), 150);
    EXPECT_EQ(form->Height(), 40);
    vcl::TSizeConstraints limits;
    limits.SetMinWidth(200);
    limits.SetMaxHeight(300);
    frame->SetConstraints(&limits);
    EXPECT_EQ(form->Width(), 200);
    form->SetBounds(100, 100, 250, 500);
    EXPECT_EQ(form->Height(), 300);
}

TEST_F(FrameTest, ShadowRegionIsTheFrameAndItsShiftedCopy)
{
    TTestFrame* frame = MakeFrame();
    frame->Shadow()->SetSize(6);
    frame->Shadow()->SetEnabled(true);
    // Turning the shadow on keeps the visible frame and adds the band.
    EXPECT_EQ(frame->FullWidth(), 306);
    EXPECT_EQ(frame->FrameWidth(), 300);
    form->SetBounds(100, 100, 320, 220);
    EXPECT_EQ(frame->FullWidth(), 320);
    EXPECT_EQ(frame->FrameWidth(), 314);
    EXPECT_EQ(frame->FrameHeight(), 214);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_GT(GetWindowRgn(form->Handle(), region), NULLREGION);
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 319, 219));
    EXPECT_FALSE(PtInRegion(region, 319, 2));  // top-right corner beyond the frame
    EXPECT_FALSE(PtInRegion(region, 2, 219));
    DeleteObject(region);
}

TEST_F(FrameTest, GravitationSnapsWithinItsSize)
{
    TTestFrame* frame = MakeFrame();
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int g = frame->Gravitation()->Size();
    RECT near{work.left + g - 1, 300, work.left + g - 1 + 200, 400};
    frame->Gravitate(near);
    EXPECT_EQ(near.left, work.left);
    RECT far{work.left + g, 300, work.left + g + 200, 400};
    frame->Gravitate(far);
    EXPECT_EQ(far.left, work.left + g);
    RECT bottom{300, work.bottom - 100 + 3, 500, work.bottom + 3};
    frame->Gravitate(bottom);
    EXPECT_EQ(bottom.bottom, work.bottom);
}

TEST_F(FrameTest, DraggingTheCaptionMovesAndButtonsActOnlyWhereReleased)
{
    TTestFrame* frame = MakeFrame();
    frame->Gravitation()->SetEnabled(false);
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 150, 12);
    frame->NCMouseMove(vcl::TShiftState{vcl::ssLeft}, 170, 22);
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 150, 12);
    EXPECT_EQ(form->Left(), 120);
    EXPECT_EQ(form->Top(), 110);

    // Pressed on close, released on maximize: nothing.
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 285, 12);
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 265, 12);
    EXPECT_EQ(frame->WindowState(), kwsNormal);
    EXPECT_TRUE(form->Visible() || !form->Visible());
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 265, 12);
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 265, 12);
    EXPECT_EQ(frame->WindowState(), kwsMaximized);
}

TEST_F(FrameTest, BorderDragMovesOnlyOnReleaseToTheLastOutline)
{
    TTestFrame* frame = MakeFrame();
    frame->Gravitation()->SetEnabled(false);
    frame->Dragging()->SetDragMode(kfdmBorder);
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 298, 198);
    frame->NCMouseMove(vcl::TShiftState{vcl::ssLeft}, 318, 228);
    frame->NCMouseMove(vcl::TShiftState{vcl::ssLeft}, 338, 248);
    EXPECT_EQ(form->Width(), 300);
    EXPECT_FALSE(frame->FramePaintEnabled());
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 338, 248);
    EXPECT_EQ(form->Width(), 340);
    EXPECT_EQ(form->Height(), 250);
    EXPECT_TRUE(frame->FramePaintEnabled());
}

TEST_F(FrameTest, DoubleClicks)
{
    TTestFrame* frame = MakeFrame();
    const vcl::TShiftState dbl{vcl::ssLeft, vcl::ssDouble};
    frame->NCMouseDown(vcl::mbLeft, dbl, 150, 12);
    frame->NCMouseUp(vcl::mbLeft, dbl, 150, 12);
    EXPECT_EQ(frame->WindowState(), kwsMaximized);
    frame->NCMouseDown(vcl::mbLeft, dbl, 150, 12);
    frame->NCMouseUp(vcl::mbLeft, dbl, 150, 12);
    EXPECT_EQ(frame->WindowState(), kwsNormal);

    frame->SetBorderIcons(TSkBorderIcons{kbiClose, kbiSystemMenu});
    frame->NCMouseDown(vcl::mbLeft, dbl, 150, 12);
    frame->NCMouseUp(vcl::mbLeft, dbl, 150, 12);
    EXPECT_EQ(frame->WindowState(), kwsNormal);

    form->Show();
    int closes = 0;
    form->OnClose = [&](vcl::TObject*, vcl::TCloseAction& a) {
        ++closes;
        a = vcl::caHide;
    };
    frame->NCMouseDown(vcl::mbLeft, dbl, 10, 12);
    frame->NCMouseUp(vcl::mbLeft, dbl, 10, 12);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(form->Visible());
}

TEST_F(FrameTest, RollupKeepsTheNewPositionAndCancelledActionsChangeNothing)
{
    TTestFrame* frame = MakeFrame();
    frame->Rollup();
    EXPECT_EQ(frame->WindowState(), kwsRollup);
    EXPECT_EQ(form->Height(), kF + kCaption + kF);
    EXPECT_EQ(form->Width(), 300);
    form->SetBounds(50, 60, form->Width(), form->Height());
    frame->Rollup();
    EXPECT_EQ(frame->WindowState(), kwsNormal);
    EXPECT_TRUE(Same(form->BoundsRect(), RECT{50, 60, 350, 260}));

    frame->OnRollup = [](vcl::TObject*, bool& callDefault) { callDefault = false; };
    frame->Rollup();
    EXPECT_EQ(frame->WindowState(), kwsNormal);
    EXPECT_EQ(form->Height(), 200);
}

TEST_F(FrameTest, TrayRestoresThePreviousState)
{
    TTestFrame* frame = MakeFrame();
    frame->SetMinimizeApplication(false);
    form->Show();
    frame->Maximize();
    frame->MinimizeToTray();
    EXPECT_EQ(frame->WindowState(), kwsTray);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    auto icons = vls::win32::TrayIcons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].tip, "Framed");
    EXPECT_EQ(icons[0].callbackMessage, SK_TRAYNOTIFY);

    // A double click on the icon comes back as the tray window's message.
    SendMessageA(frame->TrayWindow(), SK_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(frame->WindowState(), kwsMaximized);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(vls::win32::TrayIcons().empty());
}

// Coming back from the tray to a maximized or rolled-up state leaves that
// state's bounds on the window; they are never taken for normal bounds, so
// the next Restore brings the window back to where it was before.
TEST_F(FrameTest, BackFromTheTrayTheNextRestoreIsNormalAgain)
{
    struct Case {
        const char* name;
        void (TSkCustomForm::*action)();
        TSkWindowState state;
    };
    const Case cases[] = {
        {"maximized", &TSkCustomForm::Maximize, kwsMaximized},
        {"rolled up", &TSkCustomForm::Rollup, kwsRollup},
    };
    for (const Case& c : cases) {
        form->SetBounds(100, 100, 300, 200);
        TTestFrame* frame = MakeFrame();
        frame->SetMinimizeApplication(false);
        form->Show();
        (frame->*c.action)();
        ASSERT_EQ(frame->WindowState(), c.state) << c.name;
        frame->MinimizeToTray();
        frame->Restore();
        EXPECT_EQ(frame->WindowState(), c.state) << c.name;
        frame->Restore();
        EXPECT_EQ(frame->WindowState(), kwsNormal) << c.name;
        EXPECT_TRUE(Same(form->BoundsRect(), RECT{100, 100, 400, 300})) << c.name;
        delete frame;
        vcl::Application->ProcessMessages();
    }
}

// A state stored with the form is applied through a posted message while
// the window waits below the screen; those bounds never become normal ones.
TEST_F(FrameTest, ALoadedStateRestoresToTheFormsOwnBounds)
{
    const TSkWindowState states[] = {kwsMaximized, kwsRollup, kwsMinimized, kwsTray};
    for (const TSkWindowState state : states) {
        form->SetBounds(100, 100, 300, 200);
        auto* frame = new TTestFrame(form);
        frame->SetMinimizeApplication(false);
        frame->SetLoadingState(true);
        frame->SetWindowState(state);
        frame->Loaded();
        form->Show();
        vcl::Application->ProcessMessages();
        EXPECT_EQ(frame->WindowState(), state) << state;
        frame->Restore();
        EXPECT_EQ(frame->WindowState(), kwsNormal) << state;
        EXPECT_TRUE(Same(form->BoundsRect(), RECT{100, 100, 400, 300})) << state;
        delete frame;
        vcl::Application->ProcessMessages();
    }
}

// The show animation's picture holds the whole client: graphic controls as
// well as windowed children.
TEST_F(FrameTest, ShowAnimationPaintsGraphicControlsToo)
{
    class TMark : public vcl::TGraphicControl {
    public:
        using vcl::TGraphicControl::TGraphicControl;
        TSkCustomForm* frame = nullptr;
        int paintedWhileAnimating = 0;

    protected:
        void Paint() override
        {
            if (frame && frame->Animating())
                ++paintedWhileAnimating;
        }
    };
    TTestFrame* frame = MakeFrame();
    frame->Animation()->SetEnabled(true);
    frame->Animation()->SetTime(10);
    auto* mark = new TMark(form);
    mark->frame = frame;
    mark->SetBounds(10, 10, 20, 20);
    mark->SetParent(form);
    form->Show();
    vcl::Application->ProcessMessages();
    EXPECT_GE(mark->paintedWhileAnimating, 1);
}

// A frame freed with its form leaves no hook record behind.
TEST_F(FrameTest, AFreedFrameLeavesNoHookRecord)
{
    MakeFrame();
    EXPECT_EQ(GetHookList()->Count(), 1);
    delete form;
    form = new vcl::TForm(vcl::Application);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(GetHookList()->Count(), 0);
}

TEST_F(FrameTest, SystemMenuEntriesFollowTheState)
{
    TTestFrame* frame = MakeFrame();
    auto captions = [&] {
        std::vector<std::string> out;
        for (const TSkSystemMenuEntry& e : frame->BuildSystemMenu())
            out.push_back(e.Caption);
        return out;
    };
    EXPECT_EQ(captions(), (std::vector<std::string>{"Mi&nimize", "Ma&ximize", "Ro&llup", "Minimize to &Tray", "-",
                                                    "&Close"}));
    frame->Maximize();
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"&Restore", "Mi&nimize", "Ro&llup", "Minimize to &Tray", "-", "&Close"}));
    frame->SystemMenuClick("&Restore");
    EXPECT_EQ(frame->WindowState(), kwsNormal);
    frame->SetBorderIcons(TSkBorderIcons{kbiClose});
    EXPECT_EQ(captions(), (std::vector<std::string>{"&Close"}));
    EXPECT_EQ(frame->BuildSystemMenu().back().ShortCutText, "Alt+F4");
}

TEST_F(FrameTest, NonClientMessagesAreAnsweredByTheFrame)
{
    TTestFrame* frame = MakeFrame();
    const HWND h = form->Handle();
    RECT w{};
    GetWindowRect(h, &w);
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(w.left + 150, w.top + 12)), HTCAPTION);
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(w.left + 285, w.top + 12)), HTCLOSE);
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(w.left + 1, w.top + 100)), HTLEFT);
    frame->Dragging()->SetSizeable(false);
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(w.left + 1, w.top + 100)), HTCLIENT);

    // A caption set on the form reaches the frame through the window text.
    form->SetCaption("Renamed");
    form->Caption();
    EXPECT_EQ(frame->Caption(), u"Renamed");
}

}  // namespace

namespace {

int Channel(std::uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

TEST_F(FrameTest, ShadowIsComposedOverTheDesktopBehindTheWindow)
{
    TTestFrame* frame = MakeFrame();
    frame->Shadow()->SetSize(8);
    frame->Shadow()->SetEnabled(true);
    form->Show();
    vcl::Application->ProcessMessages();
    frame->PaintFrame();
    POINT clientOrigin{};
    vls::gdi::SurfacePtr surface = vls::user::WindowSurface(form->Handle(), &clientOrigin);
    ASSERT_NE(surface, nullptr);
    const RECT client = frame->GetFrameClientRect();
    const POINT origin{clientOrigin.x - client.left, clientOrigin.y - client.top};
    TSkBitmap* behind = frame->BackgroundSnapshot();
    ASSERT_FALSE(behind->Empty());

    // Deep in the right band: half grey over what lies behind.
    const int x = frame->FullWidth() - 5, y = 100;
    const std::uint32_t shown = surface->At(origin.x + x, origin.y + y);
    const TPixel back = behind->GetPixel(x, y);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(Channel(shown, shift), (Channel(back, shift) * 0x7F + 0x3F * 0x80) / 255, 3) << shift;
    // The outermost line is almost what lies behind.
    const std::uint32_t edge = surface->At(origin.x + frame->FullWidth() - 1, origin.y + y);
    const TPixel backEdge = behind->GetPixel(frame->FullWidth() - 1, y);
    EXPECT_NEAR(Channel(edge, 8), Channel(backEdge, 8), 12);
}

TEST_F(FrameTest, PlainFramePaintsCaptionGradientAndButtons)
{
    TTestFrame* frame = MakeFrame();
    form->Show();
    vcl::Application->ProcessMessages();
    SendMessageA(form->Handle(), WM_NCACTIVATE, TRUE, 0);
    frame->PaintFrame();
    POINT clientOrigin{};
    vls::gdi::SurfacePtr surface = vls::user::WindowSurface(form->Handle(), &clientOrigin);
    ASSERT_NE(surface, nullptr);
    const RECT client = frame->GetFrameClientRect();
    const POINT origin{clientOrigin.x - client.left, clientOrigin.y - client.top};
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const std::uint32_t left = surface->At(origin.x + 30, origin.y + 6);
    EXPECT_NEAR(Channel(left, 16), GetRValue(caption), 40);
    EXPECT_NEAR(Channel(left, 0), GetBValue(caption), 40);
    // The close button is a raised button face, not caption colour.
    const std::uint32_t button = surface->At(origin.x + 280, origin.y + 8);
    EXPECT_NE(button & 0xFFFFFF, left & 0xFFFFFF);
    // The border is button face.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t border = surface->At(origin.x + 2, origin.y + 100);
    EXPECT_EQ(vls::gdi::PixelToColorRef(border), face);
}

TEST_F(FrameTest, StatusBarSizeGripIsTheBottomRightCorner)
{
    TTestFrame* frame = MakeFrame();
    auto* bar = new TSkCustomStatusBar(form);
    bar->SetParent(form);
    bar->SetAlign(vcl::alBottom);
    bar->SetSizeGrip(true);
    form->Show();
    vcl::Application->ProcessMessages();
    ASSERT_EQ(frame->FindStatusBar(), bar);
    const RECT grip = bar->GetSizeGripRect();
    ASSERT_FALSE(grip.right <= grip.left);
    const POINT inside = frame->ScreenToWindow(
        bar->ClientToScreen(POINT{(grip.left + grip.right) / 2, (grip.top + grip.bottom) / 2}));
    EXPECT_EQ(frame->HitTest(inside.x, inside.y), khtBottomRight);
    const POINT elsewhere = frame->ScreenToWindow(bar->ClientToScreen(POINT{30, 5}));
    EXPECT_EQ(frame->HitTest(elsewhere.x, elsewhere.y), khtNone);
}

TEST_F(FrameTest, RecreatedWindowGetsAFreshCanvasAndTheHookAgain)
{
    TTestFrame* frame = MakeFrame();
    const HWND before = form->Handle();
    const HDC oldDC = frame->FormCanvas()->Handle();
    EXPECT_EQ(WindowFromDC(oldDC), before);
    form->RecreateWnd();
    vcl::Application->ProcessMessages();
    ASSERT_NE(form->Handle(), before);
    EXPECT_EQ(WindowFromDC(frame->FormCanvas()->Handle()), form->Handle());
    RECT w{};
    GetWindowRect(form->Handle(), &w);
    EXPECT_EQ(SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + 150, w.top + 12)), HTCAPTION);
}

}  // namespace
