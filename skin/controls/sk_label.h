#pragma once

// TSkCustomLabel: the library's windowless static text, with alignment,
// vertical layout, word wrap, an accelerator that focuses another control,
// and a size that follows the text.

#include "skin/controls/sk_graphic_control.h"

namespace skin {

class TSkCustomLabel : public TSkGraphicControl {
    VCL_DECLARE_CLASS(TSkCustomLabel, TSkGraphicControl)
public:
    explicit TSkCustomLabel(vcl::TComponent* owner);

    vcl::WideString Caption() const { return caption_; }
    void SetCaption(const vcl::WideString& v);
    vcl::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(vcl::TAlignment v);
    vcl::TTextLayout Layout() const { return layout_; }
    void SetLayout(vcl::TTextLayout v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    vcl::TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(vcl::TWinControl* v);

    void PaintClient() override;
    virtual vcl::WideString GetLabelText() const { return caption_; }
    virtual void DoDrawText(RECT& rect, UINT flags);
    virtual void AdjustBounds();
    void AdjustSize() override { AdjustBounds(); }

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    void CMTextChanged(vcl::TMessage& m);
    void CMFontChanged(vcl::TMessage& m);
    void CMDialogChar(vcl::TMessage& m);

    vcl::WideString caption_;
    vcl::TAlignment alignment_ = vcl::taLeftJustify;
    vcl::TTextLayout layout_ = vcl::tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    vcl::TWinControl* focusControl_ = nullptr;
};

}  // namespace skin
