#include <gtest/gtest.h>

#include "platform/vcl/clipbrd.h"
#include "platform/vcl/extctrls.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/imglist.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/user/user_control.h"
#include "test_controls.h"
#include "tests/support/temp_dir.h"

using namespace vcl;
using namespace vcltest;

namespace {

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { vls::headless::UseManualClock(); }
    void TearDown() override
    {
        Application->OnException = nullptr;
        Application->ProcessMessages();
    }
    vls::test::ScopedConfig config;
};

POINT ScreenPoint(TControl* c, int x, int y) { return c->ClientToScreen(POINT{x, y}); }

void ClickAt(TControl* c, int x, int y)
{
    const POINT p = ScreenPoint(c, x, y);
    vls::headless::Click(p.x, p.y);
    Application->ProcessMessages();
}

TEST_F(FormsTest, ApplicationHasAHiddenWindowOfItsOwnClass)
{
    Application->SetTitle("Launcher Title");
    HWND h = Application->Handle();
    ASSERT_NE(h, nullptr);
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    EXPECT_STREQ(name, "TApplication");
    char text[64] = {};
    GetWindowTextA(h, text, sizeof text);
    EXPECT_STREQ(text, "Launcher Title");
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(FindWindowA("TApplication", "Launcher Title"), h);
}

// A close request that reaches the application's hidden window (a close
// signal while the program's forms are hidden in the tray) closes the main
// form; the application's window itself stays.
TEST_F(FormsTest, TheApplicationsWindowAskedToCloseClosesTheMainForm)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    ASSERT_EQ(Application->MainForm(), main);
    int asked = 0;
    main->OnClose = [&asked](TObject*, TCloseAction& action) {
        ++asked;
        action = caNone;
    };
    SendMessageA(Application->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(IsWindow(Application->Handle()));
    EXPECT_FALSE(Application->Terminated());
    delete main;
}

TEST_F(FormsTest, SmallFormIsDrivenByPostedClicksAndKeys)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    form->Show();
    Application->ProcessMessages();
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(Screen->ActiveForm(), form);

    ClickAt(form->button, 10, 10);
    EXPECT_EQ(form->clicks, 1);
    EXPECT_TRUE(form->button->Focused());
    EXPECT_EQ(form->ActiveControl(), form->button);

    // A press that leaves the button before release is no click.
    const POINT down = ScreenPoint(form->button, 10, 10);
    vls::headless::MouseMove(down.x, down.y);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, true);
    Application->ProcessMessages();
    const POINT away = ScreenPoint(form->button, 200, 10);
    vls::headless::MouseMove(away.x, away.y);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, false);
    Application->ProcessMessages();
    EXPECT_EQ(form->clicks, 1);

    ClickAt(form->check, 5, 8);
    EXPECT_TRUE(form->check->Checked());
    EXPECT_TRUE(form->check->Focused());
    vls::headless::KeyTap(VK_SPACE);
    Application->ProcessMessages();
    EXPECT_FALSE(form->check->Checked());

    // Tab moves on to the button; space there clicks it.
    vls::headless::KeyTap(VK_TAB);
    Application->ProcessMessages();
    EXPECT_TRUE(form->button->Focused());
    vls::headless::KeyTap(VK_SPACE);
    Application->ProcessMessages();
    EXPECT_EQ(form->clicks, 2);

    // The label painted its text into the window: ink in its rectangle.
    UpdateWindow(form->Handle());
    POINT origin{};
    vls::gdi::SurfacePtr surface = vls::user::WindowSurface(form->Handle(), &origin);
    ASSERT_NE(surface, nullptr);
    const COLORREF face = vls::gdi::SysColor(COLOR_BTNFACE);
    int ink = 0;
    for (int y = 12; y < 29; ++y)
        for (int x = 16; x < 150; ++x)
            ink += vls::gdi::PixelToColorRef(surface->At(origin.x + x, origin.y + y)) != face;
    EXPECT_GT(ink, 20);
    delete form;
}

