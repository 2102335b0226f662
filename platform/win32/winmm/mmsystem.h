#pragma once

#include "platform/win32/wintypes.h"

using MMRESULT = UINT;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOCANDO = 97;

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};
using LPTIMECAPS = TIMECAPS*;

// Milliseconds on the shared clock of platform/win32/kernel/clock.h (tests
// replace it there), wrapping at 2^32.
DWORD timeGetTime();
MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size);
// The clock is always as fine as a millisecond; these only keep the count
// of requests, as callers must pair them.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

constexpr UINT SND_SYNC = 0x0000;
constexpr UINT SND_ASYNC = 0x0001;
constexpr UINT SND_NODEFAULT = 0x0002;
constexpr UINT SND_MEMORY = 0x0004;
constexpr UINT SND_LOOP = 0x0008;

// One sound at a time: a new one, or a null one, ends the one before. The
// sound is recorded, not played (nothing here owns a sound output); the
// caller keeps a SND_MEMORY image alive while it is the current sound.
BOOL sndPlaySoundA(LPCSTR sound, UINT flags);

namespace vls::winmm {
// What sndPlaySoundA was last given and not stopped since; null when none.
const void* CurrentSound();
}  // namespace vls::winmm
