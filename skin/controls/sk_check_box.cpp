#include "skin/controls/sk_check_box.h"

#include "platform/vcl/actnlist.h"
#include "platform/vcl/forms.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_text.h"
#include "skin/graphics/sk_theme.h"

namespace skin {

const vcl::TEnumInfo kCheckBoxStateInfo{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
const vcl::TEnumInfo kLeftRightInfo{"TSkLeftRight", {"ktaLeftJustify", "ktaRightJustify"}};

namespace {

constexpr int kCheckBoxPart = 3;
constexpr int kCheckSide = 13;

}  // namespace

namespace {

// The control's link with the check state added.
class TSkCheckBoxActionLink : public vcl::TControlActionLink {
    VCL_DECLARE_CLASS(TSkCheckBoxActionLink, vcl::TControlActionLink)
public:
    explicit TSkCheckBoxActionLink(TSkCustomCheckBox* box) : vcl::TControlActionLink(box), box_(box) {}
    bool IsCheckedLinked() override
    {
        return vcl::TActionLink::IsCheckedLinked() && box_->Checked() == CustomAction()->Checked();
    }
    void SetChecked(bool value) override
    {
        if (IsCheckedLinked())
            box_->SetChecked(value);
    }

private:
    TSkCustomCheckBox* box_;
};

VCL_IMPLEMENT_CLASS(TSkCheckBoxActionLink, vcl::TControlActionLink, [](auto&) {})

}  // namespace

VCL_IMPLEMENT_CLASS(TSkCustomCheckBox, TSkCustomControl, [](auto& b) {
    b.Component();
    b.WStr("Caption", &TSkCustomCheckBox::Caption, &TSkCustomCheckBox::SetCaption);
    b.Bool("AllowGrayed", &TSkCustomCheckBox::AllowGrayed, &TSkCustomCheckBox::SetAllowGrayed, false);
    b.Enum("Alignment", &kLeftRightInfo, &TSkCustomCheckBox::Alignment, &TSkCustomCheckBox::SetAlignment,
           std::optional<TSkLeftRight>(ktaLeftJustify));
    b.Bool("Checked", &TSkCustomCheckBox::Checked, &TSkCustomCheckBox::SetChecked, false);
    b.Int("Spacing", &TSkCustomCheckBox::Spacing, &TSkCustomCheckBox::SetSpacing, 5);
    b.Enum("State", &kCheckBoxStateInfo, &TSkCustomCheckBox::State, &TSkCustomCheckBox::SetState,
           std::optional<TCheckBoxState>(cbUnchecked));
    b.Bool("WordWrap", &TSkCustomCheckBox::WordWrap, &TSkCustomCheckBox::SetWordWrap, false);
    b.Bool("Transparent", &TSkCustomCheckBox::Transparent, &TSkCustomCheckBox::SetTransparent, true);
    b.Bool("TabStop", &TSkCustomCheckBox::TabStop, &TSkCustomCheckBox::SetTabStop, true);
    b.Event("OnClick", &TSkCustomCheckBox::OnClick);
    b.Message(vcl::CM_ENABLEDCHANGED, &TSkCustomCheckBox::CMEnabledChanged);
    b.Message(vcl::CM_DIALOGCHAR, &TSkCustomCheckBox::CMDialogChar);
    b.Message(vcl::CM_TEXTCHANGED, &TSkCustomCheckBox::CMTextChanged);
    b.Message(WM_SYSCOLORCHANGE, &TSkCustomCheckBox::WMSysColorChange);
})

TSkCustomCheckBox::TSkCustomCheckBox(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    // OnClick follows the state alone, never the class library's own click.
    controlStyle_.Exclude(vcl::csClickEvents);
    SetBounds(Left(), Top(), 98, 20);
    SetTabStop(true);
    SetTransparent(true);
    SetPerformance(kspDoubleBuffer);
}

void TSkCustomCheckBox::SetCaption(const vcl::WideString& v)
{
    if (v == caption_)
        return;
    caption_ = v;
    Repaint();
}

void TSkCustomCheckBox::SetState(TCheckBoxState v)
{
    if (v == state_)
        return;
    state_ = v;
    Click();
    Invalidate();
}

void TSkCustomCheckBox::SetSpacing(int v)
{
    if (v == spacing_)
        return;
    spacing_ = v;
    Repaint();
}

void TSkCustomCheckBox::SetAlignment(TSkLeftRight v)
{
    if (v == alignment_)
        return;
    alignment_ = v;
    Repaint();
}

void TSkCustomCheckBox::SetWordWrap(bool v)
{
    if (v == wordWrap_)
        return;
    wordWrap_ = v;
    Repaint();
}

void TSkCustomCheckBox::Click()
{
    if (!ComponentState().Contains(vcl::csLoading))
        OnClick(this);
}

POINT TSkCustomCheckBox::GetCheckSize() { return POINT{kCheckSide, kCheckSide}; }

void TSkCustomCheckBox::Toggle()
{
    switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

RECT TSkCustomCheckBox::CheckRect()
{
    const POINT size = GetCheckSize();
    const int left = alignment_ == ktaLeftJustify ? 0 : BoundsWidth() - size.x;
    const int top = (BoundsHeight() - size.y) / 2;
    return RECT{left, top, left + size.x, top + size.y};
}

// --------------------------------------------------------------- painting

void TSkCustomCheckBox::PaintClient()
{
    TSkCustomControl::PaintClient();
    PaintCheck();
    PaintCaption();
}

void TSkCustomCheckBox::PaintCheck()
{
    RECT r = CheckRect();
    HDC dc = Canvas()->Handle();
    if (ThemesActive()) {
        HTHEME theme = ThemeApi().OpenThemeData(nullptr, u"Button");
        if (!theme)
            return;
        const int look = !Enabled() ? 4 : pressed_ ? 3 : MouseInControl() ? 2 : 1;
        ThemeApi().DrawThemeBackground(theme, dc, kCheckBoxPart, static_cast<int>(state_) * 4 + look, &r, nullptr);
        ThemeApi().CloseThemeData(theme);
        return;
    }
    UINT flags = DFCS_BUTTONCHECK;
    if (state_ == cbChecked)
        flags |= DFCS_CHECKED;
    else if (state_ == cbGrayed)
        flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    if (!Enabled())
        flags |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_BUTTON, flags);
}

void TSkCustomCheckBox::PaintCaption()
{
    vcl::TCanvas* canvas = Canvas();
    canvas->Font()->Assign(PaintFont());
    const POINT check = GetCheckSize();
    const UINT wrap = wordWrap_ ? DT_WORDBREAK : 0;
    RECT t{0, 0, Width() - check.x - 10, SkTextHeight(canvas, caption_)};
    SkDrawText(canvas, caption_, t, DrawTextBiDiModeFlags(DT_CALCRECT | DT_EXPANDTABS | wrap));
    const int left = alignment_ == ktaLeftJustify ? check.x + spacing_ : 2;
    OffsetRect(&t, left, (BoundsHeight() - RectHeight(t)) / 2);
    if (!Enabled()) {
        RECT shifted = t;
        OffsetRect(&shifted, 1, 1);
        canvas->Font()->SetColor(vcl::clBtnHighlight);
        SkDrawText(canvas, caption_, shifted, DrawTextBiDiModeFlags(DT_EXPANDTABS | wrap));
        canvas->Font()->SetColor(vcl::clBtnShadow);
    }
    SkDrawText(canvas, caption_, t, DrawTextBiDiModeFlags(DT_EXPANDTABS | wrap));
    if (HasFocus()) {
        RECT focus{t.left - 1, t.top - 2, t.right + 1 + 2, t.bottom + 2};
        DrawFocusRectColor(canvas, focus, vcl::clBtnShadow);
    }
}

// ------------------------------------------------------------------ input

void TSkCustomCheckBox::MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    TSkCustomControl::MouseDown(button, shift, x, y);
    if (button != vcl::mbLeft)
        return;
    if (CanFocus())
        SetFocus();
    CaptureMouse(Handle());
    pressed_ = true;
    Invalidate();
}

void TSkCustomCheckBox::MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y)
{
    if (pressed_) {
        pressed_ = false;
        Invalidate();
        ReleaseMouse();
        if (x >= 0 && x <= BoundsWidth() && y >= 0 && y <= BoundsHeight())
            Toggle();
    }
    TSkCustomControl::MouseUp(button, shift, x, y);
}

