#include "skin/skins/sk_skin_button.h"

#include "skin/graphics/sk_text.h"
#include "skin/skins/sk_bitmap_objects.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinButton, TSkCustomButton, [](auto& b) {
    b.Component();
    b.Bool("ShowGlyph", &TSkSkinButton::ShowGlyph, &TSkSkinButton::SetShowGlyph, true);
    b.Bool("ShowCaption", &TSkSkinButton::ShowCaption, &TSkSkinButton::SetShowCaption, true);
    PublishSkinnedControl<TSkSkinButton>(b);
})

TSkSkinButton::TSkSkinButton(vcl::TComponent* owner) : TSkCustomButton(owner), skin_(*this, "Button") {}

void TSkSkinButton::SetSkinManager(TSkSkinManager* manager)
{
    if (skin_.Assign(manager)) {
        skin_.Copy()->SetControl(this);
        // A face with any mask shows the parent through its key colour.
        if (auto* face = dynamic_cast<TSkBitmapObject*>(skin_.Find("Face")))
            SetTransparent(face->Masked() || face->MaskedBorder() || face->MaskedAngles());
    }
    Invalidate();
}

std::uint8_t TSkSkinButton::DrawState() const
{
    if (!Enabled())
        return kStateDisabled;
    if (State() == kbsPressed)
        return kStatePressed;
    if (MouseInControl())
        return kStateHot;
    if (HasFocus() || ActiveDefault())
        return kStateFocused;
    return kStateNormal;
}

void TSkSkinButton::PaintFace()
{
    if (!IsSkinned()) {
        TSkCustomButton::PaintFace();
        return;
    }
    TSkSkinObject* face = skin_.Find("Face");
    if (!face)
        face = skin_.Copy();
    face->SetState(DrawState());
    face->SetBounds(RECT{0, 0, Width(), Height()});
    face->Paint(Canvas());
}

void TSkSkinButton::PaintGlyph()
{
    if (IsSkinned() && !showGlyph_)
        return;
    TSkCustomButton::PaintGlyph();
}

void TSkSkinButton::PaintCaption()
{
    if (!IsSkinned() || !showCaption_) {
        TSkCustomButton::PaintCaption();
        return;
    }
    vcl::TCanvas* canvas = Canvas();
    if (TSkSkinObject* text = skin_.Find("Text")) {
        text->SetState(DrawState());
        canvas->Font()->Assign(text->GetFont());
    } else {
        canvas->Font()->Assign(skin_.Copy()->Font());
    }
    RECT area{};
    GetCaptionRect(area);
    const vcl::WideString caption = Caption();
    const int height = SkTextHeight(canvas, caption);
    RECT t = WordWrap() ? RECT{0, 0, area.right - area.left, height}
                        : RECT{0, 0, SkTextWidth(canvas, caption, 0), height};
    const UINT wrap = WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
    SkDrawText(canvas, caption, t, DrawTextBiDiModeFlags(DT_CALCRECT | wrap));
    OffsetRect(&t, (area.right - area.left - t.right) / 2 + area.left, (area.bottom - area.top - t.bottom) / 2 + area.top);
    canvas->Brush()->SetStyle(vcl::bsClear);
    SkDrawText(canvas, caption, t, DrawTextBiDiModeFlags(DT_CENTER | wrap));
}

void TSkSkinButton::Loaded()
{
    TSkCustomButton::Loaded();
    Invalidate();
}

void TSkSkinButton::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomButton::Notification(component, operation);
    if (operation == vcl::opRemove && component == skin_.Manager())
        SetSkinManager(nullptr);
}

}  // namespace skin
