#include "skin/controls/sk_label.h"

#include "platform/vcl/forms.h"
#include "skin/graphics/sk_text.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkCustomLabel, TSkGraphicControl, [](auto& b) {
    b.Component();
    b.WStr("Caption", &TSkCustomLabel::Caption, &TSkCustomLabel::SetCaption);
    b.Enum("Alignment", &vcl::kAlignmentInfo, &TSkCustomLabel::Alignment, &TSkCustomLabel::SetAlignment,
           std::optional<vcl::TAlignment>(vcl::taLeftJustify));
    b.Enum("Layout", &vcl::kTextLayoutInfo, &TSkCustomLabel::Layout, &TSkCustomLabel::SetLayout,
           std::optional<vcl::TTextLayout>(vcl::tlTop));
    b.Bool("WordWrap", &TSkCustomLabel::WordWrap, &TSkCustomLabel::SetWordWrap, false);
    b.Bool("AutoSize", &TSkCustomLabel::AutoSize, &TSkCustomLabel::SetAutoSize, true);
    b.Bool("ShowAccelChar", &TSkCustomLabel::ShowAccelChar, &TSkCustomLabel::SetShowAccelChar, true);
    b.Object("FocusControl", &TSkCustomLabel::FocusControl, &TSkCustomLabel::SetFocusControl);
    b.Bool("Transparent", &TSkCustomLabel::Transparent, &TSkCustomLabel::SetTransparent, true);
    b.Message(vcl::CM_TEXTCHANGED, &TSkCustomLabel::CMTextChanged);
    b.Message(vcl::CM_FONTCHANGED, &TSkCustomLabel::CMFontChanged);
    b.Message(vcl::CM_DIALOGCHAR, &TSkCustomLabel::CMDialogChar);
})

TSkCustomLabel::TSkCustomLabel(vcl::TComponent* owner) : TSkGraphicControl(owner)
{
    controlStyle_.Include(vcl::csOpaque).Include(vcl::csReplicatable);
    SetBounds(Left(), Top(), 65, 17);
    InitAutoSize(true);
    SetTransparent(true);
}

void TSkCustomLabel::SetCaption(const vcl::WideString& v)
{
    if (v == caption_)
        return;
    caption_ = v;
    AdjustBounds();
    Invalidate();
    Repaint();
}

void TSkCustomLabel::SetAlignment(vcl::TAlignment v)
{
    if (v == alignment_)
        return;
    alignment_ = v;
    Invalidate();
}

void TSkCustomLabel::SetLayout(vcl::TTextLayout v)
{
    if (v == layout_)
        return;
    layout_ = v;
    Invalidate();
}

void TSkCustomLabel::SetWordWrap(bool v)
{
    if (v == wordWrap_)
        return;
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}

void TSkCustomLabel::SetShowAccelChar(bool v)
{
    if (v == showAccelChar_)
        return;
    showAccelChar_ = v;
    Invalidate();
}

void TSkCustomLabel::SetFocusControl(vcl::TWinControl* v)
{
    focusControl_ = v;
    if (v)
        v->FreeNotification(this);
}

void TSkCustomLabel::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkGraphicControl::Notification(component, operation);
    if (operation == vcl::opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

void TSkCustomLabel::Loaded()
{
    TSkGraphicControl::Loaded();
    AdjustBounds();
}

void TSkCustomLabel::DoDrawText(RECT& rect, UINT flags)
{
    if (!Parent())
        return;
    vcl::WideString text = GetLabelText();
    if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == u"&")))
        text += u' ';
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    flags = DrawTextBiDiModeFlags(flags);
    vcl::TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    if (!Enabled()) {
        OffsetRect(&rect, 1, 1);
        canvas->Font()->SetColor(vcl::clBtnHighlight);
        SkDrawText(canvas, text, rect, flags);
        OffsetRect(&rect, -1, -1);
        canvas->Font()->SetColor(vcl::clBtnShadow);
    }
    SkDrawText(canvas, text, rect, flags);
}

void TSkCustomLabel::PaintClient()
{
    TSkGraphicControl::PaintClient();
    RECT r = ClientRect();
    static constexpr UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    const UINT flags = (wordWrap_ ? DT_WORDBREAK : 0) | kAlignments[alignment_];
    if (layout_ != vcl::tlTop) {
        RECT measured = r;
        DoDrawText(measured, flags | DT_EXPANDTABS | DT_CALCRECT);
        const int shift = Height() - measured.bottom;
        OffsetRect(&r, 0, layout_ == vcl::tlBottom ? shift : shift / 2);
    }
    DoDrawText(r, flags | DT_EXPANDTABS);
}

void TSkCustomLabel::AdjustBounds()
{
    if (ComponentState().Contains(vcl::csReading) || ComponentState().Contains(vcl::csLoading) || !AutoSize())
        return;
    RECT r = ClientRect();
    vcl::TCanvas* canvas = Canvas();
    // Measuring needs a device context even before the parent has a window.
    HDC screen = nullptr;
    if (!Parent() || !Parent()->HandleAllocated()) {
        if (!Parent())
            return;
        screen = GetDC(nullptr);
        canvas->SetHandle(screen);
    }
    DoDrawText(r, (wordWrap_ ? DT_WORDBREAK : 0) | DT_EXPANDTABS | DT_CALCRECT);
    if (screen) {
        canvas->SetHandle(nullptr);
        ReleaseDC(nullptr, screen);
    }
    int left = Left();
    vcl::TAlignment alignment = alignment_;
    if (UseRightToLeftAlignment() && alignment != vcl::taCenter)
        alignment = alignment == vcl::taLeftJustify ? vcl::taRightJustify : vcl::taLeftJustify;
    if (alignment == vcl::taRightJustify)
        left += Width() - r.right;
    SetBounds(left, Top(), r.right, r.bottom);
}

void TSkCustomLabel::CMTextChanged(vcl::TMessage&)
{
    caption_ = vcl::AnsiToWide(Text());
    AdjustBounds();
    Invalidate();
}

void TSkCustomLabel::CMFontChanged(vcl::TMessage& m)
{
    DispatchFrom(StaticClass()->ClassParent(), m);
    AdjustBounds();
}

void TSkCustomLabel::CMDialogChar(vcl::TMessage& m)
{
    if (focusControl_ && Enabled() && showAccelChar_ &&
        vcl::IsAccel(static_cast<WORD>(m.WParam), vcl::WideToAnsi(caption_)) && focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
        return;
    }
    DispatchFrom(StaticClass()->ClassParent(), m);
}

}  // namespace skin