void TSkCustomCheckBox::KeyDown(WORD& key, vcl::TShiftState shift)
{
    TSkCustomControl::KeyDown(key, shift);
    if (key == VK_SPACE) {
        pressed_ = true;
        Invalidate();
    }
}

void TSkCustomCheckBox::KeyUp(WORD& key, vcl::TShiftState shift)
{
    if (key == VK_SPACE) {
        Toggle();
        pressed_ = false;
        Invalidate();
    }
    TSkCustomControl::KeyUp(key, shift);
}

void TSkCustomCheckBox::MouseEnter()
{
    TSkCustomControl::MouseEnter();
    Invalidate();
}

void TSkCustomCheckBox::MouseLeave()
{
    TSkCustomControl::MouseLeave();
    Invalidate();
}

void TSkCustomCheckBox::CMEnabledChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    if (HandleAllocated() && !ComponentState().Contains(vcl::csDesigning))
        EnableWindow(Handle(), Enabled());
    Invalidate();
}

void TSkCustomCheckBox::CMDialogChar(vcl::TMessage& m)
{
    if (vcl::IsAccel(static_cast<WORD>(m.WParam), vcl::WideToAnsi(caption_)) && CanFocus()) {
        SetFocus();
        if (HasFocus())
            Toggle();
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TSkCustomCheckBox::CMTextChanged(vcl::TMessage&)
{
    caption_ = vcl::AnsiToWide(Text());
    Invalidate();
}

void TSkCustomCheckBox::WMSysColorChange(vcl::TMessage& m)
{
    Invalidate();
    DispatchFrom(StaticClass()->ClassParent(), m);
}

// ---------------------------------------------------------------- actions

vcl::TControlActionLink* TSkCustomCheckBox::CreateActionLink() { return new TSkCheckBoxActionLink(this); }

void TSkCustomCheckBox::ActionChange(vcl::TObject* sender, bool checkDefaults)
{
    TSkCustomControl::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<vcl::TCustomAction*>(sender);
    if (action && (!checkDefaults || !Checked()))
        SetChecked(action->Checked());
}

}  // namespace skin