TEST_F(FormsTest, MouseEnterAndLeaveReachGraphicControls)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    std::vector<std::string> log;
    struct TSpyShape : TShape {
        using TShape::TShape;
        std::vector<std::string>* log = nullptr;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == CM_MOUSEENTER)
                log->push_back("enter");
            if (m.Msg == CM_MOUSELEAVE)
                log->push_back("leave");
            TShape::WndProc(m);
        }
    };
    auto* shape = new TSpyShape(form);
    shape->log = &log;
    shape->SetBounds(180, 10, 40, 40);
    shape->SetParent(form);
    form->Show();
    Application->ProcessMessages();
    const POINT in = ScreenPoint(shape, 5, 5);
    vls::headless::MouseMove(in.x, in.y);
    Application->ProcessMessages();
    const POINT out = ScreenPoint(shape, -30, 5);
    vls::headless::MouseMove(out.x, out.y);
    Application->ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave"}));
    // The application's hint follows the mouse.
    form->button->SetHint("Press me");
    int hints = 0;
    Application->OnHint = [&](TObject*) { ++hints; };
    const POINT over = ScreenPoint(form->button, 5, 5);
    vls::headless::MouseMove(over.x, over.y);
    Application->ProcessMessages();
    EXPECT_EQ(Application->Hint(), "Press me");
    EXPECT_EQ(hints, 1);
    Application->OnHint = nullptr;
    delete form;
}

TEST_F(FormsTest, ModalLoopEndsByPostedMessageAndCloseHandlersRun)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    bool closed = false;
    form->OnClose = [&](TObject*, TCloseAction& a) {
        closed = true;
        EXPECT_EQ(a, caHide);
    };
    // The close arrives while the modal loop runs.
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form->Visible());

    // A button setting ModalResult ends it too; OnCloseQuery can refuse once.
    int asked = 0;
    form->OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
    form->button->OnClick = [form](TObject*) { form->SetModalResult(mrOk); };
    PostMessageA(form->button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(form->button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    PostMessageA(form->button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(form->button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(asked, 2);
    EXPECT_THROW({ form->Show(); form->ShowModal(); }, EInvalidOperation);
    delete form;
}

TEST_F(FormsTest, TimersFireOnTheVirtualClock)
{
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(100);
    timer.OnTimer = [&](TObject*) { ++ticks; };
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    vls::headless::AdvanceClock(250);
    Application->ProcessMessages();
    EXPECT_GE(ticks, 1);
    timer.SetEnabled(false);
    const int before = ticks;
    vls::headless::AdvanceClock(500);
    Application->ProcessMessages();
    EXPECT_EQ(ticks, before);
}

TEST_F(FormsTest, ExceptionsInHandlersGoToTheApplication)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    form->Show();
    Application->ProcessMessages();
    std::string seen;
    Application->OnException = [&](TObject*, Exception& e) { seen = e.Message; };
    form->button->OnClick = [](TObject*) {
        TStringList list;
        list.Get(3);
    };
    ClickAt(form->button, 10, 10);
    EXPECT_EQ(seen, "Der Index der Liste überschreitet das Maximum (3)");
    delete form;
}

TEST_F(FormsTest, OnCreateFailureIsReportedAndTheFormStillOpens)
{
    std::string seen;
    Application->OnException = [&](TObject*, Exception& e) { seen = e.Message; };
    struct TFailing : TForm {
        using TForm::TForm;
    };
    auto* form = new TFailing(Application);
    form->OnCreate = [](TObject*) { throw EStringListError("boom"); };
    form->AfterConstruction();
    EXPECT_EQ(seen, "boom");
    form->Show();
    Application->ProcessMessages();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    delete form;
}

}  // namespace

namespace {

TEST_F(FormsTest, ClipboardCarriesTextBothWays)
{
    Clipboard()->SetAsWideText(u"Grüße \u20AC");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
    EXPECT_EQ(Clipboard()->AsWideText(), u"Grüße \u20AC");
    EXPECT_EQ(Clipboard()->AsText(), "Gr\xFC\xDF" "e \x80");
    Clipboard()->SetAsText("plain");
    EXPECT_EQ(Clipboard()->AsText(), "plain");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
}

TEST_F(FormsTest, ImageListCutsMaskedCellsAndShapesPaint)
{
    TBitmap strip;
    strip.SetSize(4, 2);
    for (int i = 0; i < 8; ++i)
        strip.Pixels()[i] = 0xFF00FF;  // magenta: see-through
    strip.Pixels()[0] = 0x0000FF;        // cell 0, pixel (0,0): blue
    strip.Pixels()[3] = 0xFF0000;        // cell 1, pixel (1,0): red
    TImageList images(nullptr);
    images.SetWidth(2);
    images.SetHeight(2);
    EXPECT_EQ(images.AddMasked(&strip, clFuchsia), 0);
    ASSERT_EQ(images.Count(), 2);
    TBitmap target;
    target.SetSize(2, 2);
    target.Canvas()->Brush()->SetColor(clLime);
    target.Canvas()->FillRect(RECT{0, 0, 2, 2});
    images.Draw(target.Canvas(), 0, 0, 1);
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clLime);  // masked: untouched
}

TEST_F(FormsTest, PointerCarryingMessagesFromOutsideAreRefused)
{
    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    form->Show();
    Application->ProcessMessages();
    // A paint message whose device context is no live handle draws nothing
    // and does not crash; neither does a command naming no control.
    PostMessageA(form->Handle(), WM_PAINT, 0xDEADBEEF, 0);
    PostMessageA(form->Handle(), WM_ERASEBKGND, 0x1234, 0);
    PostMessageA(form->Handle(), WM_COMMAND, 0, 0x5678);
    Application->ProcessMessages();
    EXPECT_TRUE(IsWindow(form->Handle()));
    delete form;
}

}  // namespace

