#include "platform/win32/kernel/version.h"

#include "platform/win32/kernel/last_error.h"

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

constexpr DWORD kMajor = 5;
constexpr DWORD kMinor = 1;
constexpr DWORD kBuild = 2600;

std::string UserName()
{
    passwd entry;
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

} // namespace

DWORD GetVersion()
{
    return kMajor | (kMinor << 8) | (kBuild << 16);
}

BOOL GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, size - sizeof(DWORD));
    info->dwMajorVersion = kMajor;
    info->dwMinorVersion = kMinor;
    info->dwBuildNumber = kBuild;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    if (size == sizeof(OSVERSIONINFOEXA))
        reinterpret_cast<OSVERSIONINFOEXA*>(info)->wProductType = VER_NT_WORKSTATION;
    return TRUE;
}

BOOL GetUserNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string name = UserName();
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (name.empty() || !buffer || *size < needed) {
        *size = needed;
        SetLastError(name.empty() ? ERROR_INVALID_FUNCTION : ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return TRUE;
}
