#pragma once

// The launcher's own skin and pictures, drawn from code: the skin with the
// objects the launcher form looks up ("Form" with its client object,
// "Button", "ProgressBar", "ComboBox", "ListBox", "CheckBox"), the
// background picture "launcher.bmp" and the text table "launcher.str".

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "skin/skins/sk_skin_source.h"

namespace vls::tools {

void BuildLauncherSkin(skin::TSkSkinSource& source);

// The background: 620 x 400 pixels, 0xAARRGGBB, row 0 first.
std::vector<std::uint32_t> LauncherPicturePixels();
// Writes the background as a 24-bit BMP file; false when it cannot.
bool WriteLauncherPicture(const std::filesystem::path& file);

// Writes a text table as UTF-16 with a byte-order mark, one line each.
bool WriteLauncherTable(const std::filesystem::path& file, const std::vector<std::u16string>& lines);

}  // namespace vls::tools