namespace {

// A form whose controls and event bindings come from its stored text form.
class TStreamedForm : public TForm {
    VCL_DECLARE_CLASS(TStreamedForm, TForm)
public:
    explicit TStreamedForm(TComponent* owner) : TForm(owner) {}
    int clicks = 0;
    void BtnClick(TObject*) { ++clicks; }
    void FormCreate(TObject*) { created = true; }
    bool created = false;
};
VCL_IMPLEMENT_CLASS(TStreamedForm, TForm, [](auto& b) {
    b.Component();
    b.Method("BtnClick", &TStreamedForm::BtnClick);
    b.Method("FormCreate", &TStreamedForm::FormCreate);
})

TEST_F(FormsTest, FormsAreReadFromTheirStoredStream)
{
    RegisterClasses({TTestButton::StaticClass(), TTestLabel::StaticClass(), TTimer::StaticClass()});
    TStringStream text(
        "object StreamedForm: TStreamedForm\r\n"
        "  Left = 40\r\n  Top = 30\r\n  Width = 300\r\n  Height = 200\r\n"
        "  Caption = 'Streamed'\r\n  Color = clBtnFace\r\n  KeyPreview = True\r\n"
        "  Font.Height = -13\r\n  Font.Name = 'Microsoft Sans Serif'\r\n  Font.Style = [fsBold]\r\n"
        "  ActiveControl = Btn\r\n  OnCreate = FormCreate\r\n"
        "  object Tick: TTimer\r\n    Enabled = False\r\n    Interval = 250\r\n  end\r\n"
        "  object Btn: TTestButton\r\n    Left = 8\r\n    Top = 9\r\n    Caption = 'Go'\r\n    OnClick = BtnClick\r\n  end\r\n"
        "  object Lbl: TTestLabel\r\n    Left = 8\r\n    Top = 50\r\n    Caption = 'Text'\r\n    ParentFont = False\r\n"
        "    Font.Color = clRed\r\n  end\r\n"
        "end\r\n");
    TMemoryStream binary;
    ObjectTextToBinary(&text, &binary);
    RegisterFormResource("TStreamedForm", binary.Bytes());
    auto* form = static_cast<TStreamedForm*>(Application->CreateForm(TStreamedForm::StaticClass()));
    EXPECT_TRUE(form->created);
    EXPECT_EQ(form->Caption(), "Streamed");
    EXPECT_EQ(form->Left(), 40);
    EXPECT_TRUE(form->KeyPreview());
    EXPECT_EQ(form->Font()->Height(), -13);
    EXPECT_TRUE(form->Font()->Style().Contains(fsBold));
    auto* btn = dynamic_cast<TTestButton*>(form->FindComponent("Btn"));
    auto* lbl = dynamic_cast<TTestLabel*>(form->FindComponent("Lbl"));
    auto* tick = dynamic_cast<TTimer*>(form->FindComponent("Tick"));
    ASSERT_TRUE(btn && lbl && tick);
    EXPECT_EQ(btn->Parent(), form);
    EXPECT_EQ(lbl->Parent(), form);
    EXPECT_EQ(form->ActiveControl(), btn);
    EXPECT_EQ(tick->Interval(), 250u);
    EXPECT_FALSE(tick->Enabled());
    // Parent font flows to the button; the label keeps its own colour.
    EXPECT_EQ(btn->Font()->Height(), -13);
    EXPECT_EQ(lbl->Font()->Color(), clRed);
    form->Show();
    Application->ProcessMessages();
    ClickAt(btn, 5, 5);
    EXPECT_EQ(form->clicks, 1);

    // Key preview: the form sees keys first and may swallow them.
    std::vector<WORD> formKeys, buttonKeys;
    form->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        formKeys.push_back(key);
        if (key == 'A')
            key = 0;
    };
    btn->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { buttonKeys.push_back(key); };
    vls::headless::KeyTap('A');
    vls::headless::KeyTap('B');
    Application->ProcessMessages();
    EXPECT_EQ(formKeys, (std::vector<WORD>{'A', 'B'}));
    EXPECT_EQ(buttonKeys, (std::vector<WORD>{'B'}));

