#include <gtest/gtest.h>

#include <map>

#include "control_fixture.h"
#include "platform/vcl/clipbrd.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_edit_menu.h"
#include "skin/graphics/sk_canvas.h"

using namespace skin;

namespace {

class SkEdit : public sktest::ControlTest {
protected:
    TSkCustomEdit* MakeEdit(const char16_t* text = u"")
    {
        auto* edit = new TSkCustomEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 21);
        edit->SetText(text);
        vcl::Application->ProcessMessages();
        return edit;
    }
    // Keys as the user types them: a letter, or a virtual key in braces
    // ("{Left}"), with ^ for Ctrl and + for Shift before either.
    static void Type(const std::string& keys)
    {
        static const std::map<std::string, int> named = {
            {"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Home", VK_HOME}, {"End", VK_END},
            {"Back", VK_BACK}, {"Del", VK_DELETE},  {"Ins", VK_INSERT}};
        bool ctrl = false, shift = false;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const char c = keys[i];
            if (c == '^') {
                ctrl = true;
                continue;
            }
            if (c == '+') {
                shift = true;
                continue;
            }
            int vk = 0;
            if (c == '{') {
                const std::size_t end = keys.find('}', i);
                vk = named.at(keys.substr(i + 1, end - i - 1));
                i = end;
            } else if (!ctrl && !shift) {
                vls::headless::Text(std::string(1, c));
                vcl::Application->ProcessMessages();
                continue;
            } else {
                vk = std::toupper(static_cast<unsigned char>(c));
            }
            if (ctrl)
                vls::headless::Key(VK_CONTROL, true);
            if (shift)
                vls::headless::Key(VK_SHIFT, true);
            vls::headless::KeyTap(vk);
            if (shift)
                vls::headless::Key(VK_SHIFT, false);
            if (ctrl)
                vls::headless::Key(VK_CONTROL, false);
            vcl::Application->ProcessMessages();
            ctrl = shift = false;
        }
    }
};

TEST_F(SkEdit, UndoTable)
{
    struct Case {
        const char16_t* start;
        int maxLength;
        const char* keys;
        const char16_t* typed;        // the text after the keys
        const char16_t* undone;       // after one Ctrl+Z
        const char16_t* selected;     // the selection after the undo
    };
    const Case cases[] = {
        {u"", 0, "abc", u"abc", u"", u""},
        {u"hello", 0, "xy", u"xy", u"hello", u"hello"},  // focus selects all; typing replaces it
        {u"abcdef", 0, "{End}{Back}{Back}{Back}", u"abc", u"abcdef", u"def"},
        {u"abcdef", 0, "{Home}{Del}{Del}", u"cdef", u"abcdef", u"ab"},
        {u"", 3, "abcd", u"abc", u"", u""},
        // Two deletions with a character between them stay apart: one undo
        // puts back only the later one, where it was.
        {u"abcdef", 0, "{Home}{Right}{Right}{Right}{Del}{Left}{Back}", u"acef", u"abcef", u"b"},
        {u"ab cd", 0, "{End}+{Left}+{Left}{Back}x", u"ab x", u"ab ", u""},
    };
    for (const Case& c : cases) {
        TSkCustomEdit* edit = MakeEdit(c.start);
        edit->SetMaxLength(c.maxLength);
        edit->SetFocus();
        vcl::Application->ProcessMessages();
        Type(c.keys);
        EXPECT_EQ(edit->Text(), c.typed) << c.keys;
        Type("^z");
        EXPECT_EQ(edit->Text(), c.undone) << c.keys;
        EXPECT_EQ(edit->GetSelText(), c.selected) << c.keys;
        delete edit;
    }
}

TEST_F(SkEdit, UndoGoesBackStepByStep)
{
    TSkCustomEdit* edit = MakeEdit(u"abcdef");
    edit->SetFocus();
    Type("{Home}{Right}{Right}{Right}{Del}{Left}{Back}");
    Type("^z");
    Type("^z");
    EXPECT_EQ(edit->Text(), u"abcdef");
    EXPECT_EQ(edit->UndoStack()->Count(), 0);
    edit->SetText(u"new");  // setting the text keeps the stack as it is
    EXPECT_EQ(edit->UndoStack()->Count(), 0);
}

