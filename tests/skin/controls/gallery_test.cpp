#include <gtest/gtest.h>

#include <cstdlib>

#include "control_fixture.h"
#include "platform/vcl/streams.h"
#include "skin/controls/sk_button.h"
#include "skin/controls/sk_check_box.h"
#include "skin/controls/sk_label.h"
#include "skin/controls/sk_panel.h"
#include "skin/controls/sk_progress_bar.h"
#include "skin/controls/sk_speed_controls.h"
#include "skin/controls/sk_status_bar.h"
#include "skin/controls/sk_tab_control.h"

using namespace skin;

namespace {

class SkGallery : public sktest::ControlTest {};

// One of each control on one form. With VLS_GALLERY_BMP set, the painted
// form is also written to that file for a person to look at.
TEST_F(SkGallery, OneOfEachControlPaintsInItsPlace)
{
    form->SetBounds(0, 0, 480, 320);
    form->SetColor(vcl::clBtnFace);
    auto place = [this](vcl::TControl* c, int x, int y, int w, int h) {
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
    };
    auto* label = new TSkCustomLabel(form);
    place(label, 12, 12, 100, 17);
    label->SetCaption(u"&Label over the form");
    auto* ok = new TSkCustomButton(form);
    place(ok, 12, 40, 90, 28);
    ok->SetKind(vcl::bkOK);
    auto* cancel = new TSkCustomButton(form);
    place(cancel, 110, 40, 90, 28);
    cancel->SetKind(vcl::bkCancel);
    auto* check = new TSkCustomCheckBox(form);
    place(check, 12, 80, 150, 20);
    check->SetCaption(u"Hardware sound");
    check->SetChecked(true);
    auto* progress = new TSkCustomProgressBar(form);
    place(progress, 12, 110, 241, 24);
    progress->SetMax(16);
    progress->SetPosition(9);
    auto* panel = new TSkCustomPanel(form);
    place(panel, 270, 12, 198, 120);
    panel->SetCaption(u"Settings");
    auto* inner = new TSkCustomLabel(form);
    inner->SetParent(panel);
    inner->SetBounds(10, 40, 120, 17);
    inner->SetCaption(u"Inside the panel");
    auto* container = new TSkSpeedContainer(form);
    place(container, 12, 144, 200, 30);
    auto* divider = new TSkSpeedDivider(form);
    divider->SetParent(container);
    divider->SetBounds(90, 0, 8, 30);
    auto* tabs = new TSkCustomTabControl(form);
    place(tabs, 12, 180, 456, 110);
    tabs->Tabs()->Add("General");
    tabs->Tabs()->Add("Sound");
    tabs->Tabs()->Add("Graphics");
    tabs->SetTabIndex(1);
    auto* status = new TSkCustomStatusBar(form);
    status->SetParent(form);
    status->SetAlign(vcl::alBottom);
    TSkStatusPanel* first = status->Panels()->AddPanel();
    first->SetText(u"Ready");
    first->SetWidth(120);
    TSkStatusPanel* second = status->Panels()->AddPanel();
    second->SetText(u"16 files");
    second->SetStretchPriority(50);
    vcl::Application->ProcessMessages();

    TSkBitmap& shot = Snapshot();
    if (const char* path = std::getenv("VLS_GALLERY_BMP")) {
        vcl::TBitmap bmp;
        bmp.SetSize(shot.Width(), shot.Height());
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x)
                bmp.Pixels()[y * shot.Width() + x] = shot.GetPixel(x, y) & 0xFFFFFF;
        bmp.SaveToFile(path);
    }
    // Each control painted its own face where it stands.
    EXPECT_EQ(Rgb(12 + 2, 110 + 12), Px(vcl::clHighlight));          // the first progress block
    EXPECT_EQ(Rgb(270, 12), Px(vcl::clBtnShadow));                   // the panel's etched frame
    EXPECT_EQ(Rgb(110, 40), Px(vcl::clBtnHighlight));                // the cancel button's raised edge
    EXPECT_EQ(Rgb(100, 160), Px(vcl::clBtnFace));                    // the container shows the form
    EXPECT_EQ(Rgb(2, form->ClientHeight() - 20), Px(vcl::clBtnShadow));  // the status bar's first panel frame
}

}  // namespace
