#pragma once

#include "platform/fmod/fmod.h"

#include <cstdint>

// Reads a datafile resource whole into a new malloc'd buffer (free it with
// free). Null, quietly, when the resource does not exist or holds no data.
uint8_t* ReadSoundFile(const char* name, uint32_t& length);

// FMOD's volume scale is 0..255; values from settings and fades are clamped to it.
int32_t ClampVolume(float volume);

// Blocks until a stream opened without blocking is ready; false when its open
// failed (the stream must then be closed, never played).
bool WaitForStreamOpen(FSOUND_STREAM* stream);
