#pragma once

// A climb played as a realtime video: a view's picture sliding down and left
// behind the scene while its camera track raises the camera and moves it
// right, and its height track lifts the player.

#include "tools/demo/demo_harbour.h"
#include "tools/image_writer.h"

#include <string>
#include <vector>

namespace vls::tools {

namespace climb {
constexpr int kFrames = 30;
constexpr int kRate = 15;
constexpr float kHeight = 1.0f;  // how far the climb lifts the player
constexpr float kRise = 1.0f;    // how far the camera rises
constexpr float kAcross = 3.0f;  // and moves right
} // namespace climb

// "<name>.image", "<name>.cmotion" and "<name>.motion" for a view showing
// `picture` from a camera at eyeX. `error` is set and nothing returned when
// the video cannot be encoded.
std::vector<DemoResource> MakeClimbResources(const std::string& name, const Picture& picture, float eyeX, std::string& error);

} // namespace vls::tools
