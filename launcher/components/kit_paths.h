#pragma once

// Path and system routines the component family shares.

#include "platform/vcl/sysutils.h"

namespace kit {

using vcl::AnsiString;

bool IsBlank(const AnsiString& s);  // empty or only spaces
AnsiString WithTrailingBackslash(const AnsiString& path);
AnsiString WithoutTrailingBackslash(const AnsiString& path);
AnsiString WindowsFolder(bool trailingBackslash);
AnsiString SystemFolder(bool trailingBackslash);
AnsiString ProgramFolder(bool trailingBackslash);
// The program's file name, as Windows-era callers see it.
AnsiString ProgramFileName();
// PLANES x BITSPIXEL of a "Display" device context.
int DisplayColorDepth();

// Folders by location setting: 0 the Windows folder, 1 the system folder,
// 2 the program folder; with a trailing backslash.
AnsiString LocationFolder(int location);

// --- Stand-ins for calls the kernel layer does not offer yet. The Windows
// folder is "windows" in the settings folder; the system folder is
// "system32" inside it.
AnsiString KernelWindowsDirectory();
AnsiString KernelSystemDirectory();

}  // namespace kit
