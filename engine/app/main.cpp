// Process entry of the engine program: the Windows-style entry takes over.
#include "engine/app/program.h"
#include "engine/app/start_heap.h"

#include "platform/win32/kernel/module.h"
#include "platform/user/user_control.h"
#include "platform/user/winuser.h"

namespace {

// Ctrl+C or SIGTERM asks for the orderly shut-down from the first moment the
// program's own code runs: before the shared libraries start up and long
// before the window exists, so a signal during a slow start is kept for the
// message loop instead of ending the process with an empty log. The heap is
// reserved as early, before the libraries' own start-up allocates from it.
void StartEarly(int, char**, char**)
{
    vls::user::InstallCloseSignals();
    ReserveStartHeap();
}

[[gnu::section(".preinit_array"), gnu::used]] void (*const kStartEarly)(int, char**, char**) = StartEarly;

} // namespace

int main()
{
    vls::user::InstallCloseSignals(); // done already; kept for a loader without pre-initialisers
    char noArguments[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
}
