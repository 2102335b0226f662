#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/menus/sk_item_view.h"
#include "skin/menus/sk_menu_bar.h"
#include "skin/menus/sk_menus_unit.h"
#include "skin/menus/sk_popup_menu.h"
#include "tests/support/temp_dir.h"

using namespace skin;
using vcl::AnsiString;

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(PopupPlacement, StaysInsideTheWorkArea)
{
    const RECT work{0, 0, 800, 600};
    const SIZE size{100, 200};
    struct Case {
        const char* name;
        int x, y;
        RECT item;
        TSkOrientation parent;
        bool fromItem;
        RECT expected;
    };
    const Case cases[] = {
        {"point in the open", 50, 60, {}, koVertical, false, {50, 60, 150, 260}},
        {"point near the right-bottom corner", 750, 550, {}, koVertical, false, {650, 350, 750, 550}},
        {"bar title with room below", 0, 0, {10, 0, 60, 20}, koHorizontal, true, {10, 20, 110, 220}},
        {"bar title near the bottom opens above", 0, 0, {10, 500, 60, 520}, koHorizontal, true, {10, 300, 110, 500}},
        {"above would start off the screen", 0, 0, {10, 150, 60, 420}, koHorizontal, true, {10, 0, 110, 200}},
        {"bar title at the right edge", 0, 0, {760, 0, 790, 20}, koHorizontal, true, {690, 20, 790, 220}},
        {"sub-menu to the right", 0, 0, {100, 40, 200, 60}, koVertical, true, {200, 40, 300, 240}},
        {"sub-menu flips left at the right edge", 0, 0, {650, 40, 750, 60}, koVertical, true, {550, 40, 650, 240}},
        {"sub-menu near the bottom goes up", 0, 0, {100, 500, 200, 520}, koVertical, true, {200, 320, 300, 520}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Same(PlacePopup(work, size, c.x, c.y, c.item, c.parent, c.fromItem), c.expected)) << c.name;
}

class MenuViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitMenusUnit();
        form = new vcl::TForm(vcl::Application);
        form->SetBounds(100, 100, 300, 200);
        form->Show();
        vcl::Application->ProcessMessages();
        menu = new TSkCustomPopupMenu(form);
    }
    void TearDown() override
    {
        delete form;
        vcl::Application->ProcessMessages();
        FinalizeMenusUnit();
        FreeHookList();
    }
    TSkCustomItem* Add(TSkCustomItem* parent, const AnsiString& caption)
    {
        auto* item = new TSkCustomItem(menu);
        item->SetCaption(caption);
        item->OnClick = [this, caption](vcl::TObject*) { clicked.push_back(caption); };
        parent->Add(item);
        return item;
    }
    void Keys(std::initializer_list<WPARAM> keys)
    {
        for (WPARAM k : keys)
            PostMessageA(form->Handle(), WM_KEYDOWN, k, 0);
        // Spare escapes end any loop that a fault would leave running.
        for (int i = 0; i < 4; ++i)
            PostMessageA(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
    void Drain()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        }
        vcl::Application->ProcessMessages();
    }

    vls::test::ScopedConfig config;
    vcl::TForm* form = nullptr;
    TSkCustomPopupMenu* menu = nullptr;
    std::vector<AnsiString> clicked;
};

TEST_F(MenuViewTest, KeysNavigateIntoASubMenuAndTheChoiceRunsAfterTheLoops)
{
    TSkCustomItem* root = menu->Items();
    Add(root, "&Alpha");
    Add(root, "-");
    TSkCustomItem* more = Add(root, "&More");
    Add(more, "One");
    Add(more, "Two");
    Add(root, "Gone")->SetEnabled(false);

    // Down skips the separator; Enter on an item with children opens them.
    Keys({VK_DOWN, VK_RETURN, VK_DOWN, VK_RETURN});
    menu->Popup(120, 130);
    EXPECT_TRUE(clicked.empty());  // posted, not run inside the loops
    EXPECT_EQ(TSkCustomPopupMenu::Running(), nullptr);
    MSG msg;
    // The spare escapes are still queued: the loops ended on Enter.
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
    Drain();
    EXPECT_EQ(clicked, (std::vector<AnsiString>{"Two"}));
}

TEST_F(MenuViewTest, EscapeClosesOnlyTheSubMenu)
{
    TSkCustomItem* root = menu->Items();
    Add(root, "&Alpha");
    TSkCustomItem* more = Add(root, "&More");
    Add(more, "One");
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_UP, 0);
    Keys({VK_RETURN});
    menu->Popup(120, 130);
    Drain();
    EXPECT_EQ(clicked, (std::vector<AnsiString>{"&Alpha"}));
}

TEST_F(MenuViewTest, AcceleratorChoosesItsItem)
{
    TSkCustomItem* root = menu->Items();
    Add(root, "&Alpha");
    Add(root, "&Beta");
    // The accelerator selects its item; Enter (posted by the loop itself,
    // and here once more) runs it.
    PostMessageA(form->Handle(), WM_CHAR, 'b', 0);
    Keys({VK_RETURN});
    menu->Popup(120, 130);
    Drain();
    EXPECT_EQ(clicked, (std::vector<AnsiString>{"&Beta"}));
}

TEST_F(MenuViewTest, MenuWithoutSelectableItemsEndsOnEscape)
{
    TSkCustomItem* root = menu->Items();
    Add(root, "-");
    Add(root, "-");
    Keys({VK_DOWN, VK_UP, VK_RETURN});
    menu->Popup(120, 130);
    Drain();
    EXPECT_TRUE(clicked.empty());
}

