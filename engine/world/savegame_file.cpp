#include "engine/world/savegame_file.h"

#include "engine/audio/sound_block.h"
#include "engine/base/datafile_bytes.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/savegame_block.h"
#include "engine/script/savegame_value.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/savegame_payloads.h"
#include "platform/crt/crt_io.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"
#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/system.h"

#include <cstring>

namespace {

constexpr std::size_t kNameSize = 64;
// Far above any game's state; keeps a stray huge file from being read whole.
constexpr long kLargestSavegame = 64L * 1024 * 1024;

// The top-level blocks in the order the file holds them. The player's "CHR"
// and the scene's "CHR" differ only by where they stand.
const char* const kOrder[] = {"SND", "CHR", "DLG", "MSN", "INV", "SPR", "TMR", "SCN", "PAR", "END"};
constexpr int kRankCharacter = 1;
constexpr int kRankScene = 7;
constexpr int kRankEffect = 8;
constexpr int kRankEnd = 9;
// Where a CHR payload counts its idle animations and its second list.
constexpr std::size_t kCharacterCountsOffset = 260;
// Blocks that only follow inside a character ("CHR") or a scene ("SCN").
const char* const kCharacterParts[] = {"MSP", "PCR", "MAN"};
const char* const kSceneParts[] = {"VIE", "OBJ", "CHR"};

struct Block {
    SavegameBlockHeader header;
    const std::uint8_t* payload = nullptr;
};

bool Is(const SavegameBlockHeader& header, const char* tag)
{
    return std::strncmp(header.tag, tag, 3) == 0 && header.tag[3] == 0;
}

template <std::size_t N>
bool IsOneOf(const SavegameBlockHeader& header, const char* const (&tags)[N])
{
    for (const char* tag : tags)
        if (Is(header, tag))
            return true;
    return false;
}

int Rank(const SavegameBlockHeader& header)
{
    for (int i = 0; i < static_cast<int>(std::size(kOrder)); ++i)
        if (Is(header, kOrder[i]))
            return i;
    return -1;
}

// Reads the next header and bounds its payload by the file.
bool NextBlock(DatafileByteReader& reader, Block& block, std::string& why)
{
    if (reader.Remaining() < kSavegameBlockHeaderSize) {
        why = "the file ends before its END block";
        return false;
    }
    reader.Bytes(block.header.tag, sizeof block.header.tag);
    reader.Bytes(block.header.name, sizeof block.header.name);
    block.header.length = reader.U32();
    if (block.header.length > reader.Remaining()) {
        why = std::string("block ") + std::string(block.header.tag, strnlen(block.header.tag, 4))
            + " is longer than the rest of the file";
        return false;
    }
    block.payload = reader.Take(block.header.length);
    return true;
}

bool Expect(const Block& block, const char* tag, std::string& why)
{
    if (Is(block.header, tag))
        return true;
    why = std::string("expected block ") + tag;
    return false;
}

bool CheckInfo(const Block& block, SavegameContents& contents, std::string& why)
{
    if (block.header.length < kSavegameInfoSize) {
        why = "the INF block is short";
        return false;
    }
    DatafileByteReader reader(block.payload, block.header.length);
    contents.info = ReadSavegameInfo(reader);
    if (std::uint64_t{contents.info.globalCount} * kSavegameValueRecordSize != reader.Remaining()) {
        why = "the INF block's global count disagrees with its length";
        return false;
    }
    for (std::uint32_t i = 0; i < contents.info.globalCount; ++i)
        contents.globals.push_back(ReadSavegameValue(reader));
    return true;
}

bool CheckScript(const Block& block, const char* name, ScriptBlock& script, std::string& why)
{
    if (!Expect(block, "SCR", why))
        return false;
    if (std::strncmp(block.header.name, name, kNameSize) != 0 || !ReadScriptBlock(block.payload, block.header.length, script)) {
        why = std::string("the script block ") + name + " is damaged";
        return false;
    }
    return true;
}

// The payloads whose counts this layer can check against their length.
bool CheckPayload(const Block& block, std::string& why)
{
    bool fits = true;
    if (Is(block.header, "SND")) {
        fits = SoundBlockLength(block.payload, block.header.length) == block.header.length;
    } else if (Is(block.header, "SCN")) {
        DatafileByteReader reader(block.payload, block.header.length);
        reader.Take(cKestruneScene::kPayloadFixedSize - 8);
        const std::uint64_t stack = reader.U32();
        const std::uint64_t layers = reader.U32();
        fits = !reader.Failed() && (stack + layers * 40) * 4 + cKestruneScene::kPayloadFixedSize == block.header.length;
    } else if (Is(block.header, "SPR")) {
        // The light count stands just before the lunar flag and its padding.
        DatafileByteReader reader(block.payload, block.header.length);
        reader.Take(cKestruneSprites::kBlockFixedSize - 8);
        const std::int64_t lights = reader.I32();
        fits = !reader.Failed() && lights >= 0
            && cKestruneSprites::kBlockFixedSize + std::uint64_t(lights) * kLightRecordSize == block.header.length;
    } else if (Is(block.header, "PAR")) {
        // Effects of unknown names are passed over by their length.
        const std::string name(block.header.name, strnlen(block.header.name, kNameSize));
        if (name == "Fountain")
            fits = block.header.length == kFountainBlockSize;
        else if (name == "WeatherSnow" || name == "WeatherRain")
            fits = block.header.length == kWeatherBlockSize;
    }
    if (!OwnerPayloadFits(block.header, block.payload))
        fits = false;
    if (!fits)
        why = std::string("block ") + std::string(block.header.tag, 3) + " does not match its counts";
    return fits;
}

// A character's idle animations and the entries of its second list follow
// its payload, outside the length its header states.
bool SkipCharacterEntries(DatafileByteReader& reader, const Block& block, std::string& why)
{
    // A block too short to count its entries is left to the character's
    // own reader, which refuses it.
    if (block.header.length < cKestruneCharacter::kPayloadSize)
        return true;
    DatafileByteReader counts(block.payload + kCharacterCountsOffset, 8);
    const std::uint64_t entries = std::uint64_t{counts.U32()} + counts.U32();
    if (entries * cKestruneCharacter::kIdleEntrySize > reader.Remaining()) {
        why = "the CHR block's animation entries run past the file";
        return false;
    }
    reader.Take(static_cast<std::size_t>(entries * cKestruneCharacter::kIdleEntrySize));
    return true;
}

// The scene's views follow it first, as many as it counts and no more.
bool CheckScenePart(const Block& block, std::uint32_t& viewsToCome, std::string& why)
{
    const bool view = Is(block.header, "VIE");
    if (view != (viewsToCome > 0)) {
        why = view ? "block VIE is out of place" : "the SCN block counts more views than follow it";
        return false;
    }
    if (view)
        --viewsToCome;
    return CheckPayload(block, why);
}

// Walks the owners' blocks from the "SND" header to the "END" header.
bool CheckOwnerBlocks(DatafileByteReader& reader, std::string& why)
{
    int rank = -1;
    std::uint32_t viewsToCome = 0;
    Block block;
    while (NextBlock(reader, block, why)) {
        if (Is(block.header, "CHR") && !SkipCharacterEntries(reader, block, why))
            return false;
        const bool characterPart = IsOneOf(block.header, kCharacterParts) && (rank == kRankCharacter || rank == kRankScene);
        if (characterPart && rank == kRankCharacter) {
            if (!CheckPayload(block, why))
                return false;
            continue;
        }
        if (characterPart || (rank == kRankScene && IsOneOf(block.header, kSceneParts))) {
            if (!CheckScenePart(block, viewsToCome, why))
                return false;
            continue;
        }
        if (viewsToCome > 0) {
            why = "the SCN block counts more views than follow it";
            return false;
        }
        const int blockRank = Rank(block.header);
        if (blockRank < 0 || blockRank < rank || (blockRank == rank && blockRank != kRankEffect)) {
            why = "block " + std::string(block.header.tag, strnlen(block.header.tag, 4)) + " is out of place";
            return false;
        }
        if (!CheckPayload(block, why))
            return false;
        if (blockRank == kRankScene)
            viewsToCome = SavedSceneViewCount(block.payload, block.header.length);
        rank = blockRank;
        if (rank == kRankEnd)
            return true;
    }
    return false;
}

} // namespace

