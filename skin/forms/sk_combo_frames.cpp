// The combo boxes' frame switch: while a list drops down, the self-drawn
// frame of the combo box's owner form keeps its active look. Installed by
// the forms unit.

#include "platform/vcl/forms.h"
#include "skin/controls/sk_combo_box.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/forms/sk_forms_unit.h"

namespace skin {

namespace {

class TComboFrameSwitch : public IComboFrameSwitch {
public:
    void SetFramePaint(vcl::TComponent* ownerForm, bool enabled) override
    {
        auto* form = dynamic_cast<vcl::TCustomForm*>(ownerForm);
        if (!form)
            return;
        for (int i = 0; i < form->ComponentCount(); ++i) {
            auto* frame = dynamic_cast<TSkCustomForm*>(form->Components(i));
            if (!frame)
                continue;
            if (enabled)
                frame->EnableFramePaint();
            else
                frame->DisableFramePaint();
            return;
        }
    }
};

TComboFrameSwitch g_frameSwitch;

}  // namespace

void InstallComboFrames() { InstallComboFrameSwitch(&g_frameSwitch); }

}  // namespace skin
