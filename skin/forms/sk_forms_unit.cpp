#include "skin/forms/sk_forms_unit.h"

#include "skin/forms/sk_hook.h"

namespace skin {

namespace {
const bool g_picturesRegistered = (RegisterFrameButtonPictures(), true);
}

void InitFormsUnit() {}

void FinalizeFormsUnit() { FreeHookList(); }

}  // namespace skin
