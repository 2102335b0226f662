#include <gtest/gtest.h>

#include "control_fixture.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_system.h"

using namespace skin;

namespace {

class SkListBox : public sktest::ControlTest {
protected:
    TSkCustomListBox* MakeList(int items, int height = 97)
    {
        auto* list = new TSkCustomListBox(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 121, height);
        for (int i = 0; i < items; ++i)
            list->Items()->Add("item " + std::to_string(i));
        vcl::Application->ProcessMessages();
        return list;
    }
    // The client point of the middle of item `index`'s text.
    static POINT ItemPoint(TSkCustomListBox* list, int index)
    {
        const RECT r = list->GetItemRect(index);
        return POINT{(r.left + r.right) / 2 + 8, (r.top + r.bottom) / 2};
    }
    static void ClickItem(TSkCustomListBox* list, int index, std::initializer_list<int> keys = {})
    {
        for (int vk : keys)
            vls::headless::Key(vk, true);
        ClickAt(list, ItemPoint(list, index).x, ItemPoint(list, index).y);
        for (int vk : keys)
            vls::headless::Key(vk, false);
        vcl::Application->ProcessMessages();
    }
    static std::vector<int> SelectedItems(TSkCustomListBox* list)
    {
        std::vector<int> out;
        for (int i = 0; i < list->Items()->Count(); ++i)
            if (list->Selected(i))
                out.push_back(i);
        return out;
    }
};

TEST_F(SkListBox, ItemIndexFollowsTheItems)
{
    TSkCustomListBox* list = MakeList(0);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->Items()->Add("one");
    EXPECT_EQ(list->ItemIndex(), 0);
    list->Items()->Add("two");
    list->Items()->Insert(0, "zero");
    EXPECT_EQ(list->Items()->Count(), 3);
    list->SetCheckState(2, 1);
    list->Items()->Delete(0);
    EXPECT_EQ(list->CheckState(1), 1);  // the flags moved with their item
    list->Items()->Exchange(0, 1);
    EXPECT_EQ(list->CheckState(0), 1);
    list->SetItemIndex(10);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetItemIndex(-5);
    EXPECT_EQ(list->ItemIndex(), 0);
    list->Clear();
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->CheckState(0), 0);
}

TEST_F(SkListBox, HeightSnapsToWholeRows)
{
    TSkCustomListBox* list = MakeList(3);
    const int borders = list->Height() - RectHeight(list->PaintRect());
    ASSERT_GT(borders, 0);
    list->SetHeight(100);
    EXPECT_EQ((list->Height() - borders) % 16, 0);
    EXPECT_EQ(list->Height(), (100 - borders) / 16 * 16 + borders);
    list->SetWordWrap(true);
    list->SetHeight(100);
    EXPECT_EQ(list->Height(), 100);
    list->SetWordWrap(false);
    list->SetAlign(vcl::alLeft);
    list->SetHeight(103);
    EXPECT_EQ(list->Height(), form->ClientHeight());  // left-aligned: the parent's height, unsnapped
}

TEST_F(SkListBox, CheckCellsCycle)
{
    TSkCustomListBox* list = MakeList(3);
    list->SetShowCheckBoxes(true);
    const RECT row = list->GetItemRect(1);
    const POINT check{row.left + list->GetCheckWidth() / 2, (row.top + row.bottom) / 2};
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
        ClickAt(list, check.x, check.y);
        states.push_back(list->CheckState(1));
    }
    EXPECT_EQ(states, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetAllowGrayed(true);
    states.clear();
    for (int i = 0; i < 3; ++i) {
        ClickAt(list, check.x, check.y);
        states.push_back(list->CheckState(1));
    }
    EXPECT_EQ(states, (std::vector<int>{2, 0, 1}));
    ClickAt(list, check.x, check.y);
    ASSERT_EQ(list->CheckState(1), 2);
    list->SetAllowGrayed(false);
    EXPECT_EQ(list->CheckState(1), 1);
    list->SetCheckEnabled(1, false);
    ClickAt(list, check.x, check.y);
    EXPECT_EQ(list->CheckState(1), 1);
    // Space cycles the current item's check.
    list->SetCheckEnabled(1, true);
    Tap(VK_SPACE);
    EXPECT_EQ(list->CheckState(1), 0);
}

