#pragma once

#include "platform/win32/wintypes.h"

#include <span>

// The file name of a module. Null names the program itself; a module handle
// from LoadLibraryA or GetModuleHandleA names its module; any other address
// that is the base of a loaded shared object names that object's file. The
// path is the Linux path written with backslashes (a leading backslash is the
// file-system root, which the path mapping reads back). Too small a buffer
// gets the cut name, the return value `size` and ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// Null gives the program's own module, whose exports are what the program
// registered under a null name.
HMODULE GetModuleHandleA(LPCSTR moduleName);
// Libraries are the export tables that our programs register; the name is
// matched without regard to case, and ".dll" may be left out on either side.
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

namespace vls::win32 {

struct ProcTableEntry {
    const char* name;
    FARPROC proc;
};

// Adds `exports` to the module `moduleName` (null: the program itself) and
// returns its handle. The names must stay valid for the life of the process.
HMODULE RegisterModuleExports(const char* moduleName, std::span<const ProcTableEntry> exports);

// Turns any function pointer into the FARPROC that export tables hold.
template <typename Function>
FARPROC ToProc(Function* function)
{
    return reinterpret_cast<FARPROC>(function);
}

} // namespace vls::win32
