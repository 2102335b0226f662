#pragma once

#include <cstdint>
#include <vector>

namespace vls::fmod {

// The bytes a sample or stream is made from. With FSOUND_LOADMEMORY they are
// copied from `length` bytes at name_or_data, from `offset` on; otherwise the
// file name_or_data is read from `offset` to the end, or `length` bytes of it
// when `length` is above 0. On failure sets `error` and returns false.
bool LoadSoundBytes(const char* name_or_data, unsigned int mode, int offset, int length,
                    std::vector<std::uint8_t>& out, int& error);

} // namespace vls::fmod