TEST_F(SkListBox, MultipleSelection)
{
    TSkCustomListBox* list = MakeList(6, 150);
    list->SetMultiSelect(true);
    ClickItem(list, 1);
    EXPECT_EQ(SelectedItems(list), std::vector<int>{1});
    vls::headless::Key(VK_SHIFT, true);
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    vls::headless::Key(VK_SHIFT, false);
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list->AnchorItem(), 1);
    ClickItem(list, 5, {VK_CONTROL});
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{1, 2, 3, 5}));
    ClickItem(list, 2, {VK_CONTROL});
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{1, 3, 5}));
    ClickItem(list, 4, {VK_SHIFT});
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(list->SelCount(), 3);
    Tap(VK_DOWN);  // without Shift the anchor moves along
    EXPECT_EQ(SelectedItems(list), std::vector<int>{5});

    list->SetMultiSelect(false);
    EXPECT_EQ(list->SelCount(), 0);
    ClickItem(list, 2);
    ClickItem(list, 4, {VK_SHIFT});
    EXPECT_EQ(SelectedItems(list), std::vector<int>{4});
}

TEST_F(SkListBox, KeysScrollTheCurrentItemIntoView)
{
    TSkCustomListBox* list = MakeList(20);
    list->SetFocus();
    TSkCustomScrollBar* bar = list->ScrollBar();
    ASSERT_TRUE(bar->Visible());
    const int page = bar->PageSize();
    EXPECT_EQ(page, RectHeight(list->PaintRect()) / 16);
    EXPECT_EQ(bar->Max(), 19);
    int clicks = 0;
    list->OnClick = [&](vcl::TObject*) { ++clicks; };
    Tap(VK_END);
    EXPECT_EQ(list->ItemIndex(), 19);
    EXPECT_EQ(list->LastFullyShown(), 19);
    EXPECT_EQ(bar->Position(), 20 - page);
    Tap(VK_PRIOR);
    EXPECT_EQ(list->ItemIndex(), 19 - (page - 1));
    Tap(VK_HOME);
    EXPECT_EQ(bar->Position(), 0);
    Tap(VK_UP);  // already at the top: no change, no click
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(list->ItemIndex(), 0);
}

// The view never stays past the last screenful: a taller list or fewer items
// pull it back, so the first rows can always be reached.
TEST_F(SkListBox, ViewComesBackWhenThePageGrowsOrItemsGo)
{
    TSkCustomListBox* list = MakeList(20);
    TSkCustomScrollBar* bar = list->ScrollBar();
    list->SetItemIndex(19);
    ASSERT_EQ(bar->Position(), 20 - bar->PageSize());

    list->SetBounds(10, 10, 121, 20 * 16 + list->Height() - RectHeight(list->PaintRect()));
    EXPECT_EQ(bar->PageSize(), 20);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_FALSE(bar->Visible());
    EXPECT_EQ(list->FirstShown(), 0);

    list->SetBounds(10, 10, 121, 97);
    list->SetItemIndex(0);
    list->SetItemIndex(19);
    ASSERT_GT(bar->Position(), 0);
    for (int i = 0; i < 16; ++i)
        list->Items()->Delete(list->Items()->Count() - 1);
    EXPECT_EQ(bar->Position(), std::max(0, 4 - bar->PageSize()));
    EXPECT_EQ(list->FirstShown(), bar->Position());
}

TEST_F(SkListBox, WheelScrollsByLinesAndStopsAtTheLastPage)
{
    TSkCustomListBox* list = MakeList(20);
    list->SetFocus();
    TSkCustomScrollBar* bar = list->ScrollBar();
    const int lines = WheelScrollLines();
    list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(bar->Position(), lines);
    for (int i = 0; i < 20; ++i)
        list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(bar->Position(), bar->Max() - bar->PageSize() + 1);
    list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
    EXPECT_EQ(bar->Position(), bar->Max() - bar->PageSize() + 1 - lines);
}

TEST(SkWheel, StepsNeverDivideByZero)
{
    struct Case {
        int delta, lines, steps;
    };
    const Case cases[] = {{120, 3, 3}, {-120, 3, -3}, {120, 1, 1}, {60, 1, 0}, {120, 0, 1},
                          {120, 200, 120}, {240, 1000, 240}, {-120, 120, -120}};
    for (const Case& c : cases)
        EXPECT_EQ(WheelSteps(c.delta, c.lines), c.steps) << c.delta << " " << c.lines;
}

