// Channels: starting samples and the per-channel controls.

#include "platform/fmod/fmod.h"
#include "platform/fmod/sound_system.h"

#include <algorithm>

using namespace vls::fmod;

namespace {

constexpr int kMaxFrequency = 705600;

// Runs `apply` on the channel the handle names, under the lock.
template <typename Apply>
signed char WithChannel(int handle, Apply apply)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    Channel* channel = FindChannel(system, handle);
    if (!channel)
        return 0;
    SetError(FMOD_ERR_NONE);
    return apply(*channel) ? 1 : 0;
}

void FollowClock()
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    FollowNullClock(system);
}

} // namespace

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr)
{
    return FSOUND_PlaySoundEx(channel, sptr, nullptr, 0);
}

int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE* sptr, FSOUND_DSPUNIT* dsp, signed char startpaused)
{
    (void)dsp; // no DSP units here
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    if (!FindSample(system, sptr))
        return -1;
    FollowNullClock(system);
    const int index = ClaimChannel(system, channel);
    if (index < 0)
        return -1;
    SetError(FMOD_ERR_NONE);
    Channel& target = system.channels[index];
    target.active = true;
    target.paused = startpaused != 0;
    target.sample = sptr;
    target.frequency = sptr->rate;
    target.loop = (sptr->mode & FSOUND_LOOP_NORMAL) != 0;
    target.is3d = (sptr->mode & FSOUND_HW3D) != 0;
    return ChannelHandle(system, index);
}

signed char FSOUND_StopSound(int channel)
{
    return WithChannel(channel, [](Channel& target) {
        StopChannel(target);
        return true;
    });
}

signed char FSOUND_SetPaused(int channel, signed char paused)
{
    return WithChannel(channel, [paused](Channel& target) {
        target.paused = paused != 0;
        return true;
    });
}

signed char FSOUND_SetVolume(int channel, int vol)
{
    return WithChannel(channel, [vol](Channel& target) {
        target.volume = std::clamp(vol, 0, 255);
        return true;
    });
}

// No master volume is ever changed here, so absolute and relative volume agree.
signed char FSOUND_SetVolumeAbsolute(int channel, int vol)
{
    return FSOUND_SetVolume(channel, vol);
}

int FSOUND_GetVolume(int channel)
{
    int volume = 0;
    WithChannel(channel, [&volume](Channel& target) {
        volume = target.volume;
        return true;
    });
    return volume;
}

signed char FSOUND_SetPan(int channel, int pan)
{
    return WithChannel(channel, [pan](Channel& target) {
        target.pan = pan == FSOUND_STEREOPAN ? pan : std::clamp(pan, 0, 255);
        return true;
    });
}

signed char FSOUND_SetFrequency(int channel, int freq)
{
    if (freq < 0 || freq > kMaxFrequency) {
        SetError(FMOD_ERR_INVALID_PARAM);
        return 0;
    }
    return WithChannel(channel, [freq](Channel& target) {
        target.frequency = freq;
        return true;
    });
}

signed char FSOUND_IsPlaying(int channel)
{
    FollowClock();
    return WithChannel(channel, [](Channel& target) { return target.active; });
}

unsigned int FSOUND_GetCurrentPosition(int channel)
{
    unsigned int position = 0;
    WithChannel(channel, [&position](Channel& target) {
        position = target.active ? static_cast<unsigned int>(target.position) : 0;
        return true;
    });
    return position;
}

signed char FSOUND_SetCurrentPosition(int channel, unsigned int offset)
{
    return WithChannel(channel, [offset](Channel& target) {
        if (target.sample) {
            if (offset >= target.sample->length) {
                SetError(FMOD_ERR_INVALID_PARAM);
                return false;
            }
        } else if (!target.stream || !SeekStream(*target.stream, offset)) {
            SetError(FMOD_ERR_INVALID_PARAM);
            return false;
        }
        target.position = offset;
        return true;
    });
}

FSOUND_SAMPLE* FSOUND_GetCurrentSample(int channel)
{
    FSOUND_SAMPLE* sample = nullptr;
    WithChannel(channel, [&sample](Channel& target) {
        sample = target.sample;
        return true;
    });
    return sample;
}

signed char FSOUND_3D_SetAttributes(int channel, const float* pos, const float* vel)
{
    return WithChannel(channel, [pos, vel](Channel& target) {
        if (pos)
            std::copy(pos, pos + 3, target.position3d);
        if (vel)
            std::copy(vel, vel + 3, target.velocity3d);
        return true;
    });
}

signed char FSOUND_3D_GetAttributes(int channel, float* pos, float* vel)
{
    return WithChannel(channel, [pos, vel](Channel& target) {
        if (pos)
            std::copy(target.position3d, target.position3d + 3, pos);
        if (vel)
            std::copy(target.velocity3d, target.velocity3d + 3, vel);
        return true;
    });
}

void FSOUND_3D_Listener_SetAttributes(const float* pos, const float* vel, float fx, float fy, float fz, float tx,
                                      float ty, float tz)
{
    SoundSystem& system = System();
    const std::lock_guard guard(system.lock);
    Listener& listener = system.listener;
    if (pos)
        std::copy(pos, pos + 3, listener.position);
    if (vel)
        std::copy(vel, vel + 3, listener.velocity);
    const float forward[3] = {fx, fy, fz};
    const float up[3] = {tx, ty, tz};
    std::copy(forward, forward + 3, listener.forward);
    std::copy(up, up + 3, listener.up);
}
