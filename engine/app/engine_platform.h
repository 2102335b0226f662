#pragma once

// The platform services the engine top object stands on.
#include "platform/crt/rand.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/ole32/objbase.h"
#include "platform/win32/registry/registry.h"
#include "platform/win32/winmm/mmsystem.h"
#include "platform/user/winuser.h"

#include <string>

// The working-folder path that a data file name stands for.
std::string MapDataPath(const char* name);
// Whether the system reports itself as version 4.0.
bool IsWindows95();
