#pragma once

#include "engine/render/kestrune_particle_system.h"
#include "platform/d3dx/d3dx8math.h"

#include <cstdint>

class cKestruneImage;
struct SavegameBlockHeader;

// One particle: a heap node of a singly linked list (malloc / free).
struct ParticleNode {
    float x, y, z;
    float vx, vy, vz;
    uint32_t colour;
    ParticleNode* next;
};

// What every point-sprite effect shares: its point vertex buffer, filled in
// tenths of its length, and the drawing of one list through it.
class cKestruneParticles : public cKestruneParticleSystem {
public:
    int32_t Render() override { return -1; }
    int32_t Submit(DynArray<RenderQueueEntry>& list) override;
    int32_t WriteBlock(int32_t) override { return 0; }
    void Destroy() override { delete this; }

    // Streams the list through the vertex buffer with the given texture;
    // 0, or -1 after a failing device call (reported).
    int32_t DrawList(cKestruneImage* image, const ParticleNode* list);

    cKestruneImage* image = nullptr;
    uint32_t batchStart = 0;
    uint32_t batchSize = 0;
    float pointSize = 0.0f;
    float minPointSize = 0.0f;
    float maxPointSize = 0.0f;

protected:
    // Makes the vertex buffer for n points; bufferLength holds n clamped to
    // a sane range.
    explicit cKestruneParticles(int32_t count);
    ~cKestruneParticles() override;

private:
    void AdvanceBatch();
};

// The particle of the shared generator: rand() / 32767.
float ParticleRandom();
void FreeParticles(ParticleNode*& list);
// A list of n nodes with every field zero.
ParticleNode* NewParticles(int32_t n);

struct WeatherParams {
    float centreX = 0, centreZ = 0, halfWidth = 0, top = 0, bottom = 0, speed = 0;
    int32_t count = 0;
    float extra1 = 0, extra2 = 0; // snow: kept values; rain: wind x and z
};

struct FountainParams {
    float x = 0, y = 0, z = 0, spread = 0 /* as held: doubled */, ground = 0, speed = 0;
    int32_t count = 0;
};

class cKestruneWeatherSnow : public cKestruneParticles {
public:
    explicit cKestruneWeatherSnow(const WeatherParams& params);
    ~cKestruneWeatherSnow() override;
    int32_t Render() override;
    int32_t WriteBlock(int32_t file) override;

    WeatherParams params;
    cKestruneImage* images[4] = {};
    int32_t imageCount = 0;
    ParticleNode* lists[4] = {};

private:
    void Spawn(ParticleNode& flake, bool atBuild) const;
};

class cKestruneWeatherRain : public cKestruneParticles {
public:
    explicit cKestruneWeatherRain(const WeatherParams& params);
    ~cKestruneWeatherRain() override;
    int32_t Render() override;
    int32_t WriteBlock(int32_t file) override;

    WeatherParams params;
    ParticleNode* drops = nullptr;
    ParticleNode* splashes = nullptr;

private:
    void Spawn(ParticleNode& drop) const;
};

class cKestruneFountain : public cKestruneParticles {
public:
    explicit cKestruneFountain(const FountainParams& params);
    ~cKestruneFountain() override;
    int32_t Render() override;
    int32_t WriteBlock(int32_t file) override;

    FountainParams params;
    ParticleNode* jets = nullptr;
    ParticleNode* splashes = nullptr;
};

// The boat's glowing wake, owned and moved by its controller.
class cKestruneParticlesZodiac : public cKestruneParticles {
public:
    explicit cKestruneParticlesZodiac(int32_t count);
    ~cKestruneParticlesZodiac() override;
    int32_t Render() override;
    int32_t Submit(DynArray<RenderQueueEntry>& list) override;
    void SetMatrix(const D3DXMATRIX& matrix, bool reset);

    D3DXMATRIX emitter;
    uint8_t initialised = 0;
    ParticleNode* particles = nullptr;

private:
    void Spawn(ParticleNode& particle) const;
};

// The diver's air bubbles: a burst, with its sound, every three seconds.
class cKestruneParticlesDiver : public cKestruneParticles {
public:
    explicit cKestruneParticlesDiver(int32_t count);
    ~cKestruneParticlesDiver() override;
    int32_t Render() override;
    int32_t Submit(DynArray<RenderQueueEntry>& list) override;
    void SetMatrix(const D3DXMATRIX& matrix);
    void Emit();

    int32_t budget = 0;
    D3DXMATRIX emitter;
    int32_t pending = 0;
    float lastBurst = 0.0f;
    ParticleNode* particles = nullptr;
};

// The "PAR" savegame blocks: payload layouts by block name.
constexpr uint32_t kWeatherBlockSize = 36;
constexpr uint32_t kFountainBlockSize = 28;
bool ReadWeatherBlock(const uint8_t* data, size_t size, WeatherParams& params);
bool ReadFountainBlock(const uint8_t* data, size_t size, FountainParams& params);
// Builds the effect a "PAR" block describes and reads the next block's header
// into header. A block of another name is skipped by its length (null); a
// damaged one is reported (null).
cKestruneParticleSystem* LoadParticleBlock(int file, SavegameBlockHeader& header);
// The savegame's side of the graphics object list: one block per effect in
// list order (effects that keep nothing write none), and on reading, every
// "PAR" block from the one in header on appended to the list, leaving the
// first header of another tag in header. -1 when a write failed.
int32_t SaveParticleBlocks(int file, const DynArray<cKestruneParticleSystem*>& objects);
void LoadParticleBlocks(int file, SavegameBlockHeader& header, DynArray<cKestruneParticleSystem*>& objects);
