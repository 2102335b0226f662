#include "engine/audio/sound_files.h"

#include "engine/base/kestrune_file_system.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

uint8_t* ReadSoundFile(const char* name, uint32_t& length)
{
    length = 0;
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    if (!files || !files->Exists(name))
        return nullptr;
    const int32_t slot = files->Open(name);
    if (slot <= 0)
        return nullptr;
    const int32_t size = files->GetSize(slot);
    uint8_t* data = size > 0 ? static_cast<uint8_t*>(files->ReadAlloc(slot, size)) : nullptr;
    files->Close(slot);
    if (data)
        length = static_cast<uint32_t>(size);
    return data;
}

int32_t ClampVolume(float volume)
{
    if (!(volume > 0.0f))
        return 0;
    if (volume >= 255.0f)
        return 255;
    return static_cast<int32_t>(volume);
}

bool WaitForStreamOpen(FSOUND_STREAM* stream)
{
    for (;;) {
        const int state = FSOUND_Stream_GetOpenState(stream);
        if (state == 0)
            return true;
        // -2 is the only state that ends by itself; anything else never will.
        if (state != -2)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
