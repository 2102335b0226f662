#include <gtest/gtest.h>

#include "control_fixture.h"
#include "platform/vcl/actnlist.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/streams.h"
#include "skin/controls/sk_button.h"
#include "skin/graphics/sk_pixels.h"

using namespace skin;

namespace {

class SkButton : public sktest::ControlTest {
protected:
    TSkCustomButton* Make(int x, int y, const vcl::WideString& caption)
    {
        auto* b = new TSkCustomButton(form);
        b->SetParent(form);
        b->SetBounds(x, y, 75, 25);
        b->SetCaption(caption);
        b->OnClick = [this, b](vcl::TObject*) { clicks.push_back(b); };
        return b;
    }
    std::vector<TSkCustomButton*> clicks;
};

TEST_F(SkButton, KindsSetCaptionResultDefaultAndGlyph)
{
    TSkCustomButton* b = Make(10, 10, u"x");
    struct Case {
        vcl::TBitBtnKind kind;
        const char16_t* caption;
        int modalResult;
        bool isDefault;
    };
    const Case cases[] = {
        {vcl::bkOK, u"OK", vcl::mrOk, true},         {vcl::bkCancel, u"Cancel", vcl::mrCancel, false},
        {vcl::bkHelp, u"&Help", 0, false},           {vcl::bkYes, u"&Yes", vcl::mrYes, true},
        {vcl::bkNo, u"&No", vcl::mrNo, false},       {vcl::bkClose, u"&Close", 0, false},
        {vcl::bkAbort, u"Abort", vcl::mrAbort, false}, {vcl::bkRetry, u"&Retry", vcl::mrRetry, false},
        {vcl::bkIgnore, u"&Ignore", vcl::mrIgnore, false}, {vcl::bkAll, u"&All", vcl::mrAll, false},
    };
    for (const Case& c : cases) {
        b->SetKind(c.kind);
        EXPECT_EQ(b->Caption(), c.caption);
        EXPECT_EQ(b->ModalResult(), c.modalResult);
        EXPECT_EQ(b->Default(), c.isDefault);
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Glyph()->Width(), 32);
        EXPECT_EQ(b->Glyph()->Height(), 16);
    }
    b->SetKind(vcl::bkCustom);
    EXPECT_EQ(b->Caption(), u"&All");
}

TEST_F(SkButton, AStreamedCaptionSurvivesTheKind)
{
    vcl::RegisterClass(TSkCustomButton::StaticClass());
    vcl::TStringStream text("object B: TSkCustomButton\r\n  Caption = 'Go'\r\n  Kind = bkOK\r\nend\r\n");
    vcl::TMemoryStream binary;
    vcl::ObjectTextToBinary(&text, &binary);
    binary.SetPosition(0);
    auto* b = new TSkCustomButton(form);
    binary.ReadComponent(b);
    EXPECT_EQ(b->Caption(), u"Go");
    EXPECT_EQ(b->ModalResult(), vcl::mrOk);
}

TEST_F(SkButton, GlyphCellsFollowTheStrip)
{
    TSkCustomButton* b = Make(10, 10, u"x");
    struct Case {
        int width, height, cells;
    };
    const Case cases[] = {{64, 16, 4}, {80, 16, 1}, {32, 16, 2}, {30, 16, 2}, {16, 16, 1}};
    for (const Case& c : cases) {
        vcl::TBitmap strip;
        strip.SetSize(c.width, c.height);
        b->SetGlyph(&strip);
        EXPECT_EQ(b->NumGlyphs(), c.cells) << c.width << "x" << c.height;
    }
}

TEST_F(SkButton, MouseClicksOnlyWhenReleasedInside)
{
    TSkCustomButton* b = Make(10, 10, u"Play");
    ClickAt(b, 10, 10);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_TRUE(b->HasFocus());

    const POINT in = b->ClientToScreen(POINT{10, 10});
    const POINT out = b->ClientToScreen(POINT{200, 10});
    vls::headless::MouseMove(in.x, in.y);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, true);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(b->State(), kbsPressed);
    vls::headless::MouseMove(out.x, out.y);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(b->State(), kbsNormal);
    vls::headless::MouseMove(in.x, in.y);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(b->State(), kbsPressed);
    vls::headless::MouseMove(out.x, out.y);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, false);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_FALSE(b->Tracking());
}

