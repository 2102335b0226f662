#include <gtest/gtest.h>

#include "control_fixture.h"
#include "platform/vcl/actnlist.h"
#include "skin/controls/sk_check_box.h"

using namespace skin;

namespace {

class SkCheckBox : public sktest::ControlTest {
protected:
    TSkCustomCheckBox* Make()
    {
        auto* c = new TSkCustomCheckBox(form);
        c->SetParent(form);
        c->SetBounds(10, 10, 98, 20);
        c->OnClick = [this](vcl::TObject*) { ++clicks; };
        return c;
    }
    int clicks = 0;
};

TEST_F(SkCheckBox, DefaultsAndStateChanges)
{
    TSkCustomCheckBox* c = Make();
    EXPECT_EQ(c->Caption(), u"CheckBox");
    EXPECT_EQ(c->Spacing(), 5);
    EXPECT_TRUE(c->Transparent());
    EXPECT_EQ(c->Performance(), kspDoubleBuffer);
    c->SetState(cbGrayed);
    EXPECT_EQ(clicks, 1);
    c->SetChecked(false);
    EXPECT_EQ(c->State(), cbUnchecked);
    EXPECT_EQ(clicks, 2);
    c->SetState(cbUnchecked);
    EXPECT_EQ(clicks, 2);
}

TEST_F(SkCheckBox, ClicksCycleThroughTheStates)
{
    TSkCustomCheckBox* c = Make();
    c->SetAllowGrayed(true);
    const TCheckBoxState expected[] = {cbGrayed, cbChecked, cbUnchecked, cbGrayed};
    for (TCheckBoxState s : expected) {
        ClickAt(c, 5, 5);
        EXPECT_EQ(c->State(), s);
    }
    EXPECT_EQ(clicks, 4);
    EXPECT_TRUE(c->HasFocus());
    c->SetAllowGrayed(false);
    EXPECT_EQ(c->State(), cbGrayed);
    ClickAt(c, 5, 5);
    EXPECT_EQ(c->State(), cbChecked);
    Tap(VK_SPACE);
    EXPECT_EQ(c->State(), cbUnchecked);
}

TEST_F(SkCheckBox, ReleaseOnTheEdgeStillToggles)
{
    TSkCustomCheckBox* c = Make();
    PressAndRelease(c, POINT{5, 5}, POINT{98, 20});
    EXPECT_TRUE(c->Checked());
    PressAndRelease(c, POINT{5, 5}, POINT{99, 10});
    EXPECT_TRUE(c->Checked());
    EXPECT_FALSE(c->Pressed());
}

TEST_F(SkCheckBox, PaintsTheCheckMarkAndAnEmbossedCaptionWhenDisabled)
{
    TSkCustomCheckBox* c = Make();
    c->SetChecked(true);
    Snapshot();
    const RECT box = c->CheckRect();
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 3);
    // The frame control's white well inside the 13 x 13 box, the mark in it.
    EXPECT_EQ(Rgb(10 + 3, 10 + 3 + 3), 0xFFFFFFu);
    int dark = 0;
    for (int y = 13; y < 26; ++y)
        for (int x = 10; x < 23; ++x)
            dark += Rgb(x, y) == 0x000000u;
    EXPECT_GT(dark, 5);
    c->SetEnabled(false);
    Snapshot();
    int shadow = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 28; x < 100; ++x)
            shadow += Rgb(x, y) == Px(vcl::clBtnShadow);
    EXPECT_GT(shadow, 5);
}

TEST_F(SkCheckBox, ALinkedActionCarriesTheCheckMark)
{
    auto* box = new TSkCustomCheckBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 120, 20);
    int clicks = 0;
    box->OnClick = [&](vcl::TObject*) { ++clicks; };
    auto* action = new vcl::TAction(form);
    action->SetCaption("Hardware sound");
    action->SetChecked(true);
    box->SetAction(action);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(box->Caption(), u"Hardware sound");
    EXPECT_EQ(clicks, 1);  // the box's state changed, as a user's click would
    action->SetChecked(false);
    EXPECT_FALSE(box->Checked());
    // A box set apart from its action stays until the action changes again.
    box->SetChecked(true);
    action->SetCaption("Sound");
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(box->Caption(), u"Sound");
}

}  // namespace
