#pragma once

// Start and end of the forms unit (hook, frame, message dialog).

namespace skin {

void InitFormsUnit();
void FinalizeFormsUnit();

}  // namespace skin
