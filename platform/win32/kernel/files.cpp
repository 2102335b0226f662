#include "platform/win32/kernel/files.h"

#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/paths.h"
#include "platform/win32/kernel/time.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vls::win32 {

namespace {

class FileObject : public KernelObject {
public:
    explicit FileObject(int fd) : fd_(fd) {}
    ~FileObject() override { close(fd_); }
    int fd() const { return fd_; }

private:
    int fd_;
};

std::optional<std::string> Mapped(LPCSTR name)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    return MapPath(name);
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL FailFromErrno(const std::string& path)
{
    return Fail(ErrorFromErrno(errno, path.c_str()));
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ExistsNoFollow(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Copies `source` to a fresh temporary file beside `target` and renames it
// into place; keeps the source's permissions and last-write time.
BOOL CopyThroughTemporary(const std::string& source, const std::string& target)
{
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FailFromErrno(source);
    struct stat info;
    if (fstat(in, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(in);
        return Fail(ERROR_ACCESS_DENIED);
    }
    std::string temporary = target + ".vls-copy-XXXXXX";
    const int out = mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        const DWORD error = ErrorFromErrno(errno, target.c_str());
        close(in);
        return Fail(error);
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!WriteAll(out, buffer, static_cast<size_t>(got))) {
            ok = false;
            break;
        }
    }
    const int error = errno;
    close(in);
    if (ok) {
        fchmod(out, info.st_mode & 07777);
        const timespec times[2] = {info.st_atim, info.st_mtim};
        futimens(out, times);
    }
    if (close(out) != 0)
        ok = false;
    if (ok && rename(temporary.c_str(), target.c_str()) != 0)
        ok = false;
    if (!ok) {
        const DWORD code = ErrorFromErrno(errno ? errno : error, target.c_str());
        unlink(temporary.c_str());
        return Fail(code == ERROR_SUCCESS ? ERROR_CANTWRITE : code);
    }
    return TRUE;
}

} // namespace

DWORD ErrorFromErrno(int error, const char* path)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
    case ENOTDIR:
        if (path) {
            const std::filesystem::path parent = std::filesystem::path(path).parent_path();
            if (!parent.empty() && !IsDirectory(parent.string()))
                return ERROR_PATH_NOT_FOUND;
        }
        return error == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

int FileHandleDescriptor(HANDLE file)
{
    const FileObject* object = LookUpHandleAs<FileObject>(file);
    return object ? object->fd() : -1;
}

} // namespace vls::win32

