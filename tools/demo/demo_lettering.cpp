#include "tools/demo/demo_lettering.h"

#include "tools/font_writer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace vls::tools {
namespace {

std::uint32_t Blend(std::uint32_t under, std::uint32_t over, std::uint32_t coverage)
{
    const std::uint32_t a = ((over >> 24) * coverage) / 255;
    const auto channel = [&](int shift) {
        const std::uint32_t u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
        return ((o * a + u * (255 - a)) / 255) << shift;
    };
    const std::uint32_t alpha = std::max(under >> 24, a);
    return (alpha << 24) | channel(16) | channel(8) | channel(0);
}

} // namespace

bool DrawCentredText(Picture& picture, int left, int top, int right, int bottom, const std::string& text, int pixelSize,
                     std::uint32_t argb)
{
    const std::string file = FindDefaultFontFile();
    FT_Library library = nullptr;
    if (file.empty() || FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    int width = 0;
    for (const char c : text)
        if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_DEFAULT) == 0)
            width += static_cast<int>(face->glyph->advance.x >> 6);
    const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    const int descender = static_cast<int>(-(face->size->metrics.descender >> 6));
    int penX = left + (right - left - width) / 2;
    const int baseline = top + (bottom - top - (ascender + descender)) / 2 + ascender;
    for (const char c : text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot glyph = face->glyph;
        for (unsigned row = 0; row < glyph->bitmap.rows; ++row)
            for (unsigned column = 0; column < glyph->bitmap.width; ++column) {
                const int x = penX + glyph->bitmap_left + static_cast<int>(column);
                const int y = baseline - glyph->bitmap_top + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= static_cast<int>(picture.width) || y >= static_cast<int>(picture.height))
                    continue;
                const std::uint8_t coverage = glyph->bitmap.buffer[row * static_cast<unsigned>(glyph->bitmap.pitch) + column];
                std::uint32_t& pixel = picture.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
                pixel = Blend(pixel, argb, coverage);
            }
        penX += static_cast<int>(glyph->advance.x >> 6);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

} // namespace vls::tools
