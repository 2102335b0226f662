#pragma once

#include "platform/win32/wintypes.h"

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// The pattern's folder goes through the path mapping; its last component may
// hold the wildcards '*' and '?', matched without regard to case ("*.*" also
// matches names without a dot). Entries come in name order.
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData);
BOOL FindClose(HANDLE findFile);

namespace vls::win32 {

// Windows wildcard matching of one name component, ignoring ASCII case.
bool WildcardMatch(const char* pattern, const char* name);

} // namespace vls::win32
