#include "platform/win32/kernel/module.h"

#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/paths.h"

#include <cstring>
#include <link.h>
#include <list>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace vls::win32 {

namespace {

struct RegisteredModule {
    std::string name; // lower case, without ".dll"; empty for the program
    std::vector<ProcTableEntry> exports;
};

struct ModuleTable {
    std::mutex lock;
    std::list<RegisteredModule> modules; // stable addresses serve as handles
};

ModuleTable& Modules()
{
    static ModuleTable* table = new ModuleTable;
    return *table;
}

std::string ModuleKey(const char* name)
{
    std::string key = name ? name : "";
    for (char& c : key)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const size_t slash = key.find_last_of("\\/");
    if (slash != std::string::npos)
        key.erase(0, slash + 1);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0)
        key.resize(key.size() - 4);
    return key;
}

RegisteredModule* FindModule(ModuleTable& table, const std::string& key)
{
    for (RegisteredModule& module : table.modules)
        if (module.name == key)
            return &module;
    return nullptr;
}

RegisteredModule* ModuleFromHandle(ModuleTable& table, HMODULE handle)
{
    for (RegisteredModule& module : table.modules)
        if (reinterpret_cast<HMODULE>(&module) == handle)
            return &module;
    return nullptr;
}

std::string ProgramPath()
{
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return {};
    path.resize(static_cast<size_t>(length));
    return path;
}

std::string SharedObjectPath(HMODULE base)
{
    struct Search {
        ElfW(Addr) base;
        std::string path;
    } search{reinterpret_cast<ElfW(Addr)>(base), {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* wanted = static_cast<Search*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& header = info->dlpi_phdr[i];
                if (header.p_type == PT_LOAD && header.p_offset == 0) {
                    if (info->dlpi_addr + header.p_vaddr != wanted->base)
                        return 0;
                    wanted->path = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : ProgramPath();
                    return 1;
                }
            }
            return 0;
        },
        &search);
    return search.path;
}

} // namespace

HMODULE RegisterModuleExports(const char* moduleName, std::span<const ProcTableEntry> exports)
{
    ModuleTable& table = Modules();
    const std::lock_guard guard(table.lock);
    const std::string key = ModuleKey(moduleName);
    RegisteredModule* module = FindModule(table, key);
    if (!module) {
        table.modules.push_back(RegisteredModule{key, {}});
        module = &table.modules.back();
    }
    module->exports.insert(module->exports.end(), exports.begin(), exports.end());
    return reinterpret_cast<HMODULE>(module);
}

} // namespace vls::win32

using namespace vls::win32;

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    std::string path;
    bool found = false;
    if (!module) {
        path = ProgramPath();
        found = !path.empty();
    } else {
        ModuleTable& table = Modules();
        std::unique_lock guard(table.lock);
        if (const RegisteredModule* registered = ModuleFromHandle(table, module)) {
            path = registered->name.empty() ? ProgramPath() : registered->name + ".dll";
            found = true;
        } else {
            guard.unlock();
            path = SharedObjectPath(module);
            found = !path.empty();
        }
    }
    if (!found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    path = ToWindowsPath(path);
    if (size == 0 || !fileName) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (!moduleName)
        return RegisterModuleExports(nullptr, {});
    ModuleTable& table = Modules();
    const std::lock_guard guard(table.lock);
    if (RegisteredModule* module = FindModule(table, ModuleKey(moduleName)); module && !module->name.empty())
        return reinterpret_cast<HMODULE>(module);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE LoadLibraryA(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return GetModuleHandleA(fileName);
}

BOOL FreeLibrary(HMODULE module)
{
    ModuleTable& table = Modules();
    const std::lock_guard guard(table.lock);
    if (!ModuleFromHandle(table, module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE; // registered tables live as long as the process
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    ModuleTable& table = Modules();
    const std::lock_guard guard(table.lock);
    const RegisteredModule* registered = ModuleFromHandle(table, module);
    if (!registered) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Small values stand for export ordinals, which our tables do not have.
    if (reinterpret_cast<UINT_PTR>(procName) <= 0xFFFF) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    for (const ProcTableEntry& entry : registered->exports)
        if (std::strcmp(entry.name, procName) == 0)
            return entry.proc;
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}