TEST_F(SkListBox, DragBelowTheItemsScrollsAndSelects)
{
    TSkCustomListBox* list = MakeList(20);
    list->SetMultiSelect(true);
    TSkCustomScrollBar* bar = list->ScrollBar();
    const POINT first = list->ClientToScreen(ItemPoint(list, 0));
    vls::headless::MouseMove(first.x, first.y);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, true);
    vcl::Application->ProcessMessages();
    const POINT below = list->ClientToScreen(POINT{40, list->Height() + 10});
    vls::headless::MouseMove(below.x, below.y);
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(bar->AutoScrollMax());
    for (int i = 0; i < 3; ++i) {
        vls::headless::AdvanceClock(static_cast<std::uint32_t>(KeyRepeatInterval()));
        vcl::Application->ProcessMessages();
    }
    EXPECT_EQ(bar->Position(), 3);
    EXPECT_EQ(list->ItemIndex(), list->LastFullyShown());
    EXPECT_EQ(list->SelCount(), list->ItemIndex() + 1);
    vls::headless::MouseButton(vls::backend::MouseButton::Left, false);
    vcl::Application->ProcessMessages();
    EXPECT_FALSE(bar->Repeating());
    vls::headless::AdvanceClock(1000);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(bar->Position(), 3);
}

TEST_F(SkListBox, ColumnsFlowDownThenAcross)
{
    TSkCustomListBox* list = MakeList(12, 90);
    list->SetColumns(2);
    TSkCustomScrollBar* bar = list->ScrollBar();
    EXPECT_EQ(bar->Kind(), vcl::sbHorizontal);
    const RECT paint = list->PaintRect();
    const int perColumn = (RectHeight(paint) - bar->Height()) / 16;
    ASSERT_GT(perColumn, 0);
    EXPECT_EQ(bar->Max(), (12 + perColumn - 1) / perColumn - 1);
    EXPECT_TRUE(bar->Visible());
    const RECT second = list->GetItemRect(perColumn);
    EXPECT_EQ(second.top, paint.top);
    EXPECT_EQ(second.left, paint.left + RectWidth(paint) / 2);
    EXPECT_EQ(list->ItemAtPos(POINT{second.left + 5, second.top + 5}, true), perColumn);
    bar->SetPosition(1);
    EXPECT_EQ(list->FirstShown(), perColumn);
    EXPECT_EQ(list->ItemAtPos(POINT{paint.left + 5, paint.top + 5}, true), perColumn);
}

TEST_F(SkListBox, ItemsInTheFontsCharacterSet)
{
    vcl::TFont font;
    EXPECT_EQ(ItemTextInCharset("\xC0\xE9", &font), u"\u00C0\u00E9");
    font.SetCharset(RUSSIAN_CHARSET);
    EXPECT_EQ(ItemTextInCharset("\xC0\xE9", &font), u"\u0410\u0439");
}

TEST_F(SkListBox, ColourNamesDropTheirPrefix)
{
    TSkCustomListBox* named = MakeList(0);
    named->SetListStyle(lbColorNames);
    EXPECT_EQ(named->ItemHeight(), 18);
    ASSERT_GT(named->Items()->Count(), 16);
    EXPECT_EQ(named->Items()->Strings(0), "clBlack");
    while (named->Items()->Count() > 1)
        named->Items()->Delete(1);
    TSkCustomListBox* plain = MakeList(0);
    plain->SetListStyle(lbColorNames);
    plain->Items()->Clear();
    plain->Items()->Add("Black");
    plain->SetLeft(150);
    named->SetItemIndex(-1);
    Snapshot();
    int differing = 0, black = 0;
    for (int y = 12; y < 40; ++y)
        for (int x = 12; x < 120; ++x) {
            differing += Rgb(x, y) != Rgb(x + 140, y);
            black += Rgb(x, y) == 0;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(black, 20 * 14 / 2);  // the swatch and the text
}

TEST_F(SkListBox, SeparatorIsALine)
{
    TSkCustomListBox* list = MakeList(0);
    list->Items()->Add("-");
    list->Items()->Add("-");
    list->SetItemIndex(1);  // even selected, it stays a line
    Snapshot();
    const RECT r = list->GetItemRect(0);
    const int y = 10 + r.top + RectHeight(r) / 2;
    const std::uint32_t text = Px(vcl::clWindowText);
    EXPECT_EQ(Rgb(10 + r.left + 3, y), text);
    EXPECT_EQ(Rgb(10 + r.left + 2, y), Px(vcl::clWindow));
    int inked = 0;
    for (int yy = 10 + r.top; yy < 10 + r.bottom; ++yy)
        for (int x = 10 + r.left; x < 10 + r.right; ++x)
            inked += Rgb(x, yy) == text;
    EXPECT_EQ(inked, RectWidth(r) - 6);
}

TEST_F(SkListBox, FontStylesFillThemselves)
{
    TSkCustomListBox* list = MakeList(0);
    list->SetListStyle(lbFonts);
    ASSERT_GT(list->Items()->Count(), 0);
    EXPECT_TRUE(list->Sorted());
    const int all = list->Items()->Count();
    list->SetFontType(ftTrueType);
    for (int i = 0; i < list->Items()->Count(); ++i)
        EXPECT_TRUE(reinterpret_cast<std::uintptr_t>(list->Items()->Objects(i)) & TMPF_TRUETYPE);
    list->SetFontDevice(fdPrinter);  // no printer here: the screen's fonts
    EXPECT_GT(list->Items()->Count(), 0);
    EXPECT_LE(list->Items()->Count(), all);
    ASSERT_NE(SystemResources().ListGlyph, nullptr);
    EXPECT_EQ(SystemResources().ListGlyph->Width(), 12);
}

}  // namespace

