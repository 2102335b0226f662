#pragma once

#include "platform/win32/wintypes.h"

#include <cstddef>
#include <cstdint>

// The video player. A stream is opened from a file name, from a file handle
// positioned where the stream starts, or from memory; it is read through the
// demuxers and decoders of libavformat and libavcodec, so any format they know
// plays. Frames are numbered from 1.

using U32 = std::uint32_t;
using S32 = std::int32_t;

// BinkOpen flags.
constexpr U32 BINKFRAMERATE = 0x1000;     // use the rate given to BinkSetFrameRate
constexpr U32 BINKPRELOADALL = 0x2000;    // read the whole stream into memory at open
constexpr U32 BINKALPHA = 0x100000;       // keep the alpha plane of frames that carry one
constexpr U32 BINKFILEHANDLE = 0x800000;  // the name is a HANDLE positioned at the stream

// BinkCopyToBuffer surface type: 32 bits a pixel, bytes B, G, R, A.
constexpr U32 BINKSURFACE32 = 5;

// BinkGoto flag: a hint that the caller only needs a key frame; the frame
// reached is always the one asked for.
constexpr U32 BINKGOTOQUICK = 1;

// Volume of BinkSetVolume: 32768 plays the track as it is.
constexpr S32 BINKVOLUMEFULL = 32768;

struct BinkPlayer;

struct BINK {
    U32 Width;
    U32 Height;
    U32 Frames;         // frame count
    U32 FrameNum;       // the frame BinkDoFrame decodes next (1..Frames)
    U32 LastFrameNum;   // the frame last decoded, 0 before the first
    U32 FrameRate;      // frames per FrameRateDiv seconds
    U32 FrameRateDiv;
    U32 HasAlpha;       // 1 when the frames carry an alpha plane
    U32 NumTracks;      // sound tracks in the stream
    U32 Paused;
    BinkPlayer* player; // the decoding state, owned
};
using HBINK = BINK*;

// The sound output handed over by the sound layer. BinkOpenDirectSound
// accepts the handle of FSOUND_GetOutputHandle and says whether it is live.
using BINKSNDSYSOPEN = S32 (*)(void* param);
S32 BinkOpenDirectSound(void* param);
// Videos opened afterwards play their first sound track through the sound
// layer; without a sound system (or with a failed one) sound is decoded and
// dropped. Returns 1 when the system is usable.
S32 BinkSetSoundSystem(BINKSNDSYSOPEN open, void* param);

// Applies to the next BinkOpen with BINKFRAMERATE; a rate of 0 keeps the
// stream's own.
void BinkSetFrameRate(U32 rate, U32 rateDiv);
// Null on failure, with the reason in BinkGetError. With BINKFILEHANDLE,
// `name` is a kernel HANDLE: the stream is read from its current position,
// and the caller keeps the handle (it may be closed after a preloaded open).
HBINK BinkOpen(const char* name, U32 flags);
void BinkClose(HBINK bink);
// The last failure of an open or of a frame, "" when none.
const char* BinkGetError();

// Non-zero while it is not yet time to show frame FrameNum (and while paused).
S32 BinkWait(HBINK bink);
S32 BinkService(HBINK bink);
// Decodes frame FrameNum. A frame that fails to decode keeps the previous
// picture and sets the error; the video still runs to its end.
S32 BinkDoFrame(HBINK bink);
// Copies the last decoded frame to `dest` at (destX, destY), cut to the
// destination's rows and to the pixels its pitch holds. Frames without alpha
// are copied opaque. Returns 0 when copied.
S32 BinkCopyToBuffer(HBINK bink, void* dest, S32 destPitch, U32 destHeight, U32 destX, U32 destY, U32 flags);
// Moves to the next frame; past the last it starts again at frame 1.
void BinkNextFrame(HBINK bink);
// Makes `frame` (cut into 1..Frames) the next frame BinkDoFrame decodes,
// decoding from the key frame before it.
void BinkGoto(HBINK bink, U32 frame, S32 flags);
// Returns the new pause state.
S32 BinkPause(HBINK bink, S32 pause);
void BinkSetVolume(HBINK bink, U32 trackId, S32 volume);
// Off stops the sound track and drops what it had queued; on starts it again
// from where the video is.
S32 BinkSetSoundOnOff(HBINK bink, S32 onOff);

namespace vls::bink {

// Opens the stream that starts at the handle's current position and runs
// `length` bytes (to the end of the file when negative), such as an entry of
// an archive: nothing outside it is read, and a preloaded stream keeps only
// its own bytes. Flags as for BinkOpen; the caller keeps the handle.
HBINK BinkOpenHandle(HANDLE file, std::int64_t length, U32 flags);

// Opens a stream held in memory; the bytes are copied. Flags as for BinkOpen
// (BINKFILEHANDLE and BINKPRELOADALL have no meaning here).
HBINK BinkOpenMemory(const void* data, std::size_t size, U32 flags);

} // namespace vls::bink
