#include <gtest/gtest.h>

#include "control_fixture.h"
#include "platform/uxtheme/uxtheme.h"
#include "skin/controls/sk_custom_control.h"
#include "skin/controls/sk_graphic_control.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_theme.h"

using namespace skin;

namespace {

constexpr vcl::TColor kRed = static_cast<vcl::TColor>(RGB(255, 0, 0));
constexpr vcl::TColor kGreen = static_cast<vcl::TColor>(RGB(0, 255, 0));

// The base with its protected parts in reach, and the scroll messages kept.
class TProbeControl : public TSkCustomControl {
public:
    explicit TProbeControl(vcl::TComponent* owner) : TSkCustomControl(owner) {}
    void UseBars(vcl::TScrollStyle bars)
    {
        SetScrollBarsKind(bars);
        CreateScrollBars();
    }
    void WndProc(vcl::TMessage& m) override
    {
        if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL)
            scrolls.push_back(m);
        TSkCustomControl::WndProc(m);
    }
    std::vector<vcl::TMessage> scrolls;
};

class SkCustomControl : public sktest::ControlTest {
protected:
    TProbeControl* Make(int x, int y, int w, int h, vcl::TColor color = kRed)
    {
        auto* c = new TProbeControl(form);
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        c->SetColor(color);
        return c;
    }
};

TEST_F(SkCustomControl, DefaultsOfTheBase)
{
    TProbeControl* c = Make(0, 0, 100, 30);
    auto* fresh = new TProbeControl(form);
    EXPECT_EQ(fresh->Width(), 100);
    EXPECT_EQ(fresh->Height(), 30);
    EXPECT_EQ(fresh->Color(), vcl::clBtnFace);
    EXPECT_TRUE(fresh->ControlStyle().Contains(vcl::csOpaque));
    EXPECT_EQ(fresh->Performance(), kspNoBuffer);
    EXPECT_EQ(fresh->BevelInner(), kbvLowered);
    EXPECT_EQ(fresh->BevelOuter(), kbvLowered);
    EXPECT_EQ(fresh->BevelSides(), kAllBevelSides);
    EXPECT_TRUE(fresh->UseThemedBorder());
    EXPECT_FALSE(c->Blending()->Enabled());
    const RECT r = c->PaintRect();
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 30);
}