namespace {

class SkListBoxDrag : public SkListBox {
protected:
    void Press(TSkCustomListBox* list, int index, std::initializer_list<int> keys = {})
    {
        vls::headless::AdvanceClock(1000);  // never a double click
        for (int vk : keys)
            vls::headless::Key(vk, true);
        const POINT p = list->ClientToScreen(ItemPoint(list, index));
        vls::headless::MouseMove(p.x, p.y);
        vls::headless::MouseButton(vls::backend::MouseButton::Left, true);
        vcl::Application->ProcessMessages();
    }
    void Release(std::initializer_list<int> keys = {})
    {
        vls::headless::MouseButton(vls::backend::MouseButton::Left, false);
        for (int vk : keys)
            vls::headless::Key(vk, false);
        vcl::Application->ProcessMessages();
    }
};

TEST_F(SkListBoxDrag, AutomaticDragStartsPastTheThreshold)
{
    TSkCustomListBox* list = MakeList(5, 150);
    list->SetDragMode(vcl::dmAutomatic);
    auto* target = new TSkCustomListBox(form);
    target->SetParent(form);
    target->SetBounds(180, 10, 121, 150);
    int starts = 0;
    list->OnStartDrag = [&](vcl::TObject*, vcl::TDragObject*&) { ++starts; };
    vcl::TObject* dropped = nullptr;
    target->OnDragOver = [&](vcl::TObject*, vcl::TObject* source, int, int, vcl::TDragState, bool& accept) {
        accept = source == list;
    };
    target->OnDragDrop = [&](vcl::TObject*, vcl::TObject* source, int, int) { dropped = source; };
    Press(list, 2);
    EXPECT_EQ(list->ItemIndex(), 2);  // the press is handled as ever
    EXPECT_TRUE(list->Dragging());
    EXPECT_EQ(starts, 0);
    const POINT over = target->ClientToScreen(POINT{30, 30});
    vls::headless::MouseMove(over.x, over.y);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(starts, 1);
    Release();
    EXPECT_EQ(dropped, list);
    EXPECT_FALSE(list->Dragging());
    EXPECT_EQ(list->ItemIndex(), 2);
    // The scroll bar still takes its own presses.
    list->Items()->Clear();
    for (int i = 0; i < 30; ++i)
        list->Items()->Add("row");
    TSkCustomScrollBar* bar = list->ScrollBar();
    const POINT down = bar->ClientToScreen(POINT{bar->Width() / 2, bar->Height() - 3});
    vls::headless::AdvanceClock(1000);
    vls::headless::MouseMove(down.x, down.y);
    vls::headless::Click(down.x, down.y);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(bar->Position(), 1);
    EXPECT_FALSE(list->Dragging());
}

TEST_F(SkListBoxDrag, MultipleSelectionDragsItsSelection)
{
    TSkCustomListBox* list = MakeList(6, 150);
    list->SetMultiSelect(true);
    list->SetDragMode(vcl::dmAutomatic);
    ClickItem(list, 1);
    ClickItem(list, 3, {VK_SHIFT});
    ASSERT_EQ(SelectedItems(list), (std::vector<int>{1, 2, 3}));
    Press(list, 2);  // on a selected item: a drag, the selection kept
    EXPECT_TRUE(list->Dragging());
    Release();
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{1, 2, 3}));
    Press(list, 5, {VK_CONTROL});  // Ctrl: selecting, not dragging
    EXPECT_FALSE(list->Dragging());
    Release({VK_CONTROL});
    EXPECT_EQ(SelectedItems(list), (std::vector<int>{1, 2, 3, 5}));
    Press(list, 4);  // an unselected item: selected, then dragged
    EXPECT_TRUE(list->Dragging());
    Release();
    EXPECT_EQ(SelectedItems(list), std::vector<int>{4});
}

}  // namespace
