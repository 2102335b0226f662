#pragma once

// Writes the engine's bitmap font files from a TrueType font: the glyphs are
// rendered with FreeType onto one white page whose alpha is the coverage,
// stored as a raw ".image" with alpha after the glyph records.

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

struct BitmapFontOptions {
    std::string fontFile;       // empty: a DejaVu Sans found through fontconfig
    int pixelSize = 18;
    uint32_t pageSide = 512;    // the page picture is pageSide x pageSide
    std::u16string characters;  // empty: printable ASCII and Latin-1
};

// An empty result with error set when the font cannot be read or the glyphs
// do not fit on the page.
std::vector<uint8_t> WriteBitmapFont(const BitmapFontOptions& options, std::string& error);

// The file of a free sans-serif font on this system, or empty.
std::string FindDefaultFontFile();

} // namespace vls::tools
