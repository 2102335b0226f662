// The "PCR" blocks of the boat, the diver and the robot.

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_particles.h"
#include "engine/script/savegame_block.h"
#include "engine/world/controller_support.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/player_control_diver.h"
#include "engine/world/player_control_infobot.h"
#include "engine/world/player_control_zodiac.h"
#include "engine/script/script_identity.h"
#include "engine/world/world_block_io.h"
#include "platform/crt/crt_io.h"

namespace {

constexpr const char* kZodiacBlock = "PCtrlZodiac";
constexpr const char* kDiverBlock = "PCtrlDiver";
constexpr const char* kInfobotBlock = "PCtrlInfobot";
} // namespace

void cKestrunePlayerControlZodiac::SaveBlock(int file)
{
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    for (const float value : target)
        writer.F32(value);
    writer.F32(speed);
    writer.U8(turnSide);
    writer.U8(boatEvent);
    writer.FixedText(CycleName(turnA), 64);
    writer.FixedText(CycleName(turnB), 64);
    writer.FixedText("", 64);
    writer.FixedText(eventName.GetText(), 64);
    writer.U16(0);
    writer.U32(ScriptToSaveId(eventScript.Get()));
    writer.I32(SceneHotspotIndex(eventHotspot));
    WriteWorldBlock(file, "PCR", kZodiacBlock, payload, kPayloadSize);
}

void cKestrunePlayerControlZodiac::LoadBlock(int file, SavegameBlockHeader& header)
{
    std::vector<std::uint8_t> payload;
    if (!ReadControllerPayload(file, header, kZodiacBlock, kPayloadSize, kPayloadSize, payload))
        return;
    DatafileByteReader reader(payload.data(), payload.size());
    for (float& value : target)
        value = reader.F32();
    speed = reader.F32();
    turnSide = reader.U8();
    boatEvent = reader.U8();
    const cString a = reader.FixedText(64).c_str();
    const cString b = reader.FixedText(64).c_str();
    reader.Take(64);
    eventName = reader.FixedText(64).c_str();
    reader.U16();
    eventScript = ScriptFromSaveId(reader.U32());
    eventHotspot = SceneHotspotAt(reader.I32());
    // The engine sounds and the boat's hotspot come back with the sound and
    // character blocks; only the animations and the water are set up again,
    // and the restored engine channels become this boat's.
    engineSounds.Adopt(kIdleEngineTag);
    engineSounds.Adopt(kRunningEngineTag);
    LoadTurns(a, b);
    BindWalkMap();
    if (owner)
        wake->SetMatrix(owner->model->world, true);
    // A boat saved under way (moving, or with its event still to run) goes
    // on after loading.
    walking = speed > 0.0f || eventScript ? 1 : 0;
    ReadSavegameBlockHeader(file, header);
}

void cKestrunePlayerControlDiver::SaveBlock(int file)
{
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.FixedText(CycleName(swimCycle), kNameSize);
    walkMap.SaveData(payload);
    WriteWorldBlock(file, "PCR", kDiverBlock, payload, static_cast<std::uint32_t>(payload.size()));
    if (swimCycle)
        swimCycle->SaveBlock(file);
}

void cKestrunePlayerControlDiver::LoadBlock(int file, SavegameBlockHeader& header)
{
    std::vector<std::uint8_t> payload;
    const std::uint32_t minimum = kNameSize + cKestruneWalkMap::kSaveRecordSize;
    if (!ReadControllerPayload(file, header, kDiverBlock, minimum, minimum + PathRecord::kSize * kMaxSavedPathRecords,
                               payload))
        return;
    DatafileByteReader reader(payload.data(), payload.size());
    const cString name = reader.FixedText(kNameSize).c_str();
    if (!walkMap.LoadData(reader)) {
        ReportError("PCR", kDiverBlock, 1, "Savegame block type or version mismatch.");
        walkMap.Clear();
        header = SavegameBlockHeader();
        return;
    }
    walking = walkMap.RecordCount() > 1 ? 1 : 0;
    const cString names[3] = {name, "", ""};
    Setup(names);
    ReadSavegameBlockHeader(file, header);
    // A saved swim cycle wrote its block after this one; it is read even when
    // the cycle's resource is gone now, so it is not taken for the
    // character's own animation.
    if (name.GetLength() == 0 || !IsWorldBlock(header, "MAN"))
        return;
    if (swimCycle) {
        swimCycle->LoadBlock(header, file, 1);
    } else {
        _lseek(file, static_cast<long>(header.length), SEEK_CUR);
        ReadSavegameBlockHeader(file, header);
    }
}

void cKestrunePlayerControlInfobot::SaveBlock(int file) { WriteWorldBlock(file, "PCR", kInfobotBlock, {}, 0); }

void cKestrunePlayerControlInfobot::LoadBlock(int file, SavegameBlockHeader& header)
{
    std::vector<std::uint8_t> payload;
    if (!ReadControllerPayload(file, header, kInfobotBlock, 0, 0, payload))
        return;
    // The motor channel came back with the sound block.
    motorSound.Adopt(kMotorTag);
    ReadSavegameBlockHeader(file, header);
}
