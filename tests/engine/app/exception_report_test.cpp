#include "engine/app/exception_report.h"

#include "platform/win32/kernel/module.h"
#include "platform/win32/seh/seh.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

LONG WINAPI Filter(EXCEPTION_POINTERS* pointers) { return WriteExceptionReport(pointers, "main thread"); }

// The report goes beside the program, which here is this test program.
std::filesystem::path ReportPath()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "exception.log";
}

struct Crash {
    int signal;
    std::string report;
};

// Runs fault in a child under the filter and returns how the child ended and
// what it reported.
Crash CrashInChild(void (*fault)())
{
    std::filesystem::remove(ReportPath());
    const pid_t child = fork();
    if (child == 0) {
        SetUnhandledExceptionFilter(Filter);
        fault();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream in(ReportPath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(ReportPath());
    return {WIFSIGNALED(status) ? WTERMSIG(status) : 0, text.str()};
}

std::vector<std::string> Lines(const std::string& report)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(report.substr(start, end - start));
    return lines;
}

// Below every mapping, and not null, so the fault is the system's to find.
volatile int* volatile g_nowhere = reinterpret_cast<int*>(0x10);

void Throw() { throw std::runtime_error("lost"); }

// Nothing may catch the exception on its way out, the test framework included.
void ThrowPastEveryHandler() noexcept { Throw(); }

TEST(ExceptionReport, KindTable)
{
    EXPECT_STREQ(ExceptionKindText(0x40010005), "a Control-C");
    EXPECT_STREQ(ExceptionKindText(0xC0000005), "an Access Violation");
    EXPECT_STREQ(ExceptionKindText(0xC000008C), "a Array Bounds Exceeded");
    EXPECT_STREQ(ExceptionKindText(0xC0000094), "an Integer Divide by Zero");
    EXPECT_STREQ(ExceptionKindText(0xC0000142), "a DLL Initialization Failed");
    EXPECT_STREQ(ExceptionKindText(0xE06D7363), "a Microsoft C++ Exception");
    EXPECT_STREQ(ExceptionKindText(0x40000015), "Unknown exception type");
    EXPECT_STREQ(ExceptionKindText(0), "Unknown exception type");
}

TEST(ExceptionReport, AWriteThroughANullPointerIsReportedAndStillEndsTheProcess)
{
    const Crash crash = CrashInChild([] { *g_nowhere = 1; });
    EXPECT_EQ(crash.signal, SIGSEGV);
    const std::vector<std::string> lines = Lines(crash.report);
    ASSERT_GT(lines.size(), 20u) << crash.report;
    EXPECT_EQ(lines[0], "Please return this file together with your bug-report.");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2].rfind("test_engine_app caused an Access Violation in module test_engine_app at 0033:", 0), 0u)
        << lines[2];
    EXPECT_EQ(lines[3], "Exception handler called in main thread.");
    EXPECT_EQ(lines[4].rfind("Error occurred at ", 0), 0u);
    EXPECT_NE(lines[5].find("test_engine_app."), std::string::npos) << lines[5];
    EXPECT_NE(lines[6].find(" processor(s), type "), std::string::npos);
    EXPECT_NE(lines[7].find(" MBytes physical memory."), std::string::npos);
    EXPECT_EQ(lines[8], "Write to location 00000010 caused an access violation.");
    EXPECT_EQ(lines[9], "");
    EXPECT_EQ(lines[10], "Registers:");
    EXPECT_EQ(lines[11].rfind("EAX=", 0), 0u);
    EXPECT_EQ(lines[14].rfind("EDX=", 0), 0u);
    EXPECT_EQ(lines[15], "Bytes at CS:EIP:");
    // Sixteen readable bytes of code, then the stack in lines of eight words.
    EXPECT_EQ(lines[16].size(), 16u * 3);
    EXPECT_EQ(lines[16].find("??"), std::string::npos);
    EXPECT_EQ(lines[17], "Stack dump:");
    EXPECT_EQ(lines[18].find(": "), lines[18].size() - 2 - 8 * 9 + 1) << lines[18];
    const auto modules =
        crash.report.find("\r\nModule list: names, addresses, sizes, time stamps and file times:\r\n");
    ASSERT_NE(modules, std::string::npos);
    EXPECT_NE(crash.report.find("test_engine_app, loaded at 0x", modules), std::string::npos);
}

TEST(ExceptionReport, AJumpToNowhereShowsUnreadableCodeBytes)
{
    const Crash crash = CrashInChild([] {
        void (*const nowhere)() = reinterpret_cast<void (*)()>(reinterpret_cast<uintptr_t>(g_nowhere) + 0x20);
        nowhere();
    });
    EXPECT_EQ(crash.signal, SIGSEGV);
    EXPECT_NE(crash.report.find("Bytes at CS:EIP:\r\n?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? \r\n"),
        std::string::npos)
        << crash.report;
}

TEST(ExceptionReport, AnUncaughtExceptionIsReportedAsACppException)
{
    const Crash crash = CrashInChild(ThrowPastEveryHandler);
    EXPECT_EQ(crash.signal, SIGABRT);
    EXPECT_NE(crash.report.find("caused a Microsoft C++ Exception in module"), std::string::npos) << crash.report;
}

} // namespace
