#pragma once

#include <cstdint>
#include <vector>

struct SavegameBlockHeader;

// Writes a block header with the payload's own length (or stated, when the
// block's stated length leaves out what follows it) and the payload.
void WriteWorldBlock(int file, const char* tag, const char* name, const std::vector<std::uint8_t>& payload,
                     std::uint32_t statedLength);
// Reads the stated payload of header into payload: false when it is longer
// than limit (a damaged length) or the file ends first.
bool ReadWorldBlockPayload(int file, const SavegameBlockHeader& header, std::uint32_t limit,
                           std::vector<std::uint8_t>& payload);
// The bytes between the file's position and its end: the most that any
// length read from it can honestly claim.
std::uint32_t WorldBytesLeft(int file);
// Reads exactly size bytes; false when the file ends first.
bool ReadWorldBytes(int file, std::uint32_t size, std::vector<std::uint8_t>& bytes);
// Whether header opens a block of tag (three letters and a NUL), without
// reporting anything: for a reader asking which optional block comes next.
bool IsWorldBlock(const SavegameBlockHeader& header, const char* tag);
