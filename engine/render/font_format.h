#pragma once

// The bitmap font files "font1" and "font2": a 4-byte header, 24-byte glyph
// records, then the page images in the ".image" format. The reader here and
// the writer in tools/ share this layout.

#include <cstddef>
#include <cstdint>

constexpr std::size_t kFontHeaderSize = 4;
constexpr std::size_t kGlyphRecordSize = 24;
constexpr int32_t kFontMaxPages = 4;

struct KestruneFontHeader {
    uint16_t glyphCount = 0;
    int8_t pageCount = 0;
    int8_t lineHeight = 0;
};

struct KestruneGlyph {
    uint16_t code = 0;   // UTF-16 code unit
    int8_t page = 0;
    int8_t height = 0;
    int8_t width = 0;
    int8_t xOffset = 0;
    int8_t topOffset = 0; // the glyph's top lies this far above the pen line
    int8_t advance = 0;
    float uLeft = 0;
    float vTop = 0;
    float uRight = 0;
    float vBottom = 0;
};

void ParseFontHeader(const uint8_t bytes[kFontHeaderSize], KestruneFontHeader& header);
void WriteFontHeader(const KestruneFontHeader& header, uint8_t bytes[kFontHeaderSize]);
void ParseGlyph(const uint8_t bytes[kGlyphRecordSize], KestruneGlyph& glyph);
void WriteGlyph(const KestruneGlyph& glyph, uint8_t bytes[kGlyphRecordSize]);
