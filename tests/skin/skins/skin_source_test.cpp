#include <gtest/gtest.h>

#include "skin/skins/sk_skin_source.h"
#include "tests/skin/skins/skin_fixture.h"

using namespace skin;

TEST(SkSkinSource, LookupsAndTheReloadFlag)
{
    TSkSkinSource s(nullptr);
    test::BuildTestSkin(s);
    EXPECT_EQ(s.FindObject("form")->Name(), "Form");
    EXPECT_EQ(s.FindObject("Caption"), nullptr);  // top level only
    EXPECT_EQ(s.GetObject(1)->Name(), "Button");
    EXPECT_EQ(s.GetObject(2), nullptr);
    EXPECT_EQ(s.GetObject(-1), nullptr);
    s.Reloading = true;
    EXPECT_EQ(s.GetObject(0), nullptr);
    EXPECT_EQ(s.FindObject("Form"), nullptr);
    EXPECT_EQ(s.GetFormObject(), nullptr);
    s.Reloading = false;

    // Without an object named "Form" the first of kind skForm serves.
    s.FindObject("Form")->SetName("Frame");
    EXPECT_EQ(s.GetFormObject()->Name(), "Frame");
    s.Clear();
    EXPECT_EQ(s.GetObjectCount(), 0);
    EXPECT_EQ(s.Bitmaps().Count(), 0);
}

TEST(SkSkinSource, HueChangesApplyTheDifferenceFromTheOriginals)
{
    TSkSkinSource s(nullptr);
    test::BuildTestSkin(s);
    TSkBitmap* face = s.Bitmaps().GetBitmap(0);
    face->MaskColor(0x00FF00FF);
    const TPixel original = face->GetPixel(1, 0);
    const vcl::TColor formColour = s.FindObject("Form")->Color();

    s.ChangeHue(100);
    EXPECT_EQ(s.AppliedHue(), 100);
    EXPECT_EQ(face->GetPixel(1, 0), ShiftHue(original, 100));
    EXPECT_EQ(face->GetPixel(0, 0), KeyColor);
    s.ChangeHue(30);
    EXPECT_EQ(face->GetPixel(1, 0), ShiftHue(original, 30));
    EXPECT_EQ(s.FindObject("Form")->Color(), PixelToColor(ShiftHue(ColorToPixel(formColour), 30)));
    s.ChangeHue(30);
    EXPECT_EQ(s.AppliedHue(), 30);
    // Back at 0 every colour is exactly what it was.
    s.ChangeHue(0);
    EXPECT_EQ(face->GetPixel(1, 0), original);
    EXPECT_EQ(s.FindObject("Form")->Color(), formColour);
}
