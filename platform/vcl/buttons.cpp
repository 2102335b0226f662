#include "platform/vcl/buttons.h"

#include "platform/vcl/actnlist.h"
#include "platform/vcl/forms.h"

namespace vcl {

const TEnumInfo kButtonLayoutInfo{"TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
const TEnumInfo kBitBtnKindInfo{"TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                                                "bkAbort", "bkRetry", "bkIgnore", "bkAll"}};

VCL_IMPLEMENT_CLASS(TButton, TCustomControl, [](auto& b) {
    b.Component();
    b.template Object<TBasicAction>("Action", &TButton::Action, &TButton::SetAction);
    b.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
    b.Bool("Default", &TButton::Default, &TButton::SetDefault, false);
    b.Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0);
    b.Message(CM_DIALOGKEY, &TButton::CMDialogKey);
    b.Message(CM_FOCUSCHANGED, &TButton::CMFocusChanged);
})

TButton::TButton(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    controlStyle_.Include(csActionClient);
}

void TButton::SetDefault(bool v)
{
    default_ = v;
    if (TCustomForm* form = ParentForm())
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
    Invalidate();
}

void TButton::Click()
{
    if (TCustomForm* form = ParentForm())
        form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

void TButton::Paint()
{
    RECT r = ClientRect();
    HDC dc = Canvas()->Handle();
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    if (active_)
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->RequiredState({csHandleValid, csFontValid, csBrushValid});
    const WideString text = AnsiToWide(Caption());
    DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TButton::CMDialogKey(TMessage& m)
{
    const auto key = static_cast<WORD>(m.WParam);
    if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) &&
        KeyDataToShiftState(m.LParam).Empty() && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

void TButton::CMFocusChanged(TMessage& m)
{
    auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
    const bool active = focused && IsLiveObject(focused) && focused->Is<TButton>() ? focused == this : default_;
    if (active != active_) {
        active_ = active;
        Invalidate();
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

}  // namespace vcl
