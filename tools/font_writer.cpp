#include "tools/font_writer.h"

#include "engine/render/font_format.h"
#include "tools/image_writer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace vls::tools {

std::string FindDefaultFontFile()
{
    std::string found;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return found;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:style=Book"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            found = reinterpret_cast<const char*>(file);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return found;
}

std::vector<uint8_t> WriteBitmapFont(const BitmapFontOptions& options, std::string& error)
{
    std::u16string characters = options.characters;
    if (characters.empty()) {
        for (char16_t c = 0x20; c < 0x7F; ++c) characters.push_back(c);
        for (char16_t c = 0xA0; c <= 0xFF; ++c) characters.push_back(c);
        characters += u"\u2019\u201C\u201D\u2026\u20AC";
    }
    const std::string file = options.fontFile.empty() ? FindDefaultFontFile() : options.fontFile;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType could not start";
        return {};
    }
    FT_Face face = nullptr;
    if (file.empty() || FT_New_Face(library, file.c_str(), 0, &face) != 0) {
        error = "cannot read the font file '" + file + "'";
        FT_Done_FreeType(library);
        return {};
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(options.pixelSize));

    const uint32_t side = options.pageSide;
    Picture page(side, side, 0x00FFFFFF);
    std::vector<KestruneGlyph> glyphs;
    uint32_t penX = 1, penY = 1, rowHeight = 0;
    for (char16_t c : characters) {
        if (FT_Get_Char_Index(face, c) == 0 && c != 0x20) continue;
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (penX + bitmap.width + 1 > side) {
            penX = 1;
            penY += rowHeight + 1;
            rowHeight = 0;
        }
        if (penY + bitmap.rows + 1 > side) {
            error = "the glyphs do not fit on the page";
            glyphs.clear();
            break;
        }
        for (uint32_t y = 0; y < bitmap.rows; ++y) {
            for (uint32_t x = 0; x < bitmap.width; ++x) {
                const uint8_t coverage = bitmap.buffer[y * static_cast<uint32_t>(std::abs(bitmap.pitch)) + x];
                page.At(penX + x, penY + y) = uint32_t(coverage) << 24 | 0x00FFFFFF;
            }
        }
        // The records keep every metric in a signed byte: a larger glyph
        // would be stored wrapped around.
        const auto fitsByte = [](long v) { return v >= -128 && v <= 127; };
        if (!fitsByte(static_cast<long>(bitmap.width)) || !fitsByte(static_cast<long>(bitmap.rows)) ||
            !fitsByte(slot->bitmap_left) || !fitsByte(slot->bitmap_top) || !fitsByte(slot->advance.x >> 6)) {
            error = "a glyph is larger than 127 pixels";
            glyphs.clear();
            break;
        }
        KestruneGlyph glyph;
        glyph.code = c;
        glyph.page = 0;
        glyph.width = static_cast<int8_t>(bitmap.width);
        glyph.height = static_cast<int8_t>(bitmap.rows);
        glyph.xOffset = static_cast<int8_t>(slot->bitmap_left);
        glyph.topOffset = static_cast<int8_t>(slot->bitmap_top);
        glyph.advance = static_cast<int8_t>(slot->advance.x >> 6);
        glyph.uLeft = float(penX) / side;
        glyph.vTop = float(penY) / side;
        glyph.uRight = float(penX + bitmap.width) / side;
        glyph.vBottom = float(penY + bitmap.rows) / side;
        glyphs.push_back(glyph);
        penX += bitmap.width + 1;
        rowHeight = std::max(rowHeight, static_cast<uint32_t>(bitmap.rows));
    }
    const int lineHeight = static_cast<int>(face->size->metrics.height >> 6);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (glyphs.empty()) {
        if (error.empty()) error = "the font has none of the characters";
        return {};
    }

    std::vector<uint8_t> out(kFontHeaderSize);
    KestruneFontHeader header;
    header.glyphCount = static_cast<uint16_t>(glyphs.size());
    header.pageCount = 1;
    header.lineHeight = static_cast<int8_t>(std::min(lineHeight, 127));
    WriteFontHeader(header, out.data());
    for (const KestruneGlyph& glyph : glyphs) {
        uint8_t record[kGlyphRecordSize];
        WriteGlyph(glyph, record);
        out.insert(out.end(), record, record + kGlyphRecordSize);
    }
    KestruneImageHeader image;
    image.alpha = 1;
    image.pixelType = kImagePixelsRaw;
    const std::vector<uint8_t> pageBytes = WriteImage(image, {page});
    out.insert(out.end(), pageBytes.begin(), pageBytes.end());
    return out;
}

} // namespace vls::tools
