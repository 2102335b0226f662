#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

namespace vls::gdi {

// FreeType and fontconfig are loaded when a font is first matched, not
// linked: a program that draws no text before its first frame does not map
// and relocate them and the libraries they need, nor search them for the
// symbols of every library it loads later. The table holds every entry
// point the font code calls.
#define VLS_FONT_FUNCTIONS(X) \
    X(freetype, FT_Init_FreeType) \
    X(freetype, FT_New_Face) \
    X(freetype, FT_Done_Face) \
    X(freetype, FT_Set_Pixel_Sizes) \
    X(freetype, FT_Get_Sfnt_Table) \
    X(freetype, FT_Get_Char_Index) \
    X(freetype, FT_Load_Glyph) \
    X(freetype, FT_GlyphSlot_Embolden) \
    X(freetype, FT_GlyphSlot_Oblique) \
    X(freetype, FT_Render_Glyph) \
    X(fontconfig, FcInit) \
    X(fontconfig, FcFini) \
    X(fontconfig, FcPatternCreate) \
    X(fontconfig, FcPatternDestroy) \
    X(fontconfig, FcPatternAddString) \
    X(fontconfig, FcPatternAddInteger) \
    X(fontconfig, FcPatternAddBool) \
    X(fontconfig, FcPatternGetString) \
    X(fontconfig, FcPatternGetInteger) \
    X(fontconfig, FcPatternGetBool) \
    X(fontconfig, FcConfigSubstitute) \
    X(fontconfig, FcDefaultSubstitute) \
    X(fontconfig, FcFontMatch) \
    X(fontconfig, FcObjectSetBuild) \
    X(fontconfig, FcObjectSetDestroy) \
    X(fontconfig, FcFontList) \
    X(fontconfig, FcFontSetDestroy)

struct FontLibrary {
#define VLS_FONT_POINTER(library, name) decltype(&::name) name = nullptr;
    VLS_FONT_FUNCTIONS(VLS_FONT_POINTER)
#undef VLS_FONT_POINTER
};

// The table, loaded on the first call; null when a library or an entry
// point is missing, and then every font takes fixed cells of its own. Once
// loaded it stays for the process's life.
const FontLibrary* LoadFontLibrary();

}  // namespace vls::gdi
