#pragma once

#include "platform/fmod/sound_system.h"

namespace vls::fmod {

struct StereoGain {
    float left = 1;
    float right = 1;
};

// Balance law for a position -1 (left) .. 1 (right): the far side fades
// linearly to silence, the near side keeps full gain, the centre plays both fully.
StereoGain BalanceGain(float position);
// FSOUND pan 0..255 (128 centre) or FSOUND_STEREOPAN as a balance position.
StereoGain PanGain(int pan);
// Roll-off and panning of a 3D source heard by the listener.
StereoGain SpatialGain(const Listener& listener, const float* source);

} // namespace vls::fmod
