#include <gtest/gtest.h>

#include <vector>

#include "control_fixture.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"

using namespace skin;

namespace {

class SkScrollBar : public sktest::ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        s = GetSystemMetrics(SM_CYVTHUMB);
    }
    // A vertical bar at (10, 10) whose track is `track` pixels long.
    TSkCustomScrollBar* MakeVertical(int track)
    {
        auto* bar = new TSkCustomScrollBar(form);
        bar->SetParent(form);
        bar->SetKind(vcl::sbVertical);
        bar->SetBounds(10, 10, s + 2, track + 2 + 2 * s);
        bar->OnScroll = [this](vcl::TObject*, TSkScrollCode code, int& position) {
            scrolls.push_back({code, position});
        };
        return bar;
    }
    static void Wait(int ms)
    {
        vls::headless::AdvanceClock(static_cast<std::uint32_t>(ms));
        vcl::Application->ProcessMessages();
    }

    int s = 0;
    std::vector<std::pair<TSkScrollCode, int>> scrolls;
};

TEST_F(SkScrollBar, SliderSizeAndOffsetFollowThePage)
{
    ASSERT_GE(s, 15);
    TSkCustomScrollBar* bar = MakeVertical(100);
    const int top = 1 + s;
    bar->SetPageSize(10);
    ASSERT_EQ(bar->GetTrackRect().top, top);
    // Round(100 * 10 / 101) = 10, but never below two thirds of the metric.
    EXPECT_EQ(bar->GetSliderSize(), std::max(10, (s / 3) * 2));
    const int slider = bar->GetSliderSize();
    // r = 100 - 0 - 10 + 1 = 91.
    bar->SetPosition(45);
    EXPECT_EQ(bar->SliderOffset(), top + static_cast<int>(vcl::Round(45.0 * (100 - slider) / 91)));
    bar->SetPosition(91);
    EXPECT_EQ(bar->SliderOffset(), top + 100 - slider);
    bar->SetPosition(100);  // code may go past the last page: the slider stays at the end
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(bar->SliderOffset(), top + 100 - slider);
    EXPECT_EQ(bar->PositionFromOffset(top + 100 - slider), 91);
    EXPECT_EQ(bar->PositionFromOffset(top), 0);

    bar->SetPageSize(0);
    EXPECT_EQ(bar->GetSliderSize(), s);
    bar->SetPosition(100);
    EXPECT_EQ(bar->SliderOffset(), top + 100 - s);  // r = Max - Min
    EXPECT_EQ(bar->PositionFromOffset(top + 100 - s), 100);
    bar->SetPageSize(-4);  // ignored
    EXPECT_EQ(bar->PageSize(), 0);
    bar->SetPageSize(500);
    EXPECT_EQ(bar->PageSize(), 101);
}

TEST_F(SkScrollBar, RangeSettersClamp)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    int changes = 0;
    bar->OnChange = [&](vcl::TObject*) { ++changes; };
    bar->SetMin(10);
    EXPECT_EQ(bar->Position(), 10);
    bar->SetMax(5);  // below Min: Max becomes Min and the position follows
    EXPECT_EQ(bar->Max(), 10);
    EXPECT_EQ(bar->Position(), 10);
    EXPECT_EQ(changes, 1);
    bar->SetMax(20);
    bar->SetPageSize(8);
    bar->SetMin(18);
    EXPECT_EQ(bar->PageSize(), 3);
    bar->SetPosition(-7);
    EXPECT_EQ(bar->Position(), 18);
}

TEST_F(SkScrollBar, ShortBarsShareTheirLength)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->SetHeight(2 + s);  // shorter than two buttons
    EXPECT_EQ(bar->GetButtonSize(), s / 2);
    EXPECT_EQ(bar->GetSecondButtonRect().bottom, 1 + s);
    // A track shorter than the slider: no slider, no pages, no dragging.
    bar->SetHeight(2 + 2 * s + s - 1);
    EXPECT_EQ(bar->GetSliderSize(), 0);
    EXPECT_TRUE(RectIsEmpty(bar->GetFirstPageRect()));
    EXPECT_TRUE(RectIsEmpty(bar->GetSecondPageRect()));
    Move(bar, s / 2 + 1, 1 + s + 3);
    Button(true);
    Move(bar, s / 2 + 1, 1 + s + 9);
    Button(false);
    EXPECT_EQ(bar->Position(), 0);
    for (const auto& [code, position] : scrolls)
        EXPECT_EQ(code, kscEndScroll);
}

TEST_F(SkScrollBar, SliderDragsFromItsFirstPixel)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->SetPageSize(10);
    const int top = 1 + s, slider = bar->GetSliderSize();
    Move(bar, 5, top);  // the slider's very first pixel: drag offset 0
    Button(true);
    EXPECT_TRUE(bar->SliderHeld());
    Move(bar, 5, top + 30);
    EXPECT_EQ(bar->Position(), bar->PositionFromOffset(top + 30));
    EXPECT_GT(bar->Position(), 0);
    Move(bar, 5, top + 400);  // far past the end: stops at the last page
    EXPECT_EQ(bar->Position(), 91);
    EXPECT_EQ(bar->SliderOffset(), top + 100 - slider);
    Button(false);
    EXPECT_FALSE(bar->SliderHeld());
    ASSERT_GE(scrolls.size(), 4u);
    EXPECT_EQ(scrolls.front().first, kscTrack);
    EXPECT_EQ(scrolls[scrolls.size() - 2], std::make_pair(kscPosition, 91));
    EXPECT_EQ(scrolls.back(), std::make_pair(kscEndScroll, 91));
}

