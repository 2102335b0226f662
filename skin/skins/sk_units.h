#pragma once

// The control library's start and end as a program runs them: each folder's
// own unit, lowest first, and finished in reverse.

namespace skin {

void InitSkinsUnit();
void FinalizeSkinsUnit();

// Drawing, controls, forms, menus, skins.
void InitializeSkinUnits();
void FinalizeSkinUnits();

}  // namespace skin
