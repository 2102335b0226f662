#pragma once

#include <cstdint>
#include <string>

class DatafileByteReader;
class DatafileByteWriter;

// The ".scene" resource: an 80-byte header, V view records (the 140-byte
// view header, of which the scene uses the name), L environment layers, H
// hotspots, and the compiled scene script to the end.
constexpr std::uint32_t kSceneHeaderSize = 80;
constexpr std::uint32_t kSceneNameSize = 64;

struct SceneHeader {
    std::string name;
    std::uint32_t viewCount = 0;
    std::uint32_t layerCount = 0;
    std::uint32_t hotspotCount = 0;
    std::uint32_t reserved = 0;
};

SceneHeader ReadSceneHeader(DatafileByteReader& reader);
void WriteSceneHeader(DatafileByteWriter& writer, const SceneHeader& header);
