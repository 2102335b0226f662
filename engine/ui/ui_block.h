#pragma once

#include <cstdint>
#include <vector>

struct SavegameBlockHeader;

// The payload of the block whose header was just read: as many of its
// header.length bytes as the file holds (read in pieces, so a length that
// lies costs no more memory than the file has). The file is left after it.
std::vector<std::uint8_t> ReadBlockPayload(int file, const SavegameBlockHeader& header);
