#include "platform/win32/seh/seh.h"

#include "platform/win32/kernel/system.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <ucontext.h>
#include <unistd.h>

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr size_t kAlternateStackSize = 256 * 1024;
// Faults this far below the stack's low end count as running off its end.
constexpr ULONG_PTR kStackGuardReach = 64 * 1024;

std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> g_filter{nullptr};
std::atomic<bool> g_reporting{false};
bool g_installed = false;
alignas(16) char g_alternateStack[kAlternateStackSize];
ULONG_PTR g_stackLow = 0;
ULONG_PTR g_stackHigh = 0;

[[noreturn]] void EndWithSignal(int signal)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
    _exit(128 + signal); // a signal that did not end the process
}

void FillContext(CONTEXT& context, const ucontext_t* machine)
{
    std::memset(&context, 0, sizeof context);
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_SEGMENTS;
#if defined(__x86_64__)
    const greg_t* r = machine->uc_mcontext.gregs;
    context.Rax = static_cast<DWORD64>(r[REG_RAX]);
    context.Rcx = static_cast<DWORD64>(r[REG_RCX]);
    context.Rdx = static_cast<DWORD64>(r[REG_RDX]);
    context.Rbx = static_cast<DWORD64>(r[REG_RBX]);
    context.Rsp = static_cast<DWORD64>(r[REG_RSP]);
    context.Rbp = static_cast<DWORD64>(r[REG_RBP]);
    context.Rsi = static_cast<DWORD64>(r[REG_RSI]);
    context.Rdi = static_cast<DWORD64>(r[REG_RDI]);
    context.R8 = static_cast<DWORD64>(r[REG_R8]);
    context.R9 = static_cast<DWORD64>(r[REG_R9]);
    context.R10 = static_cast<DWORD64>(r[REG_R10]);
    context.R11 = static_cast<DWORD64>(r[REG_R11]);
    context.R12 = static_cast<DWORD64>(r[REG_R12]);
    context.R13 = static_cast<DWORD64>(r[REG_R13]);
    context.R14 = static_cast<DWORD64>(r[REG_R14]);
    context.R15 = static_cast<DWORD64>(r[REG_R15]);
    context.Rip = static_cast<DWORD64>(r[REG_RIP]);
    context.EFlags = static_cast<DWORD>(r[REG_EFL]);
    // REG_CSGSFS packs cs, gs and fs; Linux user data segments are all 0x2b.
    const auto segments = static_cast<std::uint64_t>(r[REG_CSGSFS]);
    context.SegCs = static_cast<WORD>(segments & 0xFFFF);
    context.SegGs = static_cast<WORD>((segments >> 16) & 0xFFFF);
    context.SegFs = static_cast<WORD>((segments >> 32) & 0xFFFF);
    context.SegDs = context.SegEs = context.SegSs = 0x2b;
#else
    (void)machine;
#endif
}

DWORD CodeForSignal(int signal, const siginfo_t* info, ULONG_PTR faultAddress)
{
    switch (signal) {
    case SIGSEGV:
        if (g_stackLow && faultAddress < g_stackLow + 4096 && faultAddress + kStackGuardReach >= g_stackLow)
            return EXCEPTION_STACK_OVERFLOW;
        return EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS:
        return info->si_code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGILL:
        return info->si_code == ILL_PRVOPC || info->si_code == ILL_PRVREG ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGFPE:
        switch (info->si_code) {
        case FPE_INTDIV:
            return EXCEPTION_INT_DIVIDE_BY_ZERO;
        case FPE_INTOVF:
            return EXCEPTION_INT_OVERFLOW;
        case FPE_FLTDIV:
            return EXCEPTION_FLT_DIVIDE_BY_ZERO;
        case FPE_FLTOVF:
            return EXCEPTION_FLT_OVERFLOW;
        case FPE_FLTUND:
            return EXCEPTION_FLT_UNDERFLOW;
        case FPE_FLTRES:
            return EXCEPTION_FLT_INEXACT_RESULT;
        case FPE_FLTSUB:
            return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
        default:
            return EXCEPTION_FLT_INVALID_OPERATION;
        }
    default:
        return STATUS_FATAL_APP_EXIT;
    }
}

