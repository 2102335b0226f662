#pragma once

// The hint marks of the demo's rooms: their pictures, and the scene script
// function "_hint" that adds a room's marks while the player holds 'H'.

#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_harbour.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

// Icon kinds, as the marks name them.
enum class HintKind { Exit = 0, Use = 1, Talk = 2 };

struct HintMark {
    int view;       // index of the view in its scene
    BandPoint spot; // the mark's centre on the band
    HintKind kind;
    int arrow; // 1 up, then clockwise in eighths; 0 none
};

// The icon colours, so that a test can find a mark on the screen.
constexpr std::uint32_t kHintExitColour = 0xFF30C050;
constexpr std::uint32_t kHintUseColour = 0xFFF0C030;
constexpr std::uint32_t kHintTalkColour = 0xFF4080F0;

// "hint_exit.image", "hint_hand.image", "hint_speak.image" and the arrows
// "hint_direct01.image" to "hint_direct08.image".
std::vector<DemoResource> MakeHintResources();

// The call site line the "_hint" function needs among a script's
// declarations, and the function itself.
std::string HintCallSite();
std::string HintFunction(const std::vector<HintMark>& marks);

} // namespace vls::tools
