#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "control_fixture.h"
#include "platform/uxtheme/uxtheme.h"
#include "platform/vcl/dragdock.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/streams.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_theme.h"

using namespace skin;

namespace {

class TTestTool : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TTestTool, vcl::TCustomControl)
public:
    explicit TTestTool(vcl::TComponent* owner) : vcl::TCustomControl(owner) {}
};
VCL_IMPLEMENT_CLASS(TTestTool, vcl::TCustomControl, [](auto& b) { b.Component(); })

class SkControlBar : public sktest::ControlTest {
protected:
    TSkCustomControlBar* MakeBar(int width = 300)
    {
        auto* bar = new TSkCustomControlBar(form);
        bar->SetParent(form);
        bar->SetBounds(10, 10, width, 60);
        vcl::Application->ProcessMessages();
        return bar;
    }
    TTestTool* AddTool(TSkCustomControlBar* bar, int left, int top, int width, int height = 22)
    {
        auto* tool = new TTestTool(form);
        tool->SetBounds(left, top, width, height);
        tool->SetParent(bar);
        vcl::Application->ProcessMessages();
        return tool;
    }
    // The bands' controls, row by row.
    static std::vector<std::vector<vcl::TControl*>> Rows(TSkCustomControlBar* bar)
    {
        std::vector<std::vector<vcl::TControl*>> rows;
        for (const TSkBand* band : bar->Bands()) {
            if (band->startsRowNow || rows.empty())
                rows.emplace_back();
            rows.back().push_back(band->control);
        }
        return rows;
    }
    // Takes `control`'s band by its grabber and drops it with the band's
    // top-left at `to` (bar client coordinates).
    static void DragBand(TSkCustomControlBar* bar, vcl::TControl* control, POINT to)
    {
        vls::headless::AdvanceClock(1000);  // never a double click
        const POINT grip{control->Left() - 6, control->Top() + 5};
        const TSkBand* band = bar->FindBand(control);
        const POINT offset{band->placedLeft - grip.x, band->placedTop - grip.y};
        Move(bar, grip.x, grip.y);
        Button(true);
        ASSERT_EQ(bar->DraggedControl(), control);
        Move(bar, (grip.x + to.x - offset.x) / 2, (grip.y + to.y - offset.y) / 2);
        Move(bar, to.x - offset.x, to.y - offset.y);
        Button(false);
        ASSERT_EQ(bar->DraggedControl(), nullptr);
    }
};

using Rows_t = std::vector<std::vector<vcl::TControl*>>;

TEST_F(SkControlBar, BandsLineUpInRowsAfterTheirGrabbers)
{
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    auto* b = AddTool(bar, 120, 0, 60);
    EXPECT_EQ(a->Left(), 11);
    EXPECT_EQ(a->Top(), 2);
    EXPECT_EQ(b->Left(), 120);  // a band stays where it was put when there is room
    EXPECT_EQ(b->Top(), 2);
    ASSERT_EQ(Rows(bar).size(), 1u);
    EXPECT_EQ(bar->Height(), 22 + 4 + (bar->Height() - bar->ClientHeight()));
    EXPECT_EQ(bar->ControlAt(5, 10), a);
    EXPECT_EQ(bar->ControlAt(115, 10), b);
    EXPECT_EQ(bar->ControlAt(100, 10), nullptr);
}

TEST_F(SkControlBar, OverflowShrinksToTheSmallestWidthThenWraps)
{
    TSkCustomControlBar* bar = MakeBar(200);
    auto* a = AddTool(bar, 0, 0, 120);
    a->Constraints()->SetMinWidth(100);
    auto* b = AddTool(bar, 140, 0, 120);
    b->Constraints()->SetMinWidth(100);
    bar->Realign(nullptr);
    const auto rows = Rows(bar);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], std::vector<vcl::TControl*>{b});
    EXPECT_GT(b->Top(), a->Top() + a->Height());
    for (const TSkBand* band : bar->Bands())
        EXPECT_GE(band->placedWidth, 100 + 11 + 2);
    EXPECT_EQ(bar->ClientHeight(), 2 * (22 + 4));
}