TEST_F(SkScrollBar, TrackingIgnoresTheHandlersPosition)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->OnScroll = [](vcl::TObject*, TSkScrollCode code, int& position) {
        if (code == kscTrack)
            position = 77;
    };
    Move(bar, 5, 1 + s + 2);
    Button(true);
    Move(bar, 5, 1 + s + 22);
    EXPECT_EQ(bar->Position(), bar->PositionFromOffset(1 + s + 20));
    Button(false);
}

TEST_F(SkScrollBar, HeldPageRepeatsUntilTheSliderPassesTheMouse)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->SetPageSize(10);
    const int top = 1 + s;
    Move(bar, 5, top + 80);
    Button(true);
    EXPECT_EQ(bar->Position(), 10);  // one page at once
    ASSERT_TRUE(bar->Repeating());
    Wait(KeyRepeatDelay() - 1);
    EXPECT_EQ(bar->Position(), 10);
    Wait(1);
    EXPECT_EQ(bar->Position(), 20);
    for (int i = 0; i < 40; ++i)
        Wait(KeyRepeatInterval());
    // The page stops repeating once the slider covers the mouse.
    const RECT slider = bar->GetSliderRect();
    EXPECT_LE(slider.top, top + 80);
    EXPECT_GT(slider.bottom, top + 80 - 10);
    EXPECT_LT(bar->Position(), 91);
    const int stopped = bar->Position();
    Wait(KeyRepeatInterval());
    EXPECT_EQ(bar->Position(), stopped);
    Button(false);
    EXPECT_FALSE(bar->Repeating());
    for (std::size_t i = 0; i + 1 < scrolls.size(); ++i)
        EXPECT_EQ(scrolls[i].first, kscPageDown) << i;
    EXPECT_EQ(scrolls.back().first, kscEndScroll);
}

TEST_F(SkScrollBar, ButtonsStepByTheSmallChange)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->SetSmallChange(3);
    bar->SetPosition(98);
    Move(bar, 5, bar->Height() - 3);
    Button(true);
    EXPECT_EQ(bar->Position(), 100);  // clamped to Max
    Button(false);
    Move(bar, 5, 3);
    Button(true);
    EXPECT_EQ(bar->Position(), 97);
    Wait(KeyRepeatDelay());
    EXPECT_EQ(bar->Position(), 94);
    Move(bar, 5, 40);  // off the button: held, but no longer under the mouse
    Wait(KeyRepeatInterval());
    EXPECT_EQ(bar->Position(), 94);
    Button(false);
    const std::vector<std::pair<TSkScrollCode, int>> want = {
        {kscLineDown, 100}, {kscEndScroll, 100}, {kscLineUp, 97}, {kscLineUp, 94}, {kscEndScroll, 94}};
    EXPECT_EQ(scrolls, want);
}

TEST_F(SkScrollBar, AutoScrollRunsToTheEndAndStops)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->SetMax(5);
    bar->SetAutoScrollMax(true);
    EXPECT_EQ(bar->Position(), 0);  // no step at once
    Wait(KeyRepeatInterval());
    EXPECT_EQ(bar->Position(), 1);
    for (int i = 0; i < 10; ++i)
        Wait(KeyRepeatInterval());
    EXPECT_EQ(bar->Position(), 5);
    EXPECT_FALSE(bar->AutoScrollMax());
    EXPECT_FALSE(bar->Repeating());
    bar->SetAutoScrollMin(true);
    bar->SetAutoScrollMax(true);  // one end at a time
    EXPECT_FALSE(bar->AutoScrollMin());
    bar->SetAutoScrollMax(false);
    EXPECT_FALSE(bar->Repeating());
}

TEST_F(SkScrollBar, ClassicLook)
{
    TSkCustomScrollBar* bar = MakeVertical(100);
    bar->SetPageSize(10);
    bar->SetPosition(91);
    Snapshot();
    const int x = 10, y = 10, top = y + 1 + s;
    EXPECT_EQ(Rgb(x, y + 5), Px(vcl::clBtnShadow));                    // border, left
    EXPECT_EQ(Rgb(x + s + 1, y + 5), Px(vcl::clBtnHighlight));          // border, right
    // The track's checkerboard, in the bar's own coordinates: equal
    // parities in the highlight colour.
    const int ly = 1 + s + 2;
    EXPECT_EQ(Rgb(x + 2 + ly % 2, y + ly), Px(vcl::clBtnHighlight));
    EXPECT_EQ(Rgb(x + 3 - ly % 2, y + ly), Px(vcl::clScrollBar));
    const RECT slider = bar->GetSliderRect();
    EXPECT_EQ(Rgb(x + slider.left, y + slider.top), Px(vcl::cl3DLight));
    EXPECT_EQ(Rgb(x + slider.right - 1, y + slider.bottom - 1), Px(vcl::cl3DDkShadow));
    EXPECT_EQ(Rgb(x + slider.left + 1, y + slider.top + 1), Px(vcl::clBtnHighlight));
    EXPECT_EQ(Rgb(x + slider.left + 4, y + slider.top + 4), Px(vcl::clBtnFace));

    // A held page shows dark; a held slider shows flat.
    Move(bar, 5, 1 + s + 20);
    Button(true);
    Snapshot();
    EXPECT_EQ(Rgb(x + 5, top + 10), Px(vcl::cl3DDkShadow));
    Button(false);
    bar->SetPosition(0);
    Move(bar, 5, 1 + s + 2);
    Button(true);
    Snapshot();
    EXPECT_EQ(Rgb(x + 1, top), Px(vcl::clBtnShadow));
    EXPECT_EQ(Rgb(x + 4, top + 4), Px(vcl::clBtnFace));
    Button(false);
}

}  // namespace
