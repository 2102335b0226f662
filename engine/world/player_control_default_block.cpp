#include "engine/base/datafile_bytes.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/script/savegame_block.h"
#include "engine/world/controller_support.h"
#include "engine/world/player_control_default.h"
#include "engine/world/world_block_io.h"

namespace {

constexpr const char* kBlockName = "PCtrlDefault";

} // namespace

void cKestrunePlayerControlDefault::SaveBlock(int file)
{
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.F32(walkSpeedFactor);
    writer.FixedText(CycleName(walkCycle), 64);
    writer.FixedText(CycleName(runCycle), 64);
    for (const cKestruneMeshAnimation* cycle : stairCycles)
        writer.FixedText(CycleName(cycle), 64);
    walkMap.SaveData(payload);
    WriteWorldBlock(file, "PCR", kBlockName, payload, static_cast<std::uint32_t>(payload.size()));
}

void cKestrunePlayerControlDefault::LoadBlock(int file, SavegameBlockHeader& header)
{
    std::vector<std::uint8_t> payload;
    const std::uint32_t limit =
        kPayloadSize + cKestruneWalkMap::kSaveRecordSize + PathRecord::kSize * kMaxSavedPathRecords;
    if (!ReadControllerPayload(file, header, kBlockName, kPayloadSize, limit, payload))
        return;
    DatafileByteReader reader(payload.data(), payload.size());
    const float speed = reader.F32();
    const cString walk = reader.FixedText(64).c_str();
    const cString run = reader.FixedText(64).c_str();
    cString stairs[kStairCycleCount];
    for (cString& name : stairs)
        name = reader.FixedText(64).c_str();
    if (!walkMap.LoadData(reader))
        walkMap.Clear();
    walking = walkMap.RecordCount() > 1 ? 1 : 0;
    SetWalkNRunCycle(walk, run);
    SetStairCycles(stairs);
    walkSpeedFactor = speed;
    ReadSavegameBlockHeader(file, header);
}
