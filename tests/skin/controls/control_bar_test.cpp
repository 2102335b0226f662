#include <gtest/gtest.h>

#include <algorithm>

#include "control_fixture.h"
#include "platform/vcl/dragdock.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/graphics/sk_canvas.h"

using namespace skin;

namespace {

// A control whose published Constraints give it a smallest width.
class TTestLimits : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TTestLimits, vcl::TPersistent)
public:
    int MinWidth() const { return minWidth; }
    void SetMinWidth(int v) { minWidth = v; }
    int minWidth = 0;
};
VCL_IMPLEMENT_CLASS(TTestLimits, vcl::TPersistent,
                    [](auto& b) { b.Int("MinWidth", &TTestLimits::MinWidth, &TTestLimits::SetMinWidth, 0); })

class TTestTool : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TTestTool, vcl::TCustomControl)
public:
    explicit TTestTool(vcl::TComponent* owner) : vcl::TCustomControl(owner) {}
    ~TTestTool() override { delete limits; }
    TTestLimits* Limits() const { return limits; }
    void SetLimits(TTestLimits*) {}
    TTestLimits* limits = new TTestLimits();
};
VCL_IMPLEMENT_CLASS(TTestTool, vcl::TCustomControl,
                    [](auto& b) { b.Object("Constraints", &TTestTool::Limits, &TTestTool::SetLimits); })

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
    static void Move(vcl::TControl* c, int x, int y)
    {
        const POINT p = c->ClientToScreen(POINT{x, y});
        vls::headless::MouseMove(p.x, p.y);
        vcl::Application->ProcessMessages();
    }
    static void Button(bool down)
    {
        vls::headless::MouseButton(vls::backend::MouseButton::Left, down);
        vcl::Application->ProcessMessages();
    }
};

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
    a->limits->minWidth = 100;
    auto* b = AddTool(bar, 140, 0, 120);
    b->limits->minWidth = 100;
    bar->Realign(nullptr);
    const auto rows = Rows(bar);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], std::vector<vcl::TControl*>{b});
    EXPECT_GT(b->Top(), a->Top() + a->Height());
    for (const TSkBand* band : bar->Bands())
        EXPECT_GE(band->placedWidth, 100 + 11 + 2);
    EXPECT_EQ(bar->ClientHeight(), 2 * (22 + 4));
}

TEST_F(SkControlBar, EmptyBarAtDesignTimeKeepsItsSize)
{
    auto* bar = new TSkCustomControlBar(form);
    bar->SetDesigning(true);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 150, 77);
    vcl::Application->ProcessMessages();
    bar->Realign(nullptr);
    bar->AdjustBarSize();
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

TEST_F(SkControlBar, PaintsFramesAndGrabbers)
{
    TSkCustomControlBar* bar = MakeBar();
    auto* a = AddTool(bar, 0, 0, 80);
    Snapshot();
    const int x = 10 + a->Left() - 11, y = 10 + a->Top() - 2;
    EXPECT_EQ(Rgb(x, y + 5), Px(vcl::clBtnHighlight));              // the frame's left edge
    EXPECT_EQ(Rgb(x + 3, y + 6), Px(vcl::clBtnHighlight));          // first grabber bar, left
    EXPECT_EQ(Rgb(x + 5, y + 6), Px(vcl::clBtnShadow));             // and its right
    EXPECT_EQ(Rgb(x + 6, y + 6), Px(vcl::clBtnHighlight));          // second bar
    EXPECT_EQ(Rgb(x + 4, y + 6), Px(vcl::clBtnFace));
    int painted = 0;
    bar->OnBandPaint = [&](vcl::TObject*, vcl::TControl*, vcl::TCanvas*, RECT&, TBandPaintOptions& options) {
        ++painted;
        options = TBandPaintOptions{};
    };
    Snapshot();
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(Rgb(x + 3, y + 6), Px(vcl::clBtnFace));
}

}  // namespace
