#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/uxtheme/uxtheme.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/forms/sk_forms_unit.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_theme.h"
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

// Frames and bars made in code run their end-of-loading step by hand.
class TMDIFrame : public TSkCustomForm {
public:
    using TSkCustomForm::Loaded;
    using TSkCustomForm::NCMouseDown;
    using TSkCustomForm::NCMouseMove;
    using TSkCustomForm::NCMouseUp;
    using TSkCustomForm::TSkCustomForm;
};

class TMDIMenuBar : public TSkCustomMenuBar {
public:
    using TSkCustomMenuBar::Loaded;
    using TSkCustomMenuBar::TSkCustomMenuBar;
};

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

// A view keeps the item under the mouse across messages; when that item is
// freed (a menu rebuilt, a freed action's item) the view forgets it, so the
// next mouse move or leave neither repaints nor selects the freed item.
TEST_F(MenuViewTest, AFreedTitleUnderTheMouseIsForgottenByTheBar)
{
    auto* bar = new TSkCustomMenuBar(form);
    bar->SetParent(form);
    bar->SetAlign(vcl::alTop);
    auto* file = new TSkCustomItem(form);
    file->SetCaption("&File");
    bar->Items()->Add(file);
    auto* edit = new TSkCustomItem(bar);  // owned like the view, by the bar
    edit->SetCaption("&Edit");
    bar->Items()->Add(edit);
    for (TSkCustomItem* gone : {file, edit}) {
        const RECT r = bar->View()->GetItemRect(gone);
        bar->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 2, r.top + 2));
        ASSERT_EQ(bar->View()->Selected(), gone);
        delete gone;
        EXPECT_EQ(bar->View()->Selected(), nullptr);
        bar->Perform(vcl::CM_MOUSELEAVE, 0, 0);
        bar->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        vcl::Application->ProcessMessages();
    }
    EXPECT_EQ(bar->Items()->Count(), 0);
}

// The built-in system menu shows the frame-button pictures by its entries'
// glyph indexes.
TEST_F(MenuViewTest, FrameSystemMenuEntriesShowTheFrameButtonPictures)
{
    InitFormsUnit();  // its pictures are there before the drawing unit starts
    InitGraphicsUnit();
    auto* frame = new TMDIFrame(form);
    frame->Loaded();
    Keys({});
    frame->ShowSystemMenu();
    Drain();
    TSkCustomPopupMenu* systemMenu = nullptr;
    for (int i = 0; i < frame->ComponentCount(); ++i)
        if (auto* m = dynamic_cast<TSkCustomPopupMenu*>(frame->Components(i)))
            systemMenu = m;
    ASSERT_NE(systemMenu, nullptr);
    ASSERT_NE(SystemResources().FrameButtons, nullptr);
    ASSERT_GT(systemMenu->Items()->Count(), 0);
    for (int i = 0; i < systemMenu->Items()->Count(); ++i) {
        TSkCustomItem* item = systemMenu->Items()->Items(i);
        EXPECT_EQ(item->GetImageList(), SystemResources().FrameButtons) << item->Caption();
    }
    EXPECT_EQ(SystemResources().FrameButtons->Count(), 6);
}

