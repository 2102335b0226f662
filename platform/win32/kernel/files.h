#pragma once

#include "platform/win32/wintypes.h"

#include <sys/stat.h>

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000u;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// Names go through the path mapping of paths.h. Share modes are accepted and
// not enforced; overlapped I/O is not supported (pass null).
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
    DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, LARGE_INTEGER* newPosition, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);

BOOL DeleteFileA(LPCSTR fileName);
// The copy is written beside the target under a temporary name and renamed
// over it, so a failed copy never leaves a half-written target.
BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(LPCSTR pathName);
DWORD GetFileAttributesA(LPCSTR fileName);

// A null folder asks about the working folder.
BOOL GetDiskFreeSpaceExA(LPCSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
    PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes);
// Cluster counts beyond 32 bits are reported as 0xFFFFFFFF.
BOOL GetDiskFreeSpaceA(LPCSTR rootPathName, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
    LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters);

namespace vls::win32 {

// The Win32 error code that stands for an errno value; for a missing entry it
// tells a missing file from a missing folder on the way by looking at `path`.
DWORD ErrorFromErrno(int error, const char* path = nullptr);

// The FILE_ATTRIBUTE_* bits that stand for a stat result.
DWORD FileAttributesFromStat(const struct stat& info);

// The descriptor behind a file handle from CreateFileA, or -1.
int FileHandleDescriptor(HANDLE file);

} // namespace vls::win32
