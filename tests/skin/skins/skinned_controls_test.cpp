#include <gtest/gtest.h>

#include "skin/skins/sk_skin_controls.h"
#include "skin/skins/sk_skin_label.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/skins/launcher_skin_fixture.h"

using namespace skin;

namespace {

class SkinnedControls : public sktest::ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        manager = new TSkSkinManager(form);
        test::LoadLauncherSkin(*manager);
    }
    TSkSkinManager* manager = nullptr;
};

}  // namespace

TEST_F(SkinnedControls, ProgressBarFillsTheFramesInnerRectangle)
{
    auto* bar = new TSkSkinProgressBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 241, 24);
    bar->SetMax(16);
    bar->SetSkinManager(manager);
    ASSERT_TRUE(bar->IsSkinned());
    RECT inner{};
    bar->GetBarRect(inner);
    EXPECT_EQ(inner.left, 2);
    EXPECT_EQ(inner.top, 2);
    EXPECT_EQ(inner.right, 241 - 3);
    EXPECT_EQ(inner.bottom, 24 - 3);
    // At Min no bar, at Max the bar reaches the inner rectangle's end.
    const std::uint32_t empty = (Snapshot(), Rgb(10 + 120, 10 + 12));
    bar->SetPosition(16);
    Snapshot();
    EXPECT_NE(Rgb(10 + 120, 10 + 12), empty);
    EXPECT_NE(Rgb(10 + 237, 10 + 12), Rgb(10 + 239, 10 + 12));
    bar->SetPosition(8);
    Snapshot();
    EXPECT_EQ(Rgb(10 + 200, 10 + 12), empty);
}

TEST_F(SkinnedControls, CheckBoxTakesTheSkinsBoxesAndPanelWithoutObjectStaysPlain)
{
    auto* box = new TSkSkinCheckBox(form);
    box->SetParent(form);
    box->SetBounds(10, 50, 120, 20);
    box->SetSkinManager(manager);
    ASSERT_TRUE(box->IsSkinned());
    EXPECT_EQ(box->GetCheckSize().x, 13);
    const std::uint32_t unchecked = (Snapshot(), Rgb(10 + 7, 50 + 3 + 7));
    box->SetChecked(true);
    EXPECT_NE((Snapshot(), Rgb(10 + 7, 50 + 3 + 7)), unchecked);
    const std::uint32_t checked = Rgb(10 + 7, 50 + 3 + 7);
    box->SetAlignment(ktaRightJustify);  // the box goes to the right edge
    Snapshot();
    EXPECT_EQ(Rgb(10 + 120 - 13 + 7, 50 + 3 + 7), checked);

    auto* panel = new TSkSkinPanel(form);
    panel->SetParent(form);
    panel->SetBounds(150, 10, 150, 100);
    const int plainTitle = panel->TitleHeight();
    panel->SetSkinManager(manager);
    EXPECT_FALSE(panel->IsSkinned());  // the launcher's skin has no "Panel"
    EXPECT_EQ(panel->TitleHeight(), plainTitle);
    delete manager;
    EXPECT_EQ(panel->SkinManager(), nullptr);
    EXPECT_EQ(box->SkinManager(), nullptr);
}

// The settings panel's setting: a translucent panel over a coloured form,
// with see-through children that must show the panel as it is on screen.
TEST_F(SkinnedControls, SeeThroughChildrenOfATranslucentPanelShowThePanelsPixels)
{
    auto* panel = new TSkSkinPanel(form);
    panel->SetParent(form);
    panel->SetBounds(20, 20, 220, 150);
    panel->SetShowCaption(false);
    panel->SetPerformance(kspSharedBuffer);
    panel->Blending()->SetEnabled(true);
    panel->Blending()->SetValue(220);
    panel->SetSkinManager(manager);

    auto* label = new TSkSkinLabel(form);
    label->SetParent(panel);
    label->SetAutoSize(false);
    label->SetBounds(30, 20, 100, 17);
    label->SetCaption(u"");
    label->SetSkinManager(manager);
    ASSERT_TRUE(label->Transparent());

    auto* box = new TSkCustomCheckBox(form);
    box->SetParent(panel);
    box->SetBounds(30, 60, 150, 20);
    box->SetCaption(u"");
    ASSERT_TRUE(box->Transparent());
    ASSERT_EQ(box->Performance(), kspDoubleBuffer);

    Snapshot();
    // The panel itself: its white face mixed over the blue form.
    const std::uint32_t panelPixel = Rgb(20 + 160, 20 + 28);
    EXPECT_NE(panelPixel, Px(panel->Color()));
    EXPECT_NE(panelPixel, Px(form->Color()));
    // The label and the empty end of the check box show exactly that.
    EXPECT_EQ(Rgb(20 + 30 + 50, 20 + 28), panelPixel);
    EXPECT_EQ(Rgb(20 + 30 + 120, 20 + 70), Rgb(20 + 200, 20 + 70));
    EXPECT_EQ(Rgb(20 + 30 + 120, 20 + 70), panelPixel);
}
