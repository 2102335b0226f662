#pragma once

// The screen controls of the lighthouse's tower: a close-up picture of the
// lamp (an image control), the keeper's logbook of three pages (a diary
// control) and the dark stair behind the door, lit by a lighter (a lighter
// control); their pictures, and the places a test finds them by.

#include "tools/demo/demo_harbour.h"

#include <cstdint>
#include <vector>

namespace vls::tools {

namespace screen_controls {
constexpr const char* kLampPicture = "lamp_closeup";
constexpr const char* kLogbook = "logbook"; // pages "logbook01" to "logbook03"
constexpr int kLogbookPages = 3;
constexpr const char* kStairDark = "stair_dark";
constexpr const char* kStairMask = "stair_mask";
constexpr const char* kStairGlow = "stair_glow";
constexpr const char* kStairFlame = "stair_flame";
// The lamp's close-up: where it sits on the screen and its lit glass.
constexpr int kLampLeft = 192, kLampTop = 184, kLampWidth = 640, kLampHeight = 400;
constexpr std::uint32_t kLampGlass = 0xFFFFE070;
// The logbook's pages, each of its own tint, on the screen.
constexpr int kBookLeft = 152, kBookTop = 164, kBookWidth = 720, kBookHeight = 440;
constexpr std::uint32_t kPageTints[kLogbookPages] = {0xFFF0E6C8, 0xFFD8F0C8, 0xFFC8DCF0};
// The stair's stones, and the flame's core.
constexpr std::uint32_t kStairStone = 0xFF6878A0;
constexpr std::uint32_t kFlameCore = 0xFFFFF0A0;
} // namespace screen_controls

// "lamp_closeup.image", "logbook01.image" to "logbook03.image",
// "stair_dark.image", "stair_mask.image", "stair_glow.image" and
// "stair_flame.image".
std::vector<DemoResource> MakeScreenControlResources();

} // namespace vls::tools
