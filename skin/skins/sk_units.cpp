#include "skin/skins/sk_units.h"

#include "skin/controls/sk_controls_unit.h"
#include "skin/forms/sk_forms_unit.h"
#include "skin/graphics/sk_system.h"
#include "skin/menus/sk_menus_unit.h"
#include "skin/skins/sk_skin_items.h"
#include "skin/skins/sk_skin_object.h"

namespace skin {

void InitSkinsUnit()
{
    RegisterBaseSkinObjects();
    vcl::RegisterClass(TSkSkinItem::StaticClass());
}

void FinalizeSkinsUnit() {}

void InitializeSkinUnits()
{
    InitGraphicsUnit();
    InitControlsUnit();
    InitFormsUnit();
    InitMenusUnit();
    InitSkinsUnit();
}

void FinalizeSkinUnits()
{
    FinalizeSkinsUnit();
    FinalizeMenusUnit();
    FinalizeFormsUnit();
    FinalizeControlsUnit();
    FinalizeGraphicsUnit();
}

}  // namespace skin