void WriteSavegameInfo(DatafileByteWriter& writer, const SavegameInfo& info)
{
    const SYSTEMTIME& t = info.time;
    for (WORD field : {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds})
        writer.U16(field);
    writer.FixedText(info.playerSetup, kNameSize);
    writer.FixedText(info.sceneCaption, kNameSize);
    writer.FixedText(info.sceneFile, kNameSize);
    writer.FixedText(info.previousScene, kNameSize);
    writer.U32(info.globalCount);
    writer.U32(info.gameState);
    writer.U32(info.gameState2);
    writer.U32(info.effectCount);
}

SavegameInfo ReadSavegameInfo(DatafileByteReader& reader)
{
    SavegameInfo info;
    SYSTEMTIME& t = info.time;
    for (WORD* field : {&t.wYear, &t.wMonth, &t.wDayOfWeek, &t.wDay, &t.wHour, &t.wMinute, &t.wSecond, &t.wMilliseconds})
        *field = reader.U16();
    info.playerSetup = reader.FixedText(kNameSize);
    info.sceneCaption = reader.FixedText(kNameSize);
    info.sceneFile = reader.FixedText(kNameSize);
    info.previousScene = reader.FixedText(kNameSize);
    info.globalCount = reader.U32();
    info.gameState = reader.U32();
    info.gameState2 = reader.U32();
    info.effectCount = reader.U32();
    return info;
}

