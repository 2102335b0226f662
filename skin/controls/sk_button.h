#pragma once

// TSkCustomButton: the library's push button, with a UTF-16 caption, a
// glyph strip, the bitmap-button kinds, and default and cancel roles in
// dialogs.

#include "platform/vcl/buttons.h"
#include "skin/controls/sk_custom_control.h"

namespace skin {

enum TSkButtonState { kbsNormal, kbsPressed };
extern const vcl::TEnumInfo kButtonStateInfo;

class TSkCustomButton : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkCustomButton, TSkCustomControl)
public:
    explicit TSkCustomButton(vcl::TComponent* owner);
    ~TSkCustomButton() override;

    vcl::WideString Caption() const { return caption_; }
    void SetCaption(const vcl::WideString& v);
    bool ActiveDefault() const { return activeDefault_; }
    // ActiveDefault is read-only: a stream that carries it changes nothing.
    void IgnoreActiveDefault(bool) {}
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    vcl::TBitBtnKind Kind() const { return kind_; }
    void SetKind(vcl::TBitBtnKind v);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    vcl::TBitmap* Glyph() const { return glyph_; }
    void SetGlyph(vcl::TBitmap* v) { glyph_->Assign(v); }
    vcl::TButtonLayout Layout() const { return layout_; }
    void SetLayout(vcl::TButtonLayout v);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    TSkButtonState State() const { return state_; }
    void SetState(TSkButtonState v) { state_ = v; }
    bool BlackAndWhiteGlyph() const { return blackAndWhiteGlyph_; }
    void SetBlackAndWhiteGlyph(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Tracking() const { return tracking_; }

    void Click() override;
    void PaintClient() override;
    virtual void GetContentRect(RECT& rect);
    virtual void GetCaptionRect(RECT& rect);
    virtual void GetGlyphRect(RECT& rect);
    virtual void PaintFace();
    virtual void PaintGlyph();
    virtual void PaintCaption();
    SIZE GetGlyphSize() const;
    // False when the linked action's image list supplies the glyph.
    bool IsGlyphStored() const;

protected:
    void Loaded() override;
    void ActionChange(vcl::TObject* sender, bool checkDefaults) override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void MouseMove(vcl::TShiftState shift, int x, int y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, vcl::TShiftState shift) override;
    void KeyUp(WORD& key, vcl::TShiftState shift) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    void GlyphChanged(vcl::TObject* sender);
    void CMEnabledChanged(vcl::TMessage& m);
    void CMDialogKey(vcl::TMessage& m);
    void CMDialogChar(vcl::TMessage& m);
    void CMFocusChanged(vcl::TMessage& m);
    void CMTextChanged(vcl::TMessage& m);
    SIZE CaptionSize();

    bool activeDefault_ = false;
    bool default_ = false;
    bool tracking_ = false;
    vcl::TBitmap* glyph_;
    vcl::TButtonLayout layout_ = vcl::blGlyphLeft;
    vcl::TBitBtnKind kind_ = vcl::bkCustom;
    int numGlyphs_ = 1;
    int spacing_ = 4;
    TSkButtonState state_ = kbsNormal;
    int modalResult_ = 0;
    bool blackAndWhiteGlyph_ = false;
    bool cancel_ = false;
    bool wordWrap_ = false;
    vcl::WideString caption_;
};

}  // namespace skin
