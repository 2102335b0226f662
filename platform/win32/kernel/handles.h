#pragma once

#include "platform/win32/wintypes.h"

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

namespace vls::win32 {

// Everything a HANDLE of the kernel layer stands for (files, find searches,
// mutexes, processes). Handles are checked against the live set, so a stale
// or foreign handle fails with ERROR_INVALID_HANDLE instead of being followed.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // The object's wait, for WaitForSingleObject; objects that cannot be
    // waited on fail.
    virtual DWORD Wait(DWORD milliseconds);
};

// Takes ownership of `object` and returns its handle.
HANDLE RegisterHandle(KernelObject* object);

// The live object behind `handle` when it is of type T, else null with
// ERROR_INVALID_HANDLE set. The pointer stays valid until CloseHandle.
KernelObject* LookUpHandle(HANDLE handle);
template <typename T>
T* LookUpHandleAs(HANDLE handle)
{
    T* object = dynamic_cast<T*>(LookUpHandle(handle));
    if (!object)
        LookUpHandle(nullptr); // sets the error
    return object;
}

} // namespace vls::win32
