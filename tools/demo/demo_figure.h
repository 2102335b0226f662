#pragma once

// The demo's figure, turned so that it faces the way the engine walks a
// character: the engine's controllers point a model's first axis where it
// goes, and the figure made by the model writer looks along another one.

#include "tools/gr2_writer.h"

namespace vls::tools {

// The figure, its walk cycle and its idle, each turned about the vertical by
// the same angle: the body's vertices and its pelvis, under which all of the
// body hangs; the animations hold the pelvis in that turn.
Gr2Scene TurnedFigureScene();
Gr2Scene TurnedWalkScene();
Gr2Scene TurnedIdleScene();

} // namespace vls::tools
