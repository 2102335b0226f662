#include "engine/app/exception_report.h"

#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/system.h"
#include "platform/win32/kernel/time.h"
#include "platform/win32/seh/psapi.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct ExceptionKind {
    DWORD code;
    const char* text;
};

constexpr ExceptionKind kExceptionKinds[] = {
    {0x40010005, "a Control-C"},
    {0x40010008, "a Control-Break"},
    {0x80000002, "a Datatype Misalignment"},
    {0x80000003, "a Breakpoint"},
    {0xC0000005, "an Access Violation"},
    {0xC0000006, "an In Page Error"},
    {0xC0000017, "a No Memory"},
    {0xC000001D, "an Illegal Instruction"},
    {0xC0000025, "a Noncontinuable Exception"},
    {0xC0000026, "an Invalid Disposition"},
    {0xC000008C, "a Array Bounds Exceeded"},
    {0xC000008D, "a Float Denormal Operand"},
    {0xC000008E, "a Float Divide by Zero"},
    {0xC000008F, "a Float Inexact Result"},
    {0xC0000090, "a Float Invalid Operation"},
    {0xC0000091, "a Float Overflow"},
    {0xC0000092, "a Float Stack Check"},
    {0xC0000093, "a Float Underflow"},
    {0xC0000094, "an Integer Divide by Zero"},
    {0xC0000095, "an Integer Overflow"},
    {0xC0000096, "a Privileged Instruction"},
    {0xC00000FD, "a Stack Overflow"},
    {0xC0000142, "a DLL Initialization Failed"},
    {0xE06D7363, "a Microsoft C++ Exception"},
};

constexpr size_t kPrintfBufferSize = 2000;
constexpr size_t kStackTextSize = 1000;
constexpr size_t kStackTextFlush = 950;
constexpr ULONG_PTR kStackDumpBytes = 8192;
constexpr int kInstructionBytes = 16;
constexpr int kWordsPerLine = 8;
constexpr DWORD kPathSize = 1024;
constexpr SIZE_T kMegabyte = 1024 * 1024;
constexpr unsigned char kImageMagic[4] = {0x7F, 'E', 'L', 'F'};

bool g_reportInProgress = false;

// The part of a backslash path after its last backslash.
const char* FilePart(const char* path)
{
    const char* const slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

bool ReadMemory(ULONG_PTR address, void* buffer, SIZE_T size)
{
    SIZE_T read = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(address), buffer, size, &read) && read == size;
}

// "month/day/year hh:mm:ss" through a DOS date and time, so seconds are even;
// empty when a conversion fails.
void FormatDate(const FILETIME& localTime, char* text, size_t size)
{
    text[0] = 0;
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToDosDateTime(&localTime, &date, &time))
        return;
    std::snprintf(text, size, "%d/%d/%d %02d:%02d:%02d", (date >> 5) & 15, date & 31, (date >> 9) + 1980, time >> 11,
        (time >> 5) & 63, (time & 31) * 2);
}

void FormatNow(char* text, size_t size)
{
    text[0] = 0;
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME fileTime;
    if (SystemTimeToFileTime(&now, &fileTime))
        FormatDate(fileTime, text, size);
}

void WriteText(HANDLE file, const char* text)
{
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void WriteFaultLine(HANDLE file, const char* programName, const EXCEPTION_RECORD& record, const CONTEXT& context)
{
    const char* moduleName = "Unknown";
    char modulePath[kPathSize];
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(record.ExceptionAddress, &region, sizeof(region)) &&
        GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), modulePath, sizeof(modulePath)))
        moduleName = FilePart(modulePath);
    ReportPrintf(file, "%s caused %s in module %s at %04x:%08zx.\r\n", programName,
        ExceptionKindText(record.ExceptionCode), moduleName, context.SegCs,
        reinterpret_cast<ULONG_PTR>(record.ExceptionAddress));
}