TEST_F(SkButton, ClickHandsItsResultToTheForm)
{
    TSkCustomButton* b = Make(10, 10, u"x");
    b->SetKind(vcl::bkCancel);
    ClickAt(b, 5, 5);
    EXPECT_EQ(form->ModalResult(), vcl::mrCancel);
    form->SetModalResult(vcl::mrNone);
    b->SetKind(vcl::bkHelp);
    ClickAt(b, 5, 5);
    EXPECT_EQ(form->ModalResult(), vcl::mrNone);
}

TEST_F(SkButton, KeysAndDialogRoles)
{
    TSkCustomButton* ok = Make(10, 10, u"OK");
    ok->SetDefault(true);
    TSkCustomButton* cancel = Make(100, 10, u"Cancel");
    cancel->SetCancel(true);
    auto* other = new TSkCustomControl(form);  // a control that is no button
    other->SetParent(form);
    other->SetBounds(10, 50, 50, 20);
    other->SetTabStop(true);

    other->SetFocus();
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(ok->ActiveDefault());
    Tap(VK_RETURN);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks.back(), ok);
    Tap(VK_ESCAPE);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks.back(), cancel);

    // Focus on another button: the default steps back, Enter clicks the focused one.
    cancel->SetFocus();
    vcl::Application->ProcessMessages();
    EXPECT_FALSE(ok->ActiveDefault());
    Tap(VK_RETURN);
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks.back(), cancel);
    Tap(VK_SPACE);
    ASSERT_EQ(clicks.size(), 4u);
    vls::headless::Key(VK_CONTROL, true);
    Tap(VK_RETURN);
    vls::headless::Key(VK_CONTROL, false);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(clicks.size(), 4u);

    // The accelerator focuses and clicks.
    TSkCustomButton* help = Make(10, 80, u"&Help");
    EXPECT_EQ(form->Perform(vcl::CM_DIALOGCHAR, 'h', 0), 1);
    EXPECT_EQ(clicks.back(), help);
}

TEST_F(SkButton, DisabledLooks)
{
    TSkCustomButton* b = Make(10, 10, u"");
    vcl::TBitmap one;
    one.SetSize(16, 16);
    for (int i = 0; i < 16 * 16; ++i)
        one.Pixels()[i] = 0xFF00FF;
    for (int i = 4; i < 12; ++i)
        one.Pixels()[8 * 16 + i] = 0x2040C0;
    b->SetGlyph(&one);
    b->SetEnabled(false);
    // One cell, coloured or black-and-white: light grey either way.
    for (const bool blackAndWhite : {false, true}) {
        b->SetBlackAndWhiteGlyph(blackAndWhite);
        Snapshot();
        int greys = 0, blue = 0;
        for (int y = 10; y < 35; ++y)
            for (int x = 10; x < 85; ++x) {
                const std::uint32_t p = Rgb(x, y);
                const int r = static_cast<int>(p >> 16), g = static_cast<int>(p >> 8 & 0xFF),
                          bl = static_cast<int>(p & 0xFF);
                greys += r == g && g == bl && r >= 160 && r <= 210 && p != Px(vcl::clBtnFace);
                blue += p == 0x2040C0u;
            }
        EXPECT_EQ(greys, 8) << blackAndWhite;
        EXPECT_EQ(blue, 0) << blackAndWhite;
    }
    b->SetBlackAndWhiteGlyph(false);

    // Two cells: the second is shown as it is.
    vcl::TBitmap two;
    two.SetSize(32, 16);
    for (int i = 0; i < 32 * 16; ++i)
        two.Pixels()[i] = 0xFF00FF;
    for (int i = 20; i < 28; ++i)
        two.Pixels()[8 * 32 + i] = 0x102030;
    b->SetGlyph(&two);
    Snapshot();
    int second = 0;
    for (int y = 10; y < 35; ++y)
        for (int x = 10; x < 85; ++x)
            second += Rgb(x, y) == 0x102030u;
    EXPECT_EQ(second, 8);
}