TEST_F(SkCustomControl, PaintRectLosesBevelsAndBorderOnTheChosenSides)
{
    struct Case {
        int bevelWidth, borderWidth;
        TSkBevelCut inner, outer;
        TSkBevelSides sides;
        RECT expected;
    };
    const Case cases[] = {
        {2, 0, kbvLowered, kbvRaised, kAllBevelSides, {4, 4, 96, 46}},
        {2, 1, kbvLowered, kbvRaised, kAllBevelSides, {5, 5, 95, 45}},
        {2, 0, kbvNone, kbvRaised, kAllBevelSides, {2, 2, 98, 48}},
        {3, 0, kbvLowered, kbvLowered, TSkBevelSides{kbsLeft, kbsBottom}, {6, 0, 100, 44}},
        {0, 2, kbvLowered, kbvLowered, kAllBevelSides, {2, 2, 98, 48}},
    };
    TProbeControl* c = Make(0, 0, 100, 50);
    for (const Case& k : cases) {
        c->SetBevelWidth(k.bevelWidth);
        c->SetBorderWidth(k.borderWidth);
        c->SetBevelInner(k.inner);
        c->SetBevelOuter(k.outer);
        c->SetBevelSides(k.sides);
        const RECT r = c->PaintRect();
        EXPECT_TRUE(RectEquals(r, k.expected)) << k.bevelWidth << "/" << k.borderWidth << ": " << r.left << ","
                                               << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST_F(SkCustomControl, BevelKindSetsBothCutsAndACutResetsTheKind)
{
    TProbeControl* c = Make(0, 0, 100, 50);
    const std::pair<TSkBevelKind, TSkBevelCut> table[] = {
        {kbkSingle, kbvLowered}, {kbkTile, kbvLowered}, {kbkSoft, kbvLowered}, {kbkBorder, kbvBorder},
        {kbkFlat, kbvFlatBorder}};
    for (auto [kind, cut] : table) {
        c->SetBevelKind(kind);
        EXPECT_EQ(c->BevelInner(), cut);
        EXPECT_EQ(c->BevelOuter(), cut);
    }
    c->SetBevelInner(kbvRaised);
    EXPECT_EQ(c->BevelKind(), kbkNone);
    EXPECT_EQ(c->BevelOuter(), kbvFlatBorder);
}

TEST_F(SkCustomControl, BlendingForcesABufferedMode)
{
    TProbeControl* c = Make(0, 0, 100, 50);
    c->Blending()->SetEnabled(true);
    EXPECT_EQ(c->Performance(), kspDoubleBuffer);
    c->SetPerformance(kspNoBuffer);
    EXPECT_EQ(c->Performance(), kspDoubleBuffer);
    c->SetPerformance(kspSharedBuffer);
    EXPECT_EQ(c->Performance(), kspSharedBuffer);

    // The windowless base only switches when the whole object is assigned.
    auto* g = new TSkGraphicControl(form);
    g->Blending()->SetEnabled(true);
    EXPECT_EQ(g->Performance(), kspNoBuffer);
    TSkBlending on;
    on.SetEnabled(true);
    g->Blending()->SetEnabled(false);
    g->SetBlending(&on);
    EXPECT_EQ(g->Performance(), kspDoubleBuffer);
    g->SetPerformance(kspNoBuffer);
    EXPECT_EQ(g->Performance(), kspDoubleBuffer);
}

TEST_F(SkCustomControl, EveryBufferingModePaintsTheSameFaceAndBevels)
{
    for (TSkPerformance mode : {kspNoBuffer, kspSharedBuffer, kspDoubleBuffer}) {
        TProbeControl* c = Make(10, 20, 60, 40);
        c->SetPerformance(mode);
        c->SetBevelWidth(1);
        c->SetBevelOuter(kbvLowered);
        c->SetBevelInner(kbvRaised);
        c->SetBorderWidth(1);
        Snapshot();
        SCOPED_TRACE(mode);
        EXPECT_EQ(Rgb(9, 20), 0x0000FFu);                              // the form around it
        EXPECT_EQ(Rgb(10, 20), Px(vcl::clBtnShadow));                  // outer ring, top-left
        EXPECT_EQ(Rgb(69, 59), Px(vcl::clBtnHighlight));               // outer ring, bottom-right
        EXPECT_EQ(Rgb(11, 21), Px(vcl::clBtnShadow));                  // inner raised ring, top-left
        EXPECT_EQ(Rgb(68, 58), Px(vcl::clBtnShadow));                  // inner raised ring, bottom-right
        EXPECT_EQ(Rgb(12, 30), 0xFF0000u);                             // the border ring in Color
        EXPECT_EQ(Rgb(40, 40), 0xFF0000u);                             // the face
        EXPECT_EQ(Rgb(70, 40), 0x0000FFu);
        delete c;
    }
}

TEST_F(SkCustomControl, AZeroWidthControlPaintsNothing)
{
    TProbeControl* c = Make(10, 10, 0, 40);
    TSkBitmap target;
    target.SetSize(20, 20);
    target.Fill(0xFF010203);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(target.DC()), 0);
    EXPECT_EQ(target.GetPixel(0, 0), 0xFF010203u);
}

TEST_F(SkCustomControl, BlendedControlMixesItsFaceOverTheParent)
{
    for (TSkPerformance mode : {kspSharedBuffer, kspDoubleBuffer}) {
        TProbeControl* c = Make(10, 10, 50, 30);
        c->SetPerformance(mode);
        TSkBlending half;
        half.SetEnabled(true);
        half.SetValue(128);
        c->SetBlending(&half);
        Snapshot();
        SCOPED_TRACE(mode);
        const std::uint32_t p = Rgb(30, 20);
        EXPECT_NEAR(static_cast<int>(p >> 16), 128, 1);
        EXPECT_EQ((p >> 8) & 0xFF, 0u);
        EXPECT_NEAR(static_cast<int>(p & 0xFF), 127, 1);
        delete c;
    }
}

TEST_F(SkCustomControl, TransparentControlShowsWhatLiesBeneath)
{
    // On the form: the form's colour.
    TProbeControl* onForm = Make(10, 10, 40, 40);
    onForm->SetTransparent(true);
    // On another library control: that control's bevel and face.
    TProbeControl* host = Make(100, 10, 100, 100, kGreen);
    host->SetBevelWidth(1);
    host->SetBevelOuter(kbvLowered);
    host->SetBevelInner(kbvNone);
    auto* child = new TProbeControl(form);
    child->SetParent(host);
    child->SetBounds(0, 0, 50, 50);
    child->SetTransparent(true);
    child->SetPerformance(kspSharedBuffer);
    Snapshot();
    EXPECT_EQ(Rgb(20, 20), 0x0000FFu);
    EXPECT_EQ(Rgb(100, 10), Px(vcl::clBtnShadow));
    EXPECT_EQ(Rgb(120, 30), 0x00FF00u);
}

TEST_F(SkCustomControl, TransparentWindowlessControlOnALibraryControl)
{
    TProbeControl* host = Make(10, 10, 100, 100, kGreen);
    for (TSkPerformance mode : {kspNoBuffer, kspSharedBuffer, kspDoubleBuffer}) {
        auto* g = new TSkGraphicControl(form);
        g->SetParent(host);
        g->SetBounds(5, 5, 30, 30);
        g->SetTransparent(true);
        g->SetPerformance(mode);
        Snapshot();
        SCOPED_TRACE(mode);
        EXPECT_EQ(Rgb(25, 25), 0x00FF00u);
        g->SetTransparent(false);
        g->SetColor(kRed);
        Snapshot();
        EXPECT_EQ(Rgb(25, 25), 0xFF0000u);
        delete g;
    }
}

TEST_F(SkCustomControl, BackgroundRequestIsAMessageOfItsOwn)
{
    TProbeControl* c = Make(0, 0, 50, 50);
    TSkBitmap target;
    target.SetSize(50, 50);
    target.Fill(0xFF010203);
    // An ordinary erase with any lParam is no request: nothing is painted.
    EXPECT_EQ(c->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.DC()), 0x1234), 1);
    EXPECT_EQ(target.GetPixel(20, 20), 0xFF010203u);
    // A request without its record paints nothing either.
    EXPECT_EQ(c->Perform(SKM_BACKGROUNDREQUEST, reinterpret_cast<WPARAM>(target.DC()), 0), 1);
    EXPECT_EQ(target.GetPixel(20, 20), 0xFF010203u);
    TSkBackgroundRequest request;
    c->Perform(SKM_BACKGROUNDREQUEST, reinterpret_cast<WPARAM>(target.DC()), reinterpret_cast<LPARAM>(&request));
    EXPECT_EQ(target.GetPixel(20, 20) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(SkCustomControl, SharedBufferGrowsForALargerControl)
{
    const int wide = vcl::Screen->Width() + 900;
    TProbeControl* c = Make(0, 0, wide, 20);
    c->SetPerformance(kspSharedBuffer);
    TSkBitmap target;
    target.SetSize(wide, 20);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(target.DC()), 0);
    ASSERT_NE(SharedPaintBufferIfAny(), nullptr);
    EXPECT_GE(SharedPaintBufferIfAny()->Width(), wide);
    EXPECT_EQ(target.GetPixel(wide - 1, 10) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(SkCustomControl, BuiltInScrollBarsTakeTheirPlaceAndForwardScrolling)
{
    TProbeControl* c = Make(10, 10, 120, 90);
    c->SetBorderWidth(1);
    c->UseBars(vcl::ssBoth);
    ASSERT_NE(c->HorzScrollBar(), nullptr);
    ASSERT_NE(c->VertScrollBar(), nullptr);
    const int s = GetSystemMetrics(SM_CYVTHUMB);
    const RECT client = c->ClientRect();
    EXPECT_TRUE(RectEquals(client, RECT{1, 1, 119 - s, 89 - s}));
    EXPECT_TRUE(RectEquals(c->VertScrollBar()->BoundsRect(), RECT{119 - s, 1, 119, 89 - s}));
    EXPECT_TRUE(RectEquals(c->HorzScrollBar()->BoundsRect(), RECT{1, 89 - s, 119 - s, 89}));

    int position = 7;
    c->VertScrollBar()->SetPosition(3);
    c->VertScrollBar()->Scroll(kscTrack, position);
    ASSERT_EQ(c->scrolls.size(), 1u);
    EXPECT_EQ(c->scrolls[0].Msg, static_cast<UINT>(WM_VSCROLL));
    EXPECT_EQ(c->scrolls[0].WParam, static_cast<WPARAM>(kscTrack));
    EXPECT_EQ(c->scrolls[0].LParam, 7);
    EXPECT_EQ(position, 3);
    position = 1;
    // An unknown code that the enumeration can still hold.
    c->HorzScrollBar()->Scroll(static_cast<TSkScrollCode>(kscEndScroll + 1), position);
    EXPECT_EQ(c->scrolls.back().Msg, static_cast<UINT>(WM_HSCROLL));
    EXPECT_EQ(c->scrolls.back().WParam, 0u);
    c->SetScrollLock(true);
    c->HorzScrollBar()->Scroll(kscLineDown, position);
    EXPECT_EQ(c->scrolls.size(), 2u);

    // The corner between the bars is filled in Color.
    c->SetColor(kGreen);
    Snapshot();
    EXPECT_EQ(Rgb(10 + 120 - 2, 10 + 90 - 2), 0x00FF00u);
}

TEST_F(SkCustomControl, MouseAndFocusStates)
{
    TProbeControl* c = Make(10, 10, 60, 30);
    c->SetTabStop(true);
    int enters = 0, leaves = 0;
    c->OnMouseEnter = [&](vcl::TObject*) { ++enters; };
    c->OnMouseLeave = [&](vcl::TObject*) { ++leaves; };
    const POINT in = c->ClientToScreen(POINT{5, 5});
    vls::headless::MouseMove(in.x, in.y);
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(c->MouseInControl());
    const POINT out = c->ClientToScreen(POINT{150, 150});
    vls::headless::MouseMove(out.x, out.y);
    vcl::Application->ProcessMessages();
    EXPECT_FALSE(c->MouseInControl());
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 1);
    c->SetFocus();
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(c->HasFocus());
}

TEST_F(SkCustomControl, ThemedBorderFollowsTheControlState)
{
    vls::uxtheme::InstallTestTheme(true);
    ASSERT_TRUE(ThemeApiAcquire());
    TProbeControl* c = Make(10, 10, 60, 30);
    c->SetBevelWidth(1);
    vls::uxtheme::ClearTestThemeCalls();
    Snapshot();
    bool sawEdit = false;
    for (const auto& call : vls::uxtheme::TestThemeCalls()) {
        if (call.function == "DrawThemeBackground" && call.classList == u"Edit") {
            sawEdit = true;
            EXPECT_EQ(call.part, 1);
            EXPECT_EQ(call.state, 1);
        }
    }
    EXPECT_TRUE(sawEdit);
    vls::uxtheme::InstallTestTheme(false);
    ThemeApiRelease();
}

}  // namespace
