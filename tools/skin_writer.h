#pragma once

// Builds skins from our own sources: a text description plus PNG pictures,
// written in any of the four skin stream formats.
//
// The description, one item per line ("#" starts a comment):
//   name "Launcher"            (also: version, author, email, url)
//   bitmap <name> <picture.png>
//   object <Name>: <Class>     a skin object: property lines in the class
//     Width = 120              library's text form, nested objects for its
//     object Face: TSkSkinObject  children, and "end"
//     end
//   end

#include <cstdint>
#include <string>
#include <vector>

#include "skin/skins/sk_skin_source.h"

namespace vls::tools {

// Fills `source` from a description; pictures are found beside `baseDir`.
// Throws vcl::Exception with the line number on a bad description.
void BuildSkinSource(const std::string& description, const std::string& baseDir, skin::TSkSkinSource& source);

// Adds a bitmap from 0xAARRGGBB pixels, row 0 first.
void AddSkinBitmap(skin::TSkSkinSource& source, const std::string& name, int width, int height,
                   const std::vector<std::uint32_t>& pixels);

// The whole stream of one format, chosen by extension ("uskn", "kskn",
// "xskn", "mskn").
std::vector<std::uint8_t> WriteSkinStream(skin::TSkSkinSource& source, const std::string& extension);

// The form property that carries a skin: flag byte 2 and a "kskn" stream,
// or the one byte 0 for an empty source.
std::vector<std::uint8_t> WriteSkinFormProperty(skin::TSkSkinSource& source);

}  // namespace vls::tools