    // Written back, the form gives the same text again (names, children, events).
    TMemoryStream again;
    again.WriteComponent(form);
    again.SetPosition(0);
    TMemoryStream form2;
    ObjectBinaryToText(&again, &form2);
    const std::string written(form2.Bytes().begin(), form2.Bytes().end());
    EXPECT_NE(written.find("  object Btn: TTestButton\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("    OnClick = BtnClick\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("  ActiveControl = Btn\r\n"), std::string::npos) << written;
    EXPECT_LT(written.find("object Tick: TTimer"), written.find("object Btn: TTestButton"));
    delete form;
}

}  // namespace

namespace {

TEST_F(FormsTest, PicturesTravelInTheFormStream)
{
    RegisterClasses({TImage::StaticClass(), TShape::StaticClass()});
    TForm form(nullptr);
    form.SetName("PicForm");
    auto* image = new TImage(&form);
    image->SetName("Img");
    image->SetParent(&form);
    TBitmap* bmp = image->Picture()->Bitmap();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(3, 2);
    bmp->Pixels()[0] = 0x112233;
    bmp->Pixels()[5] = 0xABCDEF;
    auto* shape = new TShape(&form);
    shape->SetName("Shp");
    shape->SetParent(&form);
    shape->SetShape(stCircle);
    shape->Brush()->SetColor(clRed);

    TMemoryStream stream;
    stream.WriteComponent(&form);
    stream.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&stream, &text);
    const std::string form1(text.Bytes().begin(), text.Bytes().end());
    EXPECT_NE(form1.find("    Picture.Data = {\r\n      07544269746D6170"), std::string::npos) << form1;
    EXPECT_NE(form1.find("    Brush.Color = clRed\r\n"), std::string::npos) << form1;
    EXPECT_NE(form1.find("    Shape = stCircle\r\n"), std::string::npos);

