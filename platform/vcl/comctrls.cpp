#include "platform/vcl/comctrls.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TStatusPanel, TCollectionItem, [](auto& b) {
    b.Factory([](TComponent*) -> TPersistent* { return new TStatusPanel(); });
    b.Enum("Alignment", &kAlignmentInfo, &TStatusPanel::Alignment, &TStatusPanel::SetAlignment,
           std::optional<TAlignment>(taLeftJustify));
    b.Str("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    b.Int("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth, std::nullopt);
})

void TStatusPanel::SetText(const AnsiString& v)
{
    if (v == text_)
        return;
    text_ = v;
    Changed(false);
}

void TStatusPanel::SetWidth(int v)
{
    if (v == width_)
        return;
    width_ = v;
    Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment v)
{
    if (v == alignment_)
        return;
    alignment_ = v;
    Changed(false);
}

void TStatusPanel::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TStatusPanel*>(source)) {
        text_ = other->text_;
        width_ = other->width_;
        alignment_ = other->alignment_;
        Changed(true);
        return;
    }
    TCollectionItem::Assign(source);
}

}  // namespace vcl
