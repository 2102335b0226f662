#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/mutex.h"
#include "platform/win32/kernel/process.h"
#include "platform/win32/kernel/system.h"
#include "platform/win32/kernel/window_announce.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vls::win32::AnnounceTopLevelWindow;
using vls::win32::FindAnnouncedWindow;
using vls::win32::WithdrawTopLevelWindow;

// Window announcements and mutex files go to a private runtime folder.
class CrossProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            previous_ = old;
        setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
        ASSERT_EQ(pipe(toParent_), 0);
        ASSERT_EQ(pipe(toChild_), 0);
    }
    void TearDown() override
    {
        if (previous_.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
        for (const int fd : {toParent_[0], toParent_[1], toChild_[0], toChild_[1]})
            close(fd);
    }

    // One byte each way keeps parent and child in step.
    void Signal(int fd) { ASSERT_EQ(write(fd, "x", 1), 1); }
    bool Await(int fd)
    {
        char c;
        return read(fd, &c, 1) == 1;
    }
    int Finish(pid_t child)
    {
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }

    vls::test::TempDir runtime_;
    std::string previous_;
    int toParent_[2] = {-1, -1};
    int toChild_[2] = {-1, -1};
};

TEST_F(CrossProcess, AnnouncedWindowIsSeenByAnotherProcessUntilItsProcessDies)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = AnnounceTopLevelWindow("Quib-Velt", "Veilstrand") != 0 && AnnounceTopLevelWindow("Other", "Window") != 0;
        Signal(toParent_[1]);
        pause(); // until killed
        _exit(ok ? 0 : 1);
    }
    ASSERT_TRUE(Await(toParent_[0]));
    const auto found = FindAnnouncedWindow("QUIB-VELT", "veilstrand");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->process, child);
    EXPECT_EQ(found->className, "Quib-Velt");
    EXPECT_TRUE(FindAnnouncedWindow(nullptr, "Window"));
    EXPECT_TRUE(FindAnnouncedWindow("Quib-Velt", nullptr));
    EXPECT_FALSE(FindAnnouncedWindow("TApplication", "Veilstrand"));
    EXPECT_FALSE(FindAnnouncedWindow("Quib-Velt", "Veilstrand Setup"));

    kill(child, SIGKILL);
    Finish(child);
    EXPECT_FALSE(FindAnnouncedWindow("Quib-Velt", "Veilstrand"));
    EXPECT_FALSE(FindAnnouncedWindow(nullptr, nullptr));
    // The dead process's files are cleared away.
    EXPECT_TRUE(std::filesystem::is_empty(runtime_.path() / ("veilstrand-" + std::to_string(getuid())) / "windows"));
}

TEST_F(CrossProcess, WithdrawAndRetitleInTheSameProcess)
{
    const auto id = AnnounceTopLevelWindow("TApplication", "Veilstrand");
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(FindAnnouncedWindow("TApplication", "Veilstrand"));
    ASSERT_TRUE(vls::win32::UpdateAnnouncedWindowTitle(id, "Veilstrand Launcher"));
    EXPECT_FALSE(FindAnnouncedWindow("TApplication", "Veilstrand"));
    const auto found = FindAnnouncedWindow("TApplication", "Veilstrand Launcher");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, id);
    EXPECT_EQ(found->process, getpid());
    WithdrawTopLevelWindow(id);
    EXPECT_FALSE(FindAnnouncedWindow("TApplication", nullptr));
    EXPECT_FALSE(vls::win32::UpdateAnnouncedWindowTitle(id, "x"));
}

