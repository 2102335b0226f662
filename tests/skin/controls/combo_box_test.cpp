#include <gtest/gtest.h>

#include "control_fixture.h"
#include "platform/vcl/extctrls.h"
#include "skin/controls/sk_combo_box.h"

using namespace skin;

namespace {

class SkComboBox : public sktest::ControlTest {
protected:
    TSkCustomComboBox* MakeCombo(std::initializer_list<const char*> items, int top = 10)
    {
        auto* combo = new TSkCustomComboBox(form);
        combo->SetParent(form);
        combo->SetBounds(10, top, 150, 21);
        for (const char* item : items)
            combo->Items()->Add(item);
        vcl::Application->ProcessMessages();
        return combo;
    }
    static void Wait(int ms)
    {
        vls::headless::AdvanceClock(static_cast<std::uint32_t>(ms));
        vcl::Application->ProcessMessages();
    }
};

TEST_F(SkComboBox, ItemIndexIsClampedToTheItems)
{
    TSkCustomComboBox* combo = MakeCombo({"one", "two", "three"});
    struct Case {
        int set, want;
    };
    for (const Case& c : {Case{10, 2}, Case{-5, 0}, Case{-1, -1}, Case{1, 1}}) {
        combo->SetItemIndex(c.set);
        EXPECT_EQ(combo->ItemIndex(), c.want) << c.set;
    }
    EXPECT_EQ(combo->Text(), u"two");  // a free-text combo takes the item's text
    combo->Items()->Clear();
    for (int v : {5, 0, -7}) {
        combo->SetItemIndex(v);
        EXPECT_EQ(combo->ItemIndex(), -1) << v;
    }
}

TEST_F(SkComboBox, PickListStepsAndReportsEachChange)
{
    TSkCustomComboBox* combo = MakeCombo({"a", "b", "c", "d", "e"});
    combo->SetComboStyle(kcsDropDownList);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_TRUE(combo->ReadOnly());
    EXPECT_EQ(combo->Text(), u"a");
    std::vector<int> changes;
    combo->OnChange = [&](vcl::TObject*) { changes.push_back(combo->ItemIndex()); };
    combo->SetFocus();
    vcl::Application->ProcessMessages();
    Tap(VK_UP);  // passes through -1 and back to 0
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, (std::vector<int>{-1, 0}));
    changes.clear();
    Tap(VK_NEXT);
    EXPECT_EQ(combo->ItemIndex(), 3);
    Tap(VK_END);
    EXPECT_EQ(combo->ItemIndex(), 4);
    Tap(VK_HOME);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, (std::vector<int>{3, 4, 0}));
    combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), 0);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), u"c");
    combo->SetComboStyle(kcsDropDown);
    EXPECT_FALSE(combo->ReadOnly());
}

TEST_F(SkComboBox, StreamedItemIndexWaitsForTheItems)
{
    TSkCustomComboBox* combo = MakeCombo({});
    combo->SetLoadingState(true);
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), u"");
    combo->SetLoadingState(false);
}

TEST_F(SkComboBox, ListDropsDownAndAClickChooses)
{
    TSkCustomComboBox* combo = MakeCombo({"low", "medium", "high"});
    combo->SetItemIndex(1);
    int dropped = 0, closed = 0, changes = 0;
    combo->OnDropDown = [&](vcl::TObject*) { ++dropped; };
    combo->OnCloseUp = [&](vcl::TObject*) { ++closed; };
    combo->OnChange = [&](vcl::TObject*) { ++changes; };
    const RECT button = combo->GetButtonRect();
    ClickAt(combo, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
    ASSERT_TRUE(combo->DroppedDown());
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(OpenDropDown(), combo);
    TSkComboWindow* window = combo->DropWindow();
    const POINT below = combo->ClientToScreen(POINT{0, combo->Height()});
    EXPECT_EQ(window->Left(), below.x);
    EXPECT_EQ(window->Top(), below.y);
    EXPECT_EQ(window->Width(), combo->Width());
    TSkCustomListBox* list = combo->ListBox();
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_TRUE(list->Selected(1));
    const RECT third = list->GetItemRect(2);
    ClickAt(list, (third.left + third.right) / 2, (third.top + third.bottom) / 2);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), u"high");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(OpenDropDown(), nullptr);
    EXPECT_EQ(list->Parent(), combo);
}

TEST_F(SkComboBox, VetoedChangesStillCloseTheList)
{
    TSkCustomComboBox* combo = MakeCombo({"x", "y", "z"});
    combo->SetItemIndex(0);
    std::vector<std::pair<int, vcl::AnsiString>> asked;
    combo->OnAllowChange = [&](vcl::TObject*, int index, const vcl::AnsiString& text, bool& allow) {
        asked.emplace_back(index, text);
        allow = false;
    };
    combo->DropDown();
    combo->ListBox()->SetItemIndex(2);
    combo->ChooseListItem();
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->DroppedDown());
    // Enter in the open list asks too.
    combo->DropDown();
    combo->ListBox()->SetItemIndex(1);
    Tap(VK_RETURN);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(asked, (std::vector<std::pair<int, vcl::AnsiString>>{{2, "z"}, {1, "y"}}));
    combo->OnAllowChange = nullptr;
    combo->DropDown();
    combo->ListBox()->SetItemIndex(1);
    Tap(VK_SPACE);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->DropDown();
    Tap(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 1);
}

