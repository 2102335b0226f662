#include "engine/app/engine_platform.h"

std::string MapDataPath(const char* name)
{
    const auto path = vls::win32::MapPath(name);
    return path ? *path : std::string();
}

bool IsWindows95()
{
    // The system under us never reports version 4.0.
    return false;
}
