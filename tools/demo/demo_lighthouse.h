#pragma once

// The demo's second room, "lighthouse", reached from the harbour's exit and
// left through its own exit back: its view, its scene script (music, snow
// and a fountain, and the short video with subtitles on the first visit),
// the two music pieces, the lantern's sound effect, the video with its
// ".subtitle" text, and the ledge's climb, a realtime video with camera and
// height tracks.

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

}  // namespace vls::tools
