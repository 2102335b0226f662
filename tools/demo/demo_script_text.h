#pragma once

// Helpers for the demo's scripts written in the assembler's text form.

#include "tools/demo/demo_floor.h"

#include <string>

namespace vls::tools {

// The statements that push the floor point under a band spot of `camera`'s
// view and then an angle in degrees: the arguments of cCharacter__Place,
// cCharacter__SetPathfinderDest and cObject__SetPathfinderDest.
std::string FloorSpotArguments(const DemoFloorCamera& camera, BandPoint spot, float degrees);

// The start of a scene's on_enter: the project's "sounds" function runs, the
// floor layer (0) is switched on and the ambient light set. The script
// declares the call sites `project`, `floor` and `ambient`.
std::string SceneEntryStatements(float red, float green, float blue);

// `source` with a "popreg" after every call of a call site declared with an
// int result: every native pushes its result, and one that nobody takes
// would stay on the script's stack, which its savegame state keeps.
std::string DropIntResults(const std::string& source);

} // namespace vls::tools
