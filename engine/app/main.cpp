// Process entry of the engine program: the Windows-style entry takes over.
#include "engine/app/program.h"

#include "platform/win32/kernel/module.h"
#include "platform/user/user_control.h"
#include "platform/user/winuser.h"

int main()
{
    // Ctrl+C or SIGTERM from here on asks for the orderly shut-down, even
    // before the window exists.
    vls::user::InstallCloseSignals();
    char noArguments[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
}