TEST_F(SkEdit, WordPositions)
{
    TSkCustomEdit* edit = MakeEdit(u"ab cd ef");
    const int next[][2] = {{0, 3}, {3, 6}, {6, 8}, {1, 3}, {8, 8}};
    for (const auto& [from, to] : next)
        EXPECT_EQ(edit->NextWordPos(from), to) << from;
    const int prev[][2] = {{4, 3}, {3, 0}, {8, 6}, {0, 0}, {6, 3}};
    for (const auto& [from, to] : prev)
        EXPECT_EQ(edit->PrevWordPos(from), to) << from;
    edit->SetFocus();
    Type("{Home}^{Right}");
    EXPECT_EQ(edit->CaretPos(), 3);
    Type("^+{Right}");
    EXPECT_EQ(edit->GetSelText(), u"cd ");
    Type("^{Right}");
    EXPECT_EQ(edit->CaretPos(), 8);
}

// A double click selects the word under it and the blanks after it; on a
// blank, the word before it.
TEST_F(SkEdit, DoubleClickSelectsTheWordUnderTheClick)
{
    TSkCustomEdit* edit = MakeEdit(u"ab cd ef");
    edit->SetFocus();
    const int top = edit->GetTextRect().top + 3;
    struct Case {
        int at;
        const char16_t* selected;
        int caret;
    };
    const Case cases[] = {
        {0, u"ab ", 3},  // the first character of the text
        {3, u"cd ", 6},  // the first character of a word
        {4, u"cd ", 6},  // inside a word
        {5, u"cd ", 6},  // after a word's last character
        {2, u"ab ", 3},  // on the blank after a word
        {6, u"ef", 8},   // the first character of the last word
        {8, u"ef", 8},   // the end of the text
    };
    for (const Case& c : cases) {
        edit->SetCaretPos(c.at);
        const int x = edit->CharPosToX(c.at) + 1;
        edit->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, top));
        edit->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, top));
        EXPECT_EQ(edit->GetSelText(), c.selected) << c.at;
        EXPECT_EQ(edit->CaretPos(), c.caret) << c.at;
    }
}

// Text set through the class library, shorter than before, brings the
// caret and the selection back into it, so editing goes on.
TEST_F(SkEdit, ClassLibraryTextKeepsTheCaretInside)
{
    TSkCustomEdit* edit = MakeEdit(u"a longer text");
    edit->SetFocus();
    Type("{End}+{Left}+{Left}");
    ASSERT_EQ(edit->GetSelLength(), 2);
    static_cast<vcl::TControl*>(edit)->SetText("ab");
    EXPECT_LE(edit->CaretPos(), 2);
    EXPECT_LE(edit->SelAnchor(), 2);
    EXPECT_LE(edit->FirstVisible(), 2);
    Type("{Back}");
    EXPECT_EQ(edit->GetWideText(), u"a");
    Type("{Home}{Del}x");
    EXPECT_EQ(edit->GetWideText(), u"x");
}

TEST_F(SkEdit, CaretSelectionAndClipboard)
{
    TSkCustomEdit* edit = MakeEdit(u"one two");
    edit->SetFocus();
    vcl::Application->ProcessMessages();
    EXPECT_EQ(edit->GetSelText(), u"one two");  // AutoSelect
    EXPECT_EQ(edit->CaretPos(), 0);
    Type("{End}+{Left}+{Left}+{Left}");
    EXPECT_EQ(edit->GetSelStart(), 4);
    EXPECT_EQ(edit->GetSelText(), u"two");
    Type("^c");
    EXPECT_EQ(vcl::Clipboard()->AsWideText(), u"two");
    Type("{Home}^v");
    EXPECT_EQ(edit->Text(), u"twoone two");
    EXPECT_EQ(edit->CaretPos(), 3);
    Type("+{End}^x");
    EXPECT_EQ(edit->Text(), u"two");
    EXPECT_EQ(vcl::Clipboard()->AsWideText(), u"one two");
    Type("+{Home}+{Ins}");
    EXPECT_EQ(edit->Text(), u"one two");
    edit->SetReadOnly(true);
    Type("x{Back}^v");
    EXPECT_EQ(edit->Text(), u"one two");
}

TEST_F(SkEdit, PasswordsKeepTheClipboard)
{
    TSkCustomEdit* edit = MakeEdit(u"secret");
    edit->SetPasswordKind(pkCircle);
    vcl::Clipboard()->SetAsWideText(u"before");
    edit->SetFocus();
    edit->SelectAll();
    edit->CopyToClipboard();
    EXPECT_EQ(vcl::Clipboard()->AsWideText(), u"before");
    edit->CutToClipboard();
    EXPECT_EQ(edit->Text(), u"");
    EXPECT_EQ(vcl::Clipboard()->AsWideText(), u"before");
    edit->SetPasswordWideChar(u'*');
    EXPECT_EQ(edit->PasswordKind(), pkChar);
}

