#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/module.h"
#include "platform/win32/kernel/time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

SYSTEMTIME Make(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = ms;
    return time;
}

ULONGLONG Ticks(const FILETIME& time)
{
    return vls::win32::FileTimeTicks(time);
}

TEST(FileTimes, ConvertBothWaysAgainstKnownValues)
{
    const struct {
        SYSTEMTIME time;
        ULONGLONG ticks;
        WORD dayOfWeek;
    } cases[] = {
        {Make(1601, 1, 1), 0, 1},
        {Make(1970, 1, 1), 116444736000000000ull, 4},
        {Make(2000, 2, 29, 12, 30, 15, 250), 125963010152500000ull, 2},
        {Make(2004, 12, 31, 23, 59, 59, 999), 127490111999990000ull, 5},
    };
    for (const auto& c : cases) {
        FILETIME file{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &file));
        EXPECT_EQ(Ticks(file), c.ticks) << c.time.wYear;
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
        EXPECT_EQ(std::memcmp(&back.wYear, &c.time.wYear, sizeof(WORD) * 2), 0);
        EXPECT_EQ(back.wDay, c.time.wDay);
        EXPECT_EQ(back.wHour, c.time.wHour);
        EXPECT_EQ(back.wSecond, c.time.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.time.wMilliseconds);
        EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek) << c.time.wYear;
    }
}

TEST(FileTimes, RejectInvalidDates)
{
    FILETIME file;
    for (const SYSTEMTIME& bad : {Make(2001, 2, 29), Make(1600, 12, 31), Make(2000, 13, 1), Make(2000, 1, 0), Make(2000, 1, 1, 24)}) {
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&bad, &file));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST(FileTimes, CompareAndDosTimes)
{
    FILETIME early{}, late{};
    const SYSTEMTIME a = Make(2003, 5, 1, 10, 0, 0), b = Make(2003, 5, 1, 10, 0, 1);
    SystemTimeToFileTime(&a, &early);
    SystemTimeToFileTime(&b, &late);
    EXPECT_EQ(CompareFileTime(&early, &late), -1);
    EXPECT_EQ(CompareFileTime(&late, &early), 1);
    EXPECT_EQ(CompareFileTime(&late, &late), 0);

    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&late, &date, &time));
    EXPECT_EQ(date, ((2003 - 1980) << 9) | (5 << 5) | 1);
    EXPECT_EQ(time, (10 << 11) | 0); // one second rounds down to the even zero
    FILETIME back{};
    ASSERT_TRUE(DosDateTimeToFileTime(date, time, &back));
    EXPECT_EQ(CompareFileTime(&back, &early), 0);
    const SYSTEMTIME tooEarly = Make(1979, 12, 31);
    SystemTimeToFileTime(&tooEarly, &back);
    EXPECT_FALSE(FileTimeToDosDateTime(&back, &date, &time));
}

TEST(FileTimes, LocalTimeFollowsTheTimeZone)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    FILETIME utc{}, local{}, back{};
    const SYSTEMTIME winter = Make(2004, 1, 15, 12, 0, 0);
    SystemTimeToFileTime(&winter, &utc);
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(Ticks(local) - Ticks(utc), 3600ull * 10000000ull);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Ticks(back), Ticks(utc));
    const SYSTEMTIME summer = Make(2004, 7, 15, 12, 0, 0);
    SystemTimeToFileTime(&summer, &utc);
    FileTimeToLocalFileTime(&utc, &local);
    EXPECT_EQ(Ticks(local) - Ticks(utc), 7200ull * 10000000ull);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(Clock, TickCountAndPerformanceCounterShareTheReplaceableClock)
{
    std::uint64_t now = 0x1'0000'0000ull * 1000 + 5'000'123; // past the 32-bit millisecond wrap
    vls::win32::SetClockSource([&] { return now; });
    EXPECT_EQ(GetTickCount(), 5000u);
    LARGE_INTEGER counter{}, frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    EXPECT_EQ(static_cast<ULONGLONG>(counter.QuadPart), now);
    now += frequency.QuadPart / 2;
    EXPECT_EQ(GetTickCount(), 5500u);
    // A virtual clock moves forward when the program sleeps.
    vls::win32::SetSleepSource([&](std::uint32_t ms) { now += ms * 1000ull; });
    Sleep(1000);
    EXPECT_EQ(GetTickCount(), 6500u);
    // The system clock stays reachable for a replacement that keeps pace with it.
    const std::uint64_t system = vls::win32::SystemClockMicroseconds();
    vls::win32::SystemSleep(20);
    EXPECT_GE(vls::win32::SystemClockMicroseconds() - system, 20'000u);
    EXPECT_EQ(GetTickCount(), 6500u);
    vls::win32::SetSleepSource({});
    vls::win32::SetClockSource({});
    const DWORD first = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - first, 20u);
}

LONG_PTR Answer()
{
    return 42;
}
LONG_PTR Other()
{
    return 7;
}

TEST(Modules, LibrariesAreRegisteredTables)
{
    const vls::win32::ProcTableEntry program[] = {{"cSystem__GoTo", vls::win32::ToProc(&Answer)}};
    const vls::win32::ProcTableEntry theme[] = {{"OpenThemeData", vls::win32::ToProc(&Other)}};
    vls::win32::RegisterModuleExports(nullptr, program);
    const HMODULE registered = vls::win32::RegisterModuleExports("UxTheme.dll", theme);

    const HMODULE self = GetModuleHandleA(nullptr);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(GetProcAddress(self, "cSystem__GoTo")(), 42);
    EXPECT_EQ(GetProcAddress(self, "cSystem__Missing"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    EXPECT_EQ(LoadLibraryA("uxtheme.DLL"), registered);
    EXPECT_EQ(LoadLibraryA("UXTHEME"), registered);
    EXPECT_EQ(GetProcAddress(LoadLibraryA("UxTheme.dll"), "OpenThemeData")(), 7);
    EXPECT_EQ(GetProcAddress(registered, "cSystem__GoTo"), nullptr);
    EXPECT_TRUE(FreeLibrary(registered));
    EXPECT_EQ(LoadLibraryA("d3d8.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(const_cast<vls::win32::ProcTableEntry*>(program)), "x"), nullptr);
}

TEST(Modules, ProgramFileNameUsesBackslashes)
{
    char name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(name), length);
    EXPECT_EQ(name[0], '\\');
    EXPECT_NE(std::string(name).find("test_platform_win32_kernel"), std::string::npos);
    char self[MAX_PATH] = {};
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), self, MAX_PATH), length);

    char small[5] = {};
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), std::string(name, 4));
}

} // namespace
