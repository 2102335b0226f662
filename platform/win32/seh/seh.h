#pragma once

#include "platform/win32/wintypes.h"

// Exception codes as the original system reports them.
constexpr DWORD EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002u;
constexpr DWORD EXCEPTION_BREAKPOINT = 0x80000003u;
constexpr DWORD EXCEPTION_ACCESS_VIOLATION = 0xC0000005u;
constexpr DWORD EXCEPTION_IN_PAGE_ERROR = 0xC0000006u;
constexpr DWORD EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001Du;
constexpr DWORD EXCEPTION_NONCONTINUABLE_EXCEPTION = 0xC0000025u;
constexpr DWORD EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008Cu;
constexpr DWORD EXCEPTION_FLT_DENORMAL_OPERAND = 0xC000008Du;
constexpr DWORD EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008Eu;
constexpr DWORD EXCEPTION_FLT_INEXACT_RESULT = 0xC000008Fu;
constexpr DWORD EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090u;
constexpr DWORD EXCEPTION_FLT_OVERFLOW = 0xC0000091u;
constexpr DWORD EXCEPTION_FLT_STACK_CHECK = 0xC0000092u;
constexpr DWORD EXCEPTION_FLT_UNDERFLOW = 0xC0000093u;
constexpr DWORD EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094u;
constexpr DWORD EXCEPTION_INT_OVERFLOW = 0xC0000095u;
constexpr DWORD EXCEPTION_PRIV_INSTRUCTION = 0xC0000096u;
constexpr DWORD EXCEPTION_STACK_OVERFLOW = 0xC00000FDu;
// What abort() raises.
constexpr DWORD STATUS_FATAL_APP_EXIT = 0x40000015u;
// An uncaught C++ exception, with the magic number in its first parameter.
constexpr DWORD EXCEPTION_CPP_EXCEPTION = 0xE06D7363u;
constexpr ULONG_PTR EXCEPTION_CPP_MAGIC = 0x19930520u;

constexpr DWORD EXCEPTION_NONCONTINUABLE = 0x1;
constexpr DWORD EXCEPTION_MAXIMUM_PARAMETERS = 15;

constexpr LONG EXCEPTION_EXECUTE_HANDLER = 1;
constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;
constexpr LONG EXCEPTION_CONTINUE_EXECUTION = -1;

struct EXCEPTION_RECORD {
    DWORD ExceptionCode;
    DWORD ExceptionFlags;
    EXCEPTION_RECORD* ExceptionRecord;
    PVOID ExceptionAddress;
    DWORD NumberParameters;
    // For an access violation: [0] 0 read, 1 write, 8 execute; [1] the address.
    ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
};
using PEXCEPTION_RECORD = EXCEPTION_RECORD*;

constexpr DWORD CONTEXT_AMD64 = 0x00100000;
constexpr DWORD CONTEXT_CONTROL = CONTEXT_AMD64 | 0x1;
constexpr DWORD CONTEXT_INTEGER = CONTEXT_AMD64 | 0x2;
constexpr DWORD CONTEXT_SEGMENTS = CONTEXT_AMD64 | 0x4;

// The x86-64 registers at the fault.
struct CONTEXT {
    DWORD ContextFlags;
    WORD SegCs;
    WORD SegDs;
    WORD SegEs;
    WORD SegFs;
    WORD SegGs;
    WORD SegSs;
    DWORD EFlags;
    DWORD64 Rax;
    DWORD64 Rcx;
    DWORD64 Rdx;
    DWORD64 Rbx;
    DWORD64 Rsp;
    DWORD64 Rbp;
    DWORD64 Rsi;
    DWORD64 Rdi;
    DWORD64 R8;
    DWORD64 R9;
    DWORD64 R10;
    DWORD64 R11;
    DWORD64 R12;
    DWORD64 R13;
    DWORD64 R14;
    DWORD64 R15;
    DWORD64 Rip;
};
using PCONTEXT = CONTEXT*;

struct EXCEPTION_POINTERS {
    PEXCEPTION_RECORD ExceptionRecord;
    PCONTEXT ContextRecord;
};
using PEXCEPTION_POINTERS = EXCEPTION_POINTERS*;
using LPEXCEPTION_POINTERS = EXCEPTION_POINTERS*;

using LPTOP_LEVEL_EXCEPTION_FILTER = LONG(WINAPI*)(EXCEPTION_POINTERS*);

// Installs the filter that every fatal signal (SIGSEGV, SIGBUS, SIGILL,
// SIGFPE, SIGABRT) and every uncaught C++ exception of the process reaches,
// with the matching exception code, the registers and the faulting address.
// The filter runs on a stack of its own (so a stack overflow reaches it too),
// once: a fault inside it ends the process at once. Whatever it returns, the
// process then ends the way the signal would have ended it (an uncaught C++
// exception ends it through SIGABRT), so never with status 0. Null removes
// the filter. Returns the previous filter.
LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

// Hands a software exception to the filter as if the system had raised it,
// then ends the process.
[[noreturn]] void RaiseException(DWORD code, DWORD flags, DWORD numberOfArguments, const ULONG_PTR* arguments);