bool CheckSavegame(const std::uint8_t* data, std::size_t size, SavegameContents& contents, std::string& why)
{
    contents = SavegameContents{};
    DatafileByteReader reader(data, size);
    Block block;
    if (!NextBlock(reader, block, why) || !Expect(block, "VLS", why))
        return false;
    if (!NextBlock(reader, block, why) || !Expect(block, "INF", why) || !CheckInfo(block, contents, why))
        return false;
    if (!NextBlock(reader, block, why) || !CheckScript(block, "$project$", contents.projectScript, why))
        return false;
    if (!NextBlock(reader, block, why) || !CheckScript(block, "$scene$", contents.sceneScript, why))
        return false;
    contents.ownerBlocks = reader.Position();
    return CheckOwnerBlocks(reader, why);
}

bool ReadSavegameFile(const char* fileName, std::vector<std::uint8_t>& bytes)
{
    const int file = _open(fileName, _O_RDONLY | _O_BINARY);
    if (file < 0)
        return false;
    const long size = _filelength(file);
    bool read = size >= 0 && size <= kLargestSavegame;
    if (read) {
        bytes.resize(static_cast<std::size_t>(size));
        read = size == 0 || _read(file, bytes.data(), static_cast<unsigned>(size)) == static_cast<int>(size);
    }
    _close(file);
    return read;
}

std::string ProcessTemporaryName(const char* fileName)
{
    return std::string(fileName) + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

namespace {

std::string WriteFailure(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL: return "the disk is full";
    case ERROR_ACCESS_DENIED: return "writing there is not allowed";
    case ERROR_PATH_NOT_FOUND: return "its folder does not exist";
    default: return "error " + std::to_string(error);
    }
}

} // namespace

bool ReplaceFileWith(const char* fileName, const std::vector<std::uint8_t>& bytes, std::string& why)
{
    const std::string temporary = ProcessTemporaryName(fileName);
    const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = WriteFailure(GetLastError());
        return false;
    }
    DWORD written = 0;
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    // On disk before the rename: a crash after it finds the whole new file,
    // not an empty one under the old name.
    whole = whole && FlushFileBuffers(file);
    const DWORD error = GetLastError();
    whole = CloseHandle(file) && whole;
    if (whole && MoveFileExA(temporary.c_str(), fileName, MOVEFILE_REPLACE_EXISTING))
        return true;
    why = WriteFailure(whole ? GetLastError() : error);
    DeleteFileA(temporary.c_str());
    return false;
}
