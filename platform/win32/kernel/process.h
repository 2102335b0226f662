#pragma once

#include "platform/win32/wintypes.h"

#include <sys/types.h>

constexpr DWORD STILL_ACTIVE = 259;

// A child process's exit status: STILL_ACTIVE while it runs, its exit code
// after, 128 + the signal number when a signal ended it.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
DWORD GetProcessId(HANDLE process);

namespace vls::win32 {

// A handle for a child process started by this process: waitable, and the
// child is reaped when it ends even if the handle is closed first.
HANDLE CreateProcessHandle(pid_t pid);
// Reaps a child nobody waits for, so it does not stay a zombie.
void ReapInBackground(pid_t pid);

} // namespace vls::win32