// A menu bar on a control bar is a toolbar: its titles take the toolbar
// look, are drawn as themed toolbar buttons, and the control bar's
// background shows under them.
TEST_F(MenuViewTest, AMenuBarOnAControlBarTakesTheToolbarLook)
{
    auto* controlBar = new TSkCustomControlBar(form);
    controlBar->SetParent(form);
    controlBar->SetBounds(0, 0, 300, 60);
    controlBar->SetColor(static_cast<vcl::TColor>(RGB(10, 200, 30)));
    auto* bar = new TSkCustomMenuBar(form);
    bar->SetParent(controlBar);
    bar->SetBounds(20, 4, 200, 22);
    auto* file = new TSkCustomItem(form);
    file->SetCaption("&File");
    bar->Items()->Add(file);
    EXPECT_TRUE(bar->OnControlBar());
    EXPECT_TRUE(bar->Items()->ToolbarLook());
    EXPECT_TRUE(file->ToolbarLook());

    auto paint = [bar](TSkBitmap& shot) {
        shot.SetSize(bar->Width(), bar->Height());
        shot.Fill(0xFF000000);
        bar->PaintTo(shot.DC(), 0, 0);
    };
    // Without themes: the control bar's colour, not the menu colour.
    TSkBitmap plain;
    paint(plain);
    const RECT title = bar->View()->GetItemRect(file);
    EXPECT_EQ(plain.GetPixel(bar->Width() - 2, bar->Height() / 2) & 0xFFFFFF, 0x0AC81Eu);

    // With themes: the rebar background lined up with the control bar, then
    // each title as a toolbar button, normal, hot or pressed.
    vls::uxtheme::InstallTestTheme(true);
    ThemeApiAcquire();
    vls::uxtheme::ClearTestThemeCalls();
    TSkBitmap themed;
    paint(themed);
    bool rebar = false, button = false;
    for (const vls::uxtheme::ThemeCall& call : vls::uxtheme::TestThemeCalls()) {
        if (call.function != "DrawThemeBackground")
            continue;
        if (call.classList == u"Rebar") {
            rebar = true;
            EXPECT_EQ(call.rect.left, -bar->Left());
            EXPECT_EQ(call.rect.top, -bar->Top());
            EXPECT_EQ(call.rect.right, controlBar->ClientWidth() - bar->Left());
        }
        if (call.classList == u"Toolbar") {
            button = true;
            EXPECT_EQ(call.part, 1);
            EXPECT_EQ(call.state, 1);
            EXPECT_TRUE(Same(call.rect, title));
        }
    }
    EXPECT_TRUE(rebar);
    EXPECT_TRUE(button);
    vls::uxtheme::ClearTestThemeCalls();
    bar->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(title.left + 2, title.top + 2));
    paint(themed);
    bool hot = false;
    for (const vls::uxtheme::ThemeCall& call : vls::uxtheme::TestThemeCalls())
        hot = hot || (call.classList == u"Toolbar" && call.state == 2);
    EXPECT_TRUE(hot);
    vls::uxtheme::InstallTestTheme(false);
    ThemeApiRelease();

    // Moved off the control bar, the bar is a plain menu bar again.
    bar->SetParent(form);
    bar->Rebuild();
    EXPECT_FALSE(bar->Items()->ToolbarLook());
}

namespace {

// An MDI parent with its frame and menu bar, and children made on demand.
class MDIFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitGraphicsUnit();
        InitMenusUnit();
        parent = new vcl::TForm(vcl::Application);
        parent->SetFormStyle(vcl::fsMDIForm);
        parent->SetCaption("Parent");
        parent->SetBounds(50, 50, 600, 400);
        parentFrame = new TMDIFrame(parent);
        bar = new TMDIMenuBar(parent);
        bar->SetParent(parent);
        bar->SetAlign(vcl::alTop);
        bar->Loaded();
        auto* file = new TSkCustomItem(parent);
        file->SetCaption("&File");
        bar->Items()->Add(file);
        parentFrame->SetMenuBar(bar);
        parentFrame->Loaded();
        parent->Show();
        vcl::Application->ProcessMessages();
    }
    void TearDown() override
    {
        delete parent;
        vcl::Application->ProcessMessages();
        FinalizeMenusUnit();
        FreeHookList();
    }
    vcl::TForm* AddChild(const char* caption)
    {
        auto* child = new vcl::TForm(parent);
        child->SetFormStyle(vcl::fsMDIChild);
        child->SetCaption(caption);
        child->SetBounds(10, 10, 200, 150);
        child->OnClose = [](vcl::TObject*, vcl::TCloseAction& action) { action = vcl::caFree; };
        auto* frame = new TMDIFrame(child);
        frame->Loaded();
        child->Show();
        vcl::Application->ProcessMessages();
        return child;
    }
    int VisibleWindowButtons()
    {
        int n = 0;
        for (int i = 0; i < bar->Items()->Count(); ++i)
            if (bar->Items()->Items(i)->Kind() != 0 && bar->Items()->Items(i)->Visible())
                ++n;
        return n;
    }
    RECT ClientArea()
    {
        RECT r{};
        ::GetClientRect(parent->ClientHandle(), &r);
        return r;
    }

    vls::test::ScopedConfig config;
    vcl::TForm* parent = nullptr;
    TMDIFrame* parentFrame = nullptr;
    TMDIMenuBar* bar = nullptr;
};

}  // namespace

