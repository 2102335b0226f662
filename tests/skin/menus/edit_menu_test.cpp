#include <gtest/gtest.h>

#include "platform/vcl/clipbrd.h"
#include "platform/vcl/forms.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "skin/controls/sk_controls_unit.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_edit_menu.h"
#include "skin/graphics/sk_system.h"
#include "skin/menus/sk_menus_unit.h"
#include "skin/menus/sk_popup_menu.h"
#include "tests/support/temp_dir.h"

using namespace skin;

namespace {

// The edit's context menu as the menus unit makes it: a popup menu of the
// menus folder, owned by the edit.
TEST(EditContextMenu, BuiltByTheMenusUnit)
{
    vls::test::ScopedConfig config;
    vls::headless::UseManualClock();
    InitGraphicsUnit();
    InitControlsUnit();
    InitMenusUnit();
    ASSERT_NE(EditMenus(), nullptr);
    auto* form = new vcl::TForm(vcl::Application);
    auto* edit = new TSkCustomEdit(form);
    edit->SetParent(form);
    edit->SetText(u"some text");
    vcl::Clipboard()->SetAsWideText(u"x");
    edit->UpdateContextMenu();
    TSkEditMenu* menu = edit->ContextMenu();
    ASSERT_NE(menu, nullptr);
    TSkCustomPopupMenu* popup = nullptr;
    for (int i = 0; i < edit->ComponentCount() && !popup; ++i)
        popup = dynamic_cast<TSkCustomPopupMenu*>(edit->Components(i));
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->Items()->Count(), 8);
    EXPECT_EQ(popup->Items()->Items(0)->Caption(), "Undo");
    EXPECT_TRUE(popup->Items()->Items(1)->IsSeparator());
    EXPECT_EQ(popup->Items()->Items(7)->Caption(), "Select All");
    EXPECT_FALSE(menu->ItemEnabled(kecUndo));
    EXPECT_FALSE(menu->ItemEnabled(kecCut));
    EXPECT_TRUE(menu->ItemEnabled(kecPaste));
    EXPECT_TRUE(popup->Items()->Items(7)->Enabled());
    popup->Items()->Items(7)->RunClick();
    EXPECT_EQ(edit->GetSelText(), u"some text");
    delete form;
    FinalizeMenusUnit();
    EXPECT_EQ(EditMenus(), nullptr);
    FinalizeControlsUnit();
    FinalizeGraphicsUnit();
}

}  // namespace
