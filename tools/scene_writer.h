#pragma once

// Writes ".scene" and ".view" resources, "project" and "ui_info" from plain
// descriptions, with the record layouts of the engine's readers, and damages
// them on purpose for tests.

#include "engine/world/environment_layer_format.h"
#include "engine/world/hotspot_format.h"
#include "engine/world/view_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

struct ViewDescription {
    ViewHeader header;                       // imageCount is taken from images
    std::vector<std::vector<std::uint8_t>> images; // ".image" records
    std::uint32_t mapWidth = 0;
    std::uint32_t mapHeight = 0;
    std::vector<float> depths;               // mapWidth x mapHeight, row by row
};

struct LayerDescription {
    std::string name;
    LayerData data;
};

struct SceneDescription {
    std::string name;
    std::vector<std::string> viewNames;
    std::vector<LayerDescription> layers;
    std::vector<HotspotData> hotspots;
    std::vector<std::uint8_t> script; // the compiled scene script
};

std::vector<std::uint8_t> WriteViewResource(const ViewDescription& view);
std::vector<std::uint8_t> WriteSceneResource(const SceneDescription& scene);

// The project header, the project's compiled script and its cursor images.
std::vector<std::uint8_t> WriteProjectResource(const std::string& name, const std::string& build,
                                               const std::vector<std::uint8_t>& script,
                                               const std::vector<std::vector<std::uint8_t>>& cursors,
                                               int cursorCount = -1);

enum class SceneDamage {
    kViewCountPastEnd,    // more view records claimed than the file holds
    kLayerDataPastEnd,    // the first layer's data size runs past the file
    kHotspotCountPastEnd, // the first hotspot claims more areas than its data
    kNoScript,            // the script cut off
};
std::vector<std::uint8_t> DamageScene(std::vector<std::uint8_t> bytes, const SceneDescription& scene, SceneDamage damage);

} // namespace vls::tools
