#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/surface.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/user/user_control.h"
#include "skin/skins/sk_skin_form.h"
#include "skin/skins/sk_system_buttons.h"
#include "skin/skins/sk_units.h"
#include "tests/support/temp_dir.h"
#include "tools/skin_writer.h"

using namespace skin;

namespace {

// A framed window of 200 x 150: caption with title and close button,
// borders on three sides, the client in the middle; a tool window; a
// fixed-size shape without client.
const char* kFrameSkin = R"(
name "Frames"
object Form: TSkSkinObject
  Kind = skForm
  Color = clNavy
  Width = 200
  Height = 150
  object Caption: TSkSkinObject
    Align = saTop
    Height = 20
    Kind = skCaption
    Color = clMaroon
    object Close: TSkSystemButton
      Align = saRight
      Width = 16
      Kind = skSysButton
      Action = sbaClose
    end
    object Title: TSkSkinObject
      Align = saClient
      Kind = skTitle
      Color = clMaroon
    end
  end
  object Left: TSkSkinObject
    Align = saLeft
    Width = 4
    Kind = skLeft
    Color = clGreen
  end
  object Right: TSkSkinObject
    Align = saRight
    Width = 4
    Kind = skRight
    Color = clGreen
  end
  object Bottom: TSkSkinObject
    Align = saBottom
    Height = 4
    Kind = skBottom
    Color = clGreen
  end
  object Client: TSkSkinObject
    Align = saClient
    Kind = skClient
    Color = clTeal
  end
end
object ToolWindow: TSkSkinObject
  Kind = skForm
  Color = clOlive
  Width = 200
  Height = 150
  object Client: TSkSkinObject
    Align = saClient
    Kind = skClient
    Color = clPurple
  end
end
object Badge: TSkSkinObject
  Kind = skForm
  Color = clGray
  Width = 240
  Height = 60
end
)";

class TTestSkinForm : public TSkSkinForm {
public:
    using TSkSkinForm::Loaded;
    using TSkSkinForm::NCMouseDown;
    using TSkSkinForm::NCMouseMove;
    using TSkSkinForm::NCMouseUp;
    using TSkSkinForm::TSkSkinForm;
};

class SkinnedForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitializeSkinUnits();
        form = new vcl::TForm(vcl::Application);
        form->SetBounds(100, 100, 200, 150);
        form->SetCaption("Framed");
        manager = new TSkSkinManager(form);
        vls::tools::BuildSkinSource(kFrameSkin, "", *manager->Source());
    }
    void TearDown() override
    {
        delete form;
        vcl::Application->ProcessMessages();
        FinalizeSkinUnits();
    }
    TTestSkinForm* MakeFrame(const char* object = "Form", TSkBorderStyle style = kbsStandard)
    {
        auto* frame = new TTestSkinForm(form);
        frame->SetBorderStyle(style);
        frame->SetSkinObject(object);
        frame->SetSkinManager(manager);
        frame->Loaded();
        return frame;
    }
    // The window's picture, frame included, as 0xRRGGBB.
    std::uint32_t WindowPixel(TSkSkinForm* frame, int x, int y)
    {
        POINT clientOrigin{};
        vls::gdi::SurfacePtr surface = vls::user::WindowSurface(form->Handle(), &clientOrigin);
        const RECT client = frame->GetFrameClientRect();
        return surface->At(clientOrigin.x - client.left + x, clientOrigin.y - client.top + y) & 0xFFFFFF;
    }
    static std::uint32_t Px(vcl::TColor c)
    {
        const COLORREF rgb = vcl::ColorToRGB(c);
        return (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
    }

    vls::test::ScopedConfig config;
    vcl::TForm* form = nullptr;
    TSkSkinManager* manager = nullptr;
};

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST_F(SkinnedForm, ChoosesItsSkinObjectByNameFallingBackToTheFormObject)
{
    struct Case {
        const char* name;
        TSkBorderStyle style;
        vcl::TColor expected;
    } cases[] = {
        {"Form", kbsStandard, vcl::clNavy},         {"ToolWindow", kbsStandard, vcl::clOlive},
        {"toolwindow", kbsNone, vcl::clOlive},      {"NoSuchObject", kbsStandard, vcl::clNavy},
        {"Form", kbsToolWindow, vcl::clOlive},  // a tool window always takes "ToolWindow"
    };
    for (const Case& c : cases) {
        TTestSkinForm* frame = MakeFrame(c.name, c.style);
        ASSERT_TRUE(frame->IsSkinned()) << c.name;
        EXPECT_EQ(frame->FrameObject()->Color(), c.expected) << c.name;
        EXPECT_EQ(form->Color(), c.expected) << c.name;
        delete frame;
    }

    // Without an object named "Form", the first object of the form kind.
    std::string renamed = kFrameSkin;
    renamed.replace(renamed.find("object Form:"), 12, "object Main:");
    manager->Source()->Clear();
    vls::tools::BuildSkinSource(renamed, "", *manager->Source());
    TTestSkinForm* frame = MakeFrame();
    EXPECT_EQ(frame->FrameObject()->Color(), vcl::clNavy);
    EXPECT_EQ(frame->FrameObject()->Name(), "Main");
}

