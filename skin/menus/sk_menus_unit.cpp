#include "skin/menus/sk_menus_unit.h"

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
}

void FinalizeMenusUnit()
{
    InstallFrameMenus(nullptr);
    FreeClickHandler();
    FreeItemContainers();
    FreeMenuResources();
}

}  // namespace skin
