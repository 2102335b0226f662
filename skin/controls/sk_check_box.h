#pragma once

// TSkCustomCheckBox: a three-state check box with a UTF-16 caption beside
// the check mark, on either side.

#include "skin/controls/sk_custom_control.h"

namespace skin {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// The left-right subrange of the library's alignment.
enum TSkLeftRight { ktaLeftJustify, ktaRightJustify };
extern const vcl::TEnumInfo kCheckBoxStateInfo, kLeftRightInfo;

class TSkCustomCheckBox : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomCheckBox, TSkCustomControl)
public:
    explicit TSkCustomCheckBox(vcl::TComponent* owner);

    vcl::WideString Caption() const { return caption_; }
    void SetCaption(const vcl::WideString& v);
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState v);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    TSkLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TSkLeftRight v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Pressed() const { return pressed_; }

    // Its own event, fired on every real change of State outside loading.
    vcl::TNotifyEvent OnClick;

    void PaintClient() override;
    virtual void Click();
    virtual POINT GetCheckSize();
    virtual void PaintCheck();
    virtual void PaintCaption();
    virtual void Toggle();
    RECT CheckRect();

protected:
    // A linked action's Checked follows into the box and back.
    vcl::TControlActionLink* CreateActionLink() override;
    void ActionChange(vcl::TObject* sender, bool checkDefaults) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void KeyUp(WORD& key, vcl::TShiftState shift) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    void CMEnabledChanged(vcl::TMessage& m);
    void CMDialogChar(vcl::TMessage& m);
    void CMTextChanged(vcl::TMessage& m);
    void WMSysColorChange(vcl::TMessage& m);

    TCheckBoxState state_ = cbUnchecked;
    int spacing_ = 5;
    bool pressed_ = false;
    TSkLeftRight alignment_ = ktaLeftJustify;
    bool allowGrayed_ = false;
    bool wordWrap_ = false;
    vcl::WideString caption_ = u"CheckBox";
};

}  // namespace skin
