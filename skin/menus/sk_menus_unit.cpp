#include "skin/menus/sk_menus_unit.h"

#include "skin/menus/sk_menu_item.h"

namespace skin {

void InitMenusUnit() { CreateClickHandler(); }

void FinalizeMenusUnit()
{
    FreeClickHandler();
    FreeItemContainers();
}

}  // namespace skin
