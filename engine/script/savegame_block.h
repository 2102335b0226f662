#pragma once

#include <cstdint>

// The 72-byte header in front of every savegame block: a three-letter tag
// with a NUL, a 64-byte name and the payload length the writer computed.
// Blocks are written to and read from C run-time descriptors.
struct SavegameBlockHeader {
    char tag[4] = {};
    char name[64] = {};
    std::uint32_t length = 0;
};

constexpr std::uint32_t kSavegameBlockHeaderSize = 72;

bool WriteSavegameBlockHeader(int file, const char* tag, const char* name, std::uint32_t length);
// False on a short read (the header is then zeroed).
bool ReadSavegameBlockHeader(int file, SavegameBlockHeader& header);
// The first three bytes must be the tag and the fourth a NUL; otherwise
// "Savegame block type or version mismatch." is reported as fatal, under the
// header's tag and name, and the result is false.
bool CheckSavegameBlockTag(const SavegameBlockHeader& header, const char* tag);
