#include "skin/forms/sk_forms_unit.h"

namespace skin {

void InitFormsUnit() {}
void FinalizeFormsUnit() {}

}  // namespace skin