TEST_F(SkButton, FaceFramesByState)
{
    TSkCustomButton* b = Make(10, 10, u"");
    b->SetColor(static_cast<vcl::TColor>(RGB(200, 200, 200)));
    Snapshot();
    EXPECT_EQ(Rgb(10, 10), Px(vcl::clBtnHighlight));
    EXPECT_EQ(Rgb(84, 34), 0x000000u);
    EXPECT_EQ(Rgb(83, 33), Px(vcl::clBtnShadow));
    EXPECT_EQ(Rgb(40, 20), 0xC8C8C8u);
    b->SetState(kbsPressed);
    b->Invalidate();
    Snapshot();
    EXPECT_EQ(Rgb(10, 10), Px(vcl::clBtnShadow));
    EXPECT_EQ(Rgb(84, 34), Px(vcl::clBtnShadow));
}

TEST_F(SkButton, ALinkedActionGivesCaptionHandlerAndImage)
{
    auto* images = new vcl::TImageList(form);
    vcl::TBitmap strip;
    strip.SetSize(32, 16);
    strip.Canvas()->Brush()->SetColor(static_cast<vcl::TColor>(RGB(0, 128, 0)));
    strip.Canvas()->FillRect(RECT{0, 0, 16, 16});
    strip.Canvas()->Brush()->SetColor(static_cast<vcl::TColor>(RGB(200, 0, 0)));
    strip.Canvas()->FillRect(RECT{16, 0, 32, 16});
    images->Add(&strip, nullptr);
    auto* list = new vcl::TActionList(form);
    list->SetImages(images);
    auto* action = new vcl::TAction(form);
    action->SetActionList(list);
    action->SetCaption("&Start");
    action->SetImageIndex(1);
    int runs = 0;
    action->OnExecute = [&](vcl::TObject* sender) {
        ++runs;
        EXPECT_EQ(sender, action);
    };

    TSkCustomButton* b = Make(10, 10, u"Before");
    b->SetModalResult(vcl::mrOk);
    b->SetAction(action);
    EXPECT_EQ(b->Caption(), u"&Start");
    ASSERT_EQ(b->Glyph()->Width(), 16);
    EXPECT_EQ(b->Glyph()->Canvas()->Pixels(8, 8), static_cast<vcl::TColor>(RGB(200, 0, 0)));
    EXPECT_FALSE(b->IsGlyphStored());
    ClickAt(b, 30, 12);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(clicks.empty());  // the button's own handler gave way to the action's
    EXPECT_EQ(form->ModalResult(), vcl::mrOk);
    form->SetModalResult(vcl::mrNone);

    // Changes of the action reach the button; an index outside the list
    // leaves the glyph as it is and stores it again.
    action->SetCaption("&Stop");
    EXPECT_EQ(b->Caption(), u"&Stop");
    action->SetImageIndex(7);
    EXPECT_TRUE(b->IsGlyphStored());
    action->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    ClickAt(b, 30, 12);
    EXPECT_EQ(runs, 1);

    // What the action supplies stays out of the stream.
    action->SetImageIndex(0);
    vcl::TMemoryStream binary;
    binary.WriteComponent(b);
    binary.SetPosition(0);
    vcl::TMemoryStream text;
    vcl::ObjectBinaryToText(&binary, &text);
    const std::string written(text.Bytes().begin(), text.Bytes().end());
    EXPECT_EQ(written.find("Caption"), std::string::npos) << written;
    EXPECT_EQ(written.find("Glyph"), std::string::npos) << written;
    EXPECT_NE(written.find("ModalResult = 1"), std::string::npos) << written;

    delete action;
    EXPECT_EQ(b->Action(), nullptr);
    ClickAt(b, 30, 12);  // the handler taken from the action still runs
    EXPECT_EQ(runs, 1);
}

}  // namespace
