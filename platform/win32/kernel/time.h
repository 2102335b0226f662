#pragma once

#include "platform/win32/wintypes.h"

#include <ctime>

void Sleep(DWORD milliseconds);
// Milliseconds on the shared clock of clock.h, wrapping at 2^32.
DWORD GetTickCount();
// The performance counter runs on the same clock, in microseconds.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
void GetSystemTimeAsFileTime(LPFILETIME time);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
// -1, 0 or 1 as the first time is earlier, equal or later.
LONG CompareFileTime(const FILETIME* first, const FILETIME* second);
// DOS dates hold years 1980 to 2107 and even seconds.
BOOL FileTimeToDosDateTime(const FILETIME* fileTime, LPWORD fatDate, LPWORD fatTime);
BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME fileTime);

namespace vls::win32 {

// 100-nanosecond ticks since 1601-01-01 UTC.
FILETIME FileTimeFromTimespec(const timespec& time);
ULONGLONG FileTimeTicks(const FILETIME& time);
FILETIME FileTimeFromTicks(ULONGLONG ticks);
// A SYSTEMTIME from broken-down calendar fields (day of week included).
SYSTEMTIME SystemTimeFromTm(const std::tm& fields, WORD milliseconds);
// Whether the fields name a real date and time (leap years included).
bool IsValidSystemTime(const SYSTEMTIME& time);

} // namespace vls::win32
