#include "skin/skins/sk_skin_label.h"

namespace skin {

VCL_IMPLEMENT_CLASS(TSkSkinLabel, TSkCustomLabel, [](auto& b) {
    b.Component();
    PublishSkinnedControl<TSkSkinLabel>(b);
})

TSkSkinLabel::TSkSkinLabel(vcl::TComponent* owner) : TSkCustomLabel(owner), skin_(*this, "Label") {}

void TSkSkinLabel::SetSkinManager(TSkSkinManager* manager)
{
    // A label has no window for the copy to report to, so no SetControl.
    if (skin_.Assign(manager)) {
        SetColor(skin_.Copy()->Color());
        Font()->Assign(skin_.Copy()->Font());
    }
    Invalidate();
}

void TSkSkinLabel::PaintClient()
{
    if (IsSkinned()) {
        skin_.Copy()->SetState(MouseInControl() ? kStateHot : kStateNormal);
        PaintFont()->Assign(skin_.Copy()->Font());
    }
    TSkCustomLabel::PaintClient();
}

void TSkSkinLabel::Loaded()
{
    TSkCustomLabel::Loaded();
    Invalidate();
}

void TSkSkinLabel::Notification(vcl::TComponent* component, vcl::TOperation operation)
{
    TSkCustomLabel::Notification(component, operation);
    if (operation == vcl::opRemove && component == skin_.Manager())
        SetSkinManager(nullptr);
}

}  // namespace skin
