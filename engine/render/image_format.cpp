#include "engine/render/image_format.h"

#include "platform/d3d8/d3d8_format.h"

#include <cstring>

namespace {

uint32_t get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

void put32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

void ParseImageHeader(const uint8_t bytes[kImageHeaderSize], KestruneImageHeader& header)
{
    header.width = get32(bytes);
    header.height = get32(bytes + 4);
    header.alpha = bytes[8];
    header.x = static_cast<int32_t>(get32(bytes + 12));
    header.y = static_cast<int32_t>(get32(bytes + 16));
    const uint32_t depthBits = get32(bytes + 20);
    std::memcpy(&header.depth, &depthBits, 4);
    header.frameCount = get32(bytes + 24);
    header.frameRate = bytes[28];
    header.reserved = get32(bytes + 32);
    header.pixelType = get32(bytes + 36);
}

void WriteImageHeader(const KestruneImageHeader& header, uint8_t bytes[kImageHeaderSize])
{
    std::memset(bytes, 0, kImageHeaderSize);
    put32(bytes, header.width);
    put32(bytes + 4, header.height);
    bytes[8] = header.alpha;
    put32(bytes + 12, static_cast<uint32_t>(header.x));
    put32(bytes + 16, static_cast<uint32_t>(header.y));
    uint32_t depthBits;
    std::memcpy(&depthBits, &header.depth, 4);
    put32(bytes + 20, depthBits);
    put32(bytes + 24, header.frameCount);
    bytes[28] = header.frameRate;
    put32(bytes + 32, header.reserved);
    put32(bytes + 36, header.pixelType);
}

uint32_t ImageTextureSide(uint32_t side)
{
    if (side <= 8) return 8;
    for (uint32_t t = 16; t <= 512; t *= 2) {
        if (t >= side) return t;
    }
    return 1024;
}

bool IsDxtPixelType(uint32_t pixelType) { return pixelType >= kImagePixelsDxt1 && pixelType <= kImagePixelsDxt4; }
bool IsVideoPixelType(uint32_t pixelType)
{
    return pixelType == kImagePixelsBink || pixelType == kImagePixelsBinkStreamed;
}

D3DFORMAT DxtFormatOfPixelType(uint32_t pixelType)
{
    switch (pixelType) {
    case kImagePixelsDxt1: return D3DFMT_DXT1;
    case kImagePixelsDxt2: return D3DFMT_DXT2;
    case kImagePixelsDxt3: return D3DFMT_DXT3;
    case kImagePixelsDxt4: return D3DFMT_DXT4;
    case kImagePixelsDxt5: return D3DFMT_DXT5;
    default: return D3DFMT_UNKNOWN;
    }
}

std::size_t ImageFrameSize(const KestruneImageHeader& header)
{
    if (header.pixelType == kImagePixelsRaw) {
        return static_cast<std::size_t>(header.width) * header.height * (header.alpha ? 4 : 3);
    }
    if (IsDxtPixelType(header.pixelType)) {
        return vls::d3d8::levelSize(DxtFormatOfPixelType(header.pixelType), ImageTextureSide(header.width),
                                    ImageTextureSide(header.height));
    }
    return 0;
}

std::string CheckImageHeader(const KestruneImageHeader& header, int64_t remaining)
{
    // DXT data is sized by the texture, which stays 1024 for longer sides;
    // raw and video pixels are written picture-sized into that texture.
    if (!IsDxtPixelType(header.pixelType) && (header.width > kImageMaxSide || header.height > kImageMaxSide))
        return "image side above 1024";
    if (IsVideoPixelType(header.pixelType)) return {};
    const uint64_t frames = header.frameCount < 2 ? 1 : header.frameCount;
    const std::size_t frameSize = ImageFrameSize(header);
    // Frames that take no bytes would let a damaged count make textures
    // without end.
    if (frameSize == 0 && frames > 1) return "frames without pixel data";
    const uint64_t needed = frames * frameSize;
    if (remaining < 0 || needed > static_cast<uint64_t>(remaining)) return "frame data larger than the entry";
    return {};
}
