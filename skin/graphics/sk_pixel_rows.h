#pragma once

// The row loops of the alpha blend at each instruction-set level this
// processor runs. Every level gives the bytes of the plain loops; BlendRow
// and the stretch's loops take the widest level, picked at run time, since
// the build targets the baseline of the architecture.

#include <cstdint>
#include <vector>

#include "skin/graphics/sk_pixels.h"

namespace skin {

using TBlendRowFunction = void (*)(const TPixel* source, TPixel* dest, int count);
using TBlendColumnsFunction = void (*)(const TPixel* line, int lineWidth, const int* columns, TPixel* dest,
                                       int count);

// A stretch blends each sampled source row over one or more target rows, so
// the half of BlendPixel that depends on the source alone is done once per
// sampled row. For each target column: its share, every byte of the source
// pixel s rounded as (s x wa + 128) >> 8, and the weight wd that the
// destination byte d gets, (d x wd + 128) >> 8 being added to the share.
// wa and wd are alpha and 255 - alpha, except that alpha 255 takes 256 and
// 0, and alpha 0 takes 0 and 256: the source pixel and the destination pixel
// come out whole, as BlendPixel's shortcuts give them. Weights are 0..256,
// stored in both 16-bit halves of their word so a vector loop loads them
// ready for its channel lanes.
using TPrepareColumnsFunction = void (*)(const TPixel* line, int lineWidth, const int* columns, TPixel* shares,
                                         std::uint32_t* weights, int count);
using TBlendPreparedFunction = void (*)(const TPixel* shares, const std::uint32_t* weights, TPixel* dest,
                                        int count);

struct TBlendRowLevel {
    const char* name;
    TBlendRowFunction blend;
    TBlendColumnsFunction blendColumns;
    TPrepareColumnsFunction prepare;
    TBlendPreparedFunction blendPrepared;
};

// BlendPixel pixel by pixel, in order.
void BlendRowPlain(const TPixel* source, TPixel* dest, int count);

// The levels this processor runs, the plain loops first and the widest last.
std::vector<TBlendRowLevel> BlendRowLevels();

// The level the row loops run from now on; null (and the start) picks the
// widest. For the benchmark and tests that compare the levels inside whole
// draws.
void UseBlendRowLevel(const TBlendRowLevel* level);

// dest[k] := BlendPixel(line[columns[k]], dest[k]), at the chosen level: a
// sampled row that only one target row takes. The columns as PrepareColumns
// takes them; dest must not overlap the line.
void BlendColumns(const TPixel* line, int lineWidth, const int* columns, TPixel* dest, int count);

// line[columns[k]] made ready, at the chosen level, as shares[k] and
// weights[k]. The columns never decrease and lie in 0..lineWidth - 1; the
// vector levels may read pixels of the line that no column names, never
// outside it.
void PrepareColumns(const TPixel* line, int lineWidth, const int* columns, TPixel* shares, std::uint32_t* weights,
                    int count);

// dest[k] := shares[k] + dest[k] by weights[k], at the chosen level. None of
// the three runs may overlap another.
void BlendPreparedRow(const TPixel* shares, const std::uint32_t* weights, TPixel* dest, int count);

}  // namespace skin
