// Any bytes as the payload of a "SND" or a "PAR" savegame block: a refusal is
// fine, a crash or a read past the payload is not, and an accepted sound
// block writes back to the same bytes.

#include "engine/audio/sound_block.h"
#include "engine/render/kestrune_particles.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SoundBlock block;
    if (ReadSoundBlock(data, size, block)) {
        const std::vector<std::uint8_t> again = WriteSoundBlock(block);
        if (again.size() != size)
            __builtin_trap();
    }
    WeatherParams weather;
    ReadWeatherBlock(data, size, weather);
    FountainParams fountain;
    ReadFountainBlock(data, size, fountain);
    return 0;
}
