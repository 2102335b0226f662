#include "platform/win32/kernel/time.h"

#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/last_error.h"

#include <cerrno>
#include <sys/time.h>

namespace vls::win32 {

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kTicksPerDay = kTicksPerSecond * 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr LONGLONG kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's
// days_from_civil), valid far beyond the range SYSTEMTIME allows.
LONGLONG DaysFromCivil(LONGLONG year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const LONGLONG era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<LONGLONG>(dayOfEra) - 719468;
}

void CivilFromDays(LONGLONG days, LONGLONG& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const LONGLONG era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<LONGLONG>(yearOfEra) + era * 400 + (month <= 2);
}

bool IsLeapYear(unsigned year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace

FILETIME FileTimeFromTicks(ULONGLONG ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

ULONGLONG FileTimeTicks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeFromTimespec(const timespec& time)
{
    const LONGLONG seconds = time.tv_sec + kDaysFrom1601To1970 * 86400;
    const ULONGLONG ticks = seconds < 0 ? 0 : static_cast<ULONGLONG>(seconds) * kTicksPerSecond + static_cast<ULONGLONG>(time.tv_nsec) / 100;
    return FileTimeFromTicks(ticks);
}

SYSTEMTIME SystemTimeFromTm(const std::tm& fields, WORD milliseconds)
{
    SYSTEMTIME time;
    time.wYear = static_cast<WORD>(fields.tm_year + 1900);
    time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    time.wDay = static_cast<WORD>(fields.tm_mday);
    time.wHour = static_cast<WORD>(fields.tm_hour);
    time.wMinute = static_cast<WORD>(fields.tm_min);
    time.wSecond = static_cast<WORD>(fields.tm_sec > 59 ? 59 : fields.tm_sec);
    time.wMilliseconds = milliseconds;
    return time;
}

bool IsValidSystemTime(const SYSTEMTIME& time)
{
    return time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1
        && time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60
        && time.wMilliseconds < 1000;
}

} // namespace vls::win32

using namespace vls::win32;

void Sleep(DWORD milliseconds)
{
    if (!SleepThroughSource(milliseconds))
        SystemSleep(milliseconds);
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(ClockMicroseconds() / 1000u);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return Fail(ERROR_INVALID_PARAMETER);
    count->QuadPart = static_cast<LONGLONG>(ClockMicroseconds());
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return Fail(ERROR_INVALID_PARAMETER);
    frequency->QuadPart = kPerformanceFrequency;
    return TRUE;
}

void GetSystemTimeAsFileTime(LPFILETIME time)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    *time = FileTimeFromTimespec(now);
}

void GetSystemTime(LPSYSTEMTIME time)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FileTimeToSystemTime(&now, time);
}

void GetLocalTime(LPSYSTEMTIME time)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm fields;
    localtime_r(&now.tv_sec, &fields);
    *time = SystemTimeFromTm(fields, static_cast<WORD>(now.tv_nsec / 1000000));
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime)
{
    if (!systemTime || !fileTime || !IsValidSystemTime(*systemTime))
        return Fail(ERROR_INVALID_PARAMETER);
    const LONGLONG days = DaysFromCivil(systemTime->wYear, systemTime->wMonth, systemTime->wDay) + kDaysFrom1601To1970;
    const ULONGLONG ticks = static_cast<ULONGLONG>(days) * kTicksPerDay
        + ((systemTime->wHour * 60ull + systemTime->wMinute) * 60ull + systemTime->wSecond) * kTicksPerSecond
        + systemTime->wMilliseconds * 10000ull;
    *fileTime = FileTimeFromTicks(ticks);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime)
{
    if (!fileTime || !systemTime)
        return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG ticks = FileTimeTicks(*fileTime);
    if (ticks >> 63)
        return Fail(ERROR_INVALID_PARAMETER);
    const LONGLONG days = static_cast<LONGLONG>(ticks / kTicksPerDay);
    ULONGLONG rest = ticks % kTicksPerDay;
    LONGLONG year;
    unsigned month;
    unsigned day;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month);
    systemTime->wDay = static_cast<WORD>(day);
    systemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    systemTime->wMilliseconds = static_cast<WORD>(rest / 10000 % 1000);
    rest /= kTicksPerSecond;
    systemTime->wSecond = static_cast<WORD>(rest % 60);
    systemTime->wMinute = static_cast<WORD>(rest / 60 % 60);
    systemTime->wHour = static_cast<WORD>(rest / 3600);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime)
{
    if (!fileTime || !localFileTime)
        return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG ticks = FileTimeTicks(*fileTime);
    const time_t seconds = static_cast<time_t>(static_cast<LONGLONG>(ticks / kTicksPerSecond) - kDaysFrom1601To1970 * 86400);
    std::tm fields;
    if (!localtime_r(&seconds, &fields))
        return Fail(ERROR_INVALID_PARAMETER);
    const LONGLONG shifted = static_cast<LONGLONG>(ticks) + static_cast<LONGLONG>(fields.tm_gmtoff) * static_cast<LONGLONG>(kTicksPerSecond);
    *localFileTime = FileTimeFromTicks(static_cast<ULONGLONG>(shifted < 0 ? 0 : shifted));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime)
{
    SYSTEMTIME local;
    if (!localFileTime || !fileTime || !FileTimeToSystemTime(localFileTime, &local))
        return Fail(ERROR_INVALID_PARAMETER);
    std::tm fields{};
    fields.tm_year = local.wYear - 1900;
    fields.tm_mon = local.wMonth - 1;
    fields.tm_mday = local.wDay;
    fields.tm_hour = local.wHour;
    fields.tm_min = local.wMinute;
    fields.tm_sec = local.wSecond;
    fields.tm_isdst = -1;
    const time_t seconds = mktime(&fields);
    if (seconds == static_cast<time_t>(-1) && errno == EOVERFLOW)
        return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG subsecond = FileTimeTicks(*localFileTime) % kTicksPerSecond;
    *fileTime = FileTimeFromTimespec(timespec{seconds, 0});
    *fileTime = FileTimeFromTicks(FileTimeTicks(*fileTime) + subsecond);
    return TRUE;
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second)
{
    const ULONGLONG a = FileTimeTicks(*first);
    const ULONGLONG b = FileTimeTicks(*second);
    return a < b ? -1 : a > b ? 1 : 0;
}

BOOL FileTimeToDosDateTime(const FILETIME* fileTime, LPWORD fatDate, LPWORD fatTime)
{
    SYSTEMTIME time;
    if (!fatDate || !fatTime || !FileTimeToSystemTime(fileTime, &time) || time.wYear < 1980 || time.wYear > 2107)
        return Fail(ERROR_INVALID_PARAMETER);
    *fatDate = static_cast<WORD>(((time.wYear - 1980) << 9) | (time.wMonth << 5) | time.wDay);
    *fatTime = static_cast<WORD>((time.wHour << 11) | (time.wMinute << 5) | (time.wSecond / 2));
    return TRUE;
}

BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME fileTime)
{
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(1980 + (fatDate >> 9));
    time.wMonth = static_cast<WORD>((fatDate >> 5) & 0x0F);
    time.wDay = static_cast<WORD>(fatDate & 0x1F);
    time.wHour = static_cast<WORD>(fatTime >> 11);
    time.wMinute = static_cast<WORD>((fatTime >> 5) & 0x3F);
    time.wSecond = static_cast<WORD>((fatTime & 0x1F) * 2);
    return SystemTimeToFileTime(&time, fileTime);
}
