#include "tools/scene_writer.h"

#include "engine/base/datafile_bytes.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/scene_format.h"

namespace vls::tools {

namespace {

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::size_t LayerBytes(const LayerDescription& layer)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter writer(out);
    WriteLayer(writer, layer.name, layer.data);
    return out.size();
}

} // namespace

std::vector<std::uint8_t> WriteViewResource(const ViewDescription& view)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter writer(out);
    ViewHeader header = view.header;
    header.imageCount = static_cast<std::int8_t>(view.images.size());
    WriteViewHeader(writer, header);
    for (const auto& image : view.images)
        writer.Bytes(image.data(), image.size());
    ViewMapHeader map;
    map.width = view.mapWidth;
    map.height = view.mapHeight;
    WriteViewMapHeader(writer, map);
    for (const float depth : view.depths)
        writer.F32(depth);
    return out;
}

std::vector<std::uint8_t> WriteSceneResource(const SceneDescription& scene)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter writer(out);
    SceneHeader header;
    header.name = scene.name;
    header.viewCount = static_cast<std::uint32_t>(scene.viewNames.size());
    header.layerCount = static_cast<std::uint32_t>(scene.layers.size());
    header.hotspotCount = static_cast<std::uint32_t>(scene.hotspots.size());
    WriteSceneHeader(writer, header);
    for (const std::string& name : scene.viewNames) {
        ViewHeader record;
        record.name = name;
        WriteViewHeader(writer, record);
    }
    for (const LayerDescription& layer : scene.layers)
        WriteLayer(writer, layer.name, layer.data);
    for (const HotspotData& hotspot : scene.hotspots)
        WriteHotspot(writer, hotspot);
    writer.Bytes(scene.script.data(), scene.script.size());
    return out;
}

std::vector<std::uint8_t> WriteProjectResource(const std::string& name, const std::string& build,
                                               const std::vector<std::uint8_t>& script,
                                               const std::vector<std::vector<std::uint8_t>>& cursors, int cursorCount)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter writer(out);
    writer.FixedText(name, 64);
    writer.FixedText(build, 64);
    writer.U8(static_cast<std::uint8_t>(cursorCount < 0 ? cursors.size() : static_cast<std::size_t>(cursorCount)));
    out.resize(kProjectHeaderSize, 0);
    writer.Bytes(script.data(), script.size());
    for (const auto& cursor : cursors)
        writer.Bytes(cursor.data(), cursor.size());
    return out;
}

std::vector<std::uint8_t> DamageScene(std::vector<std::uint8_t> bytes, const SceneDescription& scene, SceneDamage damage)
{
    const std::size_t layersAt = kSceneHeaderSize + scene.viewNames.size() * kViewHeaderSize;
    std::size_t hotspotsAt = layersAt;
    for (const LayerDescription& layer : scene.layers)
        hotspotsAt += LayerBytes(layer);
    switch (damage) {
    case SceneDamage::kViewCountPastEnd:
        PutU32(bytes, 64, 100000);
        break;
    case SceneDamage::kLayerDataPastEnd:
        if (!scene.layers.empty())
            PutU32(bytes, layersAt + 64, 0x7FFFFFFF);
        break;
    case SceneDamage::kHotspotCountPastEnd:
        if (!scene.hotspots.empty())
            PutU32(bytes, hotspotsAt, 0x10000000);
        break;
    case SceneDamage::kNoScript:
        bytes.resize(bytes.size() - scene.script.size());
        break;
    }
    return bytes;
}

} // namespace vls::tools
