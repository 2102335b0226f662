#pragma once

// The demo's figure, turned so that it faces the way the engine walks a
// character: the engine's controllers point a model's first axis where it
// goes, and the figure made by the model writer looks along another one.

#include "tools/gr2_writer.h"

#include <array>
#include <cstdint>
#include <string>

namespace vls::tools {

// A face for a plate on a head's front, 16 x 16 texels from the top of the
// plate: brows, eyes, a nose and a mouth on the skin.
struct FaceColours {
    std::array<std::uint8_t, 3> skin;
    std::array<std::uint8_t, 3> brows;
    std::array<std::uint8_t, 3> eyes;
    std::array<std::uint8_t, 3> nose;
    std::array<std::uint8_t, 3> mouth;
};
Gr2Texture FaceTexture(const std::string& name, const FaceColours& colours);

// The figure, with a face on its head's front, its walk cycle and its idle,
// each turned about the vertical by the same angle: the body's vertices and
// its pelvis, under which all of the body hangs; the animations hold the
// pelvis in that turn.
Gr2Scene TurnedFigureScene();
Gr2Scene TurnedWalkScene();
Gr2Scene TurnedIdleScene();

} // namespace vls::tools
