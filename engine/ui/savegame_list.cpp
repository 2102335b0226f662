#include "engine/ui/savegame_list.h"

#include "engine/world/savegame_file.h"
#include "platform/win32/kernel/find_file.h"
#include "platform/win32/kernel/time.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kDisplayBytes = 24;
constexpr std::size_t kThumbnailMinimum = 10;
constexpr std::size_t kReplacedTail = 8; // "savegame" or "demogame"

void CopyBounded(char* out, std::size_t size, const std::string& text)
{
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

} // namespace

const char* SavegameExtension(bool demo) { return demo ? ".demogame" : ".savegame"; }

SavegameSlot NewSavegameSlot()
{
    SavegameSlot slot;
    slot.sortKey.dwLowDateTime = slot.sortKey.dwHighDateTime = 0xFFFFFFFFu;
    return slot;
}

bool ReadSavegameSlot(const char* folder, const char* fileName, SavegameSlot& slot, std::string* why)
{
    slot = SavegameSlot{};
    // The whole file is checked: a savegame that could not be loaded is not offered.
    std::vector<std::uint8_t> bytes;
    SavegameContents contents;
    std::string reason;
    if (!ReadSavegameFile((std::string(folder) + fileName).c_str(), bytes))
        reason = "it cannot be read as a file";
    else if (!CheckSavegame(bytes.data(), bytes.size(), contents, reason) && reason.empty())
        reason = "it is damaged";
    if (!reason.empty()) {
        if (why)
            *why = reason;
        return false;
    }
    slot.saveTime = contents.info.time;
    if (!SystemTimeToFileTime(&slot.saveTime, &slot.sortKey))
        slot.sortKey = {};
    CopyBounded(slot.displayName, sizeof slot.displayName, SavegameDisplayName(fileName));
    CopyBounded(slot.caption, sizeof slot.caption, contents.info.sceneCaption);
    CopyBounded(slot.fileName, sizeof slot.fileName, fileName);
    return true;
}

void ListSavegames(const char* folder, bool demo, DynArray<SavegameSlot>& list)
{
    const std::string pattern = std::string(folder) + "*" + SavegameExtension(demo);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            SavegameSlot slot;
            std::string why;
            if (ReadSavegameSlot(folder, found.cFileName, slot, &why)) {
                list.Add(slot);
            } else {
                // The player sees only that it is missing; the log says why.
                std::printf("Savegame %s%s left out of the list: %s.\n", folder, found.cFileName, why.c_str());
                std::fflush(stdout);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SortSavegameSlots(list);
}

void SortSavegameSlots(DynArray<SavegameSlot>& list)
{
    for (std::int32_t i = 0; i < list.count; ++i)
        for (std::int32_t j = i + 1; j < list.count; ++j)
            if (CompareFileTime(&list.data[j].sortKey, &list.data[i].sortKey) > 0)
                std::swap(list.data[i], list.data[j]);
}

std::string SavegameDisplayName(const char* fileName)
{
    std::string head(fileName, strnlen(fileName, kDisplayBytes));
    const std::size_t dot = head.rfind('.');
    if (dot != std::string::npos)
        head.resize(dot);
    return head;
}

std::string SavegameThumbnailName(const char* fileName)
{
    const std::string name(fileName);
    if (name.size() < kThumbnailMinimum)
        return "";
    return name.substr(0, name.size() - kReplacedTail) + "bmp";
}

bool IsSavegameNameAllowed(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of("/\\:") == std::string::npos;
}