TEST_F(SkControlBar, HandlersReshapeAndMoveBands)
{
    TSkCustomControlBar* bar = MakeBar(300);
    vcl::TControl* wide = nullptr;
    vcl::TControl* moved = nullptr;
    bar->OnBandInfo = [&](vcl::TObject*, vcl::TControl* control, RECT& insets, int& preferred, int&) {
        if (control == wide) {
            insets = RECT{20, 4, 2, 4};
            preferred = 100;
        }
    };
    bar->OnBandMove = [&](vcl::TObject*, vcl::TControl* control, RECT& rect) {
        if (control == moved)
            OffsetRect(&rect, 200 - rect.left, 0);
    };
    auto* a = new TTestTool(form);
    wide = a;
    a->SetBounds(0, 0, 60, 22);
    a->SetParent(bar);
    auto* b = AddTool(bar, 50, 0, 40);
    // The wider band pushes the next one along; its control sits inside
    // the insets it was given and keeps its own width.
    EXPECT_EQ(a->Left(), 20);
    EXPECT_EQ(a->Top(), 4);
    EXPECT_EQ(a->Width(), 60);
    EXPECT_EQ(b->Left(), 122 + 11);
    EXPECT_EQ(bar->ClientHeight(), 22 + 8);

    moved = b;
    bar->Realign();
    EXPECT_EQ(b->Left(), 200 + 11);
}

TEST_F(SkControlBar, StreamedBarLaysOutItsStreamedControls)
{
    vcl::RegisterClass(TTestTool::StaticClass());
    EXPECT_EQ(vcl::GetClass("TSkCustomControlBar"), TSkCustomControlBar::StaticClass());  // by the unit
    vcl::TStringStream text("object Bar: TSkCustomControlBar\r\n"
                            "  Left = 10\r\n  Top = 10\r\n  Width = 300\r\n  Height = 60\r\n"
                            "  AutoDrag = False\r\n  RowSize = 30\r\n  RowSnap = True\r\n"
                            "  object T1: TTestTool\r\n"
                            "    Left = 0\r\n    Top = 0\r\n    Width = 80\r\n    Height = 22\r\n"
                            "  end\r\n"
                            "  object T2: TTestTool\r\n"
                            "    Left = 100\r\n    Top = 40\r\n    Width = 60\r\n    Height = 22\r\n"
                            "  end\r\n"
                            "end\r\n");
    vcl::TMemoryStream binary;
    vcl::ObjectTextToBinary(&text, &binary);
    binary.SetPosition(0);
    auto* bar = new TSkCustomControlBar(form);
    bar->SetParent(form);
    binary.ReadComponent(bar);
    vcl::Application->ProcessMessages();
    EXPECT_FALSE(bar->AutoDrag());
    EXPECT_TRUE(bar->RowSnap());
    EXPECT_EQ(bar->RowSize(), 30);
    ASSERT_EQ(bar->ControlCount(), 2);
    vcl::TControl* t1 = bar->Controls(0);
    vcl::TControl* t2 = bar->Controls(1);
    EXPECT_EQ(Rows(bar), (Rows_t{{t1}, {t2}}));
    EXPECT_EQ(t1->Left(), 11);
    EXPECT_EQ(t2->Top(), 30 + 2);
    EXPECT_EQ(bar->ClientHeight(), 2 * 30);
}

TEST_F(SkControlBar, EmptyBarAtDesignTimeKeepsItsSize)
{
    auto* bar = new TSkCustomControlBar(form);
    bar->SetDesigning(true);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 150, 77);
    vcl::Application->ProcessMessages();
    bar->Realign(nullptr);
    bar->AdjustSize();
    EXPECT_EQ(bar->Width(), 150);
    EXPECT_EQ(bar->Height(), 77);
}

