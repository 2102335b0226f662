#pragma once

// A small articulated figure and its animations, made with the model writer
// for tests and the demo: a "Bip01" skeleton with head, jaw, smile and brow
// bones, a skinned body of boxes (knees blended between thigh and calf), a
// rigid prop, a walk cycle and an idle.

#include "tools/gr2_writer.h"

namespace vls::tools {

// A box of 24 vertices (flat normals) and 12 triangles added to `mesh` and
// `group`. Vertices with y at the box's top take topJoints/topWeights, the
// others bottom ones.
void AddBox(Gr2Mesh& mesh, Gr2Group& group, std::array<float, 3> low, std::array<float, 3> high,
            std::array<int, 4> bottomJoints, std::array<float, 4> bottomWeights, std::array<int, 4> topJoints,
            std::array<float, 4> topWeights);

// The figure's skeleton alone (what an animation file carries).
Gr2Model MakeFigureSkeleton();

// The figure: model with skinned body and texture; its own first animation
// is the idle.
Gr2Scene MakeFigureScene();

// A one-second walk cycle in place (no root motion).
Gr2Scene MakeWalkScene();

// A two-second idle: the spine sways, the jaw opens and closes.
Gr2Scene MakeIdleScene();

// A game-sized figure: the small figure's skeleton grown to 40 bones (neck,
// spine, clavicles, forearms, hands, fingers, feet and toes), its body of
// about 3,000 skinned vertices in slices along every bone, each slice blended
// between the bone and its parent; and a walk cycle that moves every bone.
Gr2Scene MakeDetailedFigureScene();
Gr2Scene MakeDetailedWalkScene();

// A rigid box prop ("Lantern") with its own texture, to link to a bone.
Gr2Scene MakePropScene();

}  // namespace vls::tools
