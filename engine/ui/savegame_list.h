#pragma once

#include "engine/base/dynarray.h"
#include "platform/win32/wintypes.h"

#include <cstdint>
#include <string>

// One entry of the load and save screens' list of savegames.
struct SavegameSlot {
    SYSTEMTIME saveTime = {};
    FILETIME sortKey = {};
    char displayName[25] = {};
    char caption[65] = {};   // up to the 64 bytes of its field
    char fileName[263] = {}; // without folder
};

constexpr const char* kSavegameFolder = ".\\savegames\\";

// The file extension of savegames: ".demogame" for the demo's data.
const char* SavegameExtension(bool demo);
// The save screen's first entry, which sorts before every savegame.
SavegameSlot NewSavegameSlot();
// Fills slot from a savegame file; false, with the reason in `why` when
// given, when the file cannot be read or is damaged.
bool ReadSavegameSlot(const char* folder, const char* fileName, SavegameSlot& slot, std::string* why = nullptr);
// Appends the savegames of the folder, files that cannot be read or are
// damaged left out with a log line each, and sorts the whole list newest
// first (an equal time keeps the order found).
void ListSavegames(const char* folder, bool demo, DynArray<SavegameSlot>& list);
void SortSavegameSlots(DynArray<SavegameSlot>& list);
// The shown name: the first 24 bytes of the file name cut at their last '.'.
std::string SavegameDisplayName(const char* fileName);
// The thumbnail beside a savegame ("x.savegame" gives "x.bmp"); empty for a
// name of 9 characters or fewer, which has none.
std::string SavegameThumbnailName(const char* fileName);
// Whether a typed name may become a file name: not empty, no folder
// separators, and not "." or "..".
bool IsSavegameNameAllowed(const std::string& name);
