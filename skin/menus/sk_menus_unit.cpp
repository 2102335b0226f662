#include "skin/menus/sk_menus_unit.h"

#include "skin/controls/sk_edit_menu.h"
#include "skin/forms/sk_frame_menus.h"
#include "skin/menus/sk_menu_item.h"
#include "skin/menus/sk_menu_bar.h"
#include "skin/menus/sk_menu_resources.h"
#include "skin/menus/sk_popup_menu.h"

namespace skin {

void InitMenusUnit()
{
    CreateMenuResources();
    vcl::RegisterClass(TSkCustomItem::StaticClass());
    vcl::RegisterClass(TSkCustomPopupMenu::StaticClass());
    vcl::RegisterClass(TSkCustomMenuBar::StaticClass());
    CreateClickHandler();
    InstallMenusForFrames();
    InstallMenusForEdits();
}

void FinalizeMenusUnit()
{
    InstallFrameMenus(nullptr);
    InstallEditMenus(nullptr);
    FreeClickHandler();
    FreeItemContainers();
    FreeMenuResources();
}

}  // namespace skin
