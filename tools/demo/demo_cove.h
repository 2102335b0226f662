#pragma once

// The demo's third room, "cove", down the steps at the quay's left end: a
// beach and open water where a motor boat steers across (the zodiac
// controller), a diver swims along the bottom (the diver controller) and a
// robot hovers on the beach (the infobot controller); the water mirrors them
// (a floor mirror under the view's water layer).

#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_harbour.h"

#include <string>
#include <vector>

namespace vls::tools {

namespace cove {
constexpr float kEyeX = -40.0f;            // the view's camera, over the beach
constexpr BandPoint kArrival{150, 470};    // the player comes down the steps here
constexpr BandPoint kSteps{60, 420};       // the way back up to the harbour
constexpr BandPoint kBoatStart{820, 300};  // the boat sets out from here
constexpr BandPoint kBoatTarget{380, 320}; // and steers for this point
constexpr BandPoint kDiverStart{560, 420};
constexpr BandPoint kDiverTarget{860, 460};
constexpr BandPoint kRobot{300, 440};
constexpr std::uint32_t kSand = 0xFFD8C08C;
} // namespace cove

// "cove.scene", "cove_water.view", "boat.gr2", "robot.gr2", the boat's and
// the diver's particle pictures and the motor's sound.
std::vector<DemoResource> MakeCoveResources();

} // namespace vls::tools
