#include "skin/controls/sk_controls_unit.h"

#include "platform/win32/kernel/module.h"
#include "skin/controls/sk_button_pictures.h"
#include "skin/controls/sk_combo_box.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_list_picture.h"
#include "skin/controls/sk_paint_buffer.h"
#include "skin/controls/sk_speed_controls.h"
#include "skin/controls/sk_tab_control.h"
#include "skin/graphics/sk_options.h"

namespace skin {

namespace {

// Registered while the program loads: the drawing unit, which starts
// first, loads the picture.
const bool g_listPictureRegistered = (RegisterListPicture(), true);

HMODULE user32 = nullptr;
TGetScrollBarInfo getScrollBarInfo = nullptr;

}  // namespace

TGetScrollBarInfo GetScrollBarInfoProc() { return getScrollBarInfo; }

void InitControlsUnit()
{
    RegisterButtonPictures();
    CreateSharedPaintBuffer();
    if (!user32)
        user32 = LoadLibraryA("user32.dll");
    getScrollBarInfo = user32 ? reinterpret_cast<TGetScrollBarInfo>(reinterpret_cast<void*>(GetProcAddress(user32, "GetScrollBarInfo"))) : nullptr;
    vcl::RegisterClasses({TSkSpeedContainer::StaticClass(), TSkSpeedDivider::StaticClass(),
                          TSkCustomTabSheet::StaticClass(), TSkCustomListBox::StaticClass(),
                          TSkCustomScrollBar::StaticClass(), TSkCustomEdit::StaticClass(),
                          TSkCustomComboBox::StaticClass(), TSkCustomControlBar::StaticClass()});
    RegisterOptionClasses();
}

void FinalizeControlsUnit()
{
    FreeSharedPaintBuffer();
    if (user32)
        FreeLibrary(user32);
    user32 = nullptr;
    getScrollBarInfo = nullptr;
}

}  // namespace skin
