#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/menus/sk_menu_item.h"
#include "tests/support/temp_dir.h"

using namespace skin;
using vcl::AnsiString;

namespace {

class MenuItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        root = new TSkCustomItem(nullptr);
    }
    void TearDown() override
    {
        delete root;
        vcl::Application->OnException = nullptr;
        vcl::Application->ProcessMessages();
    }
    TSkCustomItem* AddItem(TSkCustomItem* parent, const AnsiString& caption)
    {
        auto* item = new TSkCustomItem(nullptr);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }

    vls::test::ScopedConfig config;
    TSkCustomItem* root = nullptr;
};

TEST_F(MenuItemTest, TreeOperationsAndTheirErrors)
{
    TSkCustomItem* file = AddItem(root, "&File");
    TSkCustomItem* open = AddItem(file, "&Open");
    TSkCustomItem* edit = AddItem(root, "&Edit");
    EXPECT_EQ(root->Count(), 2);
    EXPECT_EQ(open->Parent(), file);
    EXPECT_EQ(open->Root(), root);

    EXPECT_THROW(root->Add(open), EKsItemError);
    try {
        edit->Add(open);
    } catch (const EKsItemError& e) {
        EXPECT_EQ(e.Message, "Toolbar item already inserted");
    }
    // An item under its own descendant would make the tree a ring.
    file->Remove(open);
    root->Remove(file);
    file->Add(open);
    EXPECT_THROW(open->Add(file), EKsItemError);
    EXPECT_THROW(file->Add(file), EKsItemError);
    EXPECT_EQ(file->Parent(), nullptr);

    // A removed child lives on and can go elsewhere.
    file->Remove(open);
    EXPECT_EQ(open->Parent(), nullptr);
    edit->Insert(0, open);
    EXPECT_EQ(edit->Items(0), open);
    root->Insert(0, file);
    EXPECT_EQ(root->IndexOf(file), 0);
    EXPECT_EQ(root->IndexOf(open), -1);

    EXPECT_THROW(root->Items(5), vcl::EListError);
    EXPECT_THROW(root->Delete(-1), vcl::EListError);
    EXPECT_EQ(root->Count(), 2);

    // Freeing a child takes it out of its parent.
    delete open;
    EXPECT_EQ(edit->Count(), 0);
}

TEST_F(MenuItemTest, ImagesComeFromTheRootWhenAnItemHasNone)
{
    vcl::TImageList images(nullptr);
    vcl::TImageList own(nullptr);
    TSkCustomItem* file = AddItem(root, "File");
    TSkCustomItem* open = AddItem(file, "Open");
    EXPECT_EQ(open->GetImageList(), nullptr);
    root->SetImages(&images);
    EXPECT_EQ(open->GetImageList(), &images);
    open->SetImages(&own);
    EXPECT_EQ(open->GetImageList(), &own);
    EXPECT_EQ(file->GetImageList(), &images);
}

TEST_F(MenuItemTest, FindAccelSeesEveryChild)
{
    TSkCustomItem* exit = AddItem(root, "E&xit");
    TSkCustomItem* file = AddItem(root, "Save &file");
    file->SetVisible(false);
    file->SetEnabled(false);
    EXPECT_EQ(root->FindAccel('f'), file);
    EXPECT_EQ(root->FindAccel('F'), file);
    EXPECT_EQ(root->FindAccel('X'), exit);
    EXPECT_EQ(root->FindAccel('e'), nullptr);
}

TEST_F(MenuItemTest, RootNotifierHearsCaptionButNotImageIndex)
{
    TSkCustomItem* file = AddItem(root, "File");
    TSkCustomItem* open = AddItem(file, "Open");
    std::vector<TSkCustomItem*> heard;
    root->OnChangeNotify = [&](vcl::TObject* sender) { heard.push_back(static_cast<TSkCustomItem*>(sender)); };
    open->SetImageIndex(3);
    open->SetScrollCount(4);
    EXPECT_TRUE(heard.empty());
    open->SetCaption("Open...");
    open->SetCaption("Open...");
    open->SetEnabled(false);
    EXPECT_EQ(heard, (std::vector<TSkCustomItem*>{open, open}));
}

TEST_F(MenuItemTest, MarksCoverTheWholeTreeOrOneLevel)
{
    TSkCustomItem* file = AddItem(root, "File");
    TSkCustomItem* open = AddItem(file, "Open");
    root->SetMenuRunMark(true);
    root->SetAnimateNext(true);
    EXPECT_TRUE(open->MenuRunMark());
    EXPECT_TRUE(open->AnimateNext());
    root->SetToolbarLook(true);
    EXPECT_TRUE(file->ToolbarLook());
    EXPECT_FALSE(open->ToolbarLook());
    file->SetForegroundOnPopup(true);
    EXPECT_FALSE(root->ForegroundOnPopup());
    EXPECT_TRUE(open->ForegroundOnPopup());
}

