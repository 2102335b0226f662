#pragma once

#include "platform/win32/wintypes.h"

constexpr DWORD DATE_SHORTDATE = 0x1;
constexpr DWORD DATE_LONGDATE = 0x2;
constexpr DWORD DATE_USE_ALT_CALENDAR = 0x4;
constexpr DWORD DATE_YEARMONTH = 0x8;
constexpr DWORD TIME_NOMINUTESORSECONDS = 0x1;
constexpr DWORD TIME_NOSECONDS = 0x2;
constexpr DWORD TIME_NOTIMEMARKER = 0x4;
constexpr DWORD TIME_FORCE24HOURFORMAT = 0x8;

// A null time formats the current local time; a null format takes the
// locale's (see locale.h). Pictures: d dd ddd dddd, M MM MMM MMMM, y yy yyyy,
// h hh H HH, m mm, s ss, t tt, and 'quoted text'. The result counts the
// terminator; a size of 0 asks for the length.
int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCSTR format, LPSTR dateText, int size);
int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR timeText, int size);
