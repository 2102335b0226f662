#include "engine/world/controller_sounds.h"

#include "engine/audio/kestrune_sound.h"

void cControllerSounds::Keep(std::int32_t index)
{
    cKestruneSound* const sound = cKestruneSound::Current();
    if (!sound || index < 0 || index >= sound->channels.count || count_ == kMaxChannels)
        return;
    serials_[count_++] = sound->channels.data[index].serial;
}

void cControllerSounds::Play(std::int32_t id, float volume, const float position[3], std::int32_t ownerTag)
{
    cKestruneSound* const sound = cKestruneSound::Current();
    if (!sound)
        return;
    const std::int32_t before = sound->channels.count;
    sound->PlayEmittedSound(id, volume, position[0], position[1], position[2], nullptr, "", ownerTag);
    // A new channel is appended; a sound that could not start adds none.
    if (sound->channels.count > before)
        Keep(sound->channels.count - 1);
}

void cControllerSounds::Adopt(std::int32_t ownerTag)
{
    if (cKestruneSound* const sound = cKestruneSound::Current())
        Keep(sound->FindChannel(ownerTag));
}

void cControllerSounds::Stop()
{
    cKestruneSound* const sound = cKestruneSound::Current();
    for (int k = 0; sound && k < count_; ++k) {
        for (std::int32_t i = 0; i < sound->channels.count; ++i) {
            if (sound->channels.data[i].serial == serials_[k])
                sound->StopChannel(i);
        }
    }
    count_ = 0;
}