TEST_F(MenuItemTest, ClicksRunAfterTheHandlerWindowTakesThem)
{
    CreateClickHandler();
    int runs = 0;
    TSkCustomItem* file = AddItem(root, "File");
    TSkCustomItem* open = AddItem(file, "Open");
    TSkCustomItem* separator = AddItem(file, "-");
    TSkCustomItem* disabled = AddItem(file, "Gone");
    disabled->SetEnabled(false);
    for (TSkCustomItem* i : {file, open, separator, disabled})
        i->OnClick = [&](vcl::TObject*) { ++runs; };

    for (TSkCustomItem* i : {file, separator, disabled})
        i->Click();
    vcl::Application->ProcessMessages();
    EXPECT_EQ(runs, 0);

    open->Click();
    EXPECT_EQ(runs, 0);  // posted, not run
    vcl::Application->ProcessMessages();
    EXPECT_EQ(runs, 1);

    // An item freed before its posted click is handled runs nothing.
    open->Click();
    delete open;
    vcl::Application->ProcessMessages();
    EXPECT_EQ(runs, 1);
    FreeClickHandler();
}

TEST_F(MenuItemTest, ActionSuppliesValuesAndRuns)
{
    vcl::TAction action(nullptr);
    action.SetCaption("&Save");
    action.SetShortCut(vcl::scCtrl + 'S');
    int executed = 0;
    action.OnExecute = [&](vcl::TObject*) { ++executed; };
    TSkCustomItem* save = AddItem(root, "");
    save->SetAction(&action);
    EXPECT_EQ(save->Caption(), "&Save");
    EXPECT_EQ(save->ShortCut(), vcl::scCtrl + 'S');

    action.SetEnabled(false);
    EXPECT_FALSE(save->Enabled());
    action.SetEnabled(true);
    save->Click();  // no click handler window: at once
    EXPECT_EQ(executed, 1);

    // An own OnClick that differs from the action's handler wins.
    int own = 0;
    save->OnClick = [&, marker = 1](vcl::TObject*) { own += marker; };
    save->Click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(executed, 1);

    // A freed action leaves the item alone.
    save->SetAction(nullptr);
    EXPECT_EQ(save->Action(), nullptr);
}

TEST_F(MenuItemTest, AFreedActionLeavesTheItemRunningTheHandlerItTook)
{
    auto* action = new vcl::TAction(nullptr);
    int executed = 0;
    action->OnExecute = [&](vcl::TObject*) { ++executed; };
    TSkCustomItem* save = AddItem(root, "Save");
    save->SetAction(action);
    delete action;
    EXPECT_EQ(save->Action(), nullptr);
    save->Click();
    EXPECT_EQ(executed, 1);

    // The item takes a new action as if it had never had one.
    vcl::TAction next(nullptr);
    next.SetCaption("Save &As");
    save->SetAction(&next);
    EXPECT_EQ(save->Caption(), "Save &As");
    EXPECT_EQ(save->Action(), &next);
}

TEST_F(MenuItemTest, ShortCutRunsTheMatchingEnabledItem)
{
    TSkCustomItem* file = AddItem(root, "File");
    TSkCustomItem* save = AddItem(file, "Save");
    TSkCustomItem* quit = AddItem(file, "Quit");
    save->SetShortCut(vcl::scCtrl + 'S');
    quit->SetShortCut(vcl::scAlt + VK_F4);
    std::vector<std::string> ran;
    save->OnClick = [&](vcl::TObject*) { ran.push_back("save"); };
    quit->OnClick = [&](vcl::TObject*) { ran.push_back("quit"); };

    const vcl::TMessage plainS{WM_KEYDOWN, 'S', 0, 0};
    EXPECT_FALSE(root->IsShortCut(plainS));

    vls::headless::Key(VK_CONTROL, true);
    vcl::Application->ProcessMessages();
    EXPECT_TRUE(root->IsShortCut(plainS));
    vls::headless::Key(VK_CONTROL, false);
    vcl::Application->ProcessMessages();

    const vcl::TMessage altF4{WM_SYSKEYDOWN, VK_F4, LPARAM(1) << 29, 0};
    EXPECT_TRUE(root->IsShortCut(altF4));
    EXPECT_EQ(ran, (std::vector<std::string>{"save", "quit"}));

    // Found under a disabled parent: taken, but nothing runs.
    file->SetEnabled(false);
    EXPECT_TRUE(root->IsShortCut(altF4));
    EXPECT_EQ(ran.size(), 2u);

    // A handler that raises is reported and dispatch still ends normally.
    file->SetEnabled(true);
    std::vector<std::string> reported;
    vcl::Application->OnException = [&](vcl::TObject*, vcl::Exception& e) { reported.push_back(e.Message); };
    quit->OnClick = [](vcl::TObject*) { throw vcl::Exception("quit failed"); };
    EXPECT_TRUE(root->IsShortCut(altF4));
    EXPECT_EQ(reported, (std::vector<std::string>{"quit failed"}));
}

