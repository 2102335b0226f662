#include <gtest/gtest.h>

#include "control_fixture.h"
#include "platform/vcl/comctrls.h"
#include "skin/controls/sk_status_bar.h"

using namespace skin;

namespace {

class SkStatusBar : public sktest::ControlTest {
protected:
    // A bar whose paint rectangle is `paintWidth` wide (the border takes 2 a side).
    TSkCustomStatusBar* Make(int paintWidth)
    {
        auto* bar = new TSkCustomStatusBar(form);
        bar->SetParent(form);
        bar->SetBounds(0, 100, paintWidth + 4, 22);
        return bar;
    }
    static TSkStatusPanel* Add(TSkCustomStatusBar* bar, int width, int view = 100, int stretch = 0)
    {
        TSkStatusPanel* p = bar->Panels()->AddPanel();
        p->SetWidth(width);
        p->SetViewPriority(view);
        p->SetStretchPriority(stretch);
        return p;
    }
};

TEST_F(SkStatusBar, Defaults)
{
    auto* bar = new TSkCustomStatusBar(form);
    EXPECT_EQ(bar->Height(), 22);
    EXPECT_EQ(bar->BorderWidth(), 2);
    EXPECT_EQ(bar->BevelInner(), kbvSpace);
    EXPECT_EQ(bar->BevelOuter(), kbvRaised);
    EXPECT_EQ(bar->ControlStyle(), (vcl::TControlStyle{vcl::csAcceptsControls, vcl::csCaptureMouse,
                                                       vcl::csClickEvents, vcl::csDoubleClicks}));
    TSkStatusPanel* p = bar->Panels()->AddPanel();
    EXPECT_EQ(p->Width(), 50);
    EXPECT_EQ(p->MaxWidth(), 10000);
    EXPECT_EQ(p->ImageIndex(), -1);
    EXPECT_EQ(p->ViewPriority(), 100);
    p->SetWidth(-5);
    EXPECT_EQ(p->Width(), 0);
    p->SetWidth(20000);
    EXPECT_EQ(p->Width(), 10000);
    p->SetMaxWidth(80);
    EXPECT_EQ(p->Width(), 80);
}

TEST_F(SkStatusBar, LowViewPriorityGivesWayAndHiddenPanelsKeepTheirSlot)
{
    TSkCustomStatusBar* bar = Make(220);
    TSkStatusPanel* a = Add(bar, 100, 30);
    TSkStatusPanel* b = Add(bar, 100, 100);
    TSkStatusPanel* c = Add(bar, 100, 50);
    EXPECT_FALSE(a->Shown());
    EXPECT_TRUE(b->Shown());
    EXPECT_TRUE(c->Shown());
    // The hidden first panel draws nothing but the others stay in place, the
    // third reaching past the paint rectangle.
    EXPECT_EQ(a->PanelLeft(), 2);
    EXPECT_EQ(a->PanelRight(), 2);
    EXPECT_EQ(b->PanelLeft(), 102);
    EXPECT_EQ(b->PanelRight(), 202);
    EXPECT_EQ(c->PanelLeft(), 202);
    EXPECT_EQ(c->PanelRight(), 302);
    EXPECT_EQ(bar->PanelAt(50, 10), nullptr);
    EXPECT_EQ(bar->PanelAt(150, 10), b);
    // Wide enough for all three, they show in order.
    bar->SetWidth(304);
    EXPECT_TRUE(a->Shown());
    EXPECT_EQ(a->PanelRight(), 102);
    EXPECT_EQ(c->PanelLeft(), 202);

    // A panel placed at or past the paint width is hidden, and a hidden last
    // panel does not stretch over the bar.
    TSkCustomStatusBar* narrow = Make(150);
    narrow->SetTop(130);
    Add(narrow, 100);
    Add(narrow, 100);
    TSkStatusPanel* late = Add(narrow, 100, 100, 50);
    EXPECT_FALSE(late->Shown());
    EXPECT_EQ(late->PanelLeft(), 202);
    EXPECT_EQ(late->PanelRight(), 202);
}

TEST_F(SkStatusBar, SpareRoomGoesToStretchablePanelsUpToTheirMaximum)
{
    TSkCustomStatusBar* bar = Make(400);
    TSkStatusPanel* fixed = Add(bar, 50);
    TSkStatusPanel* capped = Add(bar, 50, 100, 50);
    capped->SetMaxWidth(120);
    TSkStatusPanel* rest = Add(bar, 50, 100, 10);
    EXPECT_EQ(fixed->PanelRight() - fixed->PanelLeft(), 50);
    EXPECT_EQ(capped->PanelRight() - capped->PanelLeft(), 120);
    // What the capped panel could not take went to the next stretchable one,
    // and the last stretchable panel reaches the paint rectangle's right.
    EXPECT_EQ(rest->PanelLeft(), 2 + 50 + 120);
    EXPECT_EQ(rest->PanelRight(), 402);

    TSkCustomStatusBar* lone = Make(300);
    lone->SetTop(130);
    TSkStatusPanel* only = Add(lone, 50, 100, 50);
    only->SetMaxWidth(120);
    EXPECT_EQ(only->EffectiveWidth(), 120);
    EXPECT_EQ(only->PanelRight(), 302);
}

TEST_F(SkStatusBar, PanelWithoutViewPriorityNeverShowsNorItsControl)
{
    TSkCustomStatusBar* bar = Make(300);
    auto* box = new vcl::TWinControl(form);
    box->SetParent(bar);
    ASSERT_EQ(bar->Panels()->Count(), 1);
    TSkStatusPanel* p = bar->Panels()->Items(0);
    EXPECT_EQ(p->Control(), box);
    p->SetViewPriority(0);
    EXPECT_FALSE(p->Shown());
    EXPECT_FALSE(box->Visible());
    p->SetViewPriority(100);
    EXPECT_TRUE(box->Visible());
    const RECT r = bar->GetControlRect(p);
    EXPECT_EQ(box->Left(), r.left);
    EXPECT_EQ(box->Width(), 50 - 2 - 2);
    // Taking the control out frees its panel.
    box->SetParent(nullptr);
    EXPECT_EQ(bar->Panels()->Count(), 0);
    delete box;
}

TEST_F(SkStatusBar, AControlCannotHoldItsOwnParent)
{
    TSkCustomStatusBar* bar = Make(300);
    TSkStatusPanel* p = Add(bar, 60);
    EXPECT_THROW(p->SetControl(form), vcl::EInvalidOperation);
    EXPECT_THROW(p->SetControl(bar), vcl::EInvalidOperation);
    EXPECT_EQ(p->Control(), nullptr);
    // One control, one panel: handing it on clears the first holder.
    auto* box = new vcl::TWinControl(form);
    box->SetParent(form);
    TSkStatusPanel* q = Add(bar, 60);
    p->SetControl(box);
    q->SetControl(box);
    EXPECT_EQ(p->Control(), nullptr);
    EXPECT_EQ(q->Control(), box);
    delete box;
    EXPECT_EQ(q->Control(), nullptr);
}

TEST_F(SkStatusBar, TextAndImagePlacesInAPanel)
{
    TSkCustomStatusBar* bar = Make(300);
    TSkStatusPanel* p = Add(bar, 100);
    p->SetText(u"Ready");
    const RECT control = bar->GetControlRect(p);
    const int w = control.right - control.left;
    const int tw = bar->GetTextSize(p).cx;
    ASSERT_GT(tw, 0);
    struct Case {
        TSkStatusGliphLayout layout;
        vcl::TAlignment alignment;
        int left, right;
    };
    const Case cases[] = {
        {sglGlyphLeft, vcl::taLeftJustify, 2, w - 2},
        {sglGlyphLeft, vcl::taRightJustify, 2, w - 2},
        {sglGlyphRight, vcl::taLeftJustify, 2, w - 2},
        {sglGlyphLeft, vcl::taCenter, (w - tw) / 2, (w - tw) / 2 + tw + 10},
        {sglGlyphRight, vcl::taCenter, (w - tw) / 2, (w - tw) / 2 + tw},
    };
    for (const Case& c : cases) {
        p->SetLayout(c.layout);
        p->SetAlignment(c.alignment);
        const RECT r = bar->GetTextRect(p);
        EXPECT_EQ(r.left, c.left) << c.layout << "/" << c.alignment;
        EXPECT_EQ(r.right, c.right) << c.layout << "/" << c.alignment;
    }
    // Text never claims more than the panel leaves it.
    p->SetText(u"A status text far too long for a panel of a hundred pixels");
    EXPECT_LE(bar->GetTextSize(p).cx, p->EffectiveWidth() - 2 * p->Margin());
}

TEST_F(SkStatusBar, ClicksGoToThePanelPressedAndReleased)
{
    TSkCustomStatusBar* bar = Make(300);
    TSkStatusPanel* a = Add(bar, 100);
    TSkStatusPanel* b = Add(bar, 100);
    std::vector<TSkStatusPanel*> clicked;
    bar->OnPanelClick = [&](vcl::TObject*, TSkStatusPanel* p) { clicked.push_back(p); };
    ClickAt(bar, 150, 10);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], b);
    PressAndRelease(bar, POINT{20, 10}, POINT{150, 10});
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_EQ(bar->PanelAt(20, 10), a);
    EXPECT_EQ(bar->PanelAt(20, 0), nullptr);
    EXPECT_EQ(bar->PanelAt(250, 10), nullptr);
}

