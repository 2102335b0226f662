#pragma once

// The row loop of the alpha blend at each instruction-set level this
// processor runs. Every level gives the bytes of the plain loop; BlendRow
// takes the widest one, picked at run time, since the build targets the
// baseline of the architecture.

#include <vector>

#include "skin/graphics/sk_pixels.h"

namespace skin {

using TBlendRowFunction = void (*)(const TPixel* source, TPixel* dest, int count);

struct TBlendRowLevel {
    const char* name;
    TBlendRowFunction blend;
};

// BlendPixel pixel by pixel, in order.
void BlendRowPlain(const TPixel* source, TPixel* dest, int count);

// The levels this processor runs, the plain loop first and the widest last.
std::vector<TBlendRowLevel> BlendRowLevels();

// The level BlendRow runs from now on; null (and the start) picks the widest.
// For the benchmark and tests that compare the levels inside whole draws.
void UseBlendRowLevel(TBlendRowFunction blend);

}  // namespace skin