// A list that holds all its items opens at the first one, whichever item is
// chosen; a longer list shows the chosen one in its last row.
TEST_F(SkComboBox, OpenListShowsTheFirstItemsWhenTheyFit)
{
    TSkCustomComboBox* combo = MakeCombo({"a", "b", "c", "d", "e", "f", "g"});
    combo->SetComboStyle(kcsDropDownList);
    TSkCustomListBox* list = combo->ListBox();
    struct Case {
        int dropDownCount, chosen, firstShown;
    };
    for (const Case& c : {Case{7, 6, 0}, Case{7, 3, 0}, Case{8, 6, 0}, Case{3, 6, 4}, Case{3, 1, 1}}) {
        combo->SetDropDownCount(c.dropDownCount);
        combo->SetItemIndex(c.chosen);
        combo->DropDown();
        EXPECT_EQ(list->ItemIndex(), c.chosen) << c.dropDownCount << " " << c.chosen;
        EXPECT_EQ(list->FirstShown(), c.firstShown) << c.dropDownCount << " " << c.chosen;
        EXPECT_EQ(list->ItemAtPos(POINT{20, list->PaintRect().top + 2}, true), c.firstShown);
        combo->CloseDropDown();
    }
}

// An owner-drawn pick list paints its chosen item on its own face, through
// the canvas its handler is given and through the list's canvas alike.
TEST_F(SkComboBox, OwnerDrawnPickListPaintsItsChoiceOnItsFace)
{
    TSkCustomComboBox* combo = MakeCombo({"red", "green"});
    combo->SetComboStyle(kcsDropDownList);
    combo->SetListStyle(lbOwnerDrawFixed);
    std::vector<int> drawn;
    for (const bool throughList : {false, true}) {
        SCOPED_TRACE(throughList ? "the list's canvas" : "the given canvas");
        combo->ListBox()->OnDrawItem = [&](TSkCustomListBox* list, vcl::TCanvas* canvas, int index, const RECT& r,
                                           TOwnerDrawState) {
            drawn.push_back(index);
            vcl::TCanvas* target = throughList ? list->Canvas() : canvas;
            target->Brush()->SetColor(index == 0 ? vcl::clRed : vcl::clLime);
            target->FillRect(r);
        };
        combo->SetItemIndex(1);
        combo->Invalidate();
        Snapshot();
        const RECT text = combo->GetTextRect();
        EXPECT_EQ(Rgb(10 + (text.left + text.right) / 2, 10 + (text.top + text.bottom) / 2), Px(vcl::clLime));
        EXPECT_EQ(drawn.back(), 1);
        combo->SetItemIndex(0);
    }
}

TEST_F(SkComboBox, NearTheBottomTheListOpensUpwards)
{
    form->SetBounds(0, 600, 320, 160);
    TSkCustomComboBox* combo = MakeCombo({"a", "b"}, 120);
    combo->DropDown();
    const int rows = combo->DropDownCount() * combo->ItemHeight();
    EXPECT_EQ(combo->DropWindow()->Top(), combo->ClientToScreen(POINT{0, 0}).y - rows);
    combo->CloseDropDown();
}

TEST_F(SkComboBox, TypingCompletesToTheFirstMatch)
{
    TSkCustomComboBox* combo = MakeCombo({"Beta", "alpha", "ALPINE", "apple"});
    combo->SetAutoComplete(true);
    combo->SetFocus();
    vcl::Application->ProcessMessages();
    vls::headless::Text("a");
    vcl::Application->ProcessMessages();
    Wait(100);
    EXPECT_EQ(combo->Text(), u"alpha");
    EXPECT_EQ(combo->GetSelText(), u"lpha");
    vls::headless::Text("p");
    vcl::Application->ProcessMessages();
    Wait(100);
    EXPECT_EQ(combo->Text(), u"apple");  // "al..." no longer matches "ap"
    EXPECT_EQ(combo->GetSelText(), u"ple");
    EXPECT_EQ(combo->CaretPos(), 2);
    Tap(VK_BACK);  // removes the completed part
    Wait(100);
    EXPECT_EQ(combo->Text(), u"ap");
    Tap(VK_BACK);
    Wait(100);
    EXPECT_EQ(combo->Text(), u"a");  // deleting never completes
    vls::headless::Text("L");
    vcl::Application->ProcessMessages();
    Wait(100);
    EXPECT_EQ(combo->Text(), u"alpha");  // ASCII case folding; the first in list order
}

TEST_F(SkComboBox, PickListPaintsItsItemHighlightedWhenFocused)
{
    TSkCustomComboBox* combo = MakeCombo({"first", "second"});
    combo->SetComboStyle(kcsDropDownList);
    Snapshot();
    const RECT text = combo->GetTextRect();
    const int x = 10 + text.left + 1, y = 10 + text.top + 1;
    EXPECT_EQ(Rgb(x, y), Px(vcl::clWindow));
    combo->SetFocus();
    vcl::Application->ProcessMessages();
    Snapshot();
    EXPECT_EQ(Rgb(x - 1, y + 1), Px(vcl::clHighlight));  // left of the text
    // The button sits beside the text, in the button face.
    const RECT button = combo->GetButtonRect();
    EXPECT_EQ(Rgb(10 + button.left + 3, 10 + button.top + 3), Px(vcl::clBtnFace));
}

}  // namespace
