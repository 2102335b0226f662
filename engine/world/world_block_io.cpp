#include "engine/world/world_block_io.h"

#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"

#include <cstring>

void WriteWorldBlock(int file, const char* tag, const char* name, const std::vector<std::uint8_t>& payload,
                     std::uint32_t statedLength)
{
    WriteSavegameBlockHeader(file, tag, name, statedLength);
    if (!payload.empty())
        _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

std::uint32_t WorldBytesLeft(int file)
{
    const long position = _tell(file);
    const long size = _filelength(file);
    if (position < 0 || size < position)
        return 0;
    return static_cast<std::uint32_t>(size - position);
}

bool ReadWorldBytes(int file, std::uint32_t size, std::vector<std::uint8_t>& bytes)
{
    bytes.assign(size, 0);
    return size == 0 || _read(file, bytes.data(), size) == static_cast<int>(size);
}

bool ReadWorldBlockPayload(int file, const SavegameBlockHeader& header, std::uint32_t limit,
                           std::vector<std::uint8_t>& payload)
{
    if (header.length > limit)
        return false;
    return ReadWorldBytes(file, header.length, payload);
}

bool IsWorldBlock(const SavegameBlockHeader& header, const char* tag)
{
    return std::strncmp(header.tag, tag, 3) == 0 && header.tag[3] == 0;
}