TEST_F(CrossProcess, NamedMutexIsOneObjectForAllProcesses)
{
    const HANDLE mine = CreateMutexA(nullptr, FALSE, "VLSLAUNCH");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    const HANDLE again = CreateMutexA(nullptr, FALSE, "VLSLAUNCH");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);

    auto childSees = [&](const char* name) {
        const pid_t child = fork();
        if (child == 0) {
            const HANDLE handle = CreateMutexA(nullptr, FALSE, name);
            _exit(handle == nullptr ? 2 : GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS) ? 1 : 0);
        }
        const int status = Finish(child);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(childSees("VLSLAUNCH"), 1);
    EXPECT_EQ(childSees("vlslaunch"), 0); // names are case-sensitive
    CloseHandle(mine);
    EXPECT_EQ(childSees("VLSLAUNCH"), 0); // gone with the last handle
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "VLSLAUNCH"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(CrossProcess, MutexOwnershipPassesBetweenProcesses)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const HANDLE held = CreateMutexA(nullptr, TRUE, "Global\\Veil/strand");
        Signal(toParent_[1]);
        Await(toChild_[0]);
        const bool ok = held && ReleaseMutex(held);
        Signal(toParent_[1]);
        Await(toChild_[0]);
        _exit(ok ? 0 : 1);
    }
    ASSERT_TRUE(Await(toParent_[0]));
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, "Global\\Veil/strand");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(ReleaseMutex(mutex)); // existing mutex: no initial ownership
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(WaitForSingleObject(mutex, 30), WAIT_TIMEOUT);
    Signal(toChild_[1]);
    ASSERT_TRUE(Await(toParent_[0]));
    EXPECT_EQ(WaitForSingleObject(mutex, 2000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); // recursive for the owner
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    Signal(toChild_[1]);
    const int status = Finish(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    CloseHandle(mutex);
}

TEST(Processes, ExitCodesAndWaits)
{
    const pid_t child = fork();
    if (child == 0) {
        usleep(50000);
        _exit(7);
    }
    const HANDLE process = vls::win32::CreateProcessHandle(child);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(GetProcessId(process), static_cast<DWORD>(child));
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(process));
    EXPECT_FALSE(GetExitCodeProcess(process, &code));
}

TEST(SystemInformation, MemoryQueriesAreSafeOnAnyAddress)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
    EXPECT_EQ(info.dwProcessorType, PROCESSOR_AMD_X8664);
    MEMORYSTATUS memory;
    GlobalMemoryStatus(&memory);
    EXPECT_GT(memory.dwTotalPhys, 0u);

    // Code of this program: committed, and its allocation base names the program.
    MEMORY_BASIC_INFORMATION region;
    ASSERT_EQ(VirtualQuery(reinterpret_cast<LPCVOID>(&GetSystemInfo), &region, sizeof region), sizeof region);
    EXPECT_EQ(region.State, MEM_COMMIT);
    EXPECT_EQ(region.Type, MEM_IMAGE);
    char name[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), name, MAX_PATH), 0u);
    EXPECT_NE(std::string(name).find("test_platform_win32_kernel"), std::string::npos);

    // An unmapped page is free and unreadable.
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    ASSERT_EQ(VirtualQuery(page, &region, sizeof region), sizeof region);
    EXPECT_EQ(region.Protect, PAGE_NOACCESS);
    char bytes[16];
    SIZE_T got = 99;
    EXPECT_FALSE(ReadProcessMemory(GetCurrentProcess(), page, bytes, sizeof bytes, &got));
    EXPECT_EQ(got, 0u);
    munmap(page, 4096);
    ASSERT_EQ(VirtualQuery(page, &region, sizeof region), sizeof region);
    EXPECT_EQ(region.State, MEM_FREE);

    const char text[] = "readable";
    EXPECT_TRUE(ReadProcessMemory(GetCurrentProcess(), text, bytes, sizeof text, &got));
    EXPECT_EQ(got, sizeof text);
    EXPECT_STREQ(bytes, "readable");

    ULONG_PTR low = 0, high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    const auto here = reinterpret_cast<ULONG_PTR>(&low);
    EXPECT_LT(low, here);
    EXPECT_GT(high, here);
}

} // namespace

#include "platform/win32/kernel/version.h"

namespace {

TEST(Version, ReportsTheNtFamilyAndTheUser)
{
    const DWORD version = GetVersion();
    EXPECT_EQ(LOBYTE(LOWORD(version)), 5);
    EXPECT_EQ(HIBYTE(LOWORD(version)), 1);
    EXPECT_EQ(version & 0x80000000u, 0u); // the NT family
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&extended)));
    EXPECT_EQ(extended.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(extended.wProductType, VER_NT_WORKSTATION);
    OSVERSIONINFOA plain{};
    plain.dwOSVersionInfoSize = 10;
    EXPECT_FALSE(GetVersionExA(&plain));

    char name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_EQ(size, std::strlen(name) + 1);
    DWORD tiny = 1;
    EXPECT_FALSE(GetUserNameA(name, &tiny));
    EXPECT_EQ(tiny, size);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

} // namespace
