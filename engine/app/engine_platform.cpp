#include "engine/app/engine_platform.h"

#include "platform/win32/kernel/version.h"

std::string MapDataPath(const char* name)
{
    const auto path = vls::win32::MapPath(name);
    return path ? *path : std::string();
}

bool IsWindows95()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && version.dwMajorVersion == 4 && version.dwMinorVersion == 0;
}