TEST_F(SkinnedForm, FrameGeometryAndHitCodesComeFromTheSkin)
{
    TTestSkinForm* frame = MakeFrame();
    form->Show();
    vcl::Application->ProcessMessages();
    // The form keeps its client size; the borders are the skin's.
    const int h = form->Height();
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{4, 20, 196, h - 4}));
    EXPECT_EQ(form->ClientWidth(), 192);
    EXPECT_EQ(form->ClientHeight(), h - 24);
    RECT button;
    frame->GetButtonRect(kbiClose, button);
    EXPECT_TRUE(Same(button, RECT{}));

    struct Case {
        int x, y, code;
    } cases[] = {
        {50, 10, khtCaption},  // title
        {190, 10, khtCustom},  // the skin's close button
        {2, 80, khtLeft},      {198, 80, khtRight}, {100, h - 2, khtBottom},
        {100, 80, khtNone},  // client
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame->HitTest(c.x, c.y), c.code) << c.x << "," << c.y;
}

TEST_F(SkinnedForm, PaintsTheFrameAndTheClientObjectAndShowsTheCaption)
{
    TTestSkinForm* frame = MakeFrame();
    form->Show();
    vcl::Application->ProcessMessages();
    frame->PaintFrame();
    EXPECT_EQ(WindowPixel(frame, 50, 10), Px(vcl::clMaroon));
    EXPECT_EQ(WindowPixel(frame, 1, 80), Px(vcl::clGreen));
    const int bottom = form->Height() - 2;
    EXPECT_EQ(WindowPixel(frame, 100, bottom), Px(vcl::clGreen));
    EXPECT_EQ(frame->GetFrameClientRect().bottom, form->Height() - 4);
    EXPECT_EQ(WindowPixel(frame, 100, 80), Px(vcl::clTeal));
    EXPECT_EQ(frame->TitleObject()->Text, u"Framed");

    // A paint event takes the place of the client object.
    frame->OnPaint = [&](vcl::TObject*) {
        vcl::TCanvas* canvas = frame->FormCanvas();
        canvas->Brush()->SetColor(vcl::clYellow);
        canvas->FillRect(RECT{0, 0, 192, 126});
    };
    InvalidateRect(form->Handle(), nullptr, TRUE);
    UpdateWindow(form->Handle());
    EXPECT_EQ(WindowPixel(frame, 100, 80), Px(vcl::clYellow));
}

TEST_F(SkinnedForm, WithoutBorderTheClientCoversTheWindow)
{
    TTestSkinForm* frame = MakeFrame("Form", kbsNone);
    form->Show();
    vcl::Application->ProcessMessages();
    // The client size is kept: the window shrinks to it, and the client
    // object covers all of it.
    const RECT whole{0, 0, form->Width(), form->Height()};
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), whole));
    EXPECT_EQ(form->ClientWidth(), form->Width());
    HRGN region = frame->CreateRegion();
    DeleteObject(region);
    EXPECT_TRUE(Same(frame->ClientObject()->GetBounds(), whole));
    EXPECT_EQ(frame->HitTest(50, 10), khtNone);
    EXPECT_EQ(frame->HitTest(190, 10), khtNone);
    UpdateWindow(form->Handle());
    EXPECT_EQ(WindowPixel(frame, 50, 10), Px(vcl::clTeal));
}

TEST_F(SkinnedForm, AnObjectWithoutClientSizesTheWindow)
{
    TTestSkinForm* frame = MakeFrame("Badge");
    EXPECT_EQ(form->Width(), 240);
    EXPECT_EQ(form->Height(), 60);
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{0, 0, 240, 60}));
}

