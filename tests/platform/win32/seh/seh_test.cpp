#include "platform/win32/seh/psapi.h"
#include "platform/win32/seh/seh.h"

#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/system.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the filter saw, in memory shared with the parent.
struct Seen {
    int calls;
    DWORD code;
    DWORD parameterCount;
    ULONG_PTR parameters[3];
    ULONG_PTR address;
    DWORD64 rip;
    DWORD64 rsp;
    WORD cs;
};

Seen* g_seen = nullptr;
volatile int* volatile g_nowhere = reinterpret_cast<int*>(0x10);
LONG g_filterResult = EXCEPTION_CONTINUE_SEARCH;

LONG WINAPI RecordingFilter(EXCEPTION_POINTERS* pointers)
{
    g_seen->calls++;
    g_seen->code = pointers->ExceptionRecord->ExceptionCode;
    g_seen->parameterCount = pointers->ExceptionRecord->NumberParameters;
    for (int i = 0; i < 3; ++i)
        g_seen->parameters[i] = pointers->ExceptionRecord->ExceptionInformation[i];
    g_seen->address = reinterpret_cast<ULONG_PTR>(pointers->ExceptionRecord->ExceptionAddress);
    g_seen->rip = pointers->ContextRecord->Rip;
    g_seen->rsp = pointers->ContextRecord->Rsp;
    g_seen->cs = pointers->ContextRecord->SegCs;
    return g_filterResult;
}

LONG WINAPI FaultingFilter(EXCEPTION_POINTERS* pointers)
{
    RecordingFilter(pointers);
    *g_nowhere = 1; // a fault while reporting
    return EXCEPTION_CONTINUE_SEARCH;
}

volatile int g_zero = 0;

int Recurse(int depth)
{
    volatile char pad[1024];
    pad[0] = static_cast<char>(depth);
    if (g_zero == 0)
        return Recurse(depth + 1) + pad[0];
    return pad[0];
}

// The sanitizer build would catch the division itself before the processor does.
__attribute__((no_sanitize("undefined"))) void DivideByZero()
{
    g_zero = 10 / g_zero;
}

void Busfault()
{
    vls::test::TempDir dir;
    const int fd = open(dir.write("empty", "").c_str(), O_RDONLY);
    auto* mapped = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0));
    (void)mapped[0];
}

struct Fault {
    const char* name;
    void (*cause)();
    DWORD code;
};

const Fault kFaults[] = {
    {"read through a bad pointer", [] { (void)*g_nowhere; }, EXCEPTION_ACCESS_VIOLATION},
    {"write through a bad pointer", [] { *g_nowhere = 1; }, EXCEPTION_ACCESS_VIOLATION},
    {"integer divide by zero", DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
    {"illegal instruction", [] { __builtin_trap(); }, EXCEPTION_ILLEGAL_INSTRUCTION},
    {"abort", [] { std::abort(); }, STATUS_FATAL_APP_EXIT},
    {"uncaught C++ exception", [] { throw std::runtime_error("lost"); }, EXCEPTION_CPP_EXCEPTION},
    {"bus error", Busfault, EXCEPTION_IN_PAGE_ERROR},
    {"stack overflow", [] { g_zero = Recurse(0); }, EXCEPTION_STACK_OVERFLOW},
    {"raised exception", [] { const ULONG_PTR argument = 5; RaiseException(0xE0000001u, 0, 1, &argument); }, 0xE0000001u},
};

class Filter : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen = static_cast<Seen*>(mmap(nullptr, sizeof(Seen), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
        ASSERT_NE(g_seen, MAP_FAILED);
    }
    void TearDown() override { munmap(g_seen, sizeof(Seen)); }

    // Runs `cause` in a child with `filter` installed; returns its wait status.
    int RunChild(void (*cause)(), LPTOP_LEVEL_EXCEPTION_FILTER filter, LONG result = EXCEPTION_CONTINUE_SEARCH)
    {
        *g_seen = Seen{};
        const pid_t child = fork();
        if (child == 0) {
            // No core files from faults made on purpose.
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            g_filterResult = result;
            SetUnhandledExceptionFilter(filter);
            // Nothing of the test framework may catch what the child throws.
            [cause]() noexcept { cause(); }();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }
};

TEST_F(Filter, EachFaultReachesTheFilterWithItsCode)
{
    for (const Fault& fault : kFaults) {
        const int status = RunChild(fault.cause, RecordingFilter);
        EXPECT_EQ(g_seen->calls, 1) << fault.name;
        EXPECT_EQ(g_seen->code, fault.code) << fault.name << std::hex << " got 0x" << g_seen->code;
        EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << fault.name;
    }
}

TEST_F(Filter, AccessViolationTellsReadFromWriteAndWhere)
{
    RunChild(kFaults[0].cause, RecordingFilter);
    ASSERT_EQ(g_seen->parameterCount, 2u);
    EXPECT_EQ(g_seen->parameters[0], 0u);
    EXPECT_EQ(g_seen->parameters[1], 0x10u);
    EXPECT_EQ(g_seen->address, g_seen->rip);
    EXPECT_NE(g_seen->rsp, 0u);
    EXPECT_NE(g_seen->cs, 0);

    RunChild(kFaults[1].cause, RecordingFilter);
    EXPECT_EQ(g_seen->parameters[0], 1u);
    EXPECT_EQ(g_seen->parameters[1], 0x10u);

    // The faulting instruction lies in this program.
    MEMORY_BASIC_INFORMATION region;
    ASSERT_EQ(VirtualQuery(reinterpret_cast<LPCVOID>(g_seen->rip), &region, sizeof region), sizeof region);
    char name[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), name, MAX_PATH), 0u);
    EXPECT_NE(std::string(name).find("test_platform_win32_seh"), std::string::npos);
}

