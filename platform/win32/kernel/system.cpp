#include "platform/win32/kernel/system.h"

#include "platform/win32/kernel/last_error.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/sysinfo.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// A pseudo handle, as on Windows: -1 stands for the calling process.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

DWORD ProtectionOf(const char* permissions)
{
    const bool read = permissions[0] == 'r';
    const bool write = permissions[1] == 'w';
    const bool execute = permissions[2] == 'x';
    if (execute)
        return write ? PAGE_EXECUTE_READWRITE : read ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
    if (write)
        return PAGE_READWRITE;
    return read ? PAGE_READONLY : PAGE_NOACCESS;
}

// Reads /proc/self/maps without the heap, so it also serves a crashing process.
bool FindMapping(uintptr_t address, uintptr_t& start, uintptr_t& end, char permissions[5], bool& fileBacked, uintptr_t& nextStart)
{
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[8192];
    char line[512];
    size_t lineLength = 0;
    bool found = false;
    nextStart = UINTPTR_MAX;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t i = 0; i < got && !found; ++i) {
            if (buffer[i] != '\n') {
                if (lineLength < sizeof line - 1)
                    line[lineLength++] = buffer[i];
                continue;
            }
            line[lineLength] = '\0';
            lineLength = 0;
            uintptr_t from = 0, to = 0;
            char perms[5] = {};
            unsigned long long offset = 0;
            char device[16] = {};
            unsigned long long inode = 0;
            if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR " %4s %llx %15s %llu", &from, &to, perms, &offset, device, &inode) < 6)
                continue;
            if (address >= from && address < to) {
                start = from;
                end = to;
                std::memcpy(permissions, perms, 5);
                fileBacked = inode != 0;
                found = true;
            } else if (from > address && from < nextStart) {
                nextStart = from;
            }
        }
        if (found)
            break;
    }
    close(fd);
    return found;
}

} // namespace

void GetSystemInfo(LPSYSTEM_INFO info)
{
    std::memset(info, 0, sizeof *info);
    info->u.s.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    info->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFFull);
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwNumberOfProcessors = static_cast<DWORD>(processors > 0 ? processors : 1);
    info->dwActiveProcessorMask = info->dwNumberOfProcessors >= 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << info->dwNumberOfProcessors) - 1;
    info->dwProcessorType = PROCESSOR_AMD_X8664;
    info->dwAllocationGranularity = 0x10000;
    info->wProcessorLevel = 6;
}

void GlobalMemoryStatus(LPMEMORYSTATUS status)
{
    struct sysinfo system;
    std::memset(status, 0, sizeof *status);
    status->dwLength = sizeof *status;
    if (sysinfo(&system) != 0)
        return;
    const SIZE_T unit = system.mem_unit ? system.mem_unit : 1;
    status->dwTotalPhys = system.totalram * unit;
    status->dwAvailPhys = (system.freeram + system.bufferram) * unit;
    status->dwTotalPageFile = (system.totalram + system.totalswap) * unit;
    status->dwAvailPageFile = (system.freeram + system.freeswap) * unit;
    status->dwTotalVirtual = 0x7FFFFFFEFFFFull;
    status->dwAvailVirtual = status->dwTotalVirtual;
    if (status->dwTotalPhys)
        status->dwMemoryLoad = static_cast<DWORD>(100 - status->dwAvailPhys * 100 / status->dwTotalPhys);
}

void OutputDebugStringA(LPCSTR text)
{
    if (text)
        (void)!write(STDERR_FILENO, text, std::strlen(text));
}

SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION buffer, SIZE_T length)
{
    if (!buffer || length < sizeof *buffer) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t where = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
    if (where >= 0x800000000000ull) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    uintptr_t start = 0, end = 0, next = 0;
    char permissions[5] = {};
    bool fileBacked = false;
    std::memset(buffer, 0, sizeof *buffer);
    buffer->BaseAddress = reinterpret_cast<PVOID>(where);
    if (!FindMapping(where, start, end, permissions, fileBacked, next)) {
        buffer->State = MEM_FREE;
        buffer->Protect = PAGE_NOACCESS;
        buffer->RegionSize = (next == UINTPTR_MAX ? 0x800000000000ull : next) - where;
        return sizeof *buffer;
    }
    buffer->RegionSize = end - where;
    buffer->State = MEM_COMMIT;
    buffer->Protect = ProtectionOf(permissions);
    buffer->AllocationProtect = buffer->Protect;
    buffer->AllocationBase = reinterpret_cast<PVOID>(start);
    buffer->Type = permissions[3] == 's' ? MEM_MAPPED : fileBacked ? MEM_MAPPED : MEM_PRIVATE;
    Dl_info module;
    if (fileBacked && dladdr(reinterpret_cast<const void*>(where), &module) && module.dli_fbase) {
        buffer->AllocationBase = module.dli_fbase;
        buffer->Type = MEM_IMAGE;
    }
    return sizeof *buffer;
}

HANDLE GetCurrentProcess()
{
    return kCurrentProcess;
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(gettid());
}

BOOL ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size, SIZE_T* bytesRead)
{
    if (bytesRead)
        *bytesRead = 0;
    if (process != kCurrentProcess && process != reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(getpid()))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Page by page, so a read that runs into an unmapped page still returns
    // what came before it.
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    SIZE_T done = 0;
    while (done < size) {
        const uintptr_t from = reinterpret_cast<uintptr_t>(address) + done;
        const SIZE_T chunk = std::min<SIZE_T>(size - done, page - (from % page));
        iovec local{static_cast<char*>(buffer) + done, chunk};
        iovec remote{reinterpret_cast<void*>(from), chunk};
        ssize_t got = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
        if (got < 0 && (errno == ENOSYS || errno == EPERM)) {
            // Where the call is not allowed, a pipe write copies just as safely.
            int pipeEnds[2];
            got = -1;
            if (pipe2(pipeEnds, O_CLOEXEC) == 0) {
                if (write(pipeEnds[1], reinterpret_cast<const void*>(from), chunk) == static_cast<ssize_t>(chunk))
                    got = read(pipeEnds[0], local.iov_base, chunk);
                close(pipeEnds[0]);
                close(pipeEnds[1]);
            }
        }
        if (got <= 0)
            break;
        done += static_cast<SIZE_T>(got);
        if (static_cast<SIZE_T>(got) < chunk)
            break;
    }
    if (bytesRead)
        *bytesRead = done;
    if (done < size) {
        SetLastError(ERROR_PARTIAL_COPY);
        return FALSE;
    }
    return TRUE;
}

void GetCurrentThreadStackLimits(PULONG_PTR lowLimit, PULONG_PTR highLimit)
{
    pthread_attr_t attributes;
    void* low = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstack(&attributes, &low, &size);
        pthread_attr_destroy(&attributes);
    }
    *lowLimit = reinterpret_cast<ULONG_PTR>(low);
    *highLimit = reinterpret_cast<ULONG_PTR>(low) + size;
}
