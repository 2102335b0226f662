#pragma once

// A climb played as a realtime video: a view's picture sliding down and left
// behind the scene while its camera track raises the camera and moves it
// right, and its height track lifts the player.

#include "tools/demo/demo_floor.h"
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

// How high the height track's record k has lifted the player.
float ClimbHeight(int record);
// The camera of the track's record k: from the view's camera at eyeX, risen
// and moved right in even steps.
DemoFloorCamera ClimbCamera(float eyeX, int record);

// "<name>.image", "<name>.cmotion" and "<name>.motion" for a view showing
// `picture` from a camera at eyeX, climbed by the player standing on the
// floor under band point `foot`. `error` is set and nothing returned when
// the video cannot be encoded.
std::vector<DemoResource> MakeClimbResources(const std::string& name, const Picture& picture, float eyeX, BandPoint foot,
                                             std::string& error);

} // namespace vls::tools
