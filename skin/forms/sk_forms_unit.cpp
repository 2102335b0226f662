#include "skin/forms/sk_forms_unit.h"

#include "skin/forms/sk_hook.h"

namespace skin {

void InitFormsUnit() {}

void FinalizeFormsUnit() { FreeHookList(); }

}  // namespace skin
