#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/ui/kestrune_screen_control.h"
#include "engine/world/kestrune_gameplay.h"

namespace {

// The gameplay object holds the current control without knowing its class.
cKestruneScreenControl* Control()
{
    const cKestruneGameplay* const gameplay = cKestruneGameplay::Current();
    return gameplay ? static_cast<cKestruneScreenControl*>(gameplay->screenControl) : nullptr;
}

} // namespace

bool cKestruneEngineWorldHost::HasScreenControl() { return Control() != nullptr; }

bool cKestruneEngineWorldHost::ScreenControlDone()
{
    const cKestruneScreenControl* const control = Control();
    return !control || control->done;
}

void cKestruneEngineWorldHost::ScreenControlInput()
{
    if (cKestruneScreenControl* const control = Control())
        control->Input();
}

void cKestruneEngineWorldHost::DeleteScreenControl()
{
    if (cKestruneGameplay* const gameplay = cKestruneGameplay::Current()) {
        delete static_cast<cKestruneScreenControl*>(gameplay->screenControl);
        gameplay->screenControl = nullptr;
    }
}

bool cKestruneEngineGraphicsHost::HasScreenControl() { return Control() != nullptr; }

void cKestruneEngineGraphicsHost::ScreenControlRender()
{
    if (cKestruneScreenControl* const control = Control())
        control->Render();
}