TEST_F(MenuViewTest, ClickOutsideClosesAndReachesTheWindowUnderIt)
{
    TSkCustomItem* root = menu->Items();
    Add(root, "&Alpha");
    int downs = 0;
    form->OnMouseDown = [&](vcl::TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) { ++downs; };
    PostMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 150));
    Keys({});
    menu->Popup(120, 130);
    EXPECT_TRUE(clicked.empty());
    Drain();
    EXPECT_EQ(downs, 1);
    EXPECT_TRUE(clicked.empty());
}

TEST_F(MenuViewTest, EmptyMenuReturnsAtOnce)
{
    Add(menu->Items(), "Hidden")->SetVisible(false);
    menu->Popup(120, 130);  // no loop runs: nothing was posted to end one
    EXPECT_EQ(TSkCustomPopupMenu::Running(), nullptr);
}

TEST_F(MenuViewTest, FrameSystemMenuRunsTheChosenAction)
{
    class TFrame : public TSkCustomForm {
    public:
        using TSkCustomForm::Loaded;
        using TSkCustomForm::TSkCustomForm;
    };
    auto* frame = new TFrame(form);
    frame->Loaded();
    frame->Maximize();
    ASSERT_EQ(frame->WindowState(), kwsMaximized);
    Keys({VK_RETURN});  // the first entry, "&Restore"
    frame->ShowSystemMenu();
    EXPECT_EQ(frame->WindowState(), kwsMaximized);
    Drain();
    EXPECT_EQ(frame->WindowState(), kwsNormal);
}

TEST_F(MenuViewTest, MenuBarTitlesOpenTheirPopupsAndShortCutsPassThroughTheFrame)
{
    class TFrame : public TSkCustomForm {
    public:
        using TSkCustomForm::Loaded;
        using TSkCustomForm::TSkCustomForm;
    };
    auto* bar = new TSkCustomMenuBar(form);
    bar->SetParent(form);
    bar->SetAlign(vcl::alTop);
    auto* file = new TSkCustomItem(form);
    file->SetCaption("&File");
    bar->Items()->Add(file);
    auto* edit = new TSkCustomItem(form);
    edit->SetCaption("&Edit");
    bar->Items()->Add(edit);
    auto* save = new TSkCustomItem(form);
    save->SetCaption("&Save");
    save->SetShortCut(vcl::scCtrl + 'S');
    save->OnClick = [this](vcl::TObject*) { clicked.push_back("save"); };
    file->Add(save);
    const RECT f = bar->View()->GetItemRect(file);
    const RECT e = bar->View()->GetItemRect(edit);
    EXPECT_EQ(f.right, e.left);
    EXPECT_GT(f.right - f.left, 12);

    // A bar on a form that is no MDI parent has no window buttons.
    for (int i = 0; i < bar->Items()->Count(); ++i)
        EXPECT_EQ(bar->Items()->Items(i)->Kind(), 0);

    // Down opens the first title's popup; Enter runs its first item.
    Keys({VK_DOWN, VK_RETURN});
    bar->TrackMenu();
    Drain();
    EXPECT_EQ(clicked, (std::vector<AnsiString>{"save"}));

    auto* frame = new TFrame(form);
    frame->Loaded();
    frame->SetMenuBar(bar);
    vls::headless::Key(VK_CONTROL, true);
    vcl::Application->ProcessMessages();
    vcl::TMessage key{WM_KEYDOWN, 'S', 0, 0};
    EXPECT_TRUE(form->IsShortCut(key));
    vls::headless::Key(VK_CONTROL, false);
    vcl::Application->ProcessMessages();
    Drain();
    EXPECT_EQ(clicked, (std::vector<AnsiString>{"save", "save"}));
}

TEST_F(MenuViewTest, IdleTimeUpdatesTheBarsActionAndItsTitlesActions)
{
    auto* bar = new TSkCustomMenuBar(form);
    bar->SetParent(form);
    std::vector<std::string> updated;
    auto* barAction = new vcl::TAction(form);
    barAction->OnUpdate = [&](vcl::TObject*) { updated.push_back("bar"); };
    bar->SetAction(barAction);
    auto* fileAction = new vcl::TAction(form);
    fileAction->SetCaption("&File");
    fileAction->OnUpdate = [&](vcl::TObject*) {
        updated.push_back("file");
        fileAction->SetEnabled(false);
    };
    auto* file = new TSkCustomItem(form);
    file->SetAction(fileAction);
    bar->Items()->Add(file);

    form->UpdateActions();
    EXPECT_EQ(updated, (std::vector<std::string>{"bar", "file"}));
    EXPECT_FALSE(file->Enabled());
}

std::vector<RECT> g_popups;

BOOL CALLBACK CollectPopups(HWND h, LPARAM)
{
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    if (IsWindowVisible(h) && std::string(name) == "TSkPopupWindow") {
        RECT r{};
        GetWindowRect(h, &r);
        g_popups.push_back(r);
    }
    return TRUE;
}

TEST_F(MenuViewTest, PopupIsSizedToItsItemsAndBorder)
{
    TSkCustomItem* root = menu->Items();
    Add(root, "&Alpha");
    Add(root, "&Beta");
    Add(root, "-");
    // Seen from inside the loop, while the popup is up.
    HWND helper = vcl::AllocateHWnd([](vcl::TMessage& m) {
        if (m.Msg == WM_USER + 1) {
            g_popups.clear();
            EnumWindows(&CollectPopups, 0);
        }
    });
    PostMessageA(helper, WM_USER + 1, 0, 0);
    Keys({});
    menu->Popup(120, 130);
    vcl::DeallocateHWnd(helper);
    Drain();
    ASSERT_EQ(g_popups.size(), 1u);
    const RECT r = g_popups[0];
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 130);
    // Two items of the default height, a separator of 15 and a 3-pixel border round them.
    EXPECT_EQ(r.bottom - r.top, 2 * 20 + 15 + 6);
}

}  // namespace
