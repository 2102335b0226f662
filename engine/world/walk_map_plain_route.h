#pragma once

#include "engine/base/dynarray.h"

#include <cstdint>
#include <vector>

class cKestruneEnvironmentLayer;

// The nodes of a walk over a node graph chosen as plainly as such a walk is
// defined, to check the planner against: every node that sees each end by
// the layers' own segment test, every pair in node order, the best replaced
// only by a strictly cheaper pair below 100000, then the rows' next nodes
// from one to the other. Empty when no pair is found. It costs a line of
// sight per node and layer edge and a row per pair: far too much for play.
std::vector<std::int32_t> PlainWalkNodes(const DynArray<cKestruneEnvironmentLayer*>& layers,
                                         const cKestruneEnvironmentLayer& nodeLayer, float sx, float sz, float tx,
                                         float tz);
