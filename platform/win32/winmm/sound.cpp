#include "platform/win32/winmm/mmsystem.h"

namespace {

const void* g_current = nullptr;

}  // namespace

BOOL sndPlaySoundA(LPCSTR sound, UINT)
{
    g_current = sound;
    return TRUE;
}

namespace vls::winmm {

const void* CurrentSound() { return g_current; }

}  // namespace vls::winmm
