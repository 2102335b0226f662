// vlslaunch: the launcher program. The units start in link order (the
// control library, then the component units), run the launcher, and end in
// reverse.

#include "launcher/components/kit_application.h"
#include "launcher/launcher_form.h"
#include "skin/skins/sk_units.h"

int main()
{
    skin::InitializeSkinUnits();
    kit::InitializeKitUnits();
    const int code = launcher::RunLauncher();
    kit::FinalizeKitUnits();
    skin::FinalizeSkinUnits();
    return code;
}
