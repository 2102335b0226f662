#pragma once

#include "platform/win32/wintypes.h"

// The calling thread's last error code, as every failing kernel call sets it.
DWORD GetLastError();
void SetLastError(DWORD code);