// A click is one left press and its release: later releases of any button,
// over the panel clicked before, click nothing.
TEST_F(SkStatusBar, OnlyTheLeftPressAndItsReleaseClick)
{
    TSkCustomStatusBar* bar = Make(300);
    Add(bar, 100);
    TSkStatusPanel* b = Add(bar, 100);
    std::vector<TSkStatusPanel*> clicked;
    bar->OnPanelClick = [&](vcl::TObject*, TSkStatusPanel* p) { clicked.push_back(p); };
    ClickAt(bar, 150, 10);
    ASSERT_EQ(clicked, std::vector<TSkStatusPanel*>{b});
    for (const UINT up : {WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONUP})
        bar->Perform(up, 0, MAKELPARAM(150, 10));
    EXPECT_EQ(clicked.size(), 1u);
    // A right click alone clicks nothing either.
    bar->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(150, 10));
    bar->Perform(WM_RBUTTONUP, 0, MAKELPARAM(150, 10));
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(SkStatusBar, SizeGripOnTheFormCorner)
{
    TSkCustomStatusBar* bar = Make(100);
    bar->SetAlign(vcl::alBottom);
    Add(bar, 50);
    EXPECT_TRUE(bar->SizeGripActive());
    bar->SetSizeGrip(false);
    EXPECT_FALSE(bar->SizeGripActive());
    bar->SetSizeGrip(true);
    bar->SetAlign(vcl::alTop);
    EXPECT_FALSE(bar->SizeGripActive());
    const RECT grip = bar->GetSizeGripRect();
    EXPECT_EQ(grip.right - grip.left, GetSystemMetrics(SM_CXVSCROLL));
}

