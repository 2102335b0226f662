#include "platform/win32/kernel/mutex.h"

#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/paths.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vls::win32 {

namespace {

// One per mutex in this process; every handle to it shares it.
struct MutexState {
    std::string name;
    int presenceFd = -1; // a shared lock: this process holds the name
    int ownerFd = -1;    // an exclusive lock on it: this process owns the mutex
    std::mutex lock;
    std::condition_variable released;
    std::thread::id owner;
    int recursion = 0;

    ~MutexState()
    {
        if (ownerFd >= 0)
            close(ownerFd);
        if (presenceFd >= 0)
            close(presenceFd);
    }
};

struct NameTable {
    std::mutex lock;
    std::map<std::string, std::weak_ptr<MutexState>> states;
};

NameTable& Names()
{
    static NameTable* table = new NameTable;
    return *table;
}

std::string FileNameFor(const std::string& name)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string file = "m-";
    for (const unsigned char c : name) {
        if (std::isalnum(c) || c == '_' || c == '-' || c == '.') {
            file += static_cast<char>(c);
        } else {
            file += '%';
            file += kHex[c >> 4];
            file += kHex[c & 15];
        }
    }
    return file;
}

bool LockFile(int fd, int operation)
{
    while (flock(fd, operation) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// Joins the named mutex on disk; `existed` tells whether another process
// already held it.
bool JoinNamed(MutexState& state, bool& existed)
{
    const std::filesystem::path runtime = RuntimeFolder();
    if (runtime.empty())
        return false;
    const std::filesystem::path folder = runtime / "mutexes";
    mkdir(folder.c_str(), 0700);
    const std::string base = (folder / FileNameFor(state.name)).string();
    // Creators take turns, so that telling "first" from "already there" and
    // settling into the shared lock is one step for everybody.
    const int guard = open((folder / ".guard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (guard < 0 || !LockFile(guard, LOCK_EX)) {
        if (guard >= 0)
            close(guard);
        return false;
    }
    state.presenceFd = open(base.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    state.ownerFd = open((base + ".owner").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    bool ok = state.presenceFd >= 0 && state.ownerFd >= 0;
    if (ok) {
        existed = flock(state.presenceFd, LOCK_EX | LOCK_NB) != 0;
        ok = LockFile(state.presenceFd, LOCK_SH);
    }
    close(guard);
    return ok;
}

class MutexObject : public KernelObject {
public:
    explicit MutexObject(std::shared_ptr<MutexState> state) : state_(std::move(state)) {}

    DWORD Wait(DWORD milliseconds) override
    {
        MutexState& state = *state_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds == INFINITE ? 0 : milliseconds);
        std::unique_lock guard(state.lock);
        const std::thread::id self = std::this_thread::get_id();
        if (state.recursion > 0 && state.owner == self) {
            ++state.recursion;
            return WAIT_OBJECT_0;
        }
        auto free = [&] { return state.recursion == 0; };
        if (milliseconds == INFINITE)
            state.released.wait(guard, free);
        else if (!state.released.wait_until(guard, deadline, free))
            return WAIT_TIMEOUT;
        if (state.ownerFd >= 0) {
            // Another process may own it: poll its lock until the deadline.
            while (flock(state.ownerFd, LOCK_EX | LOCK_NB) != 0) {
                if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline)
                    return WAIT_TIMEOUT;
                guard.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                guard.lock();
                if (!free())
                    return Wait(milliseconds); // another thread of ours got it first
            }
        }
        state.owner = self;
        state.recursion = 1;
        return WAIT_OBJECT_0;
    }

    BOOL Release()
    {
        MutexState& state = *state_;
        const std::lock_guard guard(state.lock);
        if (state.recursion == 0 || state.owner != std::this_thread::get_id()) {
            SetLastError(ERROR_NOT_OWNER);
            return FALSE;
        }
        if (--state.recursion == 0) {
            state.owner = {};
            if (state.ownerFd >= 0)
                flock(state.ownerFd, LOCK_UN);
            state.released.notify_one();
        }
        return TRUE;
    }

private:
    std::shared_ptr<MutexState> state_;
};

HANDLE OpenOrCreate(const char* name, bool create, bool initialOwner)
{
    std::shared_ptr<MutexState> state;
    bool existed = false;
    if (name && *name) {
        NameTable& table = Names();
        const std::lock_guard guard(table.lock);
        state = table.states[name].lock();
        if (state) {
            existed = true;
        } else {
            state = std::make_shared<MutexState>();
            state->name = name;
            if (!JoinNamed(*state, existed)) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            if (!create && !existed) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return nullptr; // the files stay, unlocked, as if never made
            }
            table.states[name] = state;
        }
    } else {
        state = std::make_shared<MutexState>();
    }
    auto* object = new MutexObject(state);
    if (initialOwner && !existed)
        object->Wait(INFINITE);
    const HANDLE handle = RegisterHandle(object);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

} // namespace

} // namespace vls::win32

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name)
{
    return vls::win32::OpenOrCreate(name, true, initialOwner);
}

HANDLE OpenMutexA(DWORD, BOOL, LPCSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const HANDLE handle = vls::win32::OpenOrCreate(name, false, false);
    if (handle)
        SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL ReleaseMutex(HANDLE mutex)
{
    auto* object = vls::win32::LookUpHandleAs<vls::win32::MutexObject>(mutex);
    return object ? object->Release() : FALSE;
}
