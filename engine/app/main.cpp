// Process entry of the engine program: the Windows-style entry takes over.
#include "engine/app/program.h"

#include "platform/win32/kernel/module.h"
#include "platform/user/winuser.h"

int main()
{
    char noArguments[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
}
