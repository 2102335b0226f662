#pragma once

#include <cstdint>

namespace vls::fmod {

// The null output mixes only when asked: tests pull mixed frames, and a
// headless program lets FSOUND_Update mix the time its clock says has passed.

// True while FSOUND is initialised on the null output.
bool NullOutputActive();

// Mixes `frames` frames of interleaved 16-bit stereo into `out`, advancing
// every playing channel. False (and nothing written) without the null output.
bool NullOutputRender(std::int16_t* out, int frames);

// Mixes and drops `frames` frames: time passes for everything that plays.
bool NullOutputAdvance(int frames);

// A millisecond clock for the null output to follow: FSOUND_Update, and the
// calls that start a sound or ask whether one plays, first mix the time passed
// since the last such call, at most one second of it. Without one, a program that
// asked for a real output but runs on the null output (headless, or no device)
// follows the shared clock behind timeGetTime, so its sounds end in time;
// FSOUND_OUTPUT_NOSOUND follows no clock, and only pulls move it on.
void SetNullOutputClock(std::uint32_t (*clock)());

} // namespace vls::fmod