void WriteRegisters(HANDLE file, const CONTEXT& c)
{
    ReportPrintf(file, "\r\n");
    ReportPrintf(file, "Registers:\r\n");
    ReportPrintf(file, "EAX=%08llx CS=%04x EIP=%08llx EFLGS=%08x\r\n", static_cast<unsigned long long>(c.Rax), c.SegCs,
        static_cast<unsigned long long>(c.Rip), c.EFlags);
    ReportPrintf(file, "EBX=%08llx SS=%04x ESP=%08llx EBP=%08llx\r\n", static_cast<unsigned long long>(c.Rbx), c.SegSs,
        static_cast<unsigned long long>(c.Rsp), static_cast<unsigned long long>(c.Rbp));
    ReportPrintf(file, "ECX=%08llx DS=%04x ESI=%08llx FS=%04x\r\n", static_cast<unsigned long long>(c.Rcx), c.SegDs,
        static_cast<unsigned long long>(c.Rsi), c.SegFs);
    ReportPrintf(file, "EDX=%08llx ES=%04x EDI=%08llx GS=%04x\r\n", static_cast<unsigned long long>(c.Rdx), c.SegEs,
        static_cast<unsigned long long>(c.Rdi), c.SegGs);
}

void WriteInstructionBytes(HANDLE file, ULONG_PTR address)
{
    ReportPrintf(file, "Bytes at CS:EIP:\r\n");
    for (int i = 0; i < kInstructionBytes; ++i) {
        unsigned char byte = 0;
        if (ReadMemory(address + i, &byte, 1))
            ReportPrintf(file, "%02x ", byte);
        else
            ReportPrintf(file, "?? ");
    }
}

void WriteStackDump(HANDLE file, ULONG_PTR stackPointer)
{
    ReportPrintf(file, "\r\nStack dump:\r\n");
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    const ULONG_PTR end = std::min(high, stackPointer + kStackDumpBytes);

    char text[kStackTextSize];
    size_t used = 0;
    int column = 0;
    for (ULONG_PTR address = stackPointer; address + sizeof(DWORD) <= end; address += sizeof(DWORD)) {
        DWORD word = 0;
        if (!ReadMemory(address, &word, sizeof(word))) {
            text[used] = 0;
            WriteText(file, text);
            ReportPrintf(file, "Exception encountered during stack dump.\r\n");
            return;
        }
        if (column == 0)
            used += std::snprintf(text + used, sizeof(text) - used, "%08zx: ", address);
        ++column;
        const bool lineEnds = column == kWordsPerLine || address + 2 * sizeof(DWORD) > end;
        used += std::snprintf(text + used, sizeof(text) - used, lineEnds ? "%08x\r\n" : "%08x ", word);
        if (lineEnds)
            column = 0;
        if (used > kStackTextFlush) {
            text[used] = 0;
            WriteText(file, text);
            used = 0;
        }
    }
    text[used] = 0;
    WriteText(file, text);
}

