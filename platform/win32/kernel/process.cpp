#include "platform/win32/kernel/process.h"

#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"

#include <cerrno>
#include <chrono>
#include <mutex>
#include <sys/wait.h>
#include <thread>

namespace vls::win32 {

namespace {

DWORD ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + static_cast<DWORD>(WTERMSIG(status));
    return 1;
}

class ProcessObject : public KernelObject {
public:
    explicit ProcessObject(pid_t pid) : pid_(pid) {}
    ~ProcessObject() override
    {
        if (!Poll(false))
            ReapInBackground(pid_);
    }

    DWORD Wait(DWORD milliseconds) override
    {
        if (milliseconds == INFINITE)
            return Poll(true) ? WAIT_OBJECT_0 : WAIT_FAILED;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (Poll(false))
                return WAIT_OBJECT_0;
            if (std::chrono::steady_clock::now() >= deadline)
                return WAIT_TIMEOUT;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    // True once the child has ended (and been reaped).
    bool Poll(bool block)
    {
        const std::lock_guard guard(lock_);
        if (ended_)
            return true;
        int status = 0;
        pid_t result;
        do
            result = waitpid(pid_, &status, block ? 0 : WNOHANG);
        while (result < 0 && errno == EINTR);
        if (result == pid_) {
            ended_ = true;
            exitCode_ = ExitCodeOf(status);
        } else if (result < 0) {
            ended_ = true; // not our child any more: nothing left to wait for
            exitCode_ = 1;
        }
        return ended_;
    }

    DWORD exitCode() const { return exitCode_; }
    pid_t pid() const { return pid_; }

private:
    const pid_t pid_;
    std::mutex lock_;
    bool ended_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
};

} // namespace

HANDLE CreateProcessHandle(pid_t pid)
{
    return RegisterHandle(new ProcessObject(pid));
}

void ReapInBackground(pid_t pid)
{
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace vls::win32

using namespace vls::win32;

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    ProcessObject* object = LookUpHandleAs<ProcessObject>(process);
    if (!object || !exitCode)
        return FALSE;
    *exitCode = object->Poll(false) ? object->exitCode() : STILL_ACTIVE;
    return TRUE;
}

DWORD GetProcessId(HANDLE process)
{
    ProcessObject* object = LookUpHandleAs<ProcessObject>(process);
    return object ? static_cast<DWORD>(object->pid()) : 0;
}
