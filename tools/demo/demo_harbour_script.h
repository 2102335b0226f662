#pragma once

// The harbour's scene script, written for the floor its quay view shows:
// the walk points and places in it are floor points under spots of the
// picture.

#include "tools/demo/demo_floor.h"

#include <string>

namespace vls::tools {

// The places of the quay view's band that the script and the picture share.
namespace harbour {
constexpr BandPoint kStart{250, 455};     // where a new game puts the player
constexpr BandPoint kQuayEnd{395, 345};   // the way out: walk point, and the return
constexpr BandPoint kBoatSide{415, 395};  // at the quay's edge by the boat
constexpr BandPoint kFisher{438, 500};    // the fisherman stands here
constexpr BandPoint kFisherMeet{230, 490}; // and is talked to from here
constexpr BandPoint kRope{150, 400};      // the coil of rope (centre of its picture)
constexpr BandPoint kRopeSide{190, 430};
constexpr BandPoint kCoveSteps{40, 430};  // the steps down to the cove, at the quay's left end
constexpr BandPoint kTower{880, 180};     // the lighthouse out at sea, seen closer through the spyglass
constexpr const char* kTowerView = "harbour_tower"; // that close-up, a detail view
constexpr float kGullSeconds = 3.0f;      // after entering, a gull cries once
constexpr std::uint32_t kChatFrameColour = 0xFF8C6A30; // the frame around the fisherman's head while he talks
} // namespace harbour

std::string HarbourSceneScript(const DemoFloorCamera& quay);

} // namespace vls::tools
