#include "engine/script/savegame_block.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "platform/crt/crt_io.h"

#include <cstring>
#include <string>
#include <vector>

bool WriteSavegameBlockHeader(int file, const char* tag, const char* name, std::uint32_t length)
{
    std::vector<std::uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    char tagField[4] = {};
    std::strncpy(tagField, tag, 3);
    writer.Bytes(tagField, sizeof tagField);
    writer.FixedText(name ? name : "", 64);
    writer.U32(length);
    return _write(file, bytes.data(), static_cast<unsigned>(bytes.size())) == static_cast<int>(bytes.size());
}

bool ReadSavegameBlockHeader(int file, SavegameBlockHeader& header)
{
    std::uint8_t bytes[kSavegameBlockHeaderSize];
    header = SavegameBlockHeader{};
    if (_read(file, bytes, sizeof bytes) != static_cast<int>(sizeof bytes))
        return false;
    DatafileByteReader reader(bytes, sizeof bytes);
    reader.Bytes(header.tag, sizeof header.tag);
    reader.Bytes(header.name, sizeof header.name);
    header.length = reader.U32();
    return true;
}

bool CheckSavegameBlockTag(const SavegameBlockHeader& header, const char* tag)
{
    if (std::strncmp(header.tag, tag, 3) == 0 && header.tag[3] == 0)
        return true;
    // Both fields may lack a terminator in a damaged file.
    const std::string module(header.tag, strnlen(header.tag, sizeof header.tag));
    const std::string where(header.name, strnlen(header.name, sizeof header.name));
    ReportError(module.c_str(), where.c_str(), 1, "Savegame block type or version mismatch.");
    return false;
}
