#pragma once

#include "platform/fmod/fmod.h"

#include <cstdint>

namespace vls::fmod {

// Sound decoded elsewhere (the video layer) played through the mixer. A feed
// is an ordinary stream: play it with FSOUND_Stream_Play, set its volume and
// pause on the returned channel, close it with FSOUND_Stream_Close. It never
// ends; when it runs dry it is silent and resumes where the next frames start.
//
// Opens a feed of `channels` (1 or 2) interleaved 16-bit channels at `rate` Hz.
// Null (with the error set) when FSOUND is not initialised or the format is invalid.
FSOUND_STREAM* OpenPcmFeed(int rate, int channels);

// Queues frames for the feed's channel; at most four seconds are held, and
// frames beyond that are dropped. Returns the frames taken, -1 for a handle
// that is not an open feed.
int FeedPcm(FSOUND_STREAM* feed, const std::int16_t* frames, int count);

} // namespace vls::fmod
