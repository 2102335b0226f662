// Shows the control gallery in a window until it is closed, so that a
// person (or a screenshot under a virtual display) can look at it.

#include "platform/vcl/forms.h"
#include "skin/controls/sk_controls_unit.h"
#include "skin/graphics/sk_system.h"
#include "tests/skin/controls/gallery_form.h"

int main()
{
    vcl::Application->Initialize();
    skin::InitGraphicsUnit();
    skin::InitControlsUnit();
    vcl::TForm* form = nullptr;
    vcl::Application->CreateForm(form);
    form->SetCaption("Control gallery");
    form->SetBounds(40, 40, 300, 200);
    // The client size is the window's less its frame, known once it exists.
    form->HandleNeeded();
    sktest::BuildGallery(form);
    form->Show();
    vcl::Application->Run();
    return 0;
}
