// Shows the control gallery in a window until it is closed, so that a
// person (or a screenshot under a virtual display) can look at it: an MDI
// parent with the self-drawn frame, a menu bar on a control bar (the
// toolbar look), and child windows holding the library's controls.
// "--themes" draws with the visual-styles test double.

#include <cstring>

#include "platform/uxtheme/uxtheme.h"
#include "platform/vcl/forms.h"
#include "skin/controls/sk_control_bar.h"
#include "skin/controls/sk_controls_unit.h"
#include "skin/controls/sk_edit.h"
#include "skin/controls/sk_label.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_status_bar.h"
#include "skin/forms/sk_custom_form.h"
#include "skin/forms/sk_forms_unit.h"
#include "skin/graphics/sk_system.h"
#include "skin/menus/sk_menu_bar.h"
#include "skin/menus/sk_menus_unit.h"
#include "skin/menus/sk_popup_menu.h"
#include "tests/skin/controls/gallery_form.h"

using namespace skin;

namespace {

// Components made in code run their end-of-loading step by hand.
class TGalleryFrame : public TSkCustomForm {
public:
    using TSkCustomForm::Loaded;
    using TSkCustomForm::TSkCustomForm;
};

class TGalleryMenuBar : public TSkCustomMenuBar {
public:
    using TSkCustomMenuBar::Loaded;
    using TSkCustomMenuBar::TSkCustomMenuBar;
};

TSkCustomItem* AddItem(TSkCustomItem* parent, vcl::TComponent* owner, const char* caption,
                       vcl::TNotifyEvent onClick = nullptr, vcl::TShortCut shortCut = 0)
{
    auto* item = new TSkCustomItem(owner);
    item->SetCaption(caption);
    item->OnClick = onClick;
    if (shortCut)
        item->SetShortCut(shortCut);
    parent->Add(item);
    return item;
}

// A child window of the MDI parent with its own frame, freed when closed.
vcl::TForm* NewChild(const char* caption, int left, int top, int width, int height)
{
    auto* child = new vcl::TForm(vcl::Application);
    child->SetFormStyle(vcl::fsMDIChild);
    child->SetCaption(caption);
    child->SetBounds(left, top, width, height);
    child->OnClose = [](vcl::TObject*, vcl::TCloseAction& action) { action = vcl::caFree; };
    auto* frame = new TGalleryFrame(child);
    frame->Loaded();
    return child;
}

int g_notes = 0;

void AddNotesChild()
{
    ++g_notes;
    const vcl::AnsiString caption = "Notes " + std::to_string(g_notes);
    vcl::TForm* child = NewChild(caption.c_str(), 40 + 24 * g_notes, 24 * g_notes, 280, 220);
    // The notes move and size by an outline, the other windows at once.
    TSkCustomForm::FrameOf(child)->Dragging()->SetDragMode(kfdmBorder);
    auto* label = new TSkCustomLabel(child);
    label->SetParent(child);
    label->SetBounds(10, 10, 200, 17);
    label->SetCaption(u"&Notes of this window");
    auto* edit = new TSkCustomEdit(child);
    edit->SetParent(child);
    edit->SetBounds(10, 34, 200, 21);
    edit->SetText(u"Type here");
    auto* list = new TSkCustomListBox(child);
    list->SetParent(child);
    list->SetBounds(10, 64, 200, 90);
    for (const char* line : {"First note", "Second note", "Third note", "Fourth note", "Fifth note", "Sixth note"})
        list->Items()->Add(line);
    child->Show();
}

void BuildParent(vcl::TForm* form)
{
    form->SetFormStyle(vcl::fsMDIForm);
    form->SetCaption("Control gallery");
    form->SetBounds(20, 20, 820, 600);
    form->SetColor(static_cast<vcl::TColor>(RGB(0x60, 0x70, 0x80)));
    auto* frame = new TGalleryFrame(form);

    auto* controlBar = new TSkCustomControlBar(form);
    controlBar->SetParent(form);
    controlBar->SetAlign(vcl::alTop);
    // The bar's face in the parent's colour would hide where it ends.
    controlBar->SetColor(vcl::clBtnFace);
    controlBar->SetAutoSize(false);
    controlBar->SetHeight(30);
    auto* bar = new TGalleryMenuBar(form);
    bar->SetParent(controlBar);
    bar->SetBounds(11, 2, 400, 22);
    bar->Loaded();
    TSkCustomItem* file = AddItem(bar->Items(), form, "&File");
    AddItem(file, form, "&New window", [](vcl::TObject*) { AddNotesChild(); }, vcl::scCtrl + 'N');
    AddItem(file, form, "-");
    AddItem(file, form, "E&xit", [form](vcl::TObject*) { form->Close(); });
    TSkCustomItem* window = AddItem(bar->Items(), form, "&Window");
    AddItem(window, form, "&Next window", [form](vcl::TObject*) {
        if (form->MDIChildCount() > 1)
            form->MDIActivate(form->MDIChildren(0));
    });
    AddItem(window, form, "&Maximize", [form](vcl::TObject*) {
        if (TSkCustomForm* childFrame = TSkCustomForm::FrameOf(form->ActiveMDIChild()))
            childFrame->Maximize();
    });
    TSkCustomItem* help = AddItem(bar->Items(), form, "&Help");
    AddItem(help, form, "&About the gallery");
    frame->SetMenuBar(bar);

    auto* status = new TSkCustomStatusBar(form);
    status->SetParent(form);
    status->SetAlign(vcl::alBottom);
    TSkStatusPanel* panel = status->Panels()->AddPanel();
    panel->SetText(u"MDI parent with a self-drawn frame");
    panel->SetWidth(300);

    auto* popup = new TSkCustomPopupMenu(form);
    AddItem(popup->Items(), form, "&New window", [](vcl::TObject*) { AddNotesChild(); });
    AddItem(popup->Items(), form, "-");
    AddItem(popup->Items(), form, "&Close", [form](vcl::TObject*) { form->Close(); });
    form->SetPopupMenu(popup);
    frame->Loaded();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--themes") == 0)
        vls::uxtheme::InstallTestTheme(true);
    vcl::Application->Initialize();
    InitGraphicsUnit();
    InitControlsUnit();
    InitFormsUnit();
    InitMenusUnit();
    vcl::TForm* form = nullptr;
    vcl::Application->CreateForm(form);
    BuildParent(form);
    form->Show();
    vcl::TForm* controls = NewChild("Controls", 8, 8, 300, 200);
    sktest::BuildGallery(controls);
    controls->Show();
    AddNotesChild();
    vcl::Application->Run();
    // The forms go while the window manager and the units are still there:
    // a frame in the tray takes its icon away as it goes.
    vcl::Application->DestroyComponents();
    FinalizeMenusUnit();
    FinalizeFormsUnit();
    return 0;
}
