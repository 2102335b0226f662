#include <gtest/gtest.h>

#include "control_fixture.h"
#include "skin/controls/sk_speed_controls.h"

using namespace skin;

namespace {

class SkSpeedControls : public sktest::ControlTest {};

TEST_F(SkSpeedControls, AtRunTimeOnlyTheParentShows)
{
    auto* container = new TSkSpeedContainer(form);
    container->SetParent(form);
    container->SetBounds(10, 10, 80, 30);
    container->SetColor(static_cast<vcl::TColor>(RGB(255, 0, 0)));
    auto* divider = new TSkSpeedDivider(form);
    divider->SetParent(form);
    divider->SetBounds(100, 10, 8, 30);
    EXPECT_EQ(divider->Width(), 8);
    EXPECT_TRUE(divider->Transparent());
    EXPECT_TRUE(container->ControlStyle().Contains(vcl::csAcceptsControls));
    Snapshot();
    for (int x : {10, 50, 89})
        EXPECT_EQ(Rgb(x, 20), 0x0000FFu) << x;
    for (int x : {100, 107})
        EXPECT_EQ(Rgb(x, 10), 0x0000FFu) << x;
}

TEST_F(SkSpeedControls, WhileDesigningBothShowAGreyOutline)
{
    auto* container = new TSkSpeedContainer(form);
    auto* divider = new TSkSpeedDivider(form);
    for (vcl::TControl* c : std::initializer_list<vcl::TControl*>{container, divider}) {
        TSkBitmap target;
        target.SetSize(c->Width(), c->Height());
        target.Fill(0xFF0000FF);
        c->SetDesigning(true);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(target.DC()), 0);
        EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0x808080u);
        EXPECT_EQ(target.GetPixel(c->Width() - 1, c->Height() - 1) & 0xFFFFFF, 0x808080u);
        EXPECT_EQ(target.GetPixel(3, 3) & 0xFFFFFF, 0x0000FFu);
    }
}

}  // namespace
