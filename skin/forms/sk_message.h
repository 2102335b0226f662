#pragma once

// TSkCustomMessage: message boxes in the library's own look. Each call
// builds a dialog form at run time (icon, text, a row of buttons) framed
// by a self-drawn frame, shows it modally and returns its modal result.
// The dialog's controls come from virtual factories, so a subclass gets
// dialogs of its own controls without another builder.

#include "platform/vcl/forms.h"
#include "skin/forms/sk_custom_form.h"

namespace skin {

class TSkCustomButton;
class TSkCustomCheckBox;
class TSkCustomEdit;
class TSkCustomLabel;

enum TSkMsgDlgType { kmtWarning, kmtError, kmtInformation, kmtConfirmation, kmtCustom };
enum TSkMsgDlgBtn {
    kmbYes, kmbNo, kmbOK, kmbCancel, kmbAbort, kmbRetry, kmbIgnore, kmbAll, kmbNoToAll, kmbYesToAll, kmbHelp
};
using TSkMsgDlgButtons = vcl::TSet<TSkMsgDlgBtn>;

class TSkCustomMessage : public vcl::TComponent {
    VCL_DECLARE_CLASS(TSkCustomMessage, vcl::TComponent)
public:
    explicit TSkCustomMessage(vcl::TComponent* owner);
    ~TSkCustomMessage() override;

    TSkAnimation* Animation() const { return animation_; }
    void SetAnimation(TSkAnimation* v) { animation_->Assign(v); }
    TSkBlending* Blending() const { return blending_; }
    void SetBlending(TSkBlending* v) { blending_->Assign(v); }
    TSkBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TSkBorderIcons v) { borderIcons_ = v; }
    vcl::TFont* ButtonFont() const { return buttonFont_; }
    void SetButtonFont(vcl::TFont* v) { buttonFont_->Assign(v); }
    TSkDragging* Dragging() const { return dragging_; }
    void SetDragging(TSkDragging* v) { dragging_->Assign(v); }
    bool Global() const { return global_; }
    void SetGlobal(bool value);
    vcl::TFont* MessageFont() const { return messageFont_; }
    void SetMessageFont(vcl::TFont* v) { messageFont_->Assign(v); }
    vcl::TPosition Position() const { return position_; }
    void SetPosition(vcl::TPosition v) { position_ = v; }
    TSkShadow* Shadow() const { return shadow_; }
    void SetShadow(TSkShadow* v) { shadow_->Assign(v); }
    bool ShowButtonGlyph() const { return showButtonGlyph_; }
    void SetShowButtonGlyph(bool v) { showButtonGlyph_ = v; }
    bool ShowIconImage() const { return showIconImage_; }
    void SetShowIconImage(bool v) { showIconImage_ = v; }
    bool ShowHints() const { return showHints_; }
    void SetShowHints(bool v) { showHints_ = v; }

    // The dialog's controls, each new and owned by `owner`.
    virtual TSkCustomButton* CreateButton(vcl::TComponent* owner);
    virtual TSkCustomEdit* CreateEdit(vcl::TComponent* owner);
    virtual TSkCustomForm* CreateForm(vcl::TComponent* owner);
    virtual TSkCustomLabel* CreateLabel(vcl::TComponent* owner);
    virtual TSkCustomCheckBox* CreateCheckBox(vcl::TComponent* owner);

    // Each returns the modal result. A negative x and y centre the dialog
    // by Position; otherwise they place it.
    int ShowMessage(const vcl::WideString& msg);
    int ShowMessagePos(const vcl::WideString& msg, int x, int y);
    int MessageDlg(const vcl::WideString& msg, TSkMsgDlgType type, TSkMsgDlgButtons buttons, int helpContext = 0);
    int MessageDlgPos(const vcl::WideString& msg, TSkMsgDlgType type, TSkMsgDlgButtons buttons, int helpContext,
                      int x, int y);
    int MessageDlgPosHelp(const vcl::WideString& msg, TSkMsgDlgType type, TSkMsgDlgButtons buttons,
                          int helpContext, int x, int y, const vcl::AnsiString& helpFile);

private:
    TSkAnimation* animation_;
    TSkBlending* blending_;
    TSkBorderIcons borderIcons_{kbiClose, kbiSystemMenu};
    vcl::TFont* buttonFont_;
    TSkDragging* dragging_;
    bool global_ = false;
    vcl::TFont* messageFont_;
    vcl::TPosition position_ = vcl::poScreenCenter;
    TSkShadow* shadow_;
    bool showButtonGlyph_ = true;
    bool showIconImage_ = true;
    bool showHints_ = false;
};

// The dialog form: its frame is made by the message component and owned
// by the form.
class TSkMessageForm : public vcl::TForm {
    VCL_DECLARE_CLASS(TSkMessageForm, vcl::TForm)
public:
    TSkMessageForm(vcl::TComponent* owner, TSkCustomMessage* message);
    TSkCustomForm* Frame() const { return frame_; }
    void HelpClick(vcl::TObject* sender);

private:
    TSkCustomForm* frame_;
};

// The dialog as it will be shown, not yet shown; the caller frees it.
TSkMessageForm* BuildMessageForm(TSkCustomMessage* message, const vcl::WideString& msg, TSkMsgDlgType type,
                                 TSkMsgDlgButtons buttons);

// The global message component: the one made global, else one owned by
// the application, made on first need.
TSkCustomMessage* GetGlobalSkCustomMessage();
// A nil component stands for the global one.
int SkMessageDlgPosHelp(TSkCustomMessage* message, const vcl::WideString& msg, TSkMsgDlgType type,
                        TSkMsgDlgButtons buttons, int helpContext, int x, int y, const vcl::AnsiString& helpFile);

}  // namespace skin