TEST_F(Filter, CppExceptionCarriesTheMagicNumber)
{
    RunChild(kFaults[5].cause, RecordingFilter);
    EXPECT_EQ(g_seen->parameterCount, 3u);
    EXPECT_EQ(g_seen->parameters[0], EXCEPTION_CPP_MAGIC);
}

TEST_F(Filter, ProcessEndsWhateverTheFilterSays)
{
    for (const LONG result : {EXCEPTION_EXECUTE_HANDLER, EXCEPTION_CONTINUE_EXECUTION}) {
        const int status = RunChild(kFaults[2].cause, RecordingFilter, result);
        EXPECT_EQ(g_seen->calls, 1);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGFPE);
    }
}

TEST_F(Filter, FaultInsideTheFilterEndsTheProcessAtOnce)
{
    const int status = RunChild(kFaults[2].cause, FaultingFilter);
    EXPECT_EQ(g_seen->calls, 1);
    EXPECT_TRUE(WIFSIGNALED(status));
}

TEST_F(Filter, WithoutAFilterFaultsEndTheProcessAsUsual)
{
    const int status = RunChild(kFaults[0].cause, nullptr);
    EXPECT_EQ(g_seen->calls, 0);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(SetUnhandledExceptionFilter(nullptr), nullptr);
    EXPECT_EQ(SetUnhandledExceptionFilter(RecordingFilter), nullptr);
    EXPECT_EQ(SetUnhandledExceptionFilter(nullptr), &RecordingFilter);
}

TEST(Modules, ListNamesAndSizesOfTheLoadedModules)
{
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), nullptr, 0, &needed));
    std::vector<HMODULE> modules(needed / sizeof(HMODULE));
    ASSERT_GT(modules.size(), 1u);
    ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), modules.data(), needed, &needed));
    const auto code = reinterpret_cast<ULONG_PTR>(&RecordingFilter);
    bool programFound = false;
    for (const HMODULE module : modules) {
        MODULEINFO info{};
        ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), module, &info, sizeof info));
        EXPECT_EQ(info.lpBaseOfDll, static_cast<LPVOID>(module));
        EXPECT_GT(info.SizeOfImage, 0u);
        const auto base = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
        if (code >= base && code < base + info.SizeOfImage) {
            char name[MAX_PATH];
            ASSERT_GT(GetModuleFileNameExA(GetCurrentProcess(), module, name, MAX_PATH), 0u);
            EXPECT_NE(std::string(name).find("test_platform_win32_seh"), std::string::npos);
            programFound = true;
        }
    }
    EXPECT_TRUE(programFound);
    MODULEINFO info{};
    EXPECT_FALSE(GetModuleInformation(GetCurrentProcess(), reinterpret_cast<HMODULE>(0x1000), &info, sizeof info));
}

} // namespace