// The parent's client window lies below the menu bar, is painted by the
// parent's frame and lets the mouse through where it has no child.
TEST_F(MDIFrameTest, TheParentsClientWindowHoldsTheChildren)
{
    const HWND client = parent->ClientHandle();
    ASSERT_NE(client, nullptr);
    RECT place{};
    GetWindowRect(client, &place);
    const POINT origin = parent->ClientToScreen(POINT{0, 0});
    EXPECT_EQ(place.top - origin.y, bar->Height());
    EXPECT_EQ(GetWindowLongPtrA(client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(SendMessageA(client, WM_NCHITTEST, 0, MAKELPARAM(place.left + 5, place.top + 5)), HTTRANSPARENT);

    // A bar owned by an MDI parent carries four hidden window buttons.
    EXPECT_EQ(bar->Items()->Count(), 5);
    EXPECT_EQ(VisibleWindowButtons(), 0);

    vcl::TForm* one = AddChild("One");
    vcl::TForm* two = AddChild("Two");
    EXPECT_EQ(GetParent(one->Handle()), client);
    EXPECT_EQ(parent->MDIChildCount(), 2);
    EXPECT_EQ(parent->ActiveMDIChild(), two);
    EXPECT_TRUE(TSkCustomForm::FrameOf(two)->FrameActive());
    EXPECT_FALSE(TSkCustomForm::FrameOf(one)->FrameActive());
    // A click into a child activates it.
    RECT r{};
    GetWindowRect(one->Handle(), &r);
    SendMessageA(one->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(parent->Handle()),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(parent->ActiveMDIChild(), one);
    EXPECT_TRUE(TSkCustomForm::FrameOf(one)->FrameActive());
    EXPECT_FALSE(TSkCustomForm::FrameOf(two)->FrameActive());
}

// A maximized child fills the client window, puts its window buttons on
// the parent's menu bar and its caption into the parent's; restoring,
// closing through the bar's close button or freeing it takes all back.
TEST_F(MDIFrameTest, AMaximizedChildLendsItsButtonsAndCaptionToTheParent)
{
    vcl::TForm* child = AddChild("Child");
    TSkCustomForm* frame = TSkCustomForm::FrameOf(child);
    frame->Maximize();
    EXPECT_TRUE(Same(child->BoundsRect(), ClientArea()));
    EXPECT_TRUE(Same(frame->GetFrameClientRect(), RECT{0, 0, child->Width(), child->Height()}));
    EXPECT_EQ(VisibleWindowButtons(), 4);
    EXPECT_EQ(bar->WindowForm(), frame);
    // The system icon comes first in the row, the titles after it.
    const RECT icon = bar->View()->GetItemRect(bar->Items()->Items(0));
    EXPECT_EQ(bar->Items()->Items(0)->Kind(), 4);
    EXPECT_EQ(bar->View()->GetItemRect(bar->Items()->Items(bar->Items()->Count() - 1)).left, icon.right);
    EXPECT_EQ(parent->Caption(), "Parent - [Child]");
    EXPECT_TRUE(parentFrame->IsMDIChildMaximized());

    // The parent grows; the maximized child follows.
    parent->SetBounds(50, 50, 700, 450);
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(Same(child->BoundsRect(), ClientArea()));

    frame->Restore();
    EXPECT_EQ(VisibleWindowButtons(), 0);
    EXPECT_EQ(bar->WindowForm(), nullptr);
    EXPECT_EQ(parent->Caption(), "Parent");
    EXPECT_TRUE(Same(child->BoundsRect(), RECT{10, 10, 210, 160}));

    frame->Maximize();
    TSkCustomItem* close = nullptr;
    for (int i = 0; i < bar->Items()->Count(); ++i)
        if (bar->Items()->Items(i)->Kind() == 1)
            close = bar->Items()->Items(i);
    ASSERT_NE(close, nullptr);
    close->OnClick(close);
    vcl::Application->ProcessMessages();
    EXPECT_EQ(parent->MDIChildCount(), 0);
    EXPECT_EQ(bar->WindowForm(), nullptr);
    EXPECT_EQ(VisibleWindowButtons(), 0);
    EXPECT_EQ(parent->Caption(), "Parent");

    // A maximized child freed by its owner leaves no frame behind on the bar.
    vcl::TForm* other = AddChild("Other");
    TSkCustomForm::FrameOf(other)->Maximize();
    ASSERT_EQ(VisibleWindowButtons(), 4);
    delete other;
    vcl::Application->ProcessMessages();
    EXPECT_EQ(bar->WindowForm(), nullptr);
    EXPECT_EQ(VisibleWindowButtons(), 0);
}

// The parent's window made again (a border-style change does it) comes with
// a new client window, which the frame takes over as it did the first one.
TEST_F(MDIFrameTest, TheClientWindowIsTakenOverAgainWhenTheFormsWindowIsMadeAgain)
{
    const HWND first = parent->ClientHandle();
    vcl::TForm* earlier = AddChild("Earlier");
    parent->RecreateWnd();
    vcl::Application->ProcessMessages();
    const HWND client = parent->ClientHandle();
    ASSERT_TRUE(IsWindow(client));
    EXPECT_FALSE(IsWindow(first));
    // A child open before comes back in the new client window.
    ASSERT_TRUE(earlier->HandleAllocated());
    EXPECT_EQ(GetParent(earlier->Handle()), client);
    EXPECT_TRUE(IsWindowVisible(earlier->Handle()));
    EXPECT_EQ(GetWindowLongPtrA(client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    RECT place{};
    GetWindowRect(client, &place);
    EXPECT_EQ(SendMessageA(client, WM_NCHITTEST, 0, MAKELPARAM(place.left + 5, place.top + 5)), HTTRANSPARENT);

    // Children opened afterwards live in the new client window, and the
    // frame gives the window its own procedure back when it goes.
    vcl::TForm* child = AddChild("Later");
    EXPECT_EQ(GetParent(child->Handle()), client);
    delete parentFrame;
    parentFrame = nullptr;
    EXPECT_EQ(SendMessageA(client, WM_NCHITTEST, 0, MAKELPARAM(place.left + 5, place.top + 5)), HTCLIENT);
}

// With full-window dragging off, moving a child draws an inverted outline
// on the parent's client window, over the other children, and moves the
// child only when the button comes up, to the last outline.
TEST_F(MDIFrameTest, AChildDraggedInBorderModeShowsItsOutlineOnTheClientWindow)
{
    vcl::TForm* child = AddChild("Dragged");
    auto* frame = static_cast<TMDIFrame*>(TSkCustomForm::FrameOf(child));
    frame->Dragging()->SetDragMode(kfdmBorder);
    const HWND client = parent->ClientHandle();
    RECT top{}, place{};
    GetWindowRect(parent->Handle(), &top);
    GetWindowRect(client, &place);
    const auto pixel = [&](int x, int y) {  // client-window coordinates
        MSG presents{};
        PeekMessageA(&presents, nullptr, 0, 0, PM_NOREMOVE);
        const vls::backend::Surface* s = vls::headless::PresentedSurface(parent->Handle());
        return s ? s->Row(place.top - top.top + y)[place.left - top.left + x] & 0x00FFFFFFu : 0xDEADBEEFu;
    };
    // The outlines' left edges lie over the child itself, which stays where
    // it is until the end.
    const std::uint32_t first = pixel(50, 100), second = pixel(70, 100);
    frame->NCMouseDown(vcl::mbLeft, vcl::TShiftState{vcl::ssLeft}, 60, 8);
    frame->NCMouseMove(vcl::TShiftState{vcl::ssLeft}, 100, 38);
    EXPECT_EQ(pixel(50, 100), first ^ 0x00FFFFFFu);
    EXPECT_EQ(pixel(70, 100), second);
    EXPECT_TRUE(Same(child->BoundsRect(), RECT{10, 10, 210, 160}));

    // The next outline erases the first one.
    frame->NCMouseMove(vcl::TShiftState{vcl::ssLeft}, 120, 58);
    EXPECT_EQ(pixel(50, 100), first);
    EXPECT_EQ(pixel(70, 100), second ^ 0x00FFFFFFu);
    frame->NCMouseUp(vcl::mbLeft, vcl::TShiftState{}, 120, 58);
    EXPECT_TRUE(Same(child->BoundsRect(), RECT{70, 60, 270, 210}));
}