// Runs the filter once for the process; a second fault while it runs (or in
// another thread) does not reach it again.
void RunFilter(EXCEPTION_RECORD& record, CONTEXT& context)
{
    const LPTOP_LEVEL_EXCEPTION_FILTER filter = g_filter.load();
    if (!filter || g_reporting.exchange(true))
        return;
    EXCEPTION_POINTERS pointers{&record, &context};
    filter(&pointers);
}

void OnFatalSignal(int signal, siginfo_t* info, void* machine)
{
    if (g_reporting.load())
        EndWithSignal(signal);
    EXCEPTION_RECORD record;
    std::memset(&record, 0, sizeof record);
    CONTEXT context;
    FillContext(context, static_cast<const ucontext_t*>(machine));
    const auto faultAddress = reinterpret_cast<ULONG_PTR>(info->si_addr);
    record.ExceptionCode = CodeForSignal(signal, info, faultAddress);
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Rip);
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || record.ExceptionCode == EXCEPTION_STACK_OVERFLOW
        || record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR) {
        ULONG_PTR kind = 0;
#if defined(__x86_64__)
        // The page-fault error code: bit 1 a write, bit 4 an instruction fetch.
        const auto error = static_cast<ULONG_PTR>(static_cast<const ucontext_t*>(machine)->uc_mcontext.gregs[REG_ERR]);
        kind = (error & 0x10) ? 8 : (error & 0x2) ? 1 : 0;
#endif
        record.NumberParameters = 2;
        record.ExceptionInformation[0] = kind;
        record.ExceptionInformation[1] = faultAddress;
    }
    RunFilter(record, context);
    EndWithSignal(signal);
}

[[noreturn]] void OnTerminate()
{
    if (!std::current_exception() || g_reporting.load()) {
        EndWithSignal(SIGABRT); // reaches OnFatalSignal as an abort
    }
    ucontext_t machine;
    getcontext(&machine);
    CONTEXT context;
    FillContext(context, &machine);
    EXCEPTION_RECORD record;
    std::memset(&record, 0, sizeof record);
    record.ExceptionCode = EXCEPTION_CPP_EXCEPTION;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = __builtin_return_address(0);
    record.NumberParameters = 3;
    record.ExceptionInformation[0] = EXCEPTION_CPP_MAGIC;
    RunFilter(record, context);
    g_reporting.store(true);
    EndWithSignal(SIGABRT);
}

void InstallHandlers()
{
    if (g_installed)
        return;
    g_installed = true;
    GetCurrentThreadStackLimits(&g_stackLow, &g_stackHigh);

    stack_t alternate;
    std::memset(&alternate, 0, sizeof alternate);
    alternate.ss_sp = g_alternateStack;
    alternate.ss_size = kAlternateStackSize;
    sigaltstack(&alternate, nullptr);

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (const int signal : kFatalSignals)
        sigaction(signal, &action, nullptr);
    std::set_terminate(OnTerminate);
}

} // namespace

LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter)
{
    if (filter)
        InstallHandlers();
    return g_filter.exchange(filter);
}

void RaiseException(DWORD code, DWORD flags, DWORD numberOfArguments, const ULONG_PTR* arguments)
{
    ucontext_t machine;
    getcontext(&machine);
    CONTEXT context;
    FillContext(context, &machine);
    EXCEPTION_RECORD record;
    std::memset(&record, 0, sizeof record);
    record.ExceptionCode = code;
    record.ExceptionFlags = flags | EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = __builtin_return_address(0);
    record.NumberParameters = numberOfArguments < EXCEPTION_MAXIMUM_PARAMETERS ? numberOfArguments : EXCEPTION_MAXIMUM_PARAMETERS;
    if (arguments)
        std::memcpy(record.ExceptionInformation, arguments, record.NumberParameters * sizeof(ULONG_PTR));
    RunFilter(record, context);
    g_reporting.store(true);
    EndWithSignal(SIGABRT);
}
