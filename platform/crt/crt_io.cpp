#include "platform/crt/crt_io.h"

#include "platform/win32/kernel/paths.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Regular files and devices (as "NUL" is on Windows) open; folders, FIFOs
// and sockets do not.
bool OpensAsFile(mode_t mode) { return !S_ISDIR(mode) && !S_ISFIFO(mode) && !S_ISSOCK(mode); }

int PosixFlags(int openFlags)
{
    int flags = O_CLOEXEC;
    switch (openFlags & (_O_WRONLY | _O_RDWR)) {
    case _O_WRONLY:
        flags |= O_WRONLY;
        break;
    case _O_RDWR:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    if (openFlags & _O_APPEND)
        flags |= O_APPEND;
    if (openFlags & _O_CREAT)
        flags |= O_CREAT;
    if (openFlags & _O_TRUNC)
        flags |= O_TRUNC;
    if (openFlags & _O_EXCL)
        flags |= O_EXCL;
    return flags;
}

// A read-ahead CR is held back until the next byte shows whether it starts
// a CR LF pair; when that pair turns out not to be one, the byte after the
// CR may not fit the caller's buffer and waits in `carry`.
struct TextCookie {
    int fd;
    bool pendingCr = false;
    int carry = -1;
};

ssize_t ReadRaw(int fd, char* buffer, size_t size)
{
    for (;;) {
        const ssize_t got = read(fd, buffer, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

ssize_t TextRead(void* cookie, char* buffer, size_t size)
{
    auto* text = static_cast<TextCookie*>(cookie);
    size_t produced = 0;
    if (size > 0 && text->carry >= 0) {
        buffer[produced++] = static_cast<char>(text->carry);
        text->carry = -1;
    }
    while (produced == 0 && size > 0) {
        char raw[4096];
        const size_t room = size - produced;
        const ssize_t got = ReadRaw(text->fd, raw, room < sizeof raw ? room : sizeof raw);
        if (got < 0)
            return -1;
        char out[sizeof raw + 1];
        size_t count = 0;
        if (got == 0 && text->pendingCr) { // a CR at the very end stays a CR
            text->pendingCr = false;
            out[count++] = '\r';
        }
        for (ssize_t i = 0; i < got; ++i) {
            const char c = raw[i];
            if (text->pendingCr) {
                text->pendingCr = false;
                if (c != '\n')
                    out[count++] = '\r';
            }
            if (c == '\r')
                text->pendingCr = true;
            else
                out[count++] = c;
        }
        // At most one byte more than was read comes out: the held CR.
        const size_t fits = count < room ? count : room;
        std::memcpy(buffer + produced, out, fits);
        produced += fits;
        if (fits < count)
            text->carry = static_cast<unsigned char>(out[fits]);
        if (got == 0)
            break;
    }
    return static_cast<ssize_t>(produced);
}

ssize_t PassRead(void* cookie, char* buffer, size_t size)
{
    return ReadRaw(static_cast<TextCookie*>(cookie)->fd, buffer, size);
}

ssize_t WriteAll(void* cookie, const char* buffer, size_t size)
{
    const int fd = static_cast<TextCookie*>(cookie)->fd;
    size_t done = 0;
    while (done < size) {
        const ssize_t written = write(fd, buffer + done, size - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        }
        done += static_cast<size_t>(written);
    }
    return static_cast<ssize_t>(done);
}

int Seek(void* cookie, off64_t* position, int whence)
{
    auto* text = static_cast<TextCookie*>(cookie);
    text->pendingCr = false;
    text->carry = -1;
    const off64_t result = lseek64(text->fd, *position, whence);
    if (result < 0)
        return -1;
    *position = result;
    return 0;
}

int Close(void* cookie)
{
    auto* text = static_cast<TextCookie*>(cookie);
    const int result = close(text->fd);
    delete text;
    return result;
}

} // namespace

int _open(const char* fileName, int openFlags, int permissionMode)
{
    if (!fileName) {
        errno = EINVAL;
        return -1;
    }
    const std::optional<std::string> path = vls::win32::MapPath(fileName);
    if (!path) {
        errno = ENOENT;
        return -1;
    }
    // A FIFO or a socket under a file's name would block the open (or the
    // first read) for ever, and a restarted signal handler never ends it:
    // such names are refused before they are opened. Folders are not files on
    // Windows: opening one fails there.
    struct stat info {};
    if (stat(path->c_str(), &info) == 0 && !OpensAsFile(info.st_mode)) {
        errno = EACCES;
        return -1;
    }
    const mode_t mode = (permissionMode & _S_IWRITE) ? 0666 : 0444;
    // Non-blocking, so a FIFO put in the name's place since the look above
    // is still caught by the look below instead of holding the open.
    const int fd = open(path->c_str(), PosixFlags(openFlags) | O_NONBLOCK, mode);
    if (fd < 0)
        return -1;
    if (fstat(fd, &info) != 0 || !OpensAsFile(info.st_mode)) {
        close(fd);
        errno = EACCES;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int _read(int fd, void* buffer, unsigned int count)
{
    if (count > INT_MAX) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(ReadRaw(fd, static_cast<char*>(buffer), count));
}

int _write(int fd, const void* buffer, unsigned int count)
{
    if (count > INT_MAX) {
        errno = EINVAL;
        return -1;
    }
    TextCookie cookie{fd};
    return static_cast<int>(WriteAll(&cookie, static_cast<const char*>(buffer), count));
}

long _lseek(int fd, long offset, int origin)
{
    if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) {
        errno = EINVAL;
        return -1;
    }
    const off_t position = lseek(fd, offset, origin);
    // The original keeps positions in 32 bits.
    if (position > LONG_MAX || position > 0x7FFFFFFF) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<long>(position);
}

long _tell(int fd)
{
    return _lseek(fd, 0, SEEK_CUR);
}

long _filelength(int fd)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return -1;
    if (info.st_size > 0x7FFFFFFF) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<long>(info.st_size);
}

int _close(int fd)
{
    return close(fd);
}

FILE* _fdopen(int fd, const char* mode)
{
    if (!mode || !std::strchr("rwa", mode[0]) || fcntl(fd, F_GETFD) < 0) {
        errno = errno == EBADF ? EBADF : EINVAL;
        return nullptr;
    }
    const bool binary = std::strchr(mode, 'b') != nullptr;
    std::string stdioMode(1, mode[0]);
    if (std::strchr(mode, '+'))
        stdioMode += '+';
    cookie_io_functions_t functions{};
    functions.read = binary ? PassRead : TextRead;
    functions.write = WriteAll;
    functions.seek = Seek;
    functions.close = Close;
    auto* cookie = new TextCookie{fd};
    FILE* stream = fopencookie(cookie, stdioMode.c_str(), functions);
    if (!stream)
        delete cookie;
    return stream;
}

int _flushall()
{
    std::fflush(nullptr);
    return 0;
}
