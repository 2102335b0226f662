#include "gallery_form.h"

#include "skin/controls/sk_button.h"
#include "skin/controls/sk_check_box.h"
#include "skin/controls/sk_combo_box.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_label.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_panel.h"
#include "skin/controls/sk_progress_bar.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/controls/sk_speed_controls.h"
#include "skin/controls/sk_status_bar.h"
#include "skin/controls/sk_tab_control.h"

using namespace skin;

namespace sktest {

void BuildGallery(vcl::TForm* form)
{
    form->SetClientWidth(kGalleryWidth);
    form->SetClientHeight(kGalleryHeight);
    form->SetColor(vcl::clBtnFace);
    auto place = [form](vcl::TControl* c, int x, int y, int w, int h) {
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
    auto* edit = new TSkCustomEdit(form);
    place(edit, 222, 148, 120, 21);
    edit->SetText(u"Edit text");
    auto* combo = new TSkCustomComboBox(form);
    place(combo, 350, 148, 118, 21);
    for (const char* item : {"Stereo", "Quad", "Surround"})
        combo->Items()->Add(item);
    combo->SetItemIndex(0);
    auto* tabs = new TSkCustomTabControl(form);
    place(tabs, 12, 180, 456, 110);
    tabs->Tabs()->Add("General");
    tabs->Tabs()->Add("Sound");
    tabs->Tabs()->Add("Graphics");
    tabs->SetTabIndex(1);
    auto* list = new TSkCustomListBox(form);
    place(list, 12, 300, 150, 86);
    for (int i = 1; i <= 8; ++i)
        list->Items()->Add("resource.00" + std::to_string(i));
    list->SetItemIndex(2);
    auto* bar = new TSkCustomScrollBar(form);
    place(bar, 176, 300, 200, 17);
    bar->SetMax(100);
    bar->SetPageSize(20);
    bar->SetPosition(30);
    auto* status = new TSkCustomStatusBar(form);
    status->SetParent(form);
    status->SetAlign(vcl::alBottom);
    TSkStatusPanel* first = status->Panels()->AddPanel();
    first->SetText(u"Ready");
    first->SetWidth(120);
    TSkStatusPanel* second = status->Panels()->AddPanel();
    second->SetText(u"16 files");
    second->SetStretchPriority(50);
}

}  // namespace sktest