void WriteModules(HANDLE file)
{
    ReportPrintf(file, "\r\nModule list: names, addresses, sizes, time stamps and file times:\r\n");
    DWORD needed = 0;
    EnumProcessModules(GetCurrentProcess(), nullptr, 0, &needed);
    std::vector<HMODULE> modules(needed / sizeof(HMODULE));
    if (modules.empty() ||
        !EnumProcessModules(GetCurrentProcess(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
        return;
    modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
    // In address order, each base once, as a walk of the address space finds them.
    std::sort(modules.begin(), modules.end(),
        [](HMODULE a, HMODULE b) { return reinterpret_cast<ULONG_PTR>(a) < reinterpret_cast<ULONG_PTR>(b); });
    modules.erase(std::unique(modules.begin(), modules.end()), modules.end());
    for (const HMODULE module : modules)
        WriteModuleList(file, module);
}

} // namespace

const char* ExceptionKindText(DWORD code)
{
    for (const ExceptionKind& kind : kExceptionKinds) {
        if (kind.code == code)
            return kind.text;
    }
    return "Unknown exception type";
}

void ReportPrintf(HANDLE file, const char* format, ...)
{
    char buffer[kPrintfBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    WriteText(file, buffer);
}

void WriteModuleList(HANDLE file, HMODULE base)
{
    char path[kPathSize];
    if (!GetModuleFileNameA(base, path, sizeof(path)))
        return;
    unsigned char magic[sizeof(kImageMagic)];
    if (!ReadMemory(reinterpret_cast<ULONG_PTR>(base), magic, sizeof(magic)) ||
        std::memcmp(magic, kImageMagic, sizeof(magic)) != 0)
        return;

    DWORD size = 0;
    char dateText[64] = "";
    const HANDLE image = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (image != INVALID_HANDLE_VALUE) {
        size = GetFileSize(image, nullptr);
        FILETIME written;
        FILETIME local;
        char date[48];
        if (GetFileTime(image, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local)) {
            FormatDate(local, date, sizeof(date));
            if (date[0])
                std::snprintf(dateText, sizeof(dateText), " - file date is %s", date);
        }
        CloseHandle(image);
    }
    // Our program images carry no link time stamp.
    const DWORD timeStamp = 0;
    ReportPrintf(file, "%s, loaded at 0x%08zx - %d bytes - %08x%s\r\n", path, reinterpret_cast<ULONG_PTR>(base),
        static_cast<int>(size), timeStamp, dateText);
}

LONG WriteExceptionReport(EXCEPTION_POINTERS* pointers, const char* threadLabel)
{
    if (g_reportInProgress)
        return EXCEPTION_CONTINUE_SEARCH;
    g_reportInProgress = true;

    char programPath[kPathSize];
    const bool havePath = GetModuleFileNameA(nullptr, programPath, sizeof(programPath)) != 0;
    char programName[kPathSize] = "";
    char reportPath[kPathSize + 16] = "exception.log";
    if (havePath) {
        std::snprintf(programName, sizeof(programName), "%s", FilePart(programPath));
        if (char* const dot = std::strrchr(programName, '.'))
            *dot = 0;
        const size_t folderLength = static_cast<size_t>(FilePart(programPath) - programPath);
        std::snprintf(reportPath, sizeof(reportPath), "%.*sexception.log", static_cast<int>(folderLength), programPath);
    }

    const HANDLE file = CreateFileA(reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        OutputDebugStringA("Error creating exception report");
        return EXCEPTION_CONTINUE_SEARCH;
    }

    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    const CONTEXT& context = *pointers->ContextRecord;
    ReportPrintf(file, "Please return this file together with your bug-report.\r\n\r\n");
    WriteFaultLine(file, programName, record, context);
    ReportPrintf(file, "Exception handler called in %s.\r\n", threadLabel);
    char now[48];
    FormatNow(now, sizeof(now));
    ReportPrintf(file, "Error occurred at %s.\r\n", now);
    ReportPrintf(file, "%s.\r\n", havePath ? programPath : "Unknown");

    SYSTEM_INFO system;
    GetSystemInfo(&system);
    ReportPrintf(file, "%d processor(s), type %d.\r\n", static_cast<int>(system.dwNumberOfProcessors),
        static_cast<int>(system.dwProcessorType));
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatus(&memory);
    ReportPrintf(file, "%d MBytes physical memory.\r\n",
        static_cast<int>((memory.dwTotalPhys + kMegabyte - 1) / kMegabyte));

    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2)
        ReportPrintf(file, "%s location %08zx caused an access violation.\r\n",
            record.ExceptionInformation[0] == 0 ? "Read from" : "Write to",
            static_cast<size_t>(record.ExceptionInformation[1]));

    WriteRegisters(file, context);
    WriteInstructionBytes(file, reinterpret_cast<ULONG_PTR>(record.ExceptionAddress));
    WriteStackDump(file, static_cast<ULONG_PTR>(context.Rsp));
    WriteModules(file);
    CloseHandle(file);
    return EXCEPTION_CONTINUE_SEARCH;
}
