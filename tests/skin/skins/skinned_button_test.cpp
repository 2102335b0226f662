#include <gtest/gtest.h>

#include "skin/skins/sk_skin_button.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/skins/launcher_skin_fixture.h"

using namespace skin;

namespace {

class SkinnedButton : public sktest::ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        manager = new TSkSkinManager(form);
        test::LoadLauncherSkin(*manager);
        button = MakeButton(10, 10);
    }
    TSkSkinButton* MakeButton(int x, int y)
    {
        auto* b = new TSkSkinButton(form);
        b->SetParent(form);
        b->SetBounds(x, y, 120, 25);
        b->SetCaption(u"Start");
        return b;
    }
    // The face of the skin's button in `state`, painted alone.
    std::uint32_t FacePixel(std::uint8_t state, int x, int y)
    {
        TSkBitmap face;
        face.SetSize(120, 25);
        face.Fill(0xFF000000);
        vcl::TCanvas canvas;
        canvas.SetHandle(face.DC());
        TSkSkinObject* f = manager->Source()->FindObject("Button")->FindObject("Face");
        f->SetBounds(RECT{0, 0, 120, 25});
        f->SetState(state);
        f->Paint(&canvas);
        canvas.SetHandle(nullptr);
        return face.GetPixel(x, y) & 0xFFFFFF;
    }
    TSkSkinManager* manager = nullptr;
    TSkSkinButton* button = nullptr;
};

}  // namespace

TEST_F(SkinnedButton, PaintsTheFaceOfEachDrawState)
{
    button->SetSkinManager(manager);
    ASSERT_TRUE(button->IsSkinned());
    auto check = [&](std::uint8_t state) {
        EXPECT_EQ(button->DrawState(), state);
        Snapshot();
        EXPECT_EQ(Rgb(10 + 3, 10 + 20), FacePixel(state, 3, 20)) << int(state);
        EXPECT_EQ(Rgb(10 + 60, 10 + 1), FacePixel(state, 60, 1)) << int(state);
    };
    check(kStateNormal);
    button->Perform(vcl::CM_MOUSEENTER, 0, 0);
    check(kStateHot);
    button->SetState(kbsPressed);
    check(kStatePressed);
    button->SetEnabled(false);
    check(kStateDisabled);  // disabled wins over pressed
    button->SetEnabled(true);
    button->SetState(kbsNormal);
    button->Perform(vcl::CM_MOUSELEAVE, 0, 0);
    button->SetFocus();
    vcl::Application->ProcessMessages();
    check(kStateFocused);
}

TEST_F(SkinnedButton, MissingObjectGivesThePlainLookAndASkinChangeRepaints)
{
    TSkSkinButton* plain = MakeButton(10, 60);
    plain->SetSkinObject("NoSuchObject");
    plain->SetSkinManager(manager);
    EXPECT_FALSE(plain->IsSkinned());
    auto* reference = new TSkCustomButton(form);
    reference->SetParent(form);
    reference->SetBounds(150, 60, 120, 25);
    reference->SetCaption(u"Start");
    Snapshot();
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(Rgb(10 + x, 60 + y), Rgb(150 + x, 60 + y)) << x << "," << y;

    // The skin changes: the copy goes, the plain look shows, and the
    // skin's return brings the skinned face back.
    button->SetSkinManager(manager);
    const std::uint32_t skinned = (Snapshot(), Rgb(10 + 3, 10 + 20));
    manager->SetSkinFile("");
    EXPECT_FALSE(button->IsSkinned());
    EXPECT_NE((Snapshot(), Rgb(10 + 3, 10 + 20)), skinned);
    delete manager;
    EXPECT_EQ(button->SkinManager(), nullptr);
}