TEST_F(SkControlBar, DroppedBandJoinsTheRowUnderItsCentreLine)
{
    TSkCustomControlBar* bar = MakeBar(400);
    auto* a = AddTool(bar, 0, 0, 60);
    auto* b = AddTool(bar, 200, 0, 60);
    auto* c = AddTool(bar, 0, 40, 60);
    ASSERT_EQ(Rows(bar).size(), 2u);
    // Grab c by its grabber and drop it between a and b in the first row.
    Move(bar, c->Left() - 6, c->Top() + 5);
    Button(true);
    EXPECT_EQ(bar->DraggedControl(), c);
    Move(bar, 100, 8);
    Move(bar, 101, 8);
    Button(false);
    EXPECT_EQ(bar->DraggedControl(), nullptr);
    const auto rows = Rows(bar);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<vcl::TControl*>{a, c, b}));
    EXPECT_GT(c->Left(), a->Left() + a->Width());
    EXPECT_LT(c->Left() + c->Width(), b->Left());
    EXPECT_EQ(c->Top(), a->Top());
}

TEST_F(SkControlBar, DoubleClickOffersTheBandForDraggingOut)
{
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    a->SetDragKind(vcl::dkDock);
    std::vector<vcl::TControl*> offered;
    bar->OnBandDrag = [&](vcl::TObject*, vcl::TControl* control, bool& drag) {
        offered.push_back(control);
        drag = true;
    };
    Move(bar, 5, 10);
    Button(true);
    Button(false);
    Button(true);  // the second press of a double click
    EXPECT_EQ(offered, std::vector<vcl::TControl*>{a});
    EXPECT_TRUE(a->Dragging());
    Button(false);
    // Vetoed, nothing drags.
    bar->OnBandDrag = [&](vcl::TObject*, vcl::TControl*, bool& drag) { drag = false; };
    vls::headless::AdvanceClock(1000);
    Button(true);
    Button(false);
    Button(true);
    EXPECT_FALSE(a->Dragging());
    Button(false);
}

TEST_F(SkControlBar, BandPulledOutOfTheBarOrCtrlDuringADragStartsADragOut)
{
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    auto* b = AddTool(bar, 150, 0, 60);
    a->SetDragKind(vcl::dkDock);
    b->SetDragKind(vcl::dkDock);
    std::vector<vcl::TControl*> offered;
    bar->OnBandDrag = [&](vcl::TObject*, vcl::TControl* control, bool&) { offered.push_back(control); };

    // Without AutoDrag a band pulled far away only moves to another row.
    bar->SetAutoDrag(false);
    Move(bar, 5, 10);
    Button(true);
    Move(bar, 5, 150);
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(bar->DraggedControl(), a);
    Button(false);
    EXPECT_EQ(Rows(bar), (Rows_t{{b}, {a}}));

    // With it, leaving the bar by more than the control's height hands the
    // control to a drag of its own, which floats it where it is dropped.
    bar->SetAutoDrag(true);
    vls::headless::AdvanceClock(1000);
    Move(bar, a->Left() - 6, a->Top() + 5);
    Button(true);
    Move(bar, 5, 150);
    EXPECT_EQ(offered, std::vector<vcl::TControl*>{a});
    EXPECT_TRUE(a->Dragging());
    EXPECT_EQ(bar->DraggedControl(), nullptr);
    Button(false);
    EXPECT_TRUE(a->Floating());
    EXPECT_EQ(bar->FindBand(a), nullptr);

    // Ctrl during a band drag does the same at once.
    vls::headless::AdvanceClock(1000);
    Move(bar, b->Left() - 6, b->Top() + 5);
    Button(true);
    Move(bar, b->Left() - 2, b->Top() + 5);
    bar->Perform(vcl::CN_KEYDOWN, VK_CONTROL, 0);
    EXPECT_EQ(offered, (std::vector<vcl::TControl*>{a, b}));
    EXPECT_TRUE(b->Dragging());
    b->EndDrag(false);
    Button(false);
}

// Ctrl from the real keyboard reaches a band drag although the focus is
// elsewhere: the next move of the mouse pulls the band out.
TEST_F(SkControlBar, CtrlFromTheKeyboardPullsTheDraggedBandOut)
{
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    a->SetDragKind(vcl::dkDock);
    Move(bar, a->Left() - 6, a->Top() + 5);
    Button(true);
    Move(bar, a->Left() - 4, a->Top() + 5);
    ASSERT_EQ(bar->DraggedControl(), a);
    ASSERT_FALSE(bar->Focused());
    vls::headless::Key(VK_CONTROL, true);
    vcl::Application->ProcessMessages();
    Move(bar, a->Left() - 3, a->Top() + 5);
    EXPECT_TRUE(a->Dragging());
    EXPECT_EQ(bar->DraggedControl(), nullptr);
    a->EndDrag(false);
    vls::headless::Key(VK_CONTROL, false);
    Button(false);
}

