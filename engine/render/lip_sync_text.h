#pragma once

#include "engine/base/dynarray.h"

#include <cstdint>
#include <string_view>

// Eight viseme weights of one frame (1/30 s) of speech.
struct SyncKey {
    float w[8] = {};
};

// ".lsm" text: four "%d %d" pairs replacing weights[0..7] in order; the
// first number that does not parse ends the reading, the rest stay.
void ParseLipSyncWeights(std::string_view text, int32_t* weights);
// ".sync" text: a count, then that many keys of eight numbers. Keys stop
// where the text does, whatever the count claims.
void ParseSyncKeys(std::string_view text, DynArray<SyncKey>& keys);
