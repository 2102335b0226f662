#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/actnlist.h"
#include "platform/vcl/buttons.h"
#include "platform/vcl/filer.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/streams.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "tests/support/temp_dir.h"

using namespace vcl;

namespace {

// A form with published handlers, as a program's form streams them.
class TActionForm : public TForm {
    VCL_DECLARE_CLASS(TActionForm, TForm)
public:
    explicit TActionForm(TComponent* owner) : TForm(owner) {}
    int saves = 0;
    int ownClicks = 0;
    TComponent* savedFrom = nullptr;
    void SaveExecute(TObject* sender)
    {
        ++saves;
        // A control whose action is gone calls the handler it kept with
        // itself as the sender.
        if (auto* action = dynamic_cast<TBasicAction*>(sender))
            savedFrom = action->ActionComponent();
    }
    void OwnClick(TObject*) { ++ownClicks; }
};

VCL_IMPLEMENT_CLASS(TActionForm, TForm, [](auto& b) {
    b.Component();
    b.Method("SaveExecute", &TActionForm::SaveExecute);
    b.Method("OwnClick", &TActionForm::OwnClick);
})

struct Registered {
    Registered() { RegisterClasses({TActionForm::StaticClass(), TAction::StaticClass(), TActionList::StaticClass(),
                         TButton::StaticClass()}); }
};
const Registered registered;

class ActionLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        form = new TActionForm(Application);
        form->SetName("ActionForm");
        action = new TAction(form);
        action->SetName("SaveAction");
        action->SetCaption("&Save");
        action->SetHint("Saves the game");
        BindEvent(action, *TBasicAction::StaticClass()->FindProperty("OnExecute"), form, "SaveExecute");
        button = new TButton(form);
        button->SetName("SaveButton");
        button->SetParent(form);
    }
    void TearDown() override { delete form; }
    vls::test::ScopedConfig config;
    TActionForm* form = nullptr;
    TAction* action = nullptr;
    TButton* button = nullptr;
};

TEST_F(ActionLink, TheControlFollowsTheActionWhileItAgrees)
{
    button->SetAction(action);
    EXPECT_EQ(button->Action(), action);
    EXPECT_EQ(button->Caption(), "&Save");
    EXPECT_EQ(button->Hint(), "Saves the game");
    EXPECT_EQ(button->OnClick.methodName, "SaveExecute");

    action->SetEnabled(false);
    action->SetVisible(false);
    action->SetCaption("Save &as");
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(button->Visible());
    EXPECT_EQ(button->Caption(), "Save &as");

    // A value given to the control stays until the action changes again;
    // then the action's values apply once more.
    button->SetCaption("Keep");
    EXPECT_EQ(button->Caption(), "Keep");
    action->SetEnabled(true);
    EXPECT_TRUE(button->Enabled());
    EXPECT_EQ(button->Caption(), "Save &as");
}

TEST_F(ActionLink, ClickRunsTheActionForTheControlUnlessTheControlHasItsOwnHandler)
{
    button->SetAction(action);
    button->Click();
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->savedFrom, button);
    EXPECT_EQ(action->ActionComponent(), nullptr);  // only while it runs

    BindEvent(button, *TControl::StaticClass()->FindProperty("OnClick"), form, "OwnClick");
    button->Click();
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->ownClicks, 1);
    // An action given a new handler leaves the control's own in place.
    BindEvent(action, *TBasicAction::StaticClass()->FindProperty("OnExecute"), form, "OwnClick");
    EXPECT_EQ(button->OnClick.methodName, "OwnClick");
}

TEST_F(ActionLink, AFreedActionLeavesTheControlAndAFreedControlLeavesTheAction)
{
    button->SetAction(action);
    delete action;
    action = nullptr;
    EXPECT_EQ(button->Action(), nullptr);
    EXPECT_EQ(button->ActionLink(), nullptr);
    button->Click();  // no action to run, and no crash
    EXPECT_EQ(form->saves, 1);  // the handler it took from the action stays

    auto* other = new TAction(form);
    auto* second = new TButton(form);
    second->SetParent(form);
    second->SetAction(other);
    delete second;
    other->SetCaption("still fine");
    EXPECT_EQ(other->Caption(), "still fine");
}

TEST_F(ActionLink, IdleTimeUpdatesTheActionsOfHiddenControlsToo)
{
    button->SetAction(action);
    int updates = 0;
    action->OnUpdate = [&](TObject*) {
        ++updates;
        action->SetVisible(!action->Visible());
    };
    form->Show();
    form->UpdateActions();
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(button->Visible());
    form->UpdateActions();  // hidden now, yet asked: the action shows it again
    EXPECT_EQ(updates, 2);
    EXPECT_TRUE(button->Visible());

    Application->ProcessMessages();
    Application->HandleMessage();  // idle: the application updates every form
    EXPECT_GE(updates, 3);
    form->Hide();
}

TEST_F(ActionLink, StreamsNameTheActionAndLeaveOutWhatItSupplies)
{
    auto* list = new TActionList(form);
    list->SetName("Actions");
    action->SetActionList(list);
    button->SetAction(action);
    button->SetEnabled(false);
    action->SetEnabled(false);
    TMemoryStream binary;
    binary.WriteComponent(form);
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&binary, &text);
    const std::string written(text.Bytes().begin(), text.Bytes().end());
    const size_t at = written.find("object SaveButton: TButton");
    ASSERT_NE(at, std::string::npos) << written;
    const std::string buttonText = written.substr(at);
    EXPECT_NE(buttonText.find("Action = SaveAction"), std::string::npos) << buttonText;
    EXPECT_EQ(buttonText.find("Caption"), std::string::npos) << buttonText;
    EXPECT_EQ(buttonText.find("Enabled"), std::string::npos) << buttonText;
    EXPECT_EQ(buttonText.find("OnClick"), std::string::npos) << buttonText;
    // The action is written once, inside its list.
    const size_t listAt = written.find("object Actions: TActionList\r\n    object SaveAction: TAction");
    EXPECT_NE(listAt, std::string::npos) << written;
    EXPECT_EQ(written.find("object SaveAction", listAt + 40), std::string::npos) << written;

    text.SetPosition(0);
    TMemoryStream back;
    ObjectTextToBinary(&text, &back);
    back.SetPosition(0);
    auto* copy = new TActionForm(nullptr);
    std::unique_ptr<TActionForm> owner(copy);
    back.ReadComponent(copy);
    auto* readButton = dynamic_cast<TButton*>(copy->FindComponent("SaveButton"));
    ASSERT_NE(readButton, nullptr);
    ASSERT_NE(readButton->Action(), nullptr);
    EXPECT_EQ(readButton->Action(), copy->FindComponent("SaveAction"));
    EXPECT_EQ(static_cast<TCustomAction*>(readButton->Action())->ActionList(), copy->FindComponent("Actions"));
    EXPECT_EQ(readButton->Caption(), "&Save");
    EXPECT_FALSE(readButton->Enabled());
    readButton->Click();
    EXPECT_EQ(copy->saves, 1);
}

}  // namespace