TEST_F(SkControlBar, LeftAlignedBarSizesItsWidthToTheBands)
{
    TSkCustomControlBar* bar = MakeBar();
    AddTool(bar, 0, 0, 80);
    AddTool(bar, 0, 40, 120);
    bar->SetAlign(vcl::alLeft);
    EXPECT_EQ(bar->ClientWidth(), 120 + 11 + 2);
    bar->Realign();  // and stays so
    EXPECT_EQ(bar->ClientWidth(), 120 + 11 + 2);
    EXPECT_EQ(bar->Height(), form->ClientHeight());
}

// A bar along the top keeps the form's width whatever its bands take, in
// every order of aligning, sizing and filling it, before or after the
// form's window exists, and through a resize of the form.
TEST_F(SkControlBar, TopAlignedBarSpansTheFormAndSizesItsHeightToTheBands)
{
    for (const int order : {0, 1, 2}) {
        for (const bool shownFirst : {true, false}) {
            SCOPED_TRACE(std::to_string(order) + (shownFirst ? ", shown first" : ", shown last"));
            auto* host = new vcl::TForm(vcl::Application);
            host->SetBounds(0, 0, 500, 300);
            if (shownFirst)
                host->Show();
            auto* bar = new TSkCustomControlBar(host);
            bar->SetParent(host);
            if (order != 1)
                bar->SetAlign(vcl::alTop);
            if (order == 2)
                bar->SetHeight(30);
            auto* tool = new TTestTool(host);
            if (order == 2) {
                tool->SetParent(bar);
                tool->SetBounds(11, 2, 150, 22);
            } else {
                tool->SetBounds(11, 2, 150, 22);
                tool->SetParent(bar);
            }
            if (order == 1)
                bar->SetAlign(vcl::alTop);
            host->Show();
            vcl::Application->ProcessMessages();
            EXPECT_EQ(bar->Width(), host->ClientWidth());
            EXPECT_EQ(bar->ClientHeight(), tool->Height() + 4);
            host->SetWidth(host->Width() + 40);
            vcl::Application->ProcessMessages();
            EXPECT_EQ(bar->Width(), host->ClientWidth());
            EXPECT_EQ(tool->Width(), 150);
            delete host;
        }
    }
}

TEST_F(SkControlBar, FloatingControlDocksAsABand)
{
    TSkCustomControlBar* bar = MakeBar(300);
    AddTool(bar, 0, 0, 80);
    auto* tool = new TTestTool(form);
    tool->SetDragKind(vcl::dkDock);
    tool->SetDragMode(vcl::dmAutomatic);
    tool->SetBounds(0, 0, 50, 22);
    tool->ManualFloat(RECT{20, 150, 70, 172});
    vcl::Application->ProcessMessages();
    ASSERT_TRUE(tool->Floating());
    Move(tool, 5, 5);
    Button(true);
    Move(bar, 150, 10);  // enters the bar: docks, and goes on as a band drag
    Move(bar, 160, 10);
    Button(false);
    EXPECT_EQ(tool->Parent(), bar);
    EXPECT_FALSE(tool->Floating());
    EXPECT_NE(bar->FindBand(tool), nullptr);
    EXPECT_EQ(Rows(bar).size(), 1u);
    // Removing a control removes its band.
    tool->SetParent(form);
    EXPECT_EQ(bar->FindBand(tool), nullptr);
}

