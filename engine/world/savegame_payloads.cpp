#include "engine/world/savegame_payloads.h"

#include "engine/base/datafile_bytes.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/kestrune_walk_map.h"
#include "engine/world/player_control_default.h"
#include "engine/world/player_control_diver.h"
#include "engine/world/player_control_zodiac.h"

#include <cstring>
#include <string>

namespace {

constexpr std::size_t kNameSize = 64;
constexpr std::size_t kDialogueRecordHead = kNameSize + 4;
// Where the view's mirror and overlay counts stand.
constexpr std::size_t kViewCountsOffset = 12;
// Where the scene payload counts its views, after its caption.
constexpr std::size_t kSceneViewCountOffset = kNameSize;

bool Is(const SavegameBlockHeader& header, const char* tag)
{
    return std::strncmp(header.tag, tag, 3) == 0 && header.tag[3] == 0;
}

// Walks the records as the dialogue's reader does (a record of the older form
// carries no flags: a first flag above 1 is the next record's name); every
// record must be whole, the walk must end at the payload's end, and the count
// byte holds the low 8 bits of the number of records.
bool DialogueFits(const std::uint8_t* payload, std::uint32_t length)
{
    if (length < 1)
        return false;
    std::size_t at = 1;
    std::uint32_t records = 0;
    while (length - at >= kDialogueRecordHead) {
        const std::uint32_t count = DatafileByteReader(payload + at + kNameSize, 4).U32();
        at += kDialogueRecordHead;
        if (count > (length - at) / 4)
            return false;
        const std::uint32_t first = count > 0 ? DatafileByteReader(payload + at, 4).U32() : 0;
        if (first <= 1)
            at += std::size_t{count} * 4;
        ++records;
    }
    return at == length && (records & 0xFF) == payload[0];
}

// The shown list and the pushed list, each counted by a byte of its own.
bool InventoryFits(const std::uint8_t* payload, std::uint32_t length)
{
    return length >= 2 && 2u + payload[0] + payload[1] == length;
}

bool ViewFits(const std::uint8_t* payload, std::uint32_t length)
{
    if (length < cKestruneView::kPayloadFixedSize)
        return false;
    DatafileByteReader reader(payload + kViewCountsOffset, length - kViewCountsOffset);
    const std::uint64_t mirrors = reader.U32();
    const std::uint64_t overlays = reader.U32();
    return cKestruneView::kPayloadFixedSize + mirrors * cKestruneView::kMirrorRecordSize
        + overlays * cKestruneView::kOverlayRecordSize == length;
}

// A walking controller's walk: its fixed record, then as many path records
// as it counts.
bool WalkFits(const std::uint8_t* payload, std::uint32_t length, std::uint32_t walkAt)
{
    if (length < walkAt + cKestruneWalkMap::kSaveRecordSize)
        return false;
    DatafileByteReader reader(payload + walkAt, length - walkAt);
    const std::int64_t records = reader.I32();
    return records >= 0
        && walkAt + cKestruneWalkMap::kSaveRecordSize + std::uint64_t(records) * PathRecord::kSize == length;
}

// Each controller kind names its block; a kind this engine does not know is
// passed over by the character's reader and is not judged here.
bool ControllerFits(const SavegameBlockHeader& header, const std::uint8_t* payload)
{
    const std::string name(header.name, strnlen(header.name, sizeof header.name));
    if (name == "PCtrlDefault")
        return WalkFits(payload, header.length, cKestrunePlayerControlDefault::kPayloadSize);
    if (name == "PCtrlDiver")
        return WalkFits(payload, header.length, cKestrunePlayerControlDiver::kNameSize);
    if (name == "PCtrlZodiac")
        return header.length == cKestrunePlayerControlZodiac::kPayloadSize;
    if (name == "PCtrlInfobot")
        return header.length == 0;
    return true;
}

} // namespace

bool OwnerPayloadFits(const SavegameBlockHeader& header, const std::uint8_t* payload)
{
    if (Is(header, "DLG"))
        return DialogueFits(payload, header.length);
    if (Is(header, "INV"))
        return InventoryFits(payload, header.length);
    if (Is(header, "VIE"))
        return ViewFits(payload, header.length);
    // A longer object payload (a later writer's) is passed over by its reader.
    if (Is(header, "OBJ"))
        return header.length >= cKestruneObjectHandle::kPayloadSize;
    if (Is(header, "PCR"))
        return ControllerFits(header, payload);
    return true;
}

std::uint32_t SavedSceneViewCount(const std::uint8_t* payload, std::uint32_t length)
{
    if (length < kSceneViewCountOffset + 4)
        return 0;
    DatafileByteReader reader(payload + kSceneViewCountOffset, 4);
    return reader.U32();
}
