#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/vcl/extctrls.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/controls/sk_button.h"
#include "skin/controls/sk_controls_unit.h"
#include "skin/controls/sk_label.h"
#include "skin/forms/sk_message.h"
#include "skin/graphics/sk_system.h"
#include "tests/support/temp_dir.h"

using namespace skin;

namespace {

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vls::headless::UseManualClock();
        InitGraphicsUnit();
        InitControlsUnit();
        vcl::Application->SetTitle("Message Tests");
        message = new TSkCustomMessage(vcl::Application);
    }
    void TearDown() override
    {
        vcl::Application->OnIdle = nullptr;
        delete message;
        vcl::Application->ProcessMessages();
    }
    std::unique_ptr<TSkMessageForm> Build(const vcl::WideString& text, TSkMsgDlgType type, TSkMsgDlgButtons buttons)
    {
        return std::unique_ptr<TSkMessageForm>(BuildMessageForm(message, text, type, buttons));
    }
    static TSkCustomButton* ButtonOf(TSkMessageForm* form, const char* name)
    {
        return dynamic_cast<TSkCustomButton*>(form->FindComponent(name));
    }
    // Runs `answer` on the shown dialog once the modal loop waits for input.
    void AnswerWhenShown(std::function<void(TSkMessageForm*)> answer)
    {
        vcl::Application->OnIdle = [answer](vcl::TObject*, bool&) {
            for (int i = 0; i < vcl::Screen->FormCount(); ++i) {
                auto* dialog = dynamic_cast<TSkMessageForm*>(vcl::Screen->Forms(i));
                if (dialog && dialog->Visible()) {
                    // Clearing the handler frees this closure and its copy
                    // of `answer`, so keep one of our own first.
                    const std::function<void(TSkMessageForm*)> run = answer;
                    vcl::Application->OnIdle = nullptr;
                    run(dialog);
                    return;
                }
            }
        };
    }

    vls::test::ScopedConfig config;
    TSkCustomMessage* message = nullptr;
};

}  // namespace

TEST_F(MessageTest, DefaultAndCancelButtonsFollowTheButtonSet)
{
    struct Case {
        TSkMsgDlgButtons buttons;
        const char* defaultButton;
        const char* cancelButton;  // "" when none
    } cases[] = {
        {TSkMsgDlgButtons{kmbYes, kmbNo, kmbCancel}, "Yes", "Cancel"},
        {TSkMsgDlgButtons{kmbYes, kmbNo}, "Yes", "No"},
        {TSkMsgDlgButtons{kmbOK, kmbCancel}, "OK", "Cancel"},
        {TSkMsgDlgButtons{kmbAbort, kmbRetry, kmbIgnore}, "Retry", ""},
    };
    for (const Case& c : cases) {
        auto form = Build(u"Question", kmtConfirmation, c.buttons);
        int buttons = 0;
        for (int i = 0; i < form->ComponentCount(); ++i) {
            auto* b = dynamic_cast<TSkCustomButton*>(form->Components(i));
            if (!b)
                continue;
            ++buttons;
            EXPECT_EQ(b->Default(), b->Name() == c.defaultButton) << b->Name();
            EXPECT_EQ(b->Cancel(), b->Name() == c.cancelButton) << b->Name();
        }
        int asked = 0;
        for (int b = kmbYes; b <= kmbHelp; ++b)
            asked += c.buttons.Contains(static_cast<TSkMsgDlgBtn>(b)) ? 1 : 0;
        EXPECT_EQ(buttons, asked);
    }
}

TEST_F(MessageTest, ButtonsCaptionsResultsAndRowInOrdinalOrder)
{
    auto form = Build(u"Many", kmtWarning, TSkMsgDlgButtons{kmbHelp, kmbYesToAll, kmbNoToAll, kmbYes});
    TSkCustomButton* yes = ButtonOf(form.get(), "Yes");
    TSkCustomButton* noToAll = ButtonOf(form.get(), "NoToAll");
    TSkCustomButton* yesToAll = ButtonOf(form.get(), "YesToAll");
    TSkCustomButton* help = ButtonOf(form.get(), "Help");
    ASSERT_TRUE(yes && noToAll && yesToAll && help);
    EXPECT_EQ(yes->Caption(), u"&Yes");
    EXPECT_EQ(noToAll->Caption(), u"N&o to All");
    EXPECT_EQ(yes->ModalResult(), vcl::mrYes);
    EXPECT_EQ(noToAll->ModalResult(), vcl::mrNoToAll);
    EXPECT_EQ(yesToAll->ModalResult(), vcl::mrYesToAll);
    EXPECT_LT(yes->Left(), noToAll->Left());
    EXPECT_LT(noToAll->Left(), yesToAll->Left());
    EXPECT_LT(yesToAll->Left(), help->Left());
    EXPECT_EQ(yes->Width(), help->Width());
    // The row is centred.
    EXPECT_NEAR(yes->Left(), form->ClientWidth() - help->Left() - help->Width(), 1);
    EXPECT_EQ(form->Frame()->Caption(), u"Warning");
}

