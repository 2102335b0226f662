#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DatafileByteWriter;

// A hotspot record of a ".scene" stream: an 8-byte header {area count, data
// size} and a data block of areas, each followed by its polygons, their
// points (band pixels) and its entries. The reader checks every count
// against the block, so the run-time object can trust what it holds.
constexpr std::uint32_t kHotspotHeaderSize = 8;
constexpr std::uint32_t kHotspotAreaRecordSize = 24;
constexpr std::uint32_t kHotspotPolygonRecordSize = 12;
constexpr std::uint32_t kHotspotPointRecordSize = 8;
constexpr std::uint32_t kHotspotEntryRecordSize = 12;

struct HotspotPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct HotspotPolygon {
    std::uint32_t pointCount = 0;
    std::uint32_t flags = 0;      // low byte non-zero: a hole
    std::uint32_t firstPoint = 0; // index into the hotspot's point table
    bool IsHole() const { return (flags & 0xFF) != 0; }
};

struct HotspotArea {
    std::uint32_t viewIndex = 0;
    std::uint32_t polygonCount = 0;
    std::uint32_t firstPolygon = 0; // index into the hotspot's polygon table
    std::uint32_t entryCount = 0;
    std::int8_t cursor = 0;         // 0 none, else cursor number + 1
    std::vector<std::uint8_t> entries; // kept, not read
};

struct HotspotData {
    std::vector<HotspotArea> areas;
    std::vector<HotspotPolygon> polygons;
    std::vector<HotspotPoint> points;
};

// Empty when the block holds the areas the header claims; otherwise why not.
std::string ParseHotspotData(std::uint32_t areaCount, const std::uint8_t* block, std::size_t size, HotspotData& out);
// The writing side (header and block), for our tools.
void WriteHotspot(DatafileByteWriter& writer, const HotspotData& data);