    text.SetPosition(0);
    TMemoryStream binary;
    ObjectTextToBinary(&text, &binary);
    binary.SetPosition(0);
    TForm copy(nullptr);
    binary.ReadComponent(&copy);
    auto* image2 = dynamic_cast<TImage*>(copy.FindComponent("Img"));
    auto* shape2 = dynamic_cast<TShape*>(copy.FindComponent("Shp"));
    ASSERT_TRUE(image2 && shape2);
    TBitmap* bmp2 = dynamic_cast<TBitmap*>(image2->Picture()->Graphic());
    ASSERT_NE(bmp2, nullptr);
    ASSERT_EQ(bmp2->Width(), 3);
    EXPECT_EQ(bmp2->Pixels()[0] & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(bmp2->Pixels()[5] & 0xFFFFFF, 0xABCDEFu);
    EXPECT_EQ(shape2->Shape(), stCircle);
    EXPECT_EQ(shape2->Brush()->Color(), clRed);
}

}  // namespace

namespace {

TEST_F(FormsTest, AcceleratorCharactersReachTheFormsControls)
{
    EXPECT_TRUE(IsAccel('F', "&File"));
    EXPECT_TRUE(IsAccel('f', "&File"));
    EXPECT_FALSE(IsAccel('F', "&&File"));
    EXPECT_TRUE(IsAccel('X', "E&xit"));
    EXPECT_FALSE(IsAccel('E', "E&xit"));

    auto* form = new TSmallForm(Application);
    form->AfterConstruction();
    struct TAccelLabel : TTestLabel {
        using TTestLabel::TTestLabel;
        int hits = 0;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == CM_DIALOGCHAR && IsAccel(static_cast<WORD>(m.WParam), Caption())) {
                ++hits;
                m.Result = 1;
                return;
            }
            TTestLabel::WndProc(m);
        }
    };
    auto* label = new TAccelLabel(form);
    label->SetCaption("&Name");
    label->SetBounds(150, 100, 80, 17);
    label->SetParent(form);
    form->Show();
    Application->ProcessMessages();
    form->button->SetFocus();
    Application->ProcessMessages();
    vls::headless::KeyTap('N');  // the button takes no characters: an accelerator
    Application->ProcessMessages();
    EXPECT_EQ(label->hits, 1);
    vls::headless::KeyTap('Q');
    Application->ProcessMessages();
    EXPECT_EQ(label->hits, 1);
    delete form;
}

}  // namespace

namespace {

// Aligned children share the client rectangle less a 5-pixel margin.
class TMarginBox : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    void AdjustClientRect(RECT& r) override { InflateRect(&r, -5, -5); }
};

TEST_F(FormsTest, ConstraintsHoldSizesAndAdjustedClientRectsPlaceAlignedChildren)
{
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 300, 200);
    auto* box = new TMarginBox(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 100, 80);
    box->HandleNeeded();
    auto* plain = new TControl(form);
    plain->SetParent(box);
    plain->SetName("Plain");

    // Limits apply to windowed and plain controls alike, and at once.
    box->Constraints()->SetMaxWidth(60);
    EXPECT_EQ(box->Width(), 60);
    box->SetBounds(10, 10, 10, 500);
    EXPECT_EQ(box->Width(), 10);
    box->Constraints()->SetMinWidth(90); // past the maximum: the maximum follows
    EXPECT_EQ(box->Constraints()->MaxWidth(), 90);
    EXPECT_EQ(box->Width(), 90);
    box->Constraints()->SetMaxHeight(120);
    EXPECT_EQ(box->Height(), 120);
    plain->Constraints()->SetMinHeight(30);
    plain->SetBounds(0, 0, 20, 5);
    EXPECT_EQ(plain->Height(), 30);
    box->Constraints()->SetMaxWidth(50); // below the minimum: the minimum follows
    EXPECT_EQ(box->Constraints()->MinWidth(), 50);
    EXPECT_EQ(box->Width(), 50);
    EXPECT_NE(TControl::StaticClass()->FindProperty("Constraints"), nullptr);

    plain->SetAlign(alClient);
    EXPECT_EQ(plain->BoundsRect().left, 5);
    EXPECT_EQ(plain->BoundsRect().top, 5);
    EXPECT_EQ(plain->Width(), 40);

    EXPECT_EQ(box->FindChildControl("PLAIN"), plain);
    EXPECT_EQ(box->FindChildControl(""), nullptr);
    EXPECT_EQ(form->FindChildControl("Plain"), nullptr); // children only, not grandchildren
    delete form;
}

} // namespace
