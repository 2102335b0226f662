#pragma once

#include "platform/win32/wintypes.h"

// Mutexes. A named one is one object for every process of the user: the
// first CreateMutexA makes it, later ones (in any process) get a handle to it
// with GetLastError() == ERROR_ALREADY_EXISTS, and it lives while any process
// holds a handle. Ownership is recursive for the owning thread and is taken
// with WaitForSingleObject. Behind it are files under RuntimeFolder()/mutexes
// with flock locks, which the system drops when a process dies.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);
HANDLE OpenMutexA(DWORD desiredAccess, BOOL inheritHandle, LPCSTR name);
BOOL ReleaseMutex(HANDLE mutex);

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTEX_ALL_ACCESS = 0x1F0001;
