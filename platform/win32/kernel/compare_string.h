#pragma once

#include "platform/win32/wintypes.h"

constexpr DWORD NORM_IGNORECASE = 0x1;
constexpr DWORD NORM_IGNORENONSPACE = 0x2;
constexpr DWORD NORM_IGNORESYMBOLS = 0x4;
constexpr DWORD LINGUISTIC_IGNORECASE = 0x10;
constexpr DWORD NORM_IGNOREKANATYPE = 0x10000;
constexpr DWORD NORM_IGNOREWIDTH = 0x20000;
constexpr DWORD SORT_STRINGSORT = 0x1000;

constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;

// Three-way comparison in the manner of the Windows word sort: letters are
// compared without regard to case first (Latin, Greek and Cyrillic), hyphens
// and apostrophes only break ties (unless SORT_STRINGSORT), and case breaks
// the remaining ties with lower case first. NORM_IGNORESYMBOLS leaves out
// everything that is not a letter or digit. A length of -1 means up to the
// terminator. 0 on failure. The A form reads its text in the locale's code
// page.
int CompareStringW(LCID locale, DWORD flags, LPCWSTR first, int firstLength, LPCWSTR second, int secondLength);
int CompareStringA(LCID locale, DWORD flags, LPCSTR first, int firstLength, LPCSTR second, int secondLength);
int lstrlenA(LPCSTR text);
int lstrcmpiA(LPCSTR first, LPCSTR second);
int lstrcmpA(LPCSTR first, LPCSTR second);

namespace vls::win32 {

// The simple lower-case form of a UTF-16 unit in the scripts we handle.
char16_t LowerCaseUnit(char16_t unit);

} // namespace vls::win32
