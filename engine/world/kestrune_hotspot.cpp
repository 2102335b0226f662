#include "engine/world/kestrune_hotspot.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"

#include <cstdlib>
#include <iterator>

namespace {

constexpr const char* kPastEnd = "Hotspot data runs past its scene file.";

} // namespace

std::int32_t cKestruneHotspot::Load(std::int32_t slot)
{
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    std::uint8_t headerBytes[kHotspotHeaderSize];
    if (!files || files->Read(slot, headerBytes, sizeof headerBytes) != 0)
        return -1;
    DatafileByteReader reader(headerBytes, sizeof headerBytes);
    const std::uint32_t areas = reader.U32();
    const std::uint32_t size = reader.U32();
    if (size > files->GetRemaining(slot)) {
        ReportError("gameplay", "", 0, "%s", kPastEnd);
        return -1;
    }
    std::uint8_t* const block = static_cast<std::uint8_t*>(files->ReadAlloc(slot, static_cast<std::int32_t>(size)));
    if (!block)
        return -1;
    const std::string problem = ParseHotspotData(areas, block, size, data);
    std::free(block);
    if (!problem.empty()) {
        ReportError("gameplay", "", 0, "%s", problem.c_str());
        data = HotspotData();
        return -1;
    }
    areaCount = areas;
    dataSize = size;
    return 0;
}

std::int32_t cKestruneHotspot::LoadFromMemory(const std::uint8_t* bytes, std::size_t size)
{
    DatafileByteReader reader(bytes, size);
    const std::uint32_t areas = reader.U32();
    const std::uint32_t blockSize = reader.U32();
    const std::uint8_t* const block = reader.Take(blockSize);
    if (reader.Failed()) {
        ReportError("gameplay", "", 0, "%s", kPastEnd);
        return -1;
    }
    const std::string problem = ParseHotspotData(areas, block, blockSize, data);
    if (!problem.empty()) {
        ReportError("gameplay", "", 0, "%s", problem.c_str());
        data = HotspotData();
        return -1;
    }
    areaCount = areas;
    dataSize = blockSize;
    return 0;
}

namespace {

void AddRectPolygon(HotspotData& data, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, bool hole)
{
    HotspotPolygon polygon;
    polygon.pointCount = 5;
    polygon.flags = hole ? 1 : 0;
    polygon.firstPoint = static_cast<std::uint32_t>(data.points.size());
    data.polygons.push_back(polygon);
    const HotspotPoint corners[] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    data.points.insert(data.points.end(), std::begin(corners), std::end(corners));
    data.areas.back().polygonCount += 1;
}

} // namespace

void cKestruneHotspot::MakeScreenFrameHotspot(std::int32_t border, std::uint8_t bandOnly)
{
    const std::int32_t h = bandOnly ? 512 : 768;
    data = HotspotData();
    data.areas.emplace_back();
    AddRectPolygon(data, 0, 0, 1024, h, false);
    AddRectPolygon(data, border, border, 1024 - border, h - border, true);
    areaCount = 1;
}

void cKestruneHotspot::MakeRectHotspot(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
{
    data = HotspotData();
    data.areas.emplace_back();
    AddRectPolygon(data, x1, y1, x2, y2, false);
    areaCount = 1;
}
