// The "PAR" savegame blocks of weather and fountains.

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/render/kestrune_particles.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kSnowName = "WeatherSnow";
constexpr const char* kRainName = "WeatherRain";
constexpr const char* kFountainName = "Fountain";
constexpr int kSeekCurrent = 1;

std::vector<uint8_t> WeatherBytes(const WeatherParams& p)
{
    std::vector<uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    for (float value : {p.centreX, p.centreZ, p.halfWidth, p.top, p.bottom, p.speed})
        writer.F32(value);
    writer.I32(p.count);
    writer.F32(p.extra1);
    writer.F32(p.extra2);
    return bytes;
}

int32_t WriteBlock(int32_t file, const char* name, const std::vector<uint8_t>& payload)
{
    if (!WriteSavegameBlockHeader(file, "PAR", name, static_cast<uint32_t>(payload.size())))
        return -1;
    return _write(file, payload.data(), static_cast<unsigned>(payload.size())) == static_cast<int>(payload.size())
               ? 0
               : -1;
}

void ReportDamaged(const SavegameBlockHeader& header, const std::string& name)
{
    ReportError("PAR", name.c_str(), 1, "Savegame block type or version mismatch.");
    (void)header;
}

} // namespace

int32_t cKestruneWeatherSnow::WriteBlock(int32_t file) { return ::WriteBlock(file, kSnowName, WeatherBytes(params)); }

int32_t cKestruneWeatherRain::WriteBlock(int32_t file) { return ::WriteBlock(file, kRainName, WeatherBytes(params)); }

int32_t cKestruneFountain::WriteBlock(int32_t file)
{
    std::vector<uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    for (float value : {params.x, params.y, params.z, params.spread, params.ground, params.speed})
        writer.F32(value);
    writer.I32(params.count);
    return ::WriteBlock(file, kFountainName, bytes);
}

bool ReadWeatherBlock(const uint8_t* data, size_t size, WeatherParams& p)
{
    if (size != kWeatherBlockSize)
        return false;
    DatafileByteReader reader(data, size);
    for (float* value : {&p.centreX, &p.centreZ, &p.halfWidth, &p.top, &p.bottom, &p.speed})
        *value = reader.F32();
    p.count = reader.I32();
    p.extra1 = reader.F32();
    p.extra2 = reader.F32();
    return !reader.Failed();
}

bool ReadFountainBlock(const uint8_t* data, size_t size, FountainParams& p)
{
    if (size != kFountainBlockSize)
        return false;
    DatafileByteReader reader(data, size);
    for (float* value : {&p.x, &p.y, &p.z, &p.spread, &p.ground, &p.speed})
        *value = reader.F32();
    p.count = reader.I32();
    return !reader.Failed();
}

cKestruneParticleSystem* LoadParticleBlock(int file, SavegameBlockHeader& header)
{
    if (!CheckSavegameBlockTag(header, "PAR"))
        return nullptr;
    const std::string name(header.name, strnlen(header.name, sizeof header.name));
    const bool snow = name == kSnowName, rain = name == kRainName, fountain = name == kFountainName;
    const uint32_t expected = fountain ? kFountainBlockSize : kWeatherBlockSize;
    cKestruneParticleSystem* effect = nullptr;
    if (!(snow || rain || fountain)) {
        // An effect this program does not know: step over it.
        _lseek(file, static_cast<long>(header.length), kSeekCurrent);
    } else if (header.length != expected) {
        ReportDamaged(header, name);
        _lseek(file, static_cast<long>(header.length), kSeekCurrent);
    } else {
        uint8_t payload[kWeatherBlockSize] = {};
        if (_read(file, payload, expected) != static_cast<int>(expected)) {
            ReportDamaged(header, name);
        } else if (fountain) {
            FountainParams params;
            ReadFountainBlock(payload, expected, params);
            effect = new cKestruneFountain(params);
        } else {
            WeatherParams params;
            ReadWeatherBlock(payload, expected, params);
            effect = snow ? static_cast<cKestruneParticleSystem*>(new cKestruneWeatherSnow(params))
                          : new cKestruneWeatherRain(params);
        }
    }
    ReadSavegameBlockHeader(file, header);
    return effect;
}

int32_t SaveParticleBlocks(int file, const DynArray<cKestruneParticleSystem*>& objects)
{
    int32_t result = 0;
    for (int32_t i = 0; i < objects.count; ++i) {
        if (objects.data[i] && objects.data[i]->WriteBlock(file) != 0)
            result = -1;
    }
    return result;
}

void LoadParticleBlocks(int file, SavegameBlockHeader& header, DynArray<cKestruneParticleSystem*>& objects)
{
    // Each block leaves the next header behind, so a file cut short ends the
    // walk with an empty header.
    while (std::memcmp(header.tag, "PAR", 4) == 0) {
        if (cKestruneParticleSystem* const effect = LoadParticleBlock(file, header))
            objects.Add(effect);
    }
}
