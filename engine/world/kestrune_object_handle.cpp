#include "engine/world/kestrune_object_handle.h"

#include "engine/base/datafile_bytes.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_scene.h"
#include "platform/crt/crt_io.h"

#include <cmath>
#include <cstring>
#include <vector>

cKestruneObjectHandle::cKestruneObjectHandle(cKestruneScene* scene) : scene_(scene), entry_(this, ObjectKind::Object) {}

cKestruneObjectHandle::~cKestruneObjectHandle()
{
    // A hotspot of a scene that outlives the handle must not point at it.
    if (scene_) {
        for (std::int32_t i = 0; i < scene_->hotspots.count; ++i) {
            if (scene_->hotspots.data[i]->object == this)
                scene_->hotspots.data[i]->object = nullptr;
        }
    }
}

void cKestruneObjectHandle::Bind(std::int32_t index)
{
    if (!scene_ || scene_->hotspots.count <= 0)
        return;
    DynArray<cKestruneHotspot*>& hotspots = scene_->hotspots;
    if (objectIndex != -1) {
        const std::int32_t last = hotspots.count - 1;
        const std::int32_t at = index < 0 ? 0 : (index > last ? last : index);
        if (hotspots.data[at]->object == this)
            hotspots.data[at]->object = nullptr;
    }
    if (index >= 0 && index < hotspots.count) {
        objectIndex = index;
        hotspots.data[index]->object = this;
    }
}

void cKestruneObjectHandle::SetDestination(float x, float y, float angle)
{
    destX = x;
    destY = y;
    dirX = std::cos(angle);
    dirZ = -std::sin(angle);
}

void cKestruneObjectHandle::SaveBlock(int file, const char* blockName) const
{
    WriteSavegameBlockHeader(file, "OBJ", blockName, kPayloadSize);
    std::vector<std::uint8_t> payload;
    DatafileByteWriter writer(payload);
    writer.I32(objectIndex);
    writer.FixedText(name.GetText(), 64);
    writer.I32(kind);
    writer.I32(enabled);
    writer.F32(destX);
    writer.F32(destY);
    writer.F32(dirX);
    writer.F32(dirZ);
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

bool cKestruneObjectHandle::LoadBlock(int file, SavegameBlockHeader& header)
{
    if (!CheckSavegameBlockTag(header, "OBJ"))
        return false;
    std::uint8_t payload[kPayloadSize];
    if (_read(file, payload, sizeof payload) != static_cast<int>(sizeof payload))
        return false;
    // A longer payload (a later writer's) is passed over, not read as headers.
    if (header.length > kPayloadSize)
        _lseek(file, static_cast<long>(header.length - kPayloadSize), SEEK_CUR);
    DatafileByteReader reader(payload, sizeof payload);
    const std::int32_t storedIndex = reader.I32();
    // At most 63 characters of the 64-byte field: it may lack a terminator.
    const std::string storedName = reader.FixedText(63);
    reader.Take(1);
    kind = reader.I32();
    cursor = kind;
    enabled = reader.I32();
    Bind(storedIndex);
    name = storedName.c_str();
    destX = reader.F32();
    destY = reader.F32();
    dirX = reader.F32();
    dirZ = reader.F32();
    return ReadSavegameBlockHeader(file, header);
}
