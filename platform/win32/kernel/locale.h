#pragma once

#include "platform/win32/wintypes.h"

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_INVARIANT = 0x007F;
using LCTYPE = DWORD;
constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;
constexpr LCTYPE LOCALE_SDATE = 0x001D;
constexpr LCTYPE LOCALE_STIME = 0x001E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x001F;
constexpr LCTYPE LOCALE_SLONGDATE = 0x0020;
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;
constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000u;

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_MACCP = 2;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

// One locale serves every process here: English (United States) names with
// the day.month.year date and the 24-hour clock, and code page 1252. Locale
// identifiers of Cyrillic languages use code page 1251.
LCID GetUserDefaultLCID();
LCID GetSystemDefaultLCID();
LANGID GetUserDefaultLangID();
UINT GetACP();
int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);

namespace vls::win32 {

// The single-byte code page that 8-bit text of `locale` uses.
UINT AnsiCodePageOfLocale(LCID locale);
// Copies `text` with its terminator into the Win32-style output buffer
// (size 0 asks for the length); returns the count with the terminator, or 0
// with ERROR_INSUFFICIENT_BUFFER.
int CopyOut(const char* text, LPSTR out, int size);

inline constexpr const char* kShortDateFormat = "dd.MM.yyyy";
inline constexpr const char* kLongDateFormat = "dddd, d. MMMM yyyy";
inline constexpr const char* kTimeFormat = "HH:mm:ss";

} // namespace vls::win32
