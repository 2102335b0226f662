#pragma once

// TSkCustomPanel: a container with an optional title bar whose small button
// rolls the panel up to its title and back, or hides it.

#include "skin/controls/sk_custom_control.h"

namespace skin {

enum TSkPanelButtonKind { pbkRoll, pbkHide };
extern const vcl::TEnumInfo kPanelButtonKindInfo;

class TSkCustomPanel : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomPanel, TSkCustomControl)
public:
    explicit TSkCustomPanel(vcl::TComponent* owner);

    vcl::WideString Caption() const { return caption_; }
    void SetCaption(const vcl::WideString& v);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool v);
    bool ShowButton() const { return showButton_; }
    void SetShowButton(bool v);
    bool ShowBevel() const { return showBevel_; }
    void SetShowBevel(bool v);
    int PanelBevelWidth() const { return bevelWidth_; }
    void SetPanelBevelWidth(int v);
    int PanelBorderWidth() const { return borderWidth_; }
    void SetPanelBorderWidth(int v);
    TSkPanelButtonKind ButtonKind() const { return buttonKind_; }
    void SetButtonKind(TSkPanelButtonKind v);
    bool Rolled() const { return rolled_; }
    void SetRolled(bool v);
    bool AnimateRoll() const { return animateRoll_; }
    void SetAnimateRoll(bool v) { animateRoll_ = v; }
    bool ParentRoll() const { return parentRoll_; }
    void SetParentRoll(bool v) { parentRoll_ = v; }
    vcl::AnsiString ButtonHint() const { return buttonHint_; }
    void SetButtonHint(const vcl::AnsiString& v) { buttonHint_ = v; }
    vcl::AnsiString CaptionHint() const { return captionHint_; }
    void SetCaptionHint(const vcl::AnsiString& v) { captionHint_ = v; }
    int ButtonCursor() const { return buttonCursor_; }
    void SetButtonCursor(int v) { buttonCursor_ = static_cast<vcl::TCursor>(v); }
    int CaptionCursor() const { return captionCursor_; }
    void SetCaptionCursor(int v) { captionCursor_ = static_cast<vcl::TCursor>(v); }
    int TitleHeight() const { return titleHeight_; }
    void SetTitleHeight(int v);
    int NormalHeight() const { return normalHeight_; }
    bool ButtonHover() const { return hover_; }
    bool ButtonPressed() const { return pressed_; }
    // The hint for a point of the panel: the button's or the title's over the title.
    vcl::AnsiString HintAt(POINT p);

    vcl::TNotifyEvent OnButtonClick;
    vcl::TNotifyEvent OnHide;
    vcl::TNotifyEvent OnBeforeRoll;
    vcl::TNotifyEvent OnRollup;

    RECT GetClientRect() const override;
    void SetBounds(int left, int top, int width, int height) override;
    void DefineProperties(vcl::TFiler* filer) override;
    void PaintClient() override;
    virtual void GetTitleRect(RECT& rect) const;
    virtual void PaintTitle();
    virtual void PaintFrame();
    RECT GetButtonRect() const;
    void ButtonClick();

protected:
    void Loaded() override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseLeave() override;

private:
    void RollUp();
    void RollDown();
    void StepHeight(int height);
    void CMTextChanged(vcl::TMessage& m);
    void WMSetCursor(vcl::TMessage& m);
    void CMHintShow(vcl::TMessage& m);

    vcl::WideString caption_;
    bool showCaption_ = true;
    bool showButton_ = true;
    bool showBevel_ = true;
    int bevelWidth_ = 1;
    int borderWidth_ = 3;
    TSkPanelButtonKind buttonKind_ = pbkRoll;
    bool rolled_ = false;
    bool animateRoll_ = false;
    bool parentRoll_ = false;
    vcl::AnsiString buttonHint_;
    vcl::AnsiString captionHint_;
    vcl::TCursor buttonCursor_ = vcl::crDefault;
    vcl::TCursor captionCursor_ = vcl::crDefault;
    int titleHeight_ = 20;
    int normalHeight_ = 0;
    bool hover_ = false;
    bool pressed_ = false;
    bool mouseDown_ = false;
};

}  // namespace skin
