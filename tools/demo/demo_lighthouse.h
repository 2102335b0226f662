#pragma once

// The demo's second room, "lighthouse", reached from the harbour's exit and
// left through its own exit back: its view, its scene script (music, snow
// and a fountain, and the short video with subtitles on the first visit),
// the two music pieces, the lantern's sound effect, the video with its
// ".subtitle" text, and the ledge's climb, a realtime video with camera and
// height tracks.

#include "tools/demo/demo_floor.h"
#include "tools/demo/demo_harbour.h"

#include <string>
#include <vector>

namespace vls::tools {

// "lighthouse.scene", "lighthouse_rock.view", "harbour_theme.ogg",
// "lighthouse_theme.ogg", "lantern_click.wav", "lighthouse_intro.image" and
// "lighthouse_intro.subtitle". `error` is set and nothing returned when the
// video cannot be encoded.
std::vector<DemoResource> MakeLighthouseResources(std::string& error);

// The subtitles of "lighthouse_intro", as frames and texts.
constexpr int kLighthouseIntroFrames = 40;

namespace rock {
constexpr float kEyeX = 40.0f; // the camera of the rock's view stands over this x
constexpr BandPoint kArrival{220, 478};
constexpr BandPoint kShore{560, 478};
constexpr BandPoint kExitMark{790, 230};  // the way back across the water
constexpr BandPoint kFountain{140, 470};  // a spring on the rock
constexpr BandPoint kTowerFoot{330, 470}; // by the door, under the log and the lamp
constexpr BandPoint kLedgeFoot{470, 470}; // under the ledge, where its climb starts
// How far behind its front edge the climber ends on the ledge's top: his
// nearer foot stands half as far in.
constexpr float kLedgeLip = 0.3f;
// How far the figure's body reaches from where it stands: the ledge is cut
// out of the walk map this much wider than its block.
constexpr float kFigureReach = 0.2f;
// Half the width of the way cut in from the ledge's front to the climb's
// start, which lies inside the block's footprint.
constexpr float kClimbWayHalfWidth = 0.1f;
// The nodes the ways round the ledge go over stand this far out from the
// corners of its cut-out.
constexpr float kNodeClearance = 0.15f;
} // namespace rock

// The camera of the rock's view.
DemoFloorCamera RockCamera();
// The ledge standing where the climb lifts the player, as high as it lifts
// him, so that he ends on its top.
RockLedge RockLedgeSeenBy(const DemoFloorCamera& camera);
// The rock's walk map: its flat top in front of the tower, without the
// ledge's block but for the way in to the climb's start, and the nodes the
// ways round the block are planned over.
LayerDescription RockWalkLayer(const DemoFloorCamera& camera);

}  // namespace vls::tools
