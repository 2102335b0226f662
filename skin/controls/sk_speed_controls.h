#pragma once

// TSkSpeedDivider and TSkSpeedContainer: see-through spacers and holders for
// rows of tool buttons, visible only while designing.

#include "skin/controls/sk_custom_control.h"
#include "skin/controls/sk_graphic_control.h"

namespace skin {

class TSkSpeedDivider : public TSkGraphicControl {
    VCL_DECLARE_CLASS(TSkSpeedDivider, TSkGraphicControl)
public:
    explicit TSkSpeedDivider(vcl::TComponent* owner);
    void PaintClient() override;
};

class TSkSpeedContainer : public TSkCustomControl {
    VCL_DECLARE_CLASS(TSkSpeedContainer, TSkCustomControl)
public:
    explicit TSkSpeedContainer(vcl::TComponent* owner);
    void PaintClient() override;
};

}  // namespace skin