TEST_F(MenuItemTest, ShortCutFollowsAnItemThatGaveItsShortCutAway)
{
    // Clicking the first match moves the shortcut to another item: the
    // search runs again and the new holder is clicked too.
    TSkCustomItem* first = AddItem(root, "First");
    TSkCustomItem* second = AddItem(root, "Second");
    first->SetShortCut(VK_F5);
    std::vector<std::string> ran;
    first->OnClick = [&](vcl::TObject*) {
        ran.push_back("first");
        first->SetShortCut(0);
        second->SetShortCut(VK_F5);
    };
    second->OnClick = [&](vcl::TObject*) { ran.push_back("second"); };
    EXPECT_TRUE(root->IsShortCut(vcl::TMessage{WM_KEYDOWN, VK_F5, 0, 0}));
    EXPECT_EQ(ran, (std::vector<std::string>{"first"}));
    EXPECT_TRUE(root->IsShortCut(vcl::TMessage{WM_KEYDOWN, VK_F5, 0, 0}));
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));
}

TEST_F(MenuItemTest, FindItemByShortCutOrHandlerDepthFirst)
{
    TSkCustomItem* file = AddItem(root, "File");
    TSkCustomItem* open = AddItem(file, "Open");
    TSkCustomItem* edit = AddItem(root, "Edit");
    open->SetShortCut(vcl::scCtrl + 'O');
    edit->SetShortCut(vcl::scCtrl + 'O');
    EXPECT_EQ(root->FindItem(vcl::scCtrl + 'O', TSkCustomItem::fkShortCut), open);
    vcl::TNotifyEvent handler;
    handler.fn = [](vcl::TObject*) {};
    handler.methodName = "EditClick";
    edit->OnClick = handler;
    EXPECT_EQ(root->FindItem(handler), edit);
    handler.methodName = "Other";
    EXPECT_EQ(root->FindItem(handler), nullptr);
}

class TTestContainer : public vcl::TComponent {
    VCL_DECLARE_CLASS(TTestContainer, vcl::TComponent)
public:
    using vcl::TComponent::TComponent;
    std::vector<TSkCustomItem*> added;
};
VCL_IMPLEMENT_CLASS(TTestContainer, vcl::TComponent, [](auto&) {})

class TDerivedContainer : public TTestContainer {
    VCL_DECLARE_CLASS(TDerivedContainer, TTestContainer)
public:
    using TTestContainer::TTestContainer;
};
VCL_IMPLEMENT_CLASS(TDerivedContainer, TTestContainer, [](auto&) {})

TEST_F(MenuItemTest, LoadedItemsFindTheirContainerThroughTheRegistry)
{
    auto add = [](vcl::TComponent* c, TSkCustomItem* i) { static_cast<TTestContainer*>(c)->added.push_back(i); };
    RegisterItemContainer(TTestContainer::StaticClass(), add);
    RegisterItemContainer(TTestContainer::StaticClass(), add);
    EXPECT_EQ(ItemContainerCount(), 1);

    TDerivedContainer container(nullptr);
    TSkCustomItem* item = AddItem(root, "Moved");
    item->SetParentComponent(&container);
    EXPECT_EQ(item->Parent(), nullptr);
    EXPECT_EQ(container.added, (std::vector<TSkCustomItem*>{item}));
    item->SetParentComponent(root);
    EXPECT_EQ(item->Parent(), root);

    // A top-level entry reports the menu component as its parent component.
    root->SetParentComponentValue(&container);
    EXPECT_EQ(item->GetParentComponent(), &container);

    UnregisterItemContainer(TTestContainer::StaticClass());
    EXPECT_EQ(ItemContainerCount(), 1);
    UnregisterItemContainer(TTestContainer::StaticClass());
    EXPECT_EQ(ItemContainerCount(), 0);
}

}  // namespace
