#pragma once

#include <cstdint>

class cKestruneFileSystem;

// Text lines from an open datafile slot, as the C run-time's text-mode line
// reader gives them (CR LF becomes LF), but never past the end of the slot's
// entry: an archive entry is followed by the next one in the same file, and a
// raw descriptor would read on into it.
class cDatafileTextReader {
public:
    cDatafileTextReader(cKestruneFileSystem& files, std::int32_t slot) : files_(files), slot_(slot) {}

    // Like fgets: up to size - 1 characters, through the first line feed,
    // NUL-terminated. False (buffer empty) at the entry's end.
    bool ReadLine(char* buffer, std::int32_t size);
    bool AtEnd();

private:
    bool Fill();
    // The next byte with CR LF folded to LF; -1 at the end.
    int Next();

    cKestruneFileSystem& files_;
    std::int32_t slot_;
    char chunk_[512] = {};
    std::int32_t chunkPos_ = 0;
    std::int32_t chunkSize_ = 0;
};
