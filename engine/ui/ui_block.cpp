#include "engine/ui/ui_block.h"

#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"

#include <algorithm>

std::vector<std::uint8_t> ReadBlockPayload(int file, const SavegameBlockHeader& header)
{
    constexpr std::uint32_t kPiece = 64 * 1024;
    std::vector<std::uint8_t> payload;
    std::uint32_t left = header.length;
    while (left > 0) {
        const std::uint32_t piece = std::min(left, kPiece);
        const std::size_t at = payload.size();
        payload.resize(at + piece);
        const int got = _read(file, payload.data() + at, piece);
        if (got <= 0) {
            payload.resize(at);
            break;
        }
        payload.resize(at + static_cast<std::size_t>(got));
        left -= static_cast<std::uint32_t>(got);
    }
    return payload;
}