using namespace vls::win32;

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES security,
    DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE)
{
    const std::optional<std::string> path = Mapped(fileName);
    if (!path)
        return INVALID_HANDLE_VALUE;

    int flags = 0;
    const bool reads = desiredAccess & GENERIC_READ;
    const bool writes = desiredAccess & GENERIC_WRITE;
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    switch (creationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if (!writes) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        flags |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (!(security && security->bInheritHandle))
        flags |= O_CLOEXEC;
    if (flagsAndAttributes & FILE_FLAG_WRITE_THROUGH)
        flags |= O_DSYNC;

    const bool existed = ExistsNoFollow(*path);
    if (IsDirectory(*path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = open(path->c_str(), flags, 0666);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno, path->c_str()));
        return INVALID_HANDLE_VALUE;
    }
    // Opening over an existing file with CREATE_ALWAYS or OPEN_ALWAYS succeeds
    // and says so through the last error.
    const bool mayCreate = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    SetLastError(mayCreate && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return RegisterHandle(new FileObject(fd));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED)
{
    if (bytesRead)
        *bytesRead = 0;
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    DWORD total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < bytesToRead) {
        const ssize_t got = read(fd, out + total, bytesToRead - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (bytesRead)
                *bytesRead = total;
            return Fail(ErrorFromErrno(errno));
        }
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
    }
    if (bytesRead)
        *bytesRead = total;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED)
{
    if (bytesWritten)
        *bytesWritten = 0;
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    if (!WriteAll(fd, static_cast<const char*>(buffer), bytesToWrite))
        return Fail(ErrorFromErrno(errno));
    if (bytesWritten)
        *bytesWritten = bytesToWrite;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, LARGE_INTEGER* newPosition, DWORD moveMethod)
{
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    const int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR : moveMethod == FILE_END ? SEEK_END : -1;
    if (whence < 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const off_t position = lseek(fd, static_cast<off_t>(distanceToMove.QuadPart), whence);
    if (position < 0)
        return Fail(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno));
    if (newPosition)
        newPosition->QuadPart = position;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod)
{
    LARGE_INTEGER distance;
    distance.QuadPart = distanceToMoveHigh
        ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceToMoveHigh)) << 32) | static_cast<DWORD>(distanceToMove))
        : distanceToMove;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(file, distance, &position, moveMethod))
        return INVALID_SET_FILE_POINTER;
    if (distanceToMoveHigh)
        *distanceToMoveHigh = position.u.HighPart;
    else if (position.QuadPart > 0xFFFFFFFFLL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    SetLastError(ERROR_SUCCESS); // callers tell a real 0xFFFFFFFF position from failure by this
    return position.u.LowPart;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size)
{
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    struct stat info;
    if (fstat(fd, &info) != 0)
        return Fail(ErrorFromErrno(errno));
    size->QuadPart = info.st_size;
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        return INVALID_FILE_SIZE;
    if (fileSizeHigh)
        *fileSizeHigh = static_cast<DWORD>(size.u.HighPart);
    SetLastError(ERROR_SUCCESS);
    return size.u.LowPart;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite)
{
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    struct stat info;
    if (fstat(fd, &info) != 0)
        return Fail(ErrorFromErrno(errno));
    // Linux keeps no creation time in stat; the last status change is the
    // closest it offers.
    if (creation)
        *creation = FileTimeFromTimespec(info.st_ctim);
    if (lastAccess)
        *lastAccess = FileTimeFromTimespec(info.st_atim);
    if (lastWrite)
        *lastWrite = FileTimeFromTimespec(info.st_mtim);
    return TRUE;
}

BOOL SetEndOfFile(HANDLE file)
{
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    const off_t position = lseek(fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(fd, position) != 0)
        return Fail(ErrorFromErrno(errno));
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    const int fd = FileHandleDescriptor(file);
    if (fd < 0)
        return FALSE;
    if (fsync(fd) != 0 && errno != EINVAL)
        return Fail(ErrorFromErrno(errno));
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName)
{
    const std::optional<std::string> path = Mapped(fileName);
    if (!path)
        return FALSE;
    if (IsDirectory(*path))
        return Fail(ERROR_ACCESS_DENIED);
    if (unlink(path->c_str()) != 0)
        return FailFromErrno(*path);
    return TRUE;
}

BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists)
{
    const std::optional<std::string> source = Mapped(existingFileName);
    if (!source)
        return FALSE;
    const std::optional<std::string> target = Mapped(newFileName);
    if (!target)
        return FALSE;
    if (!ExistsNoFollow(*source))
        return FailFromErrno(*source);
    if (ExistsNoFollow(*target)) {
        if (failIfExists)
            return Fail(ERROR_FILE_EXISTS);
        std::error_code error;
        if (std::filesystem::equivalent(*source, *target, error))
            return Fail(ERROR_SHARING_VIOLATION);
        if (IsDirectory(*target))
            return Fail(ERROR_ACCESS_DENIED);
    }
    return CopyThroughTemporary(*source, *target);
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags)
{
    const std::optional<std::string> source = Mapped(existingFileName);
    if (!source)
        return FALSE;
    const std::optional<std::string> target = Mapped(newFileName);
    if (!target)
        return FALSE;
    if (!ExistsNoFollow(*source))
        return FailFromErrno(*source);
    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    // Renaming a file onto a name that differs only in case is a rename of
    // the same entry, which Windows allows.
    const bool sameEntry = *source != *target && std::filesystem::path(*source).parent_path() == std::filesystem::path(*target).parent_path()
        && [&] { std::error_code e; return std::filesystem::equivalent(*source, *target, e); }();
    if (!sameEntry && ExistsNoFollow(*target)) {
        if (!replace)
            return Fail(ERROR_ALREADY_EXISTS);
        if (IsDirectory(*target))
            return Fail(ERROR_ACCESS_DENIED);
    }
    if (rename(source->c_str(), target->c_str()) == 0)
        return TRUE;
    if (errno != EXDEV || !(flags & MOVEFILE_COPY_ALLOWED) || IsDirectory(*source))
        return FailFromErrno(*target);
    if (!CopyThroughTemporary(*source, *target))
        return FALSE;
    if (unlink(source->c_str()) != 0)
        return FailFromErrno(*source);
    return TRUE;
}

BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName)
{
    return MoveFileExA(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES)
{
    const std::optional<std::string> path = Mapped(pathName);
    if (!path)
        return FALSE;
    if (mkdir(path->c_str(), 0777) != 0)
        return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, path->c_str()));
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR pathName)
{
    const std::optional<std::string> path = Mapped(pathName);
    if (!path)
        return FALSE;
    if (rmdir(path->c_str()) != 0)
        return Fail(errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno, path->c_str()));
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName)
{
    const std::optional<std::string> path = Mapped(fileName);
    if (!path)
        return INVALID_FILE_ATTRIBUTES;
    struct stat info;
    if (stat(path->c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno, path->c_str()));
        return INVALID_FILE_ATTRIBUTES;
    }
    return FileAttributesFromStat(info);
}

BOOL GetDiskFreeSpaceExA(LPCSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
    PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes)
{
    const std::optional<std::string> path = directoryName ? MapPath(directoryName) : std::optional<std::string>(".");
    if (!path)
        return FALSE;
    struct statvfs info;
    if (statvfs(path->c_str(), &info) != 0)
        return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, path->c_str()));
    const ULONGLONG unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (freeBytesAvailableToCaller)
        freeBytesAvailableToCaller->QuadPart = unit * info.f_bavail;
    if (totalNumberOfBytes)
        totalNumberOfBytes->QuadPart = unit * info.f_blocks;
    if (totalNumberOfFreeBytes)
        totalNumberOfFreeBytes->QuadPart = unit * info.f_bfree;
    return TRUE;
}

BOOL GetDiskFreeSpaceA(LPCSTR rootPathName, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
    LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters)
{
    const std::optional<std::string> path = rootPathName ? MapPath(rootPathName) : std::optional<std::string>(".");
    if (!path)
        return FALSE;
    struct statvfs info;
    if (statvfs(path->c_str(), &info) != 0)
        return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, path->c_str()));
    constexpr DWORD kSectorSize = 512;
    const ULONGLONG unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    const DWORD sectors = static_cast<DWORD>(unit >= kSectorSize ? unit / kSectorSize : 1);
    auto clamp = [](ULONGLONG value) { return static_cast<DWORD>(value > 0xFFFFFFFFull ? 0xFFFFFFFFull : value); };
    if (sectorsPerCluster)
        *sectorsPerCluster = sectors;
    if (bytesPerSector)
        *bytesPerSector = kSectorSize;
    if (numberOfFreeClusters)
        *numberOfFreeClusters = clamp(info.f_bavail * unit / (ULONGLONG(sectors) * kSectorSize));
    if (totalNumberOfClusters)
        *totalNumberOfClusters = clamp(info.f_blocks * unit / (ULONGLONG(sectors) * kSectorSize));
    return TRUE;
}

namespace vls::win32 {

DWORD FileAttributesFromStat(const struct stat& info)
{
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(info.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

} // namespace vls::win32