TEST_F(SkControlBar, BandsPaintFrameAndGrabberPixelForPixel)
{
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    bar->SetColor(static_cast<vcl::TColor>(RGB(0, 128, 0)));
    const std::uint32_t face = 0x008000, light = Px(vcl::clBtnHighlight), dark = Px(vcl::clBtnShadow);
    int paints = 0;
    bar->OnPaint = [&](vcl::TObject*) { ++paints; };
    Snapshot();
    EXPECT_EQ(paints, 1);

    // The band's frame and its two grabber bars, as they must look: a
    // raised inner edge, and two bars each lit on the left and top and
    // shaded on the right and bottom.
    const RECT band{10 + a->Left() - 11, 10 + a->Top() - 2, 10 + a->Left() + a->Width() + 2,
                    10 + a->Top() + a->Height() + 2};
    const auto expected = [&](int x, int y) -> std::uint32_t {
        const int u = x - band.left, v = y - band.top, w = band.right - band.left, h = band.bottom - band.top;
        if (u == w - 1 || v == h - 1)
            return dark;
        if (u == 0 || v == 0)
            return light;
        for (int bar = 0; bar < 2; ++bar) {
            const int l = 3 + 3 * bar, r = l + 2, t = 2, b = h - 3;
            if (u < l || u > r || v < t || v > b)
                continue;
            if (u == r || v == b)
                return dark;
            if (u == l || v == t)
                return light;
        }
        return face;
    };
    int compared = 0;
    for (int y = band.top; y < band.bottom; ++y)
        for (int x = band.left; x < band.right; ++x) {
            const bool onControl = x >= 10 + a->Left() && x < 10 + a->Left() + a->Width() && y >= 10 + a->Top() &&
                                   y < 10 + a->Top() + a->Height();
            const bool corner = (x == band.left || x == band.right - 1) && (y == band.top || y == band.bottom - 1);
            if (onControl || corner)
                continue;
            ASSERT_EQ(Rgb(x, y), expected(x, y)) << "at " << x - band.left << "," << y - band.top;
            ++compared;
        }
    EXPECT_GT(compared, 26 * 11);
    EXPECT_EQ(Rgb(10 + 200, 10 + 10), face);  // the bar's face beside the band

    // OnBandPaint may drop both parts: the band is then only the bar's face.
    std::vector<vcl::TControl*> painted;
    bar->OnBandPaint = [&](vcl::TObject*, vcl::TControl* control, vcl::TCanvas*, RECT&, TBandPaintOptions& options) {
        painted.push_back(control);
        options = TBandPaintOptions{};
    };
    Snapshot();
    EXPECT_EQ(painted, std::vector<vcl::TControl*>{a});
    for (int y = band.top; y < band.bottom; ++y)
        EXPECT_EQ(Rgb(band.left + 3, y), face);
    EXPECT_EQ(Rgb(band.left, band.top + 5), face);
}

TEST_F(SkControlBar, ThemedBarDrawsTheRebarFaceAndGrippers)
{
    vls::uxtheme::InstallTestTheme(true);
    ASSERT_TRUE(ThemeApiAcquire());
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    vls::uxtheme::ClearTestThemeCalls();
    Snapshot();
    std::vector<vls::uxtheme::ThemeCall> rebar;
    for (const auto& call : vls::uxtheme::TestThemeCalls())
        if (call.function == "DrawThemeBackground" && call.classList == u"Rebar")
            rebar.push_back(call);
    ASSERT_EQ(rebar.size(), 2u);
    EXPECT_EQ(rebar[0].part, 0);
    EXPECT_EQ(rebar[0].rect.right, bar->Width());
    EXPECT_EQ(rebar[0].rect.bottom, bar->Height());
    EXPECT_EQ(rebar[1].part, 1);
    EXPECT_EQ(rebar[1].state, 1);
    const int left = a->Left() - 11, top = a->Top() - 2, bottom = a->Top() + a->Height() + 2;
    EXPECT_EQ(rebar[1].rect.left, left + 2);
    EXPECT_EQ(rebar[1].rect.top, top + 2);
    EXPECT_EQ(rebar[1].rect.right, left + 8);
    EXPECT_EQ(rebar[1].rect.bottom, bottom - 2);
    vls::uxtheme::InstallTestTheme(false);
    ThemeApiRelease();
}

