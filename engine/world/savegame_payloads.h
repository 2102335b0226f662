#pragma once

#include <cstdint>

struct SavegameBlockHeader;

// Whether the payload of a dialogue ("DLG"), inventory ("INV"), view
// ("VIE"), object ("OBJ") or controller ("PCR") block is whole: its counts
// account for its length exactly, so no reader takes a cut or overlong
// payload for a whole one. Other blocks pass.
bool OwnerPayloadFits(const SavegameBlockHeader& header, const std::uint8_t* payload);

// The number of views a "SCN" payload counts; that many "VIE" blocks follow
// it. 0 for a payload too short to hold the count.
std::uint32_t SavedSceneViewCount(const std::uint8_t* payload, std::uint32_t length);
