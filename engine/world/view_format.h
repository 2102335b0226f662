#pragma once

#include <cstdint>
#include <string>

class DatafileByteReader;
class DatafileByteWriter;

// The ".view" resource: a 140-byte header (the same record the ".scene" file
// lists its views with), the image layers as ".image" records back to back,
// a 20-byte depth-map header and the map itself (f32 per pixel, row 0 at the
// top of the scene band).
constexpr std::uint32_t kViewHeaderSize = 140;
constexpr std::uint32_t kViewNameSize = 64;
constexpr std::uint32_t kViewMapHeaderSize = 20;

struct ViewHeader {
    std::string name;
    std::uint32_t unread[4] = {};
    float origin[3] = {};    // z negated at load
    float up[3] = {};        // z negated at load
    float direction[3] = {}; // z negated at load
    float position[3] = {};  // z negated at load
    float lens = 0.0f;
    float farPlane = 0.0f;
    std::int8_t imageCount = 0;
    std::uint8_t detail = 0;
};

struct ViewMapHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t unread[3] = {};
};

// Reads the header as stored (z components as in the file).
ViewHeader ReadViewHeader(DatafileByteReader& reader);
ViewMapHeader ReadViewMapHeader(DatafileByteReader& reader);
// Bytes of the depth map, computed without overflow.
std::uint64_t ViewMapBytes(const ViewMapHeader& map);

void WriteViewHeader(DatafileByteWriter& writer, const ViewHeader& header);
void WriteViewMapHeader(DatafileByteWriter& writer, const ViewMapHeader& map);
