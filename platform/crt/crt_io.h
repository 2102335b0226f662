#pragma once

#include <cstdio>

// Low-level file descriptors of the original C run-time. Names go through the
// kernel layer's path mapping. Descriptors are binary whatever the mode bits
// say; text translation belongs to the streams of _fdopen.
constexpr int _O_RDONLY = 0x0000;
constexpr int _O_WRONLY = 0x0001;
constexpr int _O_RDWR = 0x0002;
constexpr int _O_APPEND = 0x0008;
constexpr int _O_CREAT = 0x0100;
constexpr int _O_TRUNC = 0x0200;
constexpr int _O_EXCL = 0x0400;
constexpr int _O_TEXT = 0x4000;
constexpr int _O_BINARY = 0x8000;

constexpr int _S_IREAD = 0x0100;
constexpr int _S_IWRITE = 0x0080;

// All return -1 with errno set on failure.
int _open(const char* fileName, int openFlags, int permissionMode = _S_IREAD | _S_IWRITE);
int _read(int fd, void* buffer, unsigned int count);
int _write(int fd, const void* buffer, unsigned int count);
long _lseek(int fd, long offset, int origin);
long _tell(int fd);
long _filelength(int fd);
int _close(int fd);

// A stream over an open descriptor, reading and writing from the
// descriptor's current position. Mode "t" (the default, as in "r" or "rt")
// reads CR LF as LF; "b" passes bytes through. Closing the stream closes the
// descriptor. Null with errno set on a bad mode or descriptor.
FILE* _fdopen(int fd, const char* mode);

// Flushes every open output stream; returns the number of open streams as
// far as they are known here (0).
int _flushall();
