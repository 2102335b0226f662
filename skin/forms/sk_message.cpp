#include "skin/forms/sk_message.h"

#include <algorithm>
#include <memory>

#include "platform/vcl/extctrls.h"
#include "skin/controls/sk_button.h"
#include "skin/controls/sk_check_box.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_label.h"
#include "skin/graphics/sk_strings.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

namespace {

struct ButtonInfo {
    const char* name;
    vcl::TBitBtnKind kind;
    int modalResult;  // 0: the one of the kind
};
constexpr ButtonInfo kButtons[] = {
    {"Yes", vcl::bkYes, 0},       {"No", vcl::bkNo, 0},         {"OK", vcl::bkOK, 0},
    {"Cancel", vcl::bkCancel, 0}, {"Abort", vcl::bkAbort, 0},   {"Retry", vcl::bkRetry, 0},
    {"Ignore", vcl::bkIgnore, 0}, {"All", vcl::bkAll, 0},       {"NoToAll", vcl::bkNo, vcl::mrNoToAll},
    {"YesToAll", vcl::bkYes, vcl::mrYesToAll}, {"Help", vcl::bkHelp, 0},
};
constexpr int kButtonCount = 11;

// Widths of the button captions, measured once for the process.
int g_buttonWidths[kButtonCount] = {};
int g_buttonHeightUnits = 14;
TSkCustomMessage* g_globalMessage = nullptr;

LPCSTR IconOf(TSkMsgDlgType type)
{
    switch (type) {
    case kmtWarning: return IDI_EXCLAMATION;
    case kmtError: return IDI_HAND;
    case kmtInformation: return IDI_ASTERISK;
    case kmtConfirmation: return IDI_QUESTION;
    default: return nullptr;
    }
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomMessage, vcl::TComponent, [](auto& b) {
    using T = TSkCustomMessage;
    b.Object("Animation", &T::Animation, &T::SetAnimation);
    b.Object("Blending", &T::Blending, &T::SetBlending);
    b.Set("BorderIcons", &kBorderIconInfo, &T::BorderIcons, &T::SetBorderIcons,
          std::optional<TSkBorderIcons>(TSkBorderIcons{kbiClose, kbiSystemMenu}));
    b.Object("ButtonFont", &T::ButtonFont, &T::SetButtonFont);
    b.Object("Dragging", &T::Dragging, &T::SetDragging);
    b.Bool("Global", &T::Global, &T::SetGlobal, false);
    b.Object("MessageFont", &T::MessageFont, &T::SetMessageFont);
    b.Enum("Position", &vcl::kPositionInfo, &T::Position, &T::SetPosition,
           std::optional<vcl::TPosition>(vcl::poScreenCenter));
    b.Object("Shadow", &T::Shadow, &T::SetShadow);
    b.Bool("ShowButtonGlyph", &T::ShowButtonGlyph, &T::SetShowButtonGlyph, true);
    b.Bool("ShowIconImage", &T::ShowIconImage, &T::SetShowIconImage, true);
    b.Bool("ShowHints", &T::ShowHints, &T::SetShowHints, false);
})

VCL_IMPLEMENT_CLASS(TSkMessageForm, vcl::TForm, [](auto&) {})

TSkCustomMessage::TSkCustomMessage(vcl::TComponent* owner)
    : vcl::TComponent(owner),
      animation_(new TSkAnimation()),
      blending_(new TSkBlending()),
      buttonFont_(new vcl::TFont()),
      dragging_(new TSkDragging()),
      messageFont_(new vcl::TFont()),
      shadow_(new TSkShadow())
{
}

TSkCustomMessage::~TSkCustomMessage()
{
    if (g_globalMessage == this)
        g_globalMessage = nullptr;
    delete animation_;
    delete blending_;
    delete buttonFont_;
    delete dragging_;
    delete messageFont_;
    delete shadow_;
}

void TSkCustomMessage::SetGlobal(bool value)
{
    if (value == global_)
        return;
    global_ = value;
    TSkCustomMessage* former = g_globalMessage;
    g_globalMessage = this;
    if (!former || former == this)
        return;
    former->global_ = false;
    // Only the component made on demand belongs to nobody but the
    // application; one that a form owns stays with its form.
    if (former->Owner() == vcl::Application)
        delete former;
}

TSkCustomButton* TSkCustomMessage::CreateButton(vcl::TComponent* owner) { return new TSkCustomButton(owner); }
TSkCustomEdit* TSkCustomMessage::CreateEdit(vcl::TComponent* owner) { return new TSkCustomEdit(owner); }
TSkCustomForm* TSkCustomMessage::CreateForm(vcl::TComponent* owner) { return new TSkCustomForm(owner); }
TSkCustomLabel* TSkCustomMessage::CreateLabel(vcl::TComponent* owner) { return new TSkCustomLabel(owner); }
TSkCustomCheckBox* TSkCustomMessage::CreateCheckBox(vcl::TComponent* owner) { return new TSkCustomCheckBox(owner); }

int TSkCustomMessage::ShowMessage(const vcl::WideString& msg) { return ShowMessagePos(msg, -1, -1); }

int TSkCustomMessage::ShowMessagePos(const vcl::WideString& msg, int x, int y)
{
    return MessageDlgPos(msg, kmtCustom, TSkMsgDlgButtons{kmbOK}, 0, x, y);
}

int TSkCustomMessage::MessageDlg(const vcl::WideString& msg, TSkMsgDlgType type, TSkMsgDlgButtons buttons,
                                 int helpContext)
{
    return MessageDlgPos(msg, type, buttons, helpContext, -1, -1);
}

int TSkCustomMessage::MessageDlgPos(const vcl::WideString& msg, TSkMsgDlgType type, TSkMsgDlgButtons buttons,
                                    int helpContext, int x, int y)
{
    return MessageDlgPosHelp(msg, type, buttons, helpContext, x, y, "");
}

int TSkCustomMessage::MessageDlgPosHelp(const vcl::WideString& msg, TSkMsgDlgType type, TSkMsgDlgButtons buttons,
                                        int helpContext, int x, int y, const vcl::AnsiString& helpFile)
{
    return SkMessageDlgPosHelp(this, msg, type, buttons, helpContext, x, y, helpFile);
}

TSkCustomMessage* GetGlobalSkCustomMessage()
{
    if (!g_globalMessage)
        (new TSkCustomMessage(vcl::Application))->SetGlobal(true);
    return g_globalMessage;
}

int SkMessageDlgPosHelp(TSkCustomMessage* message, const vcl::WideString& msg, TSkMsgDlgType type,
                        TSkMsgDlgButtons buttons, int helpContext, int x, int y, const vcl::AnsiString& helpFile)
{
    if (!message)
        message = GetGlobalSkCustomMessage();
    std::unique_ptr<TSkMessageForm> form(BuildMessageForm(message, msg, type, buttons));
    form->SetHelpContext(helpContext);
    form->SetHelpFile(helpFile);
    if (x < 0 && y < 0) {
        form->SetPosition(message->Position());
    } else {
        form->SetPosition(vcl::poDefault);
        if (x >= 0)
            form->SetLeft(x);
        if (y >= 0)
            form->SetTop(y);
    }
    vcl::Application->ProcessMessages();
    form->Frame()->UpdateFrame();
    return form->ShowModal();
}

// ------------------------------------------------------------ the dialog

TSkMessageForm::TSkMessageForm(vcl::TComponent* owner, TSkCustomMessage* message) : vcl::TForm(owner)
{
    SetPosition(vcl::poScreenCenter);
    SetKeyPreview(true);
    frame_ = message->CreateForm(this);
    frame_->SetBlending(message->Blending());
    frame_->SetDragging(message->Dragging());
    frame_->SetShadow(message->Shadow());
    frame_->SetAnimation(message->Animation());
    frame_->SetBorderIcons(message->BorderIcons());
    frame_->SetActive(true);
    static_cast<vcl::TComponent*>(frame_)->Loaded();
}

void TSkMessageForm::HelpClick(vcl::TObject*) { vcl::Application->HelpContext(HelpContext()); }

TSkMessageForm* BuildMessageForm(TSkCustomMessage* message, const vcl::WideString& msg, TSkMsgDlgType type,
                                 TSkMsgDlgButtons buttons)
{
    if (ThemesActive())
        g_buttonHeightUnits = 17;
    auto* form = new TSkMessageForm(vcl::Application, message);
    try {
        form->SetBiDiMode(vcl::Application->BiDiMode());
        vcl::TCanvas* canvas = form->Canvas();
        canvas->Font()->Assign(message->ButtonFont());

        static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE letters{};
        GetTextExtentPoint32A(canvas->Handle(), kLetters, 52, &letters);
        const int unitX = letters.cx / 52;
        const int unitY = letters.cy;
        const int marginX = vcl::MulDiv(30, unitX, 4);
        const int marginY = vcl::MulDiv(15, unitY, 8);
        const int spacingX = vcl::MulDiv(10, unitX, 4);
        const int spacingY = vcl::MulDiv(10, unitY, 8);
        const int buttonHeight = vcl::MulDiv(g_buttonHeightUnits, unitY, 8);
        const int buttonSpacing = vcl::MulDiv(4, unitX, 4);
        int buttonWidth = vcl::MulDiv(50, unitX, 4);

        const UINT reading = form->DrawTextBiDiModeFlagsReadingOnly();
        int count = 0;
        for (int b = 0; b < kButtonCount; ++b) {
            if (!buttons.Contains(static_cast<TSkMsgDlgBtn>(b)))
                continue;
            ++count;
            if (g_buttonWidths[b] == 0) {
                const vcl::AnsiString caption = SkLoadString(sksMsgButtonYes + b);
                RECT r{0, 0, 0, 0};
                DrawTextA(canvas->Handle(), caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | reading);
                g_buttonWidths[b] = r.right - r.left + 8;
            }
            buttonWidth = std::max(buttonWidth, g_buttonWidths[b]);
        }

        canvas->Font()->Assign(message->MessageFont());
        RECT text{0, 0, vcl::Screen->Width() / 2, 0};
        SkDrawText(canvas, msg, text, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | reading);
        const LPCSTR icon = IconOf(type);
        const bool showIcon = icon && message->ShowIconImage();
        int iconTextWidth = text.right;
        int iconTextHeight = text.bottom;
        if (showIcon) {
            iconTextWidth += 32 + spacingX;
            iconTextHeight = std::max(iconTextHeight, 32);
        }
        const int groupWidth = count > 0 ? count * buttonWidth + (count - 1) * buttonSpacing : 0;
        form->SetClientWidth(std::max(iconTextWidth, groupWidth) + 2 * marginX);
        form->SetClientHeight(iconTextHeight + buttonHeight + spacingY + 2 * marginY);
        form->SetLeft(vcl::Screen->Width() / 2 - form->Width() / 2);
        form->SetTop(vcl::Screen->Height() / 2 - form->Height() / 2);

        form->Frame()->SetCaption(type == kmtCustom ? vcl::AnsiToWide(vcl::Application->Title())
                                                    : vcl::AnsiToWide(SkLoadString(sksMsgWarning + static_cast<int>(type))));

        if (showIcon) {
            auto* image = new vcl::TImage(form);
            image->SetName("Image");
            image->SetParent(form);
            image->Picture()->Icon()->SetHandle(LoadIconA(nullptr, icon));
            image->SetBounds(marginX, marginY, 32, 32);
        }

        TSkCustomLabel* label = message->CreateLabel(form);
        label->SetName("Message");
        label->SetParent(form);
        label->SetWordWrap(true);
        label->SetTransparent(true);
        label->SetCaption(msg);
        label->SetBiDiMode(form->BiDiMode());
        label->Font()->Assign(message->MessageFont());
        int left = iconTextWidth - text.right + marginX;
        if (label->UseRightToLeftAlignment())
            left = form->ClientWidth() - left - text.right;
        label->SetBounds(left, marginY, text.right, text.bottom);

        TSkMsgDlgBtn defaultButton = kmbRetry;
        if (buttons.Contains(kmbOK))
            defaultButton = kmbOK;
        else if (buttons.Contains(kmbYes))
            defaultButton = kmbYes;
        TSkMsgDlgBtn cancelButton = kmbOK;
        if (buttons.Contains(kmbCancel))
            cancelButton = kmbCancel;
        else if (buttons.Contains(kmbNo))
            cancelButton = kmbNo;

        int x = (form->ClientWidth() - groupWidth) / 2;
        const int y = iconTextHeight + marginY + spacingY;
        for (int b = 0; b < kButtonCount; ++b) {
            const auto which = static_cast<TSkMsgDlgBtn>(b);
            if (!buttons.Contains(which))
                continue;
            TSkCustomButton* button = message->CreateButton(form);
            button->SetName(kButtons[b].name);
            button->SetParent(form);
            button->SetKind(kButtons[b].kind);
            if (kButtons[b].modalResult)
                button->SetModalResult(kButtons[b].modalResult);
            button->SetCaption(vcl::AnsiToWide(SkLoadString(sksMsgButtonYes + b)));
            button->Font()->Assign(message->ButtonFont());
            button->SetShowHint(message->ShowHints());
            button->SetTransparent(true);
            if (message->ShowHints())
                button->SetHint(SkLoadString(sksMsgButtonSecondSet + b));
            if (!message->ShowButtonGlyph())
                button->Glyph()->Assign(nullptr);
            button->SetDefault(which == defaultButton);
            button->SetCancel(which == cancelButton);
            button->SetBounds(x, y, buttonWidth, buttonHeight);
            x += buttonWidth + buttonSpacing;
            if (which == kmbHelp)
                button->OnClick = [form](vcl::TObject* sender) { form->HelpClick(sender); };
        }
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

}  // namespace skin
