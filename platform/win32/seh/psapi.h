#pragma once

#include "platform/win32/wintypes.h"

// The loaded modules of the current process (the program and its shared
// objects), for crash reports. A module handle is the module's base address;
// GetModuleFileNameA names it.
struct MODULEINFO {
    LPVOID lpBaseOfDll;
    DWORD SizeOfImage;
    LPVOID EntryPoint;
};
using LPMODULEINFO = MODULEINFO*;

// Fills up to size / sizeof(HMODULE) handles; *needed says how many bytes all
// of them take.
BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD size, LPDWORD needed);
BOOL GetModuleInformation(HANDLE process, HMODULE module, LPMODULEINFO info, DWORD size);
DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size);
