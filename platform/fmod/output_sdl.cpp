// The real output: an SDL2 audio device whose thread pulls mixed blocks.

#include "platform/fmod/sound_system.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>

namespace vls::fmod {

namespace {

void FillDevice(void* userdata, Uint8* stream, int len)
{
    auto& system = *static_cast<SoundSystem*>(userdata);
    const std::lock_guard guard(system.lock);
    MixOutput(system, reinterpret_cast<std::int16_t*>(stream), len / 4);
}

// The device buffer nearest below the asked-for length, as a power of two.
Uint16 DeviceFrames(int mixRate, int bufferMs)
{
    const long wanted = static_cast<long>(mixRate) * bufferMs / 1000;
    Uint16 frames = 256;
    while (frames < 16384 && frames * 2 <= wanted)
        frames = static_cast<Uint16>(frames * 2);
    return frames;
}

// The sound library's own lines do not say what it means for the program:
// it goes on without sound, and says so once.
void SayRunningSilent(const char* why)
{
    std::fprintf(stderr, "%s: no sound device could be opened (%s): running silent\n", program_invocation_short_name,
                 why && *why ? why : "no reason given");
}

} // namespace

bool OpenSdlOutput(SoundSystem& system)
{
    int mixRate = 0;
    int bufferMs = 0;
    bool held = false;
    {
        const std::lock_guard guard(system.lock);
        mixRate = system.mixRate;
        bufferMs = system.bufferMs;
        held = system.sdlAudioHeld;
    }
    if (!held) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            SayRunningSilent(SDL_GetError());
            return false;
        }
        const std::lock_guard guard(system.lock);
        system.sdlAudioHeld = true;
    }
    SDL_AudioSpec want{};
    want.freq = mixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = DeviceFrames(mixRate, bufferMs);
    want.callback = FillDevice;
    want.userdata = &system;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SayRunningSilent(SDL_GetError());
        return false;
    }
    {
        const std::lock_guard guard(system.lock);
        system.sdlDevice = device;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void CloseSdlOutput(SoundSystem& system)
{
    SDL_AudioDeviceID device = 0;
    bool held = false;
    {
        const std::lock_guard guard(system.lock);
        device = system.sdlDevice;
        system.sdlDevice = 0;
        held = system.sdlAudioHeld;
        system.sdlAudioHeld = false;
    }
    if (device != 0)
        SDL_CloseAudioDevice(device);
    if (held)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace vls::fmod
