#include "engine/world/kestrune_walk_map.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/script/script_identity.h"
#include "engine/world/world_host.h"
#include "platform/win32/winmm/mmsystem.h"

#include <cmath>

void cKestruneWalkMap::Arrive()
{
    mode = 0;
    cKestruneScript* const script = eventScript.Get();
    eventScript = nullptr;
    cKestruneHotspot* const hotspot = eventHotspot;
    eventHotspot = nullptr;
    // The hotspot belonged to the scene of the click; after a scene change it
    // is gone, and only a hotspot of the current scene is handed on.
    if (hotspot) {
        if (cKestruneScene* const scene = WorldHost().CurrentScene()) {
            for (std::int32_t i = 0; i < scene->hotspots.count; ++i) {
                if (scene->hotspots.data[i] == hotspot)
                    scene->hoverHotspot = hotspot;
            }
        }
    }
    if (script)
        script->Run(eventName.GetText());
}

void cKestruneWalkMap::Step(float speedFactor)
{
    const std::uint32_t now = timeGetTime();
    if (path.size() < 2) {
        Arrive();
        return;
    }
    const float speed = mode == 2 ? speedFactor * kRunSpeed : mode == 1 ? speedFactor * kWalkSpeed : 0.0f;
    const std::int32_t elapsed = static_cast<std::int32_t>(now - lastStepTime);
    if (elapsed > 0)
        segmentDistance += static_cast<float>(elapsed) * 0.001f * speed;
    const PathRecord& second = path[1];
    const float d2 = segmentDistance * segmentDistance;
    if (d2 < second.table[PathRecord::kTableSize - 1] && second.table[1] != 0.0f) {
        int i = 1;
        while (i < PathRecord::kTableSize && !(d2 < second.table[i]))
            ++i;
        if (i < PathRecord::kTableSize) {
            const float u = ((d2 - second.table[i - 1]) / (second.table[i] - second.table[i - 1])
                             + static_cast<float>(i - 1)) * 0.05f;
            if (u < 1.0f) {
                float old[3];
                owner->GetPosition(old);
                float x, z;
                Evaluate(1, u, x, z);
                owner->SetPosition(x, owner->GetHeight(x, z), z);
                stepDistance = std::sqrt((x - old[0]) * (x - old[0]) + (z - old[2]) * (z - old[2]));
                float ax, az;
                Evaluate(1, u + 0.001f, ax, az);
                owner->SetOrientation(0.0f, 1.0f, 0.0f, ax - old[0], 0.0f, az - old[2]);
                lastStepTime = now;
                return;
            }
        }
    }
    // The segment is done (or has no length): stand on its end and go on with
    // the next one that has a length.
    segmentDistance = 0.0f;
    float old[3];
    owner->GetPosition(old);
    owner->SetPosition(second.x, old[1], second.z);
    path.erase(path.begin());
    while (path.size() > 1 && path[1].table[1] == 0.0f)
        path.erase(path.begin());
    if (path.size() < 2) {
        mode = 0;
        if (finalDirX != 0.0f || finalDirZ != 0.0f)
            owner->SetOrientation(0.0f, 0.1f, 0.0f, finalDirX, 0.0f, finalDirZ);
        finalDirX = finalDirZ = 0.0f;
    }
    lastStepTime = now;
}

std::uint32_t cKestruneWalkMap::SavedSize() const
{
    return kSaveRecordSize + PathRecord::kSize * static_cast<std::uint32_t>(path.size());
}

void cKestruneWalkMap::SaveData(std::vector<std::uint8_t>& out) const
{
    DatafileByteWriter writer(out);
    writer.I32(static_cast<std::int32_t>(path.size()));
    writer.FixedText(eventName.GetText(), 64);
    writer.U32(ScriptToSaveId(eventScript.Get()));
    std::int32_t hotspotIndex = -1;
    if (const cKestruneScene* const scene = WorldHost().CurrentScene(); scene && eventHotspot) {
        for (std::int32_t i = 0; i < scene->hotspots.count && hotspotIndex < 0; ++i) {
            if (scene->hotspots.data[i] == eventHotspot)
                hotspotIndex = i;
        }
    }
    writer.I32(hotspotIndex);
    writer.F32(finalDirX);
    writer.F32(finalDirZ);
    writer.U32(WorldHost().FrameTime() - lastStepTime);
    for (const PathRecord& record : path) {
        writer.F32(record.x);
        writer.F32(record.z);
        writer.F32(record.inX);
        writer.F32(record.inZ);
        writer.F32(record.outX);
        writer.F32(record.outZ);
        writer.I32(record.node);
        for (const float t : record.table)
            writer.F32(t);
    }
}

bool cKestruneWalkMap::LoadData(DatafileByteReader& reader)
{
    const std::int32_t count = reader.I32();
    const std::string name = reader.FixedText(64);
    const std::uint32_t scriptId = reader.U32();
    const std::int32_t hotspotIndex = reader.I32();
    const float dirX = reader.F32();
    const float dirZ = reader.F32();
    const std::uint32_t sinceStep = reader.U32();
    if (reader.Failed() || count < 0 || static_cast<std::uint64_t>(count) * PathRecord::kSize > reader.Remaining())
        return false;
    finalDirX = dirX;
    finalDirZ = dirZ;
    eventName = name.c_str();
    eventScript = ScriptFromSaveId(scriptId);
    eventHotspot = nullptr;
    if (cKestruneScene* const scene = WorldHost().CurrentScene();
        scene && hotspotIndex >= 0 && hotspotIndex < scene->hotspots.count)
        eventHotspot = scene->hotspots.data[hotspotIndex];
    lastStepTime = WorldHost().FrameTime() - sinceStep;
    if (count > 0) {
        path.assign(static_cast<std::size_t>(count), PathRecord());
        for (PathRecord& record : path) {
            record.x = reader.F32();
            record.z = reader.F32();
            record.inX = reader.F32();
            record.inZ = reader.F32();
            record.outX = reader.F32();
            record.outZ = reader.F32();
            record.node = reader.I32();
            for (float& t : record.table)
                t = reader.F32();
        }
        // A walk saved under way goes on after loading, so its arrival event
        // still fires; the record does not say whether it was a run.
        if (path.size() > 1)
            mode = 1;
    }
    return true;
}