// Rows [A] [B D]; one band is dragged by its grabber and dropped.
TEST_F(SkControlBar, DraggedBandsJoinTheRowUnderTheirCentreLine)
{
    struct Case {
        const char* name;
        char dragged;
        POINT to;  // the band's new top-left
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"nudged within its row, first stays first", 'B', {10, 26}, {"A", "BD"}},
        {"dropped right of the row's last band", 'B', {300, 26}, {"A", "DB"}},
        {"dropped into the row above", 'B', {150, 0}, {"AB", "D"}},
        {"dropped at the front of the first row", 'D', {0, 0}, {"DA", "B"}},
        {"dropped below all rows", 'D', {50, 60}, {"A", "B", "D"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSkCustomControlBar* bar = MakeBar(400);
        std::map<vcl::TControl*, char> names;
        names[AddTool(bar, 0, 0, 60)] = 'A';
        vcl::TControl* b = AddTool(bar, 0, 40, 60);
        names[b] = 'B';
        vcl::TControl* d = AddTool(bar, 200, 40, 60);
        names[d] = 'D';
        ASSERT_EQ(Rows(bar).size(), 2u);
        DragBand(bar, c.dragged == 'B' ? b : d, c.to);
        std::vector<std::string> rows;
        for (const auto& row : Rows(bar)) {
            rows.emplace_back();
            for (vcl::TControl* control : row)
                rows.back() += names[control];
        }
        EXPECT_EQ(rows, c.rows);
        // Bands of a row never overlap and share the row's top.
        for (const auto& row : Rows(bar))
            for (std::size_t i = 1; i < row.size(); ++i) {
                EXPECT_GE(row[i]->Left() - 11, row[i - 1]->Left() + row[i - 1]->Width() + 2);
                EXPECT_EQ(row[i]->Top(), row[0]->Top());
            }
        delete bar;
        vcl::Application->ProcessMessages();
    }
}

TEST_F(SkControlBar, InsertedAndRemovedControlsMakeAndDropBands)
{
    TSkCustomControlBar* bar = MakeBar(300);
    auto* a = AddTool(bar, 0, 0, 60);
    auto* b = AddTool(bar, 0, 40, 60);
    auto* c = AddTool(bar, 150, 40, 60);
    EXPECT_EQ(Rows(bar), (Rows_t{{a}, {b, c}}));
    EXPECT_EQ(bar->ClientHeight(), 2 * 26);

    // A hidden control keeps its band, which no longer counts.
    b->SetVisible(false);
    ASSERT_NE(bar->FindBand(b), nullptr);
    EXPECT_FALSE(bar->FindBand(b)->visible);
    EXPECT_EQ(bar->ControlAt(b->Left() - 5, b->Top() + 5), nullptr);
    b->SetVisible(true);
    EXPECT_EQ(bar->ControlAt(b->Left() - 5, b->Top() + 5), b);

    // Freeing the control that begins a row hands the row start on.
    delete b;
    EXPECT_EQ(Rows(bar), (Rows_t{{a}, {c}}));
    EXPECT_EQ(c->Top(), 26 + 2);
    Snapshot();  // paints with no trace of the freed control

    // Moving a control by code moves its band with it.
    c->SetBounds(100, 2, 60, 22);
    EXPECT_EQ(Rows(bar), (Rows_t{{a, c}}));
    EXPECT_EQ(c->Left(), 100);
    EXPECT_EQ(bar->ClientHeight(), 26);

    // A removed control goes, and the bar shrinks to what is left.
    a->SetParent(form);
    EXPECT_EQ(bar->FindBand(a), nullptr);
    EXPECT_EQ(Rows(bar), (Rows_t{{c}}));
    c->SetParent(nullptr);
    EXPECT_TRUE(bar->Bands().empty());
    EXPECT_EQ(bar->ClientHeight(), 0);
    delete c;
}

TEST_F(SkControlBar, TallBandSpansRowsAndKeepsItsNeighboursClear)
{
    TSkCustomControlBar* bar = MakeBar(300);
    bar->SetRowSnap(true);
    vcl::TControl* tallOne = nullptr;
    bar->OnBandInfo = [&](vcl::TObject*, vcl::TControl* control, RECT&, int&, int& rowCount) {
        if (control == tallOne)
            rowCount = 2;
    };
    auto* tall = new TTestTool(form);
    tallOne = tall;
    tall->SetBounds(0, 0, 80, 22);
    tall->SetParent(bar);
    auto* other = AddTool(bar, 150, 30, 60);
    ASSERT_EQ(bar->Bands().size(), 3u);
    const TSkBand* lower = bar->FindBand(tall)->nextPart;
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->continues, bar->FindBand(tall));
    EXPECT_EQ(Rows(bar), (Rows_t{{tall}, {tall, other}}));
    EXPECT_EQ(tall->Top(), 2);
    EXPECT_EQ(tall->Height(), 2 * 26 - 4);  // both rows, less the insets
    EXPECT_EQ(other->Top(), 26 + 2);
    EXPECT_EQ(other->Left(), 150);
    EXPECT_EQ(bar->ClientHeight(), 2 * 26);

    // Moved onto the tall band's lower part, the other band is kept right of it.
    other->SetBounds(30, 28, 60, 22);
    EXPECT_EQ(other->Left(), tall->Left() + tall->Width() + 2 + 11);
    EXPECT_EQ(tall->Left(), 11);

    // A band put in front of the lower part moves the whole tall band along.
    auto* front = AddTool(bar, 0, 28, 40);
    EXPECT_EQ(Rows(bar), (Rows_t{{tall}, {front, tall, other}}));
    EXPECT_EQ(front->Left(), 11);
    EXPECT_EQ(tall->Left(), 40 + 13 + 11);
    EXPECT_EQ(tall->Top(), 2);
    EXPECT_EQ(other->Left(), tall->Left() + tall->Width() + 2 + 11);
}

