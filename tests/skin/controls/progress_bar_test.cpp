#include <gtest/gtest.h>

#include "control_fixture.h"
#include "skin/controls/sk_progress_bar.h"

using namespace skin;

namespace {

class SkProgressBar : public sktest::ControlTest {
protected:
    // The launcher's copy bar, drawn without a skin.
    TSkCustomProgressBar* MakeCopyBar()
    {
        auto* bar = new TSkCustomProgressBar(form);
        bar->SetParent(form);
        bar->SetBounds(10, 10, 241, 24);
        bar->SetMax(16);
        return bar;
    }
    // Runs of highlight pixels along row `y` of the form from x0 to x1.
    std::vector<std::pair<int, int>> Blocks(int y, int x0, int x1)
    {
        std::vector<std::pair<int, int>> runs;
        const std::uint32_t hl = Px(vcl::clHighlight);
        for (int x = x0; x < x1; ++x) {
            if (Rgb(x, y) != hl)
                continue;
            if (!runs.empty() && runs.back().second == x)
                runs.back().second = x + 1;
            else
                runs.emplace_back(x, x + 1);
        }
        return runs;
    }
};

TEST_F(SkProgressBar, LauncherBarBlocks)
{
    TSkCustomProgressBar* bar = MakeCopyBar();
    EXPECT_EQ(bar->Performance(), kspDoubleBuffer);
    bar->SetPosition(1);
    Snapshot();
    auto runs = Blocks(22, 10, 251);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], std::make_pair(12, 25));  // 13 wide, then a 2-pixel gap
    EXPECT_EQ(runs[1], std::make_pair(27, 40));
    bar->SetPosition(16);
    Snapshot();
    runs = Blocks(22, 10, 251);
    ASSERT_EQ(runs.size(), 16u);
    EXPECT_EQ(runs.back(), std::make_pair(10 + 2 + 225, 10 + 239));  // the last block cut to 12 pixels
}

TEST_F(SkProgressBar, FractionsOfTheRange)
{
    auto* bar = new TSkCustomProgressBar(form);
    struct Case {
        int min, max, position;
        float fraction;
    };
    const Case cases[] = {
        {0, 100, 50, 0.5f},  {-10, 10, 5, 0.75f}, {0, 16, 17, 1.0f}, {0, 16, -3, 0.0f},
        {5, 5, 5, 0.0f},     {10, 0, 5, 0.0f},    {0, 100, 1, 0.01f},
    };
    for (const Case& c : cases) {
        bar->SetMin(c.min);
        bar->SetMax(c.max);
        EXPECT_FLOAT_EQ(bar->GetFraction(c.position), c.fraction) << c.min << ".." << c.max << " at " << c.position;
    }
}

TEST_F(SkProgressBar, AHundredthIsTooLittleForABlock)
{
    TSkCustomProgressBar* bar = MakeCopyBar();
    bar->SetMax(100);
    bar->SetPosition(1);
    Snapshot();
    EXPECT_TRUE(Blocks(22, 10, 251).empty());
    bar->SetPosition(2);
    Snapshot();
    EXPECT_FALSE(Blocks(22, 10, 251).empty());
}

TEST_F(SkProgressBar, PositionPastTheEndsDrawsTheNearerEnd)
{
    TSkCustomProgressBar* bar = MakeCopyBar();
    bar->SetSmooth(true);
    bar->SetMin(-16);
    bar->SetPosition(0);
    Snapshot();
    auto runs = Blocks(22, 10, 251);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], std::make_pair(12, 12 + 118));  // Round(0.5 x 237): 118.5 -> 118, half to even
    bar->SetPosition(99);
    Snapshot();
    runs = Blocks(22, 10, 251);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], std::make_pair(12, 249));
}

TEST_F(SkProgressBar, SettingThePositionRunsNoOtherMessages)
{
    TSkCustomProgressBar* bar = MakeCopyBar();
    int posted = 0;
    auto* other = new vcl::TWinControl(form);
    other->SetParent(form);
    other->HandleNeeded();
    // The control outlives this body: it takes its own pointer, not ours.
    other->WindowProc = [&posted, other](vcl::TMessage& m) {
        if (m.Msg == WM_USER + 7)
            ++posted;
        other->WndProc(m);
    };
    PostMessageA(other->Handle(), WM_USER + 7, 0, 0);
    for (int p = 1; p <= 16; ++p)
        bar->SetPosition(p);
    EXPECT_EQ(posted, 0);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(posted, 1);
    // The bar painted as it went: the last position is on the screen already.
    Snapshot();
    EXPECT_EQ(Blocks(22, 10, 251).size(), 16u);
}

TEST_F(SkProgressBar, VerticalBlocksGrowUpwards)
{
    auto* bar = new TSkCustomProgressBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 24, 100);
    bar->SetOrientation(kboVertical);
    bar->SetPosition(50);
    Snapshot();
    const std::uint32_t hl = Px(vcl::clHighlight);
    EXPECT_EQ(Rgb(22, 10 + 97), hl);   // bottom row of the bar
    EXPECT_NE(Rgb(22, 10 + 3), hl);    // top stays empty
}

}  // namespace
