#pragma once

// The two handle calls the family needs, declared here because
// "platform/win32/kernel/handles.h" and the window layer's headers both
// define WAIT_OBJECT_0 and WAIT_TIMEOUT and cannot yet be included together.
// The declarations match the kernel layer's.

#include "platform/win32/wintypes.h"

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
