#include <gtest/gtest.h>

#include "control_fixture.h"
#include "skin/controls/sk_tab_control.h"

using namespace skin;

namespace {

class SkTabControl : public sktest::ControlTest {
protected:
    TSkCustomTabControl* Make(int width = 289)
    {
        auto* t = new TSkCustomTabControl(form);
        t->SetParent(form);
        t->SetBounds(10, 10, width, 150);
        t->OnChange = [this](vcl::TObject*) { ++changes; };
        return t;
    }
    static void AddTabs(TSkCustomTabControl* t, int n, const char* prefix = "Tab ")
    {
        for (int i = 0; i < n; ++i)
            t->Tabs()->Add(prefix + vcl::IntToStr(i));
    }
    int changes = 0;
};

TEST_F(SkTabControl, EmptyControlDrawsOnlyTheFrame)
{
    TSkCustomTabControl* t = Make();
    EXPECT_EQ(t->TabIndex(), -1);
    EXPECT_EQ(t->TabAreaHeight(), 0);
    EXPECT_TRUE(RectEquals(t->FrameRect(), RECT{0, 0, 289, 150}));
    Snapshot();
    EXPECT_EQ(Rgb(10, 10), Px(vcl::clBtnHighlight));
    EXPECT_EQ(Rgb(10 + 288, 10 + 149), Px(vcl::cl3DDkShadow));
    EXPECT_EQ(Rgb(100, 80), Px(vcl::clBtnFace));
}

TEST_F(SkTabControl, SelectionAsksFirstAndTabsSitSideBySide)
{
    TSkCustomTabControl* t = Make();
    AddTabs(t, 3);
    EXPECT_EQ(t->TabIndex(), 0);
    const RECT a = t->GetTabRect(0), b = t->GetTabRect(1);
    EXPECT_EQ(a.left, 2);
    EXPECT_EQ(b.left, a.right);
    EXPECT_EQ(a.bottom, t->TabAreaHeight() + 2);
    bool allow = false;
    t->OnChanging = [&](vcl::TObject*, bool& ok) { ok = allow; };
    t->SetTabIndex(2);
    EXPECT_EQ(t->TabIndex(), 0);
    EXPECT_EQ(changes, 0);
    allow = true;
    t->SetTabIndex(2);
    EXPECT_EQ(t->TabIndex(), 2);
    EXPECT_EQ(changes, 1);
    t->SetTabIndex(7);
    EXPECT_EQ(t->TabIndex(), 2);
    ClickAt(t, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
    EXPECT_EQ(t->TabIndex(), 1);
    Tap(VK_RIGHT);
    EXPECT_EQ(t->TabIndex(), 2);
    Tap(VK_LEFT);
    Tap(VK_LEFT);
    EXPECT_EQ(t->TabIndex(), 0);
}

TEST_F(SkTabControl, SideTabsForceRows)
{
    TSkCustomTabControl* t = Make();
    AddTabs(t, 2);
    t->SetTabPosition(tpLeft);
    EXPECT_TRUE(t->MultiLine());
    EXPECT_THROW(t->SetMultiLine(false), vcl::Exception);
    const RECT r = t->GetTabRect(0);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, t->TabAreaHeight() + 2);
    EXPECT_EQ(t->FrameRect().left, t->TabAreaHeight());
    t->SetTabPosition(tpTop);
    t->SetMultiLine(false);
    EXPECT_FALSE(t->MultiLine());
}

TEST_F(SkTabControl, RowsWrapAndTheSelectedRowTouchesThePage)
{
    TSkCustomTabControl* t = Make(200);
    t->SetTabWidth(60);
    t->SetMultiLine(true);
    AddTabs(t, 7);
    EXPECT_EQ(t->RowCount(), 3);  // 196 pixels hold three tabs of 60 a row
    const int th = t->CalcTabHeight();
    EXPECT_EQ(t->TabAreaHeight(), 3 * th + 2);
    // Tab 0's row is nearest the page while it is selected (the strip
    // starts below the top margin).
    EXPECT_EQ(t->GetTabRect(0).top, 2 * th + 2);
    t->SetTabIndex(6);
    EXPECT_EQ(t->GetTabRect(6).top, 2 * th + 2);
    EXPECT_EQ(t->GetTabRect(0).top, 1 * th + 2);
    EXPECT_EQ(t->GetTabRect(3).top, 2);
    EXPECT_EQ(t->TabAt(t->GetTabRect(4).left + 5, 5), 4);
}

TEST_F(SkTabControl, RowTableHoldsManyTabsWithoutOverflow)
{
    TSkCustomTabControl* t = Make(80);
    t->SetMultiLine(true);
    t->Tabs()->BeginUpdate();
    AddTabs(t, 250, "A fairly long tab caption ");
    t->Tabs()->EndUpdate();
    EXPECT_LE(t->RowCount(), TSkCustomTabControl::kMaxRows);
    EXPECT_EQ(t->RowOfTab(249), t->RowCount() - 1);
    Snapshot();
}

TEST_F(SkTabControl, OverflowingRowScrollsWithRepeatingButtons)
{
    TSkCustomTabControl* t = Make(200);
    t->SetTabWidth(70);
    AddTabs(t, 8);
    ASSERT_TRUE(t->ScrollButtonsShown());
    const RECT right = t->RightButtonRect();
    EXPECT_EQ(right.right, 200);
    EXPECT_EQ(right.right - right.left, 2 * t->Font()->Size());
    const POINT at = t->ClientToScreen(POINT{(right.left + right.right) / 2, (right.top + right.bottom) / 2});
    vls::headless::MouseMove(at.x, at.y);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, true);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(t->FirstVisibleTab(), 1);  // one step at once
    vls::headless::AdvanceClock(299);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(t->FirstVisibleTab(), 1);
    vls::headless::AdvanceClock(2);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(t->FirstVisibleTab(), 2);  // then after 300 ms
    vls::headless::AdvanceClock(101);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(t->FirstVisibleTab(), 3);  // then every 100 ms
    vls::headless::MouseButton(vls::backend::MouseButton::Left, false);
    vcl::Application->ProcessMessages();
    vls::headless::AdvanceClock(500);
    vcl::Application->ProcessMessages();
    const int stopped = t->FirstVisibleTab();
    EXPECT_LE(stopped, 7);
    // Scrolling stops where the last tab shows in full.
    t->ScrollTabs(100);
    EXPECT_LT(t->FirstVisibleTab(), 7);
    t->ScrollTabs(-100);
    EXPECT_EQ(t->FirstVisibleTab(), 0);
    // Selecting a hidden tab scrolls it into view.
    t->SetTabIndex(7);
    EXPECT_GT(t->FirstVisibleTab(), 0);
    EXPECT_LE(t->GetTabRect(7).right, 200);
}

