// Weather, fountain, wake and bubbles: simulation with the seeded generator,
// the batched point drawing and the "PAR" blocks.

#include "render_fixture.h"

#include "engine/render/kestrune_particles.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"
#include "platform/crt/rand.h"

#include <fcntl.h>

namespace vls::test {
namespace {

class ParticleHost : public FakeHost {
public:
    float FrameSeconds() override { return seconds; }
    float FrameDeltaSeconds() override { return delta; }
    float seconds = 0.0f;
    float delta = 0.05f;
};

class Particles : public RenderWorld {
protected:
    Particles()
    {
        SetGraphicsHost(&particleHost);
        srand(1);
    }

    void StartWithImages()
    {
        for (const char* name : {"particle_snowflake", "particle_snowflake2", "particle_raindrop", "particle_zodiac",
                                 "particle_diver"})
            data.Add(std::string(name) + ".image", ImageBytes(Solid(8, 8, 0xFFFFFFFF)));
        Start();
    }

    // The point draws of the calls recorded so far: {start, count}.
    std::vector<std::pair<DWORD, DWORD>> PointDraws()
    {
        std::vector<std::pair<DWORD, DWORD>> out;
        for (const auto& call : Device().Calls())
            if (call.name == "DrawPrimitive" && call.args.size() >= 3 && call.args[0] == D3DPT_POINTLIST)
                out.push_back({call.args[1], call.args[2]});
        return out;
    }

    static int Count(const ParticleNode* list)
    {
        int n = 0;
        for (; list; list = list->next) ++n;
        return n;
    }

