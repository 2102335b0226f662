#pragma once

// The demo's spoken lines: each line's text, the speech resource that voices
// it ("<name>.ogg", a murmur of syllables as long as the text needs), the
// mouth's movement that goes with it ("<name>.sync") and the script
// statements that say it; and the footstep sound.

#include "tools/demo/demo_harbour.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

struct DemoLine {
    const char* speech; // resource name without ".ogg"
    const char* text;
    double pitch;       // the speaker's voice, in Hz
};

// The speech of one line: a murmur of syllables in the line's voice, as
// long as its text needs (Ogg Vorbis).
std::vector<std::uint8_t> Murmur(const DemoLine& line);
// The ".sync" viseme keys that move a speaker's jaw with that murmur.
std::vector<std::uint8_t> LipSync(const DemoLine& line);

// Every spoken line of the demo.
const std::vector<DemoLine>& DemoLines();

// Script statements: `speaker` (a cCharacter variable) says the line whose
// speech name is `speech`, through the call site `callsite` (cCharacter__Say).
std::string SayStatements(const std::string& speaker, const std::string& speech, const std::string& callsite);

// The speech and lip-sync resources of every line, and "step.wav".
std::vector<DemoResource> MakeVoiceResources();

} // namespace vls::tools
