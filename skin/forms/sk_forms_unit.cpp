#include "skin/forms/sk_forms_unit.h"

#include "skin/controls/sk_combo_box.h"
#include "skin/forms/sk_hook.h"

namespace skin {

namespace {
const bool g_picturesRegistered = (RegisterFrameButtonPictures(), true);
}

void InitFormsUnit() { InstallComboFrames(); }

void FinalizeFormsUnit()
{
    InstallComboFrameSwitch(nullptr);
    FreeHookList();
}

}  // namespace skin
