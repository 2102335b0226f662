#pragma once

// The in-game menu of the demo: its pictures, its three interface sounds and
// the "ui_info" lines that place its clickable areas on those pictures.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vls::tools {

// "menu_*.image" and "generic_ui_*.wav".
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> MakeMenuResources();

// The menu's "ui_info" lines, each ending in "\r\n".
std::string MenuUiInfoLines();

}  // namespace vls::tools
