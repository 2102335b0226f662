// The sprite system's "SPR" savegame block: the camera record whole, the
// ambient colour, shadow settings, the lunar flag and the lights.
#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

void WriteLight(DatafileByteWriter& writer, const LightRecord& light)
{
    writer.F32(light.outerRadiusSquared);
    writer.F32(light.innerRadius);
    writer.F32(light.falloffWidth);
    writer.F32(light.innerRadiusSquared);
    writer.F32(light.x);
    writer.F32(light.z);
    writer.F32(light.red);
    writer.F32(light.green);
    writer.F32(light.blue);
    writer.U8(light.enabled);
    writer.U8(0);
    writer.U16(0);
}

LightRecord ReadLight(DatafileByteReader& reader)
{
    LightRecord light;
    light.outerRadiusSquared = reader.F32();
    light.innerRadius = reader.F32();
    light.falloffWidth = reader.F32();
    light.innerRadiusSquared = reader.F32();
    light.x = reader.F32();
    light.z = reader.F32();
    light.red = reader.F32();
    light.green = reader.F32();
    light.blue = reader.F32();
    light.enabled = reader.U8();
    reader.Take(3);
    return light;
}

void ReportBadBlock(const SavegameBlockHeader& header)
{
    const std::string where(header.name, strnlen(header.name, sizeof header.name));
    ReportError("SPR", where.c_str(), 1, "Savegame block type or version mismatch.");
}

} // namespace

void cKestruneSprites::SaveBlock(int file) const
{
    std::vector<uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    writer.Bytes(&camera, sizeof camera);
    for (float v : ambient)
        writer.F32(v);
    for (float v : shadowLightPosition)
        writer.F32(v);
    for (float v : shadowVector)
        writer.F32(v);
    writer.I32(lights.count);
    writer.U8(lunarBehaviour);
    writer.U8(0);
    writer.U16(0);
    for (int32_t i = 0; i < lights.count; ++i)
        WriteLight(writer, lights.data[i]);
    WriteSavegameBlockHeader(file, "SPR", "", static_cast<uint32_t>(bytes.size()));
    _write(file, bytes.data(), static_cast<unsigned>(bytes.size()));
}

void cKestruneSprites::LoadBlock(SavegameBlockHeader& header, int file)
{
    if (!CheckSavegameBlockTag(header, "SPR"))
        return;
    uint8_t fixed[kBlockFixedSize];
    if (header.length < kBlockFixedSize || _read(file, fixed, sizeof fixed) != static_cast<int>(sizeof fixed)) {
        ReportBadBlock(header);
        return;
    }
    DatafileByteReader reader(fixed, sizeof fixed);
    granny_camera storedCamera;
    reader.Bytes(&storedCamera, sizeof storedCamera);
    float storedAmbient[3], storedLight[3], storedVector[3];
    for (float& v : storedAmbient)
        v = reader.F32();
    for (float& v : storedLight)
        v = reader.F32();
    for (float& v : storedVector)
        v = reader.F32();
    const int32_t count = reader.I32();
    const uint8_t lunar = reader.U8();
    // The light count must be what the payload holds: a count that does not
    // match would read into the next block.
    if (count < 0 || (header.length - kBlockFixedSize) / kLightRecordSize != static_cast<uint32_t>(count) ||
        (header.length - kBlockFixedSize) % kLightRecordSize != 0) {
        ReportBadBlock(header);
        return;
    }
    std::vector<uint8_t> records(static_cast<size_t>(count) * kLightRecordSize);
    if (count > 0 && _read(file, records.data(), static_cast<unsigned>(records.size())) !=
                         static_cast<int>(records.size())) {
        ReportBadBlock(header);
        return;
    }
    camera = storedCamera;
    std::memcpy(ambient, storedAmbient, sizeof ambient);
    std::memcpy(shadowLightPosition, storedLight, sizeof shadowLightPosition);
    std::memcpy(shadowVector, storedVector, sizeof shadowVector);
    lunarBehaviour = lunar;
    lights.count = 0;
    lights.SetCapacity(count);
    DatafileByteReader lightReader(records.data(), records.size());
    for (int32_t i = 0; i < count; ++i)
        lights.Add(ReadLight(lightReader));
    ReadSavegameBlockHeader(file, header);
}
