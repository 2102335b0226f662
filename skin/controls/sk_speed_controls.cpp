#include "skin/controls/sk_speed_controls.h"

namespace skin {

namespace {

constexpr vcl::TColor kDesignOutline = static_cast<vcl::TColor>(RGB(128, 128, 128));

void OutlineWhileDesigning(vcl::TControl* control, vcl::TCanvas* canvas)
{
    if (control->ComponentState().Contains(vcl::csDesigning))
        FrameRectColor(canvas, RECT{0, 0, control->Width(), control->Height()}, kDesignOutline);
}

}  // namespace

VCL_IMPLEMENT_CLASS(TSkSpeedDivider, TSkGraphicControl, [](auto& b) {
    b.Component();
    b.Bool("Transparent", &TSkSpeedDivider::Transparent, &TSkSpeedDivider::SetTransparent, true);
})

TSkSpeedDivider::TSkSpeedDivider(vcl::TComponent* owner) : TSkGraphicControl(owner)
{
    SetWidth(8);
    SetTransparent(true);
}

void TSkSpeedDivider::PaintClient()
{
    TSkGraphicControl::PaintClient();
    OutlineWhileDesigning(this, Canvas());
}

VCL_IMPLEMENT_CLASS(TSkSpeedContainer, TSkCustomControl, [](auto& b) {
    b.Component();
    b.Bool("Transparent", &TSkSpeedContainer::Transparent, &TSkSpeedContainer::SetTransparent, true);
})

TSkSpeedContainer::TSkSpeedContainer(vcl::TComponent* owner) : TSkCustomControl(owner)
{
    controlStyle_.Include(vcl::csAcceptsControls);
    SetTransparent(true);
}

void TSkSpeedContainer::PaintClient() { OutlineWhileDesigning(this, Canvas()); }

}  // namespace skin