TEST_F(SkControlBar, LayoutStaysBoundedWithExtremeRowsAndWidths)
{
    TSkCustomControlBar* bar = MakeBar(120);
    bar->SetRowSize(2147483647);  // the row size only sets the centre line here
    auto* a = AddTool(bar, 0, 0, 200);
    auto* b = AddTool(bar, 10, 0, 200);
    auto* c = AddTool(bar, 20, 0, 200);
    // Every band is wider than the bar: each ends on a row of its own.
    EXPECT_EQ(Rows(bar), (Rows_t{{a}, {b}, {c}}));

    // A band may ask for any number of rows; it gets no more than a bar holds.
    bar->SetRowSize(2);
    bar->SetRowSnap(true);
    bar->OnBandInfo = [&](vcl::TObject*, vcl::TControl* control, RECT&, int&, int& rowCount) {
        if (control == a)
            rowCount = 2147483647;
    };
    a->SetBounds(a->Left(), a->Top(), 100, a->Height());
    std::size_t parts = 0;
    for (const TSkBand* band = bar->FindBand(a); band; band = band->nextPart)
        ++parts;
    EXPECT_GT(parts, 1u);
    EXPECT_LE(parts, 100u);
}

TEST_F(SkControlBar, DesignerLeavesTheMouseToTheBarOnBandsOnly)
{
    TSkCustomControlBar* bar = MakeBar(400);
    auto* a = AddTool(bar, 0, 0, 60);
    auto* b = AddTool(bar, 0, 40, 60);
    bar->SetDesigning(true);
    int offered = 0;
    bar->OnBandDrag = [&](vcl::TObject*, vcl::TControl*, bool&) { ++offered; };
    const auto hit = [&](int x, int y) { return bar->Perform(vcl::CM_DESIGNHITTEST, 0, MAKELPARAM(x, y)); };
    EXPECT_EQ(hit(5, 5), 1);
    EXPECT_EQ(hit(300, 5), 0);

    // A click beside the bands stays with the designer; a band drags as at
    // run time, but a double click offers nothing for dragging out.
    Move(bar, 300, 5);
    Button(true);
    EXPECT_EQ(bar->DraggedControl(), nullptr);
    Button(false);
    DragBand(bar, b, POINT{150, 0});
    EXPECT_EQ(Rows(bar), (Rows_t{{a, b}}));
    Move(bar, 5, 5);
    Button(true);
    Button(false);
    Button(true);
    EXPECT_EQ(offered, 0);
    EXPECT_EQ(hit(300, 5), 1);  // while a band is dragged
    Button(false);
}

}  // namespace
