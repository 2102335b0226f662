#include "engine/render/font_format.h"

#include <cstring>

namespace {

float getFloat(const uint8_t* p)
{
    const uint32_t bits = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

void putFloat(uint8_t* p, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

void ParseFontHeader(const uint8_t bytes[kFontHeaderSize], KestruneFontHeader& header)
{
    header.glyphCount = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    header.pageCount = static_cast<int8_t>(bytes[2]);
    header.lineHeight = static_cast<int8_t>(bytes[3]);
}

void WriteFontHeader(const KestruneFontHeader& header, uint8_t bytes[kFontHeaderSize])
{
    bytes[0] = static_cast<uint8_t>(header.glyphCount);
    bytes[1] = static_cast<uint8_t>(header.glyphCount >> 8);
    bytes[2] = static_cast<uint8_t>(header.pageCount);
    bytes[3] = static_cast<uint8_t>(header.lineHeight);
}

void ParseGlyph(const uint8_t bytes[kGlyphRecordSize], KestruneGlyph& glyph)
{
    glyph.code = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    glyph.page = static_cast<int8_t>(bytes[2]);
    glyph.height = static_cast<int8_t>(bytes[3]);
    glyph.width = static_cast<int8_t>(bytes[4]);
    glyph.xOffset = static_cast<int8_t>(bytes[5]);
    glyph.topOffset = static_cast<int8_t>(bytes[6]);
    glyph.advance = static_cast<int8_t>(bytes[7]);
    glyph.uLeft = getFloat(bytes + 8);
    glyph.vTop = getFloat(bytes + 12);
    glyph.uRight = getFloat(bytes + 16);
    glyph.vBottom = getFloat(bytes + 20);
}

void WriteGlyph(const KestruneGlyph& glyph, uint8_t bytes[kGlyphRecordSize])
{
    bytes[0] = static_cast<uint8_t>(glyph.code);
    bytes[1] = static_cast<uint8_t>(glyph.code >> 8);
    bytes[2] = static_cast<uint8_t>(glyph.page);
    bytes[3] = static_cast<uint8_t>(glyph.height);
    bytes[4] = static_cast<uint8_t>(glyph.width);
    bytes[5] = static_cast<uint8_t>(glyph.xOffset);
    bytes[6] = static_cast<uint8_t>(glyph.topOffset);
    bytes[7] = static_cast<uint8_t>(glyph.advance);
    putFloat(bytes + 8, glyph.uLeft);
    putFloat(bytes + 12, glyph.vTop);
    putFloat(bytes + 16, glyph.uRight);
    putFloat(bytes + 20, glyph.vBottom);
}