TEST_F(SkStatusBar, PanelsPaintTheirFrameTextAndOwnerDrawing)
{
    TSkCustomStatusBar* bar = Make(300);
    bar->SetColor(static_cast<vcl::TColor>(RGB(0, 128, 0)));
    TSkStatusPanel* framed = Add(bar, 100);
    framed->SetText(u"Ready");
    TSkStatusPanel* drawn = Add(bar, 100);
    drawn->SetStyle(psOwnerDraw);
    RECT drawnRect{};
    bar->OnDrawPanel = [&](vcl::TObject*, TSkStatusPanel* p, const RECT& r) {
        EXPECT_EQ(p, drawn);
        drawnRect = r;
    };
    Snapshot();
    const int top = bar->Top();
    EXPECT_EQ(Rgb(2, top + 2), Px(vcl::clBtnShadow));        // the sunken frame's top-left
    EXPECT_EQ(Rgb(101, top + 19), Px(vcl::clBtnHighlight));  // and its bottom-right
    EXPECT_EQ(drawnRect.left, 102);
    EXPECT_EQ(drawnRect.right, 202);
    int text = 0;
    for (int x = 3; x < 100; ++x)
        for (int y = top + 3; y < top + 19; ++y)
            text += Rgb(x, y) != 0x008000u;
    EXPECT_GT(text, 5);
}

TEST_F(SkStatusBar, PanelsCopyEachOtherAndTheClassLibrarysPanel)
{
    TSkCustomStatusBar* bar = Make(300);
    vcl::TStatusPanel plain;
    plain.SetText("Gr\xfc\xdf" "e");
    plain.SetWidth(77);
    plain.SetAlignment(vcl::taCenter);
    TSkStatusPanel* p = Add(bar, 10);
    p->Assign(&plain);
    EXPECT_EQ(p->Text(), u"Grüße");
    EXPECT_EQ(p->Width(), 77);
    EXPECT_EQ(p->Alignment(), vcl::taCenter);
    TSkStatusPanel* q = Add(bar, 10);
    p->SetStretchPriority(40);
    q->Assign(p);
    EXPECT_EQ(q->StretchPriority(), 40);
    EXPECT_EQ(q->GetDisplayName(), "Gr\xfc\xdf" "e");
    EXPECT_THROW(q->Assign(bar->Font()), vcl::Exception);

    int asked = 0;
    bar->OnCreatePanelClass = [&](vcl::TObject*, TSkStatusPanelClass& cls) {
        ++asked;
        EXPECT_EQ(cls, TSkStatusPanel::StaticClass());
    };
    bar->Panels()->Add();
    EXPECT_EQ(asked, 1);
}

}  // namespace