TEST_F(SkTabControl, PagesFollowTheTabs)
{
    TSkCustomTabControl* t = Make();
    t->SetUsePages(true);
    auto* first = new TSkCustomTabSheet(form);
    t->AddPage(first);
    EXPECT_EQ(first->Caption(), "New Page 0");
    t->Tabs()->Add("Sound");
    ASSERT_EQ(t->PageCount(), 2);
    TSkCustomTabSheet* sound = t->Pages(1);
    EXPECT_EQ(sound->Caption(), "Sound");
    EXPECT_EQ(t->ActivePage(), sound);
    EXPECT_TRUE(sound->Visible());
    EXPECT_EQ(t->TabIndex(), 1);

    t->SetTabIndex(0);
    EXPECT_EQ(t->ActivePage(), first);
    EXPECT_FALSE(sound->Visible());
    EXPECT_TRUE(RectEquals(first->BoundsRect(), t->DisplayRect()));

    sound->SetPageVisible(false);
    EXPECT_EQ(t->Tabs()->Count(), 1);
    sound->SetPageVisible(true);
    EXPECT_EQ(t->Tabs()->Count(), 2);
    sound->SetCaption("Music");
    EXPECT_EQ(t->Tabs()->Strings(1), "Music");

    delete first;
    EXPECT_EQ(t->PageCount(), 1);
    EXPECT_EQ(t->Tabs()->Count(), 1);
    EXPECT_EQ(t->ActivePage(), sound);
    t->SetActivePage(nullptr);
    EXPECT_EQ(t->ActivePage(), sound);
}

// Removing a page before the active one leaves the selected tab on the
// active page, so the tab drawn selected is the page shown and every other
// tab still switches.
TEST_F(SkTabControl, RemovingAnEarlierPageKeepsTheTabOnTheActivePage)
{
    TSkCustomTabControl* t = Make();
    t->SetUsePages(true);
    AddTabs(t, 4);
    TSkCustomTabSheet* third = t->Pages(2);
    TSkCustomTabSheet* second = t->Pages(1);
    t->SetActivePage(third);
    ASSERT_EQ(t->TabIndex(), 2);

    delete t->Pages(0);
    EXPECT_EQ(t->ActivePage(), third);
    EXPECT_EQ(t->TabIndex(), 1);
    EXPECT_EQ(t->Tabs()->Strings(t->TabIndex()), "Tab 2");

    t->SetTabIndex(0);
    EXPECT_EQ(t->ActivePage(), second);
    EXPECT_FALSE(third->Visible());

    // Removing a page after the active one leaves the tab where it is.
    delete t->Pages(2);
    EXPECT_EQ(t->ActivePage(), second);
    EXPECT_EQ(t->TabIndex(), 0);
}

TEST_F(SkTabControl, OwnerDrawingAndAccelerators)
{
    TSkCustomTabControl* t = Make();
    t->Tabs()->Add("&General");
    t->Tabs()->Add("&Sound");
    t->SetOwnerDraw(true);
    std::vector<int> drawn;
    t->OnDrawTab = [&](TSkCustomTabControl*, int index, const RECT&, bool active) {
        drawn.push_back(index * 10 + (active ? 1 : 0));
    };
    Snapshot();
    EXPECT_EQ(drawn, (std::vector<int>{10, 1}));  // others first, the selected one last
    EXPECT_EQ(form->Perform(vcl::CM_DIALOGCHAR, 's', 0), 1);
    EXPECT_EQ(t->TabIndex(), 1);
}

}  // namespace