    ParticleHost particleHost;
};

TEST_F(Particles, BatchesCoverTheBufferInTenthsAndWrapAtItsEnd)
{
    StartWithImages();
    WeatherParams rain{0, 0, 5, 10, 0, 4, 25, 0, 0};
    cKestruneWeatherRain effect(rain);
    ASSERT_NE(effect.vertexBuffer, nullptr);
    EXPECT_EQ(effect.bufferLength, 25);
    EXPECT_EQ(effect.batchSize, 2u);
    // 25 drops in batches of 2 never reach past vertex 25, whatever the start.
    for (int frame = 0; frame < 7; ++frame) {
        Device().ClearRecord();
        const uint32_t before = effect.batchStart;
        ASSERT_EQ(effect.DrawList(effect.image, effect.drops), 0);
        const auto draws = PointDraws();
        int total = 0;
        for (const auto& [start, count] : draws) {
            EXPECT_LE(start + count, 25u) << "frame " << frame << " from " << before;
            total += int(count);
        }
        EXPECT_EQ(total, 25);
    }
    // Below ten points the batch size is 0: one draw after the list.
    WeatherParams few = rain;
    few.count = 7;
    cKestruneWeatherRain small(few);
    EXPECT_EQ(small.batchSize, 0u);
    Device().ClearRecord();
    ASSERT_EQ(small.DrawList(small.image, small.drops), 0);
    EXPECT_EQ(PointDraws(), (std::vector<std::pair<DWORD, DWORD>>{{0, 7}}));
    // More points than the buffer holds (splashes) are drawn in full buffers.
    ParticleNode* many = NewParticles(16);
    Device().ClearRecord();
    ASSERT_EQ(small.DrawList(small.image, many), 0);
    EXPECT_EQ(PointDraws(), (std::vector<std::pair<DWORD, DWORD>>{{0, 7}, {0, 7}, {0, 2}}));
    FreeParticles(many);
}

TEST_F(Particles, SnowKeepsItsFlakesInsideTheBoxAndLongFramesStepATenth)
{
    StartWithImages();
    WeatherParams snow{10, -5, 4, 20, 0, 2, 42, 7, 8};
    cKestruneWeatherSnow effect(snow);
    EXPECT_EQ(effect.imageCount, 2);
    EXPECT_EQ(effect.bufferLength, 42);
    int flakes = 0;
    for (ParticleNode* list : effect.lists) {
        EXPECT_EQ(Count(list), 10);
        flakes += Count(list);
    }
    EXPECT_EQ(flakes, 40);
    for (const ParticleNode* p = effect.lists[0]; p; p = p->next) {
        EXPECT_GE(p->x, 6.0f);
        EXPECT_LE(p->x, 14.0f);
        EXPECT_GE(p->y, 0.0f);
        EXPECT_LE(p->y, 20.0f);
        EXPECT_GT(p->vy, 0.0f);
    }
    // A 2 s frame moves a flake as 0.1 s would.
    ParticleNode probe = *effect.lists[1];
    particleHost.delta = 2.0f;
    effect.Render();
    const ParticleNode* moved = effect.lists[1];
    EXPECT_NEAR(moved->y, probe.y - 0.1f * probe.vy, 1e-4);
    EXPECT_NEAR(moved->x, probe.x + 0.1f * probe.vx, 1e-4);
    // Four lists drawn, the last two with the last image loaded.
    int drawn = 0;
    for (const auto& draw : PointDraws())
        drawn += int(draw.second);
    EXPECT_EQ(drawn, 40);
}

TEST_F(Particles, RainSplashesWhereDropsLandAndTheSplashesDie)
{
    StartWithImages();
    WeatherParams rain{0, 0, 2, 1, 0, 10, 20, 1, 0};
    cKestruneWeatherRain effect(rain);
    particleHost.delta = 0.1f;
    int most = 0;
    for (int frame = 0; frame < 40; ++frame) {
        effect.Render();
        most = std::max(most, Count(effect.splashes));
        for (const ParticleNode* s = effect.splashes; s; s = s->next)
            EXPECT_EQ(s->colour, 0x20202020u);
    }
    EXPECT_GT(most, 0);
    EXPECT_EQ(Count(effect.drops), 20);
    // The fall speed comes back for every respawned drop.
    for (const ParticleNode* d = effect.drops; d; d = d->next) {
        EXPECT_GE(d->vy, 9.0f);
        EXPECT_LE(d->vy, 11.0f);
    }
}

TEST_F(Particles, FountainRestoresTheBlendStatesItChanges)
{
    StartWithImages();
    FountainParams fountain{0, 1, 0, 0.4f, 0, 3, 30};
    cKestruneFountain effect(fountain);
    particleHost.delta = 0.05f;
    for (int frame = 0; frame < 30; ++frame)
        ASSERT_EQ(effect.Render(), 0);
    EXPECT_GT(Count(effect.splashes), 0);
    DWORD src = 0, dest = 0, colourOp = 0;
    graphics->device->GetRenderState(D3DRS_SRCBLEND, &src);
    graphics->device->GetRenderState(D3DRS_DESTBLEND, &dest);
    graphics->device->GetTextureStageState(0, D3DTSS_COLOROP, &colourOp);
    EXPECT_EQ(src, DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(dest, DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(colourOp, DWORD(D3DTOP_SELECTARG1));
    DWORD sprites = 1;
    graphics->device->GetRenderState(D3DRS_POINTSPRITEENABLE, &sprites);
    EXPECT_EQ(sprites, 0u);
}

TEST_F(Particles, DiverBurstsEveryThreeSecondsAndFadedBubblesWait)
{
    StartWithImages();
    particleHost.seconds = 10.0f;
    cKestruneParticlesDiver diver(100);
    auto visible = [&] {
        int n = 0;
        for (const ParticleNode* p = diver.particles; p; p = p->next) n += (p->colour >> 24) != 0;
        return n;
    };
    particleHost.delta = 0.1f;
    diver.Emit();
    EXPECT_EQ(visible(), 0);
    particleHost.seconds = 13.5f;
    diver.Emit(); // a burst: ten bubbles this frame (budget x dt)
    EXPECT_EQ(visible(), 10);
    EXPECT_EQ(diver.pending, 90);
    EXPECT_FLOAT_EQ(diver.lastBurst, 13.5f);
    float y = 0;
    for (const ParticleNode* p = diver.particles; p; p = p->next)
        if (p->colour >> 24) y = p->y;
    diver.Emit();
    EXPECT_EQ(visible(), 20);
    bool rose = false;
    for (const ParticleNode* p = diver.particles; p; p = p->next)
        rose |= (p->colour >> 24) != 0 && std::abs(p->y - (y + 0.1f)) < 1e-4;
    EXPECT_TRUE(rose);
    DynArray<RenderQueueEntry> list;
    diver.Submit(list);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.data[0].kind, kRenderKindObject);
}

TEST_F(Particles, ParBlocksRoundTripAndUnknownOrDamagedBlocksAreSkipped)
{
    StartWithImages();
    const std::string path = (work_.path() / "save").string();
    {
        const int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        cKestruneWeatherSnow snow(WeatherParams{1, 2, 3, 4, 0, 6, 8, 9, 10});
        cKestruneWeatherRain rain(WeatherParams{1, 2, 3, 4, 0, 6, 12, -1, 0.5f});
        cKestruneFountain fountain(FountainParams{1, 2, 3, 0.8f, 0, 5, 20});
        ASSERT_EQ(snow.WriteBlock(out), 0);
        WriteSavegameBlockHeader(out, "PAR", "Volcano", 5);
        _write(out, "xxxxx", 5);
        ASSERT_EQ(rain.WriteBlock(out), 0);
        WriteSavegameBlockHeader(out, "PAR", "Fountain", 12);
        _write(out, "yyyyyyyyyyyy", 12);
        ASSERT_EQ(fountain.WriteBlock(out), 0);
        WriteSavegameBlockHeader(out, "END", "", 0);
        _close(out);
    }
    const int in = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
    std::vector<cKestruneParticleSystem*> loaded;
    while (std::strcmp(header.tag, "PAR") == 0)
        loaded.push_back(LoadParticleBlock(in, header));
    _close(in);
    EXPECT_STREQ(header.tag, "END");
    ASSERT_EQ(loaded.size(), 5u);
    EXPECT_EQ(loaded[1], nullptr); // unknown effect, skipped
    EXPECT_EQ(loaded[3], nullptr); // damaged length, reported
    EXPECT_EQ(reports.reports.size(), 1u);
    auto* snow = dynamic_cast<cKestruneWeatherSnow*>(loaded[0]);
    auto* rain = dynamic_cast<cKestruneWeatherRain*>(loaded[2]);
    auto* fountain = dynamic_cast<cKestruneFountain*>(loaded[4]);
    ASSERT_TRUE(snow && rain && fountain);
    EXPECT_FLOAT_EQ(snow->params.extra2, 10.0f);
    EXPECT_EQ(snow->params.count, 8);
    EXPECT_FLOAT_EQ(rain->params.extra1, -1.0f);
    EXPECT_EQ(Count(rain->drops), 12);
    EXPECT_FLOAT_EQ(fountain->params.spread, 0.8f); // as held, not doubled again
    for (auto* effect : loaded)
        if (effect) effect->Destroy();

    // Payload readers: exact sizes only; counts are clamped when built.
    uint8_t bytes[kWeatherBlockSize] = {};
    WeatherParams weather;
    EXPECT_FALSE(ReadWeatherBlock(bytes, kWeatherBlockSize - 1, weather));
    FountainParams jets;
    EXPECT_FALSE(ReadFountainBlock(bytes, kWeatherBlockSize, jets));
    const int32_t huge = -5;
    std::memcpy(bytes + 24, &huge, 4);
    ASSERT_TRUE(ReadWeatherBlock(bytes, kWeatherBlockSize, weather));
    cKestruneWeatherRain none(weather);
    EXPECT_EQ(none.bufferLength, 0);
    EXPECT_EQ(none.drops, nullptr);
}

TEST_F(Particles, TheObjectListSavesEachEffectAndLoadsEveryParBlockBack)
{
    StartWithImages();
    const std::string path = (work_.path() / "list").string();
    const std::string cut = (work_.path() / "cut").string();
    {
        DynArray<cKestruneParticleSystem*> objects;
        cKestruneWeatherRain rain(WeatherParams{1, 2, 3, 4, 0, 6, 12, -1, 0.5f});
        cKestruneParticlesZodiac wake(10); // keeps nothing in a savegame
        cKestruneFountain fountain(FountainParams{1, 2, 3, 0.8f, 0, 5, 20});
        objects.Add(&rain);
        objects.Add(&wake);
        objects.Add(&fountain);
        int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        ASSERT_EQ(SaveParticleBlocks(out, objects), 0);
        WriteSavegameBlockHeader(out, "END", "", 0);
        _close(out);
        // A file that ends after its last effect, with no END block.
        out = _open(cut.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        ASSERT_EQ(rain.WriteBlock(out), 0);
        _close(out);
    }
    DynArray<cKestruneParticleSystem*> loaded;
    SavegameBlockHeader header;
    int in = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
    LoadParticleBlocks(in, header, loaded);
    _close(in);
    EXPECT_STREQ(header.tag, "END");
    ASSERT_EQ(loaded.count, 2);
    auto* rain = dynamic_cast<cKestruneWeatherRain*>(loaded.data[0]);
    auto* fountain = dynamic_cast<cKestruneFountain*>(loaded.data[1]);
    ASSERT_TRUE(rain && fountain);
    EXPECT_EQ(rain->params.count, 12);
    EXPECT_FLOAT_EQ(fountain->params.spread, 0.8f);

    in = _open(cut.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
    LoadParticleBlocks(in, header, loaded);
    _close(in);
    EXPECT_EQ(loaded.count, 3);
    EXPECT_EQ(header.tag[0], '\0');
    for (int32_t i = 0; i < loaded.count; ++i)
        loaded.data[i]->Destroy();
}

} // namespace
} // namespace vls::test
