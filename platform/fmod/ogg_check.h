#pragma once

#include <cstdint>
#include <span>

namespace vls::fmod {

enum class OggStatus {
    Ok,
    NotOgg,    // does not start with an Ogg page
    Damaged,   // a page is cut short, fails its checksum, or the last page is not an end of stream
};

// Walks every Ogg page of the file before the decoder sees it, so a cut or
// corrupted file is refused at open instead of playing garbage or ending early.
OggStatus CheckOggPages(std::span<const std::uint8_t> bytes);

} // namespace vls::fmod