TEST_F(MessageTest, TextStartsAfterTheIconOrAtTheMargin)
{
    auto plain = Build(u"Hello", kmtCustom, TSkMsgDlgButtons{kmbOK});
    auto warned = Build(u"Hello", kmtError, TSkMsgDlgButtons{kmbOK});
    auto* plainText = dynamic_cast<TSkCustomLabel*>(plain->FindComponent("Message"));
    auto* warnedText = dynamic_cast<TSkCustomLabel*>(warned->FindComponent("Message"));
    ASSERT_TRUE(plainText && warnedText);
    EXPECT_EQ(plain->FindComponent("Image"), nullptr);
    auto* image = dynamic_cast<vcl::TImage*>(warned->FindComponent("Image"));
    ASSERT_NE(image, nullptr);
    const int margin = plainText->Left();
    EXPECT_EQ(image->Left(), margin);
    EXPECT_GT(warnedText->Left(), margin + 32);
    EXPECT_EQ(plain->Frame()->Caption(), u"Message Tests");
    EXPECT_EQ(warned->Frame()->Caption(), u"Error");

    // Without icon images the error dialog looks like the plain one.
    message->SetShowIconImage(false);
    auto bare = Build(u"Hello", kmtError, TSkMsgDlgButtons{kmbOK});
    EXPECT_EQ(bare->FindComponent("Image"), nullptr);
    EXPECT_EQ(dynamic_cast<TSkCustomLabel*>(bare->FindComponent("Message"))->Left(), margin);
}

TEST_F(MessageTest, LongTextWrapsAtHalfTheScreenAndLinesStack)
{
    auto one = Build(u"One line", kmtCustom, TSkMsgDlgButtons{kmbOK});
    auto two = Build(u"One line\r\nand another", kmtCustom, TSkMsgDlgButtons{kmbOK});
    vcl::WideString long_text;
    for (int i = 0; i < 60; ++i)
        long_text += u"words and more ";
    auto wrapped = Build(long_text, kmtCustom, TSkMsgDlgButtons{kmbOK});
    auto* l1 = dynamic_cast<TSkCustomLabel*>(one->FindComponent("Message"));
    auto* l2 = dynamic_cast<TSkCustomLabel*>(two->FindComponent("Message"));
    auto* lw = dynamic_cast<TSkCustomLabel*>(wrapped->FindComponent("Message"));
    EXPECT_EQ(l2->Height(), 2 * l1->Height());
    EXPECT_LE(lw->Width(), vcl::Screen->Width() / 2);
    EXPECT_GE(lw->Height(), 4 * l1->Height());
    EXPECT_TRUE(lw->WordWrap());
    // The buttons sit below the text.
    EXPECT_GT(ButtonOf(wrapped.get(), "OK")->Top(), lw->Top() + lw->Height());
}

TEST_F(MessageTest, AnsweredByAKeyOrAClick)
{
    // Enter presses the default button.
    AnswerWhenShown([](TSkMessageForm*) { vls::headless::KeyTap(VK_RETURN); });
    EXPECT_EQ(message->ShowMessage(u"Done.\r\nAll files copied."), vcl::mrOk);

    // Escape presses the cancel button.
    AnswerWhenShown([](TSkMessageForm*) { vls::headless::KeyTap(VK_ESCAPE); });
    EXPECT_EQ(message->MessageDlg(u"Go on?", kmtConfirmation, TSkMsgDlgButtons{kmbYes, kmbNo, kmbCancel}),
              vcl::mrCancel);

    // A click on "No".
    AnswerWhenShown([](TSkMessageForm* dialog) {
        auto* no = dynamic_cast<vcl::TControl*>(dialog->FindComponent("No"));
        const POINT p = no->ClientToScreen(POINT{5, 5});
        vls::headless::Click(p.x, p.y);
    });
    EXPECT_EQ(message->MessageDlg(u"Go on?", kmtConfirmation, TSkMsgDlgButtons{kmbYes, kmbNo}), vcl::mrNo);
    // Every dialog is gone again.
    for (int i = 0; i < vcl::Screen->FormCount(); ++i)
        EXPECT_EQ(dynamic_cast<TSkMessageForm*>(vcl::Screen->Forms(i)), nullptr);
}

TEST_F(MessageTest, GlobalComponentNeverFreesOneAFormOwns)
{
    vcl::TComponent owner(nullptr);
    auto* owned = new TSkCustomMessage(&owner);
    owned->SetGlobal(true);
    EXPECT_EQ(GetGlobalSkCustomMessage(), owned);
    message->SetGlobal(true);
    EXPECT_EQ(GetGlobalSkCustomMessage(), message);
    EXPECT_EQ(owner.ComponentCount(), 1);  // still there
    EXPECT_FALSE(owned->Global());

    // Freeing the global one clears the reference; the next call makes one.
    delete message;
    message = nullptr;
    TSkCustomMessage* made = GetGlobalSkCustomMessage();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Owner(), vcl::Application);
    message = made;
}
