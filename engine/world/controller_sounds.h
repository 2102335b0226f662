#pragma once

#include <cstdint>

// The looping sounds that a controller keeps going for its character (the
// boat's engines, the robot's motor), stopped when the controller goes.
//
// They are held by the sound object's serial of their channel, not by owner
// tag: while a savegame loads, the sound block restores these channels before
// the character's block replaces the controller that the player's set-up
// made meanwhile, and that controller must leave the restored channels to the
// controller read from the savegame, which adopts them.
class cControllerSounds {
public:
    cControllerSounds() = default;
    cControllerSounds(const cControllerSounds&) = delete;
    cControllerSounds& operator=(const cControllerSounds&) = delete;
    ~cControllerSounds() { Stop(); }

    // Starts sound definition id at position, tagged with ownerTag, and
    // keeps its channel.
    void Play(std::int32_t id, float volume, const float position[3], std::int32_t ownerTag);
    // Keeps the channel tagged ownerTag that plays now, when there is one.
    void Adopt(std::int32_t ownerTag);
    // Stops the kept channels that still play and forgets them.
    void Stop();

private:
    static constexpr int kMaxChannels = 4;
    void Keep(std::int32_t index);

    std::uint32_t serials_[kMaxChannels] = {};
    int count_ = 0;
};