TEST_F(SkinnedForm, FrameMouseReachesThePressedObjectOnly)
{
    TTestSkinForm* frame = MakeFrame();
    form->Show();
    vcl::Application->ProcessMessages();
    int closeAsked = 0;
    frame->OnClose = [&](vcl::TObject*, bool& allow) {
        ++closeAsked;
        allow = false;
    };
    auto* close = dynamic_cast<TSkSystemButton*>(frame->FrameObject()->FindObject("Close"));
    ASSERT_NE(close, nullptr);

    // Hovering over the button shows the application's hint there.
    form->SetHint("Frame hint");
    vcl::Application->SetHint("");
    frame->NCMouseMove(vcl::TShiftState{}, 190, 10);
    EXPECT_EQ(vcl::Application->Hint(), "Frame hint");

    // Pressed on the close button, released on the title: no action.
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 190, 10);
    EXPECT_EQ(frame->PressedObject(), close);
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 50, 10);
    EXPECT_EQ(frame->PressedObject(), nullptr);
    EXPECT_EQ(closeAsked, 0);

    // Pressed and released on it: the frame's close action.
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 190, 10);
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 190, 10);
    EXPECT_EQ(closeAsked, 1);
    EXPECT_EQ(SendMessageA(form->Handle(), SKM_GETFORM, 0, 0),
              reinterpret_cast<LRESULT>(static_cast<vcl::TComponent*>(frame)));
}

TEST_F(SkinnedForm, SkinChangeAndManagerRemovalDropTheCopy)
{
    TTestSkinForm* frame = MakeFrame();
    form->Show();
    vcl::Application->ProcessMessages();
    manager->BroadcastBeforeChange();
    EXPECT_EQ(frame->FrameObject(), nullptr);
    EXPECT_FALSE(frame->IsSkinned());
    manager->Source()->FindObject("Form")->SetColor(vcl::clBlack);
    manager->BroadcastAfterChange();
    ASSERT_TRUE(frame->IsSkinned());
    EXPECT_EQ(frame->FrameObject()->Color(), vcl::clBlack);

    delete manager;
    EXPECT_FALSE(frame->IsSkinned());
    EXPECT_EQ(frame->SkinManager(), nullptr);
    frame->PaintFrame();  // the plain frame, no pointer into the gone skin
    InvalidateRect(form->Handle(), nullptr, TRUE);
    UpdateWindow(form->Handle());
    // Plain metrics: frame 4, caption 19.
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{4, 23, form->Width() - 4, form->Height() - 4}));
}

// Without a buffer the strip above the client is composed apart: what the
// skin paints in the key colour there lets the picture below show, while
// the sides and the bottom are painted as they are.
TEST_F(SkinnedForm, UnbufferedFrameLeavesTheKeyColourOutOfTheStripAboveTheClient)
{
    TTestSkinForm* frame = MakeFrame();
    TSkSkinObject* title = frame->TitleObject();
    ASSERT_NE(title, nullptr);
    ASSERT_NE(frame->ClientObject(), nullptr);
    TSkSkinObject* bottom = frame->FrameObject()->FindObject("Bottom");
    bottom->SetColor(PixelToColor(KeyColor));
    title->SetColor(PixelToColor(KeyColor));
    const RECT under = bottom->GetBounds(), side = frame->FrameObject()->FindObject("Left")->GetBounds();
    const RECT whole = frame->FrameObject()->GetBounds();
    for (const TSkFormPerformance mode : {ksfpNoBuffer, ksfpDoubleBuffer}) {
        SCOPED_TRACE(static_cast<int>(mode));
        frame->SetPerformance(mode);
        TSkBitmap picture;
        picture.SetSize(whole.right, whole.bottom);
        picture.Fill(0xFFFF0000);
        vcl::TCanvas canvas;
        canvas.SetHandle(picture.DC());
        frame->DrawFrame(&canvas);
        canvas.SetHandle(nullptr);
        const std::uint32_t key = KeyColor & 0xFFFFFF;
        EXPECT_EQ(picture.GetPixel(50, 10) & 0xFFFFFF, mode == ksfpNoBuffer ? 0xFF0000u : key);
        EXPECT_EQ(picture.GetPixel(50, under.top + 1) & 0xFFFFFF, key);
        EXPECT_EQ(picture.GetPixel(side.left + 1, 60) & 0xFFFFFF, Px(vcl::clGreen));
    }
}
