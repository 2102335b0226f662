#include "launcher/launcher_instance.h"

#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/mutex.h"
#include "platform/user/winuser.h"

namespace launcher {

SingleInstance::SingleInstance()
{
    mutex_ = CreateMutexA(nullptr, FALSE, "Veilstrand Launcher");
    const bool mutexTaken = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    otherRunning_ = mutexTaken || FindWindowA("TApplication", kApplicationTitle) != nullptr ||
                    FindWindowA(kEngineWindowClass, kApplicationTitle) != nullptr;
}

SingleInstance::~SingleInstance()
{
    if (mutex_)
        CloseHandle(mutex_);
}

}  // namespace launcher
