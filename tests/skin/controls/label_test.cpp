#include <gtest/gtest.h>

#include "control_fixture.h"
#include "skin/controls/sk_label.h"

using namespace skin;

namespace {

class SkLabel : public sktest::ControlTest {
protected:
    TSkCustomLabel* Make(const vcl::WideString& caption)
    {
        auto* l = new TSkCustomLabel(form);
        l->SetParent(form);
        l->SetBounds(10, 10, 65, 17);
        l->SetCaption(caption);
        return l;
    }
    int LineHeight()
    {
        TSkBitmap b;
        b.SetSize(1, 1);
        vcl::TCanvas c;
        c.SetHandle(b.DC());
        c.Font()->Assign(form->Font());
        c.RequiredState({vcl::csHandleValid, vcl::csFontValid});
        SIZE s{};
        GetTextExtentPoint32W(c.Handle(), u"Pq", 2, &s);
        c.SetHandle(nullptr);
        return s.cy;
    }
};

TEST_F(SkLabel, DefaultsAndAutoSizeFollowTheText)
{
    auto* fresh = new TSkCustomLabel(form);
    EXPECT_EQ(fresh->Width(), 65);
    EXPECT_EQ(fresh->Height(), 17);
    EXPECT_TRUE(fresh->Transparent());
    EXPECT_TRUE(fresh->AutoSize());
    EXPECT_TRUE(fresh->ShowAccelChar());

    TSkCustomLabel* empty = Make(u"x");
    empty->SetCaption(u"");
    EXPECT_EQ(empty->Height(), LineHeight());
    EXPECT_GT(empty->Width(), 0);
    const int spaceWidth = empty->Width();
    // A lone "&" is an accelerator with nothing after it: measured as a space.
    empty->SetCaption(u"&");
    EXPECT_EQ(empty->Width(), spaceWidth);

    TSkCustomLabel* text = Make(u"Install");
    const int shortWidth = text->Width();
    text->SetCaption(u"Install data files");
    EXPECT_GT(text->Width(), shortWidth);
    EXPECT_EQ(text->Left(), 10);
}

TEST_F(SkLabel, RightAlignedLabelKeepsItsRightEdge)
{
    TSkCustomLabel* l = Make(u"Play");
    l->SetAlignment(vcl::taRightJustify);
    const int right = l->Left() + l->Width();
    l->SetCaption(u"Play the game now");
    EXPECT_EQ(l->Left() + l->Width(), right);
    EXPECT_LT(l->Left(), 10);
}

TEST_F(SkLabel, PaintsOverTheParentAndEmbossesWhenDisabled)
{
    TSkCustomLabel* l = Make(u"MMMM");
    l->Font()->SetColor(static_cast<vcl::TColor>(RGB(255, 255, 0)));
    // Text is smoothed, so pixels are sorted by how close they come to a colour.
    auto count = [&](auto near) {
        int n = 0;
        for (int y = l->Top(); y <= l->Top() + l->Height(); ++y)
            for (int x = l->Left(); x <= l->Left() + l->Width(); ++x) {
                const std::uint32_t p = Rgb(x, y);
                n += near(static_cast<int>(p >> 16), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
            }
        return n;
    };
    Snapshot();
    EXPECT_GT(count([](int r, int g, int b) { return r > 200 && g > 200 && b < 60; }), 4);
    EXPECT_EQ(count([](int r, int g, int b) { return r > 200 && g > 200 && b > 200; }), 0);
    l->SetEnabled(false);
    Snapshot();
    EXPECT_EQ(count([](int r, int g, int b) { return r > 200 && g > 200 && b < 60; }), 0);
    EXPECT_GT(count([](int r, int g, int b) { return r > 200 && g > 200 && b > 200; }), 0);  // highlight copy
    EXPECT_GT(count([](int r, int g, int b) { return r == g && r > 100 && r < 150 && b > 100 && b < 150; }), 4);
}

TEST_F(SkLabel, AcceleratorFocusesTheControlAndForgetsAFreedOne)
{
    auto* box = new vcl::TWinControl(form);
    box->SetParent(form);
    box->SetBounds(100, 100, 50, 20);
    box->SetTabStop(true);
    TSkCustomLabel* l = Make(u"&Name");
    l->SetFocusControl(box);
    EXPECT_EQ(form->Perform(vcl::CM_DIALOGCHAR, 'N', 0), 1);
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(box->Focused());
    EXPECT_EQ(form->Perform(vcl::CM_DIALOGCHAR, 'x', 0), 0);
    delete box;
    EXPECT_EQ(l->FocusControl(), nullptr);
}

TEST_F(SkLabel, TextOfTheClassLibraryBecomesTheCaption)
{
    TSkCustomLabel* l = Make(u"");
    l->SetText("Gr\xfc\xdf" "e");
    EXPECT_EQ(l->Caption(), u"Grüße");
}

}  // namespace
