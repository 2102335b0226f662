#pragma once

#include "engine/script/script_savegame.h"
#include "engine/script/script_value.h"
#include "platform/win32/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DatafileByteReader;
class DatafileByteWriter;

// The savegame's own records: the 288-byte info record at the start of the
// "INF" block, and the check of a whole savegame held in memory.
constexpr std::uint32_t kSavegameInfoSize = 288;

struct SavegameInfo {
    SYSTEMTIME time = {};
    std::string playerSetup;   // selects the project function "pc_" + setup
    std::string sceneCaption;  // the scene's restore name
    std::string sceneFile;     // without ".scene"
    std::string previousScene;
    std::uint32_t globalCount = 0;
    std::uint32_t gameState = 0;
    std::uint32_t gameState2 = 0;
    std::uint32_t effectCount = 0;
};

void WriteSavegameInfo(DatafileByteWriter& writer, const SavegameInfo& info);
SavegameInfo ReadSavegameInfo(DatafileByteReader& reader);

// What LoadGame needs of a savegame before it changes anything.
struct SavegameContents {
    SavegameInfo info;
    std::vector<ScriptValue> globals;
    ScriptBlock projectScript;
    ScriptBlock sceneScript;
    // Where the blocks of the other owners start (the "SND" header).
    std::size_t ownerBlocks = 0;
};

// Checks every block header, the order of the blocks, and every payload whose
// counts say its length (INF, both SCR, SND, SCN and the views that follow
// it, SPR, PAR, and the owners' DLG, INV, VIE, OBJ and PCR); every other
// block must at least lie inside the file, and the file must end with "END".
// Block lengths cover a block's own payload; nested blocks follow their
// owner as blocks of their own. False, with the reason, for a damaged file.
bool CheckSavegame(const std::uint8_t* data, std::size_t size, SavegameContents& contents, std::string& why);

// Reads a whole savegame file; false when it cannot be read or is too large
// to be one.
bool ReadSavegameFile(const char* fileName, std::vector<std::uint8_t>& bytes);

// A file name of this process's own beside fileName, for what is written
// before it replaces fileName: two engines on one folder never write into
// each other's temporary files.
std::string ProcessTemporaryName(const char* fileName);
// Puts bytes in the place of fileName: written to a temporary file of this
// process, flushed to disk, then renamed, so the old file is replaced only by
// a whole new one. False, with the reason, when it could not be written; the
// old file is then kept.
bool ReplaceFileWith(const char* fileName, const std::vector<std::uint8_t>& bytes, std::string& why);