TEST_F(SkEdit, CharCaseAndChangeEvents)
{
    TSkCustomEdit* edit = MakeEdit();
    int changes = 0;
    edit->OnChange = [&](vcl::TObject*) { ++changes; };
    edit->SetCharCase(ecUpperCase);
    edit->SetText(u"Mixed Case \u00e9");
    EXPECT_EQ(edit->Text(), u"MIXED CASE \u00c9");
    EXPECT_EQ(changes, 1);
    edit->SetText(u"Mixed Case \u00e9");
    EXPECT_EQ(changes, 1);
    edit->SetCharCase(ecLowerCase);
    EXPECT_EQ(edit->Text(), u"mixed case \u00e9");
    EXPECT_EQ(changes, 2);
}

TEST_F(SkEdit, InputMethodComposition)
{
    TSkCustomEdit* edit = MakeEdit();
    edit->SetFocus();
    vcl::Application->ProcessMessages();
    vls::headless::Text("\xD0\x9F\xD1\x80\xD0\xB8");  // Cyrillic: through the input method
    vcl::Application->ProcessMessages();
    EXPECT_EQ(edit->Text(), u"\u041f\u0440\u0438");
    EXPECT_EQ(edit->CaretPos(), 3);
    Type("^z");
    EXPECT_EQ(edit->Text(), u"");
}

TEST_F(SkEdit, ClickPlacesTheCaret)
{
    TSkCustomEdit* edit = MakeEdit(u"abc");
    edit->SetTextAlignment(vcl::taRightJustify);
    const RECT text = edit->GetTextRect();
    ClickAt(edit, text.left + 2, text.top + 3);
    EXPECT_EQ(edit->CaretPos(), 0);
    ClickAt(edit, text.right - 1, text.top + 3);
    EXPECT_EQ(edit->CaretPos(), 3);
    edit->SetTextAlignment(vcl::taLeftJustify);
    ClickAt(edit, edit->CharPosToX(1) + 1, text.top + 3);
    EXPECT_EQ(edit->CaretPos(), 1);
    // Dragging right past the end selects to the end (a second press
    // later than the double-click time).
    vls::headless::AdvanceClock(1000);
    PressAndRelease(edit, POINT{edit->CharPosToX(1) + 1, text.top + 3}, POINT{edit->Width() - 2, text.top + 3});
    EXPECT_EQ(edit->GetSelText(), u"bc");
}

TEST_F(SkEdit, LongTextScrollsToTheCaret)
{
    TSkCustomEdit* edit = MakeEdit(u"");
    edit->SetWidth(60);
    edit->SetFocus();
    Type("the quick brown fox jumps");
    EXPECT_GT(edit->FirstVisible(), 1);
    EXPECT_LE(edit->CharPosToX(edit->CaretPos()), edit->GetTextRect().right);
    Type("{Home}");
    EXPECT_EQ(edit->FirstVisible(), 1);
}

TEST_F(SkEdit, PaintsSelectionAndPasswordCells)
{
    TSkCustomEdit* edit = MakeEdit(u"abcd");
    edit->SetPasswordKind(pkRect);
    edit->SetHideSelection(false);
    edit->SetSelStart(2);
    edit->SetSelLength(2);
    Snapshot();
    const RECT text = edit->GetTextRect();
    const int cell = edit->GetPasswordCharWidth();
    const int y = 10 + (text.top + text.bottom) / 2;
    const int x0 = 10 + edit->CharPosToX(0);
    EXPECT_EQ(Rgb(x0 + cell / 2, y), Px(vcl::clWindowText));                // a filled cell
    EXPECT_EQ(Rgb(x0 + 1, y), Px(vcl::clWindow));                           // its margin
    EXPECT_EQ(Rgb(x0 + 2 * cell + cell / 2, y), Px(vcl::clHighlightText));  // selected cells
    EXPECT_EQ(Rgb(x0 + 2 * cell + 1, y), Px(vcl::clHighlight));
    EXPECT_EQ(Rgb(x0 + 4 * cell + 2, y), Px(vcl::clWindow));
}

