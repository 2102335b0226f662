#pragma once

#include "platform/win32/wintypes.h"

#include <string>
#include <string_view>

constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_COMPOSITE = 0x2;
constexpr DWORD MB_USEGLYPHCHARS = 0x4;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD WC_COMPOSITECHECK = 0x200;
constexpr DWORD WC_DEFAULTCHAR = 0x40;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;

// Code pages 1252 (also CP_ACP, CP_OEMCP and CP_THREAD_ACP), 1251 and UTF-8
// (65001). A length of -1 means up to and with the terminator; an output
// size of 0 asks for the length. Bytes that 1252 and 1251 leave undefined
// map to the control characters of the same value. Invalid UTF-8 becomes
// U+FFFD, or fails with ERROR_NO_UNICODE_TRANSLATION under
// MB_ERR_INVALID_CHARS. Characters that a single-byte code page lacks become
// the default character ('?' unless given) and set *usedDefaultChar.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide, int wideLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte, int multiByteLength,
    LPCSTR defaultChar, LPBOOL usedDefaultChar);

namespace vls::win32 {

// The UTF-16 unit that a byte of a single-byte code page stands for, or -1
// for a code page that is not one of ours.
int SingleByteToWide(UINT codePage, unsigned char byte);

// UTF-16 text as UTF-8, a lone surrogate as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace vls::win32
