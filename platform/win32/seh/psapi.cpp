#include "platform/win32/seh/psapi.h"

#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/system.h"

#include <link.h>
#include <vector>

namespace {

struct LoadedModule {
    ULONG_PTR base;
    ULONG_PTR size;
};

// The base of a module is where its first loadable segment (the one that
// holds the file's headers) lies; its size spans all loadable segments.
std::vector<LoadedModule> LoadedModules()
{
    std::vector<LoadedModule> modules;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            ULONG_PTR low = ~ULONG_PTR{0};
            ULONG_PTR high = 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& header = info->dlpi_phdr[i];
                if (header.p_type != PT_LOAD)
                    continue;
                const ULONG_PTR start = info->dlpi_addr + header.p_vaddr;
                low = start < low ? start : low;
                high = start + header.p_memsz > high ? start + header.p_memsz : high;
            }
            if (high > low)
                static_cast<std::vector<LoadedModule>*>(data)->push_back(LoadedModule{low, high - low});
            return 0;
        },
        &modules);
    return modules;
}

bool IsCurrentProcess(HANDLE process)
{
    return process == GetCurrentProcess();
}

} // namespace

BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD size, LPDWORD needed)
{
    if (!IsCurrentProcess(process) || !needed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::vector<LoadedModule> loaded = LoadedModules();
    *needed = static_cast<DWORD>(loaded.size() * sizeof(HMODULE));
    const size_t room = modules ? size / sizeof(HMODULE) : 0;
    for (size_t i = 0; i < loaded.size() && i < room; ++i)
        modules[i] = reinterpret_cast<HMODULE>(loaded[i].base);
    return TRUE;
}

BOOL GetModuleInformation(HANDLE process, HMODULE module, LPMODULEINFO info, DWORD size)
{
    if (!IsCurrentProcess(process) || !info || size < sizeof *info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (const LoadedModule& loaded : LoadedModules()) {
        if (reinterpret_cast<HMODULE>(loaded.base) == module) {
            info->lpBaseOfDll = reinterpret_cast<LPVOID>(loaded.base);
            info->SizeOfImage = static_cast<DWORD>(loaded.size);
            info->EntryPoint = nullptr;
            return TRUE;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
}

DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size)
{
    if (!IsCurrentProcess(process)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return GetModuleFileNameA(module, fileName, size);
}
