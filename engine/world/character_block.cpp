#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/script/script_identity.h"
#include "engine/world/world_block_io.h"
#include "platform/crt/crt_io.h"

#include <string>

namespace {

// Far more idle animations than any script adds; larger counts are damage.
constexpr std::uint32_t kMaxIdleEntries = 10000;

void WriteEntries(DatafileByteWriter& writer, const DynArray<IdleAnimation>& list)
{
    for (std::int32_t i = 0; i < list.count; ++i) {
        writer.FixedText(list.data[i].name.GetText(), 64);
        writer.I32(list.data[i].weight);
    }
}

bool ReadEntries(int file, std::uint32_t count, DynArray<IdleAnimation>& list)
{
    list.count = 0;
    std::vector<std::uint8_t> bytes;
    if (count > kMaxIdleEntries || !ReadWorldBytes(file, count * cKestruneCharacter::kIdleEntrySize, bytes))
        return false;
    DatafileByteReader reader(bytes.data(), bytes.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        IdleAnimation entry;
        entry.name = reader.FixedText(64).c_str();
        entry.weight = reader.I32();
        list.Add(entry);
    }
    return true;
}

// A block that cannot be read is not left in the buffer: a chained reader
// (a scene reading its characters one after another) would take the same
// header again and never get past it. A cleared header is no block's, so
// every chain stops there.
bool Unreadable(SavegameBlockHeader& header)
{
    header = SavegameBlockHeader{};
    return false;
}

} // namespace

void cKestruneCharacter::SaveBlock(int file, const char* name) const
{
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.U8(enabled);
    writer.U8(visible);
    writer.U8(spare);
    writer.U8(0);
    writer.U8(slot1 ? 1 : 0);
    writer.U8(slot2 ? 1 : 0);
    writer.FixedText(slot1EventName.GetText(), 64);
    writer.U16(0);
    writer.U32(ScriptToSaveId(slot1EventScript.Get()));
    writer.FixedText(slot2EventName.GetText(), 64);
    writer.U32(ScriptToSaveId(slot2EventScript.Get()));
    writer.I32(controller->typeId);
    writer.U8(linkedObject ? 1 : 0);
    writer.U8(0);
    writer.U16(0);
    writer.U32(speechColor);
    writer.FixedText(displayName.GetText(), 64);
    writer.I32(hotspotCursor);
    writer.F32(idleMin);
    writer.F32(idleMax);
    writer.F32(secondMin);
    writer.F32(secondMax);
    writer.F32(destX);
    writer.F32(destZ);
    writer.F32(destDirX);
    writer.F32(destDirZ);
    writer.I32(hotspotIndex);
    writer.I32(idleAnimations.count);
    writer.I32(secondAnimations.count);
    WriteEntries(writer, idleAnimations);
    WriteEntries(writer, secondAnimations);
    WriteWorldBlock(file, "CHR", name, payload, kPayloadSize);
    model->SaveBlock(file);
    if (linkedObject)
        linkedObject->SaveBlock(file);
    controller->SaveBlock(file);
    if (slot1)
        slot1->SaveBlock(file);
    if (slot2)
        slot2->SaveBlock(file);
}

bool cKestruneCharacter::LoadBlock(int file, SavegameBlockHeader& header, bool registerHotspot)
{
    if (!CheckSavegameBlockTag(header, "CHR"))
        return Unreadable(header);
    std::vector<std::uint8_t> payload;
    if (header.length < kPayloadSize || !ReadWorldBlockPayload(file, header, kPayloadSize, payload))
        return Unreadable(header);
    DatafileByteReader reader(payload.data(), payload.size());
    enabled = reader.U8();
    visible = reader.U8();
    spare = reader.U8();
    reader.U8();
    const bool hadSlot1 = reader.U8() != 0;
    const bool hadSlot2 = reader.U8() != 0;
    slot1EventName = reader.FixedText(64).c_str();
    reader.U16();
    slot1EventScript = ScriptFromSaveId(reader.U32());
    slot2EventName = reader.FixedText(64).c_str();
    slot2EventScript = ScriptFromSaveId(reader.U32());
    const std::int32_t controllerType = reader.I32();
    reader.Take(4);
    speechColor = reader.U32();
    displayName = reader.FixedText(64).c_str();
    hotspotCursor = reader.I32();
    idleMin = reader.F32();
    idleMax = reader.F32();
    secondMin = reader.F32();
    secondMax = reader.F32();
    destX = reader.F32();
    destZ = reader.F32();
    destDirX = reader.F32();
    destDirZ = reader.F32();
    reader.I32(); // the saved hotspot index belonged to the scene as it was
    const std::uint32_t idleCount = reader.U32();
    const std::uint32_t secondCount = reader.U32();
    if (enabled && registerHotspot)
        EnsureHotspot();
    if (!ReadEntries(file, idleCount, idleAnimations) || !ReadEntries(file, secondCount, secondAnimations))
        return Unreadable(header);

    // The block replaces what the character holds now (the player's setup
    // function may have started an animation or linked an object), while
    // the model those were made on still exists.
    DropSlot1();
    if (slot2) {
        slot2->Free();
        delete slot2;
        slot2 = nullptr;
    }
    ReleaseLinkedObject();
    delete controller;
    controller = nullptr;
    const bool readNext = ReadSavegameBlockHeader(file, header);
    if (readNext && IsWorldBlock(header, "MSP")) {
        delete model;
        model = new cKestruneMeshSprite();
        model->LoadBlock(header, file);
        if (IsWorldBlock(header, "MSP")) {
            linkedObject = new cKestruneMeshSprite();
            linkedObject->parent = model;
            linkedObject->LoadBlock(header, file);
        }
    }
    // Every character ends with a controller, even when the block is missing
    // or names a kind we do not know.
    controller = CreatePlayerControl(controllerType, this);
    if (IsWorldBlock(header, "PCR")) {
        if (controller->typeId == controllerType) {
            controller->LoadBlock(file, header);
        } else {
            _lseek(file, static_cast<long>(header.length), SEEK_CUR);
            ReadSavegameBlockHeader(file, header);
        }
    }
    if (hadSlot1 && IsWorldBlock(header, "MAN")) {
        slot1 = new cKestruneMeshAnimation(model, 0);
        slot1->LoadBlock(header, file, 1);
    }
    if (hadSlot2 && IsWorldBlock(header, "MAN")) {
        slot2 = new cKestruneMeshAnimation(model, 0);
        slot2->LoadBlock(header, file, 1);
    }
    model->RestoreControlState();
    if (linkedObject)
        linkedObject->RestoreControlState();
    StartIdleTimer();
    return true;
}
