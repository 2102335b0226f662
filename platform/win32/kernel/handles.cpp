#include "platform/win32/kernel/handles.h"

#include "platform/win32/kernel/last_error.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace vls::win32 {

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<HANDLE, std::unique_ptr<KernelObject>> objects;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable; // outlives static destructors that close handles
    return *table;
}

} // namespace

DWORD KernelObject::Wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE RegisterHandle(KernelObject* object)
{
    HandleTable& table = Table();
    const std::lock_guard guard(table.lock);
    const HANDLE handle = object;
    table.objects.emplace(handle, std::unique_ptr<KernelObject>(object));
    return handle;
}

KernelObject* LookUpHandle(HANDLE handle)
{
    HandleTable& table = Table();
    const std::lock_guard guard(table.lock);
    const auto found = table.objects.find(handle);
    if (found == table.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

} // namespace vls::win32

BOOL CloseHandle(HANDLE handle)
{
    std::unique_ptr<vls::win32::KernelObject> object;
    {
        vls::win32::HandleTable& table = vls::win32::Table();
        const std::lock_guard guard(table.lock);
        const auto found = table.objects.find(handle);
        if (found == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(found->second);
        table.objects.erase(found);
    }
    return TRUE; // the object goes away outside the table lock
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    vls::win32::KernelObject* object = vls::win32::LookUpHandle(handle);
    return object ? object->Wait(milliseconds) : WAIT_FAILED;
}
