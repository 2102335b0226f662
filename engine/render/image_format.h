#pragma once

// The ".image" resource: a 40-byte little-endian header and the pixel data of
// every frame. The reader here and the writer in tools/ share this layout.

#include "platform/d3d8/d3d8types.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t kImageHeaderSize = 40;
constexpr uint32_t kImageMaxSide = 1024;

enum KestruneImagePixelType : uint32_t {
    kImagePixelsRaw = 0,
    kImagePixelsBink = 1,
    kImagePixelsDxt1 = 2,
    kImagePixelsDxt3 = 3,
    kImagePixelsDxt5 = 4,
    kImagePixelsDxt2 = 5,
    kImagePixelsDxt4 = 6,
    kImagePixelsBinkStreamed = 7,
};

struct KestruneImageHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t alpha = 0;      // 0: R, G, B pixels; else R, G, B, A
    int32_t x = 0;          // left edge, or a cursor's hotspot x
    int32_t y = 0;          // top edge from the top of the band, or hotspot y
    float depth = 0.0f;
    uint32_t frameCount = 0;
    uint8_t frameRate = 0;
    uint32_t reserved = 0;
    uint32_t pixelType = kImagePixelsRaw;
};

void ParseImageHeader(const uint8_t bytes[kImageHeaderSize], KestruneImageHeader& header);
void WriteImageHeader(const KestruneImageHeader& header, uint8_t bytes[kImageHeaderSize]);

// The power-of-two texture side for a picture side: 8 up to 8, then the
// smallest of 16 ... 512 that holds it, 1024 above 512.
uint32_t ImageTextureSide(uint32_t side);
bool IsDxtPixelType(uint32_t pixelType);
bool IsVideoPixelType(uint32_t pixelType);
D3DFORMAT DxtFormatOfPixelType(uint32_t pixelType);
// Bytes one frame occupies in the file (0 for video and unknown types).
std::size_t ImageFrameSize(const KestruneImageHeader& header);

// Why a header cannot be loaded from an entry with `remaining` bytes after
// it; empty when it can. Frame count 0 counts as 1.
std::string CheckImageHeader(const KestruneImageHeader& header, int64_t remaining);