// A context menu that records what the edit asks of it.
class FakeMenu : public TSkEditMenu {
public:
    void AddItem(const vcl::AnsiString& caption, int command, const std::function<void()>& onClick) override
    {
        captions.push_back(caption);
        if (command != kecSeparator)
            items[command] = {onClick, true};
    }
    bool HasItem(int command) const override { return items.count(command) != 0; }
    void SetItemEnabled(int command, bool enabled) override { items[command].enabled = enabled; }
    bool ItemEnabled(int command) const override { return items.at(command).enabled; }
    void SetOptions(TSkPopupMenuOptions*) override { ++optionsSet; }
    void Popup(vcl::TComponent* component, POINT at) override
    {
        popupFor = component;
        popupAt = at;
    }
    struct Item {
        std::function<void()> onClick;
        bool enabled;
    };
    std::vector<vcl::AnsiString> captions;
    std::map<int, Item> items;
    int optionsSet = 0;
    vcl::TComponent* popupFor = nullptr;
    POINT popupAt{};
};

class FakeMenus : public IEditMenus {
public:
    TSkEditMenu* CreateMenu(vcl::TComponent*) override { return last = new FakeMenu(); }
    FakeMenu* last = nullptr;
};

TEST_F(SkEdit, ContextMenuThroughTheSeam)
{
    FakeMenus menus;
    IEditMenus* installed = EditMenus();
    InstallEditMenus(&menus);
    TSkCustomEdit* edit = MakeEdit(u"word");
    vcl::Clipboard()->SetAsWideText(u"");
    edit->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(40, 50));
    ASSERT_NE(menus.last, nullptr);
    FakeMenu& menu = *menus.last;
    EXPECT_EQ(menu.captions, (std::vector<vcl::AnsiString>{"Undo", "-", "Cut", "Copy", "Paste", "Delete", "-",
                                                           "Select All"}));
    EXPECT_EQ(menu.popupFor, edit);
    EXPECT_EQ(menu.popupAt.x, 40);
    EXPECT_FALSE(menu.ItemEnabled(kecUndo));
    EXPECT_FALSE(menu.ItemEnabled(kecCopy));
    EXPECT_FALSE(menu.ItemEnabled(kecPaste));
    EXPECT_TRUE(menu.ItemEnabled(kecSelectAll));
    menu.items[kecSelectAll].onClick();
    EXPECT_EQ(edit->GetSelText(), u"word");
    edit->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(40, 50));
    EXPECT_TRUE(menu.ItemEnabled(kecCut));
    EXPECT_FALSE(menu.ItemEnabled(kecSelectAll));
    menu.items[kecCut].onClick();
    EXPECT_EQ(edit->Text(), u"");
    edit->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(40, 50));
    EXPECT_TRUE(menu.ItemEnabled(kecUndo));
    EXPECT_TRUE(menu.ItemEnabled(kecPaste));
    EXPECT_EQ(menu.optionsSet, 3);
    InstallEditMenus(installed);
}

TEST_F(SkEdit, AutoSizeHoldsTheHeightToTheFontUntilSwitchedOff)
{
    TSkCustomEdit* edit = MakeEdit(u"Pq");
    ASSERT_TRUE(edit->AutoSize());
    const int fitted = edit->Height();
    const RECT text = edit->GetTextRect();
    EXPECT_EQ(fitted, 2 * text.top + (text.bottom - text.top));
    edit->SetBounds(10, 10, 200, 80);  // only the width is free
    EXPECT_EQ(edit->Width(), 200);
    EXPECT_EQ(edit->Height(), fitted);
    EXPECT_EQ(edit->BoundsHeight(), fitted);  // paints at the size it took

    edit->Font()->SetSize(edit->Font()->Size() * 2);
    EXPECT_GT(edit->Height(), fitted);
    edit->SetBorderWidth(0);  // a thinner frame takes the height down with it
    const RECT thin = edit->GetTextRect();
    EXPECT_EQ(edit->Height(), 2 * thin.top + (thin.bottom - thin.top));

    edit->SetAutoSize(false);
    edit->SetHeight(80);
    EXPECT_EQ(edit->Height(), 80);
    const vcl::TPropInfo* prop = TSkCustomEdit::StaticClass()->FindProperty("AutoSize");
    ASSERT_NE(prop, nullptr);
    EXPECT_TRUE(prop->IsStoredFor(edit));  // off differs from the default
}

}  // namespace
