#pragma once

// The render world plus the sprite system, with a sprite world whose player,
// scene, speech and clocks are fakes, and helpers for model files and
// savegame blocks.

#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/sprite_world.h"
#include "engine/script/savegame_block.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/render/render_fixture.h"
#include "tools/gr2_writer.h"

#include <cmath>
#include <functional>

namespace vls::test {

class FakeSpriteWorld : public cKestruneNullSpriteWorld {
public:
    bool PlayerReportsHeight(float, float) override { return hasPlayer && reportsHeight; }
    bool PlayerHeight(float x, float z, float& y) override
    {
        if (!hasPlayer) return false;
        heightAsked.push_back({x, z});
        y = floorHeight;
        return true;
    }
    void SubmitCharacters(DynArray<RenderQueueEntry>& queue) override
    {
        for (cKestruneMeshSprite* sprite : characters) sprite->Submit(queue);
    }
    bool SampleViewDepth(int32_t, int32_t, float& distance) override
    {
        if (!hasDepth) return false;
        distance = depth;
        return true;
    }
    bool SpeechBelongsTo(const cKestruneMeshSprite* sprite) override { return sprite == speaker; }
    int32_t SpeechTime() override { return speechTime; }
    float FrameSeconds() override { return frameSeconds; }
    float FrameDeltaSeconds() override { return frameDelta; }

    bool hasPlayer = false, reportsHeight = true;
    float floorHeight = 0.0f;
    std::vector<std::pair<float, float>> heightAsked;
    std::vector<cKestruneMeshSprite*> characters;
    bool hasDepth = false;
    float depth = 10.0f;
    const cKestruneMeshSprite* speaker = nullptr;
    int32_t speechTime = -1;
    float frameSeconds = 0.0f, frameDelta = 0.025f;
};

class SpriteWorldTest : public RenderWorld {
protected:
    SpriteWorldTest() { SetSpriteWorld(&world); }
    ~SpriteWorldTest() override
    {
        sprites.reset();
        SetSpriteWorld(nullptr);
    }

    void StartSprites()
    {
        Start();
        sprites = std::make_unique<cKestruneSprites>();
        ASSERT_EQ(sprites->Init(), 0);
    }

    void AddModel(const std::string& name, const tools::Gr2Scene& scene)
    {
        data.Add(name + ".gr2", tools::WriteGr2(scene));
    }

    std::unique_ptr<cKestruneMeshSprite> LoadSprite(const char* name)
    {
        auto sprite = std::make_unique<cKestruneMeshSprite>();
        sprite->Load(name);
        return sprite;
    }

    // Writes blocks through write, then a closing "END" header, and opens the
    // file for reading with its first header read.
    int SaveAndReopen(const std::function<void(int)>& write, SavegameBlockHeader& header)
    {
        const std::string path = (work_.path() / "blocks.bin").string();
        const int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        write(out);
        WriteSavegameBlockHeader(out, "END", "", 0);
        _close(out);
        const int in = _open(path.c_str(), _O_RDONLY | _O_BINARY);
        ReadSavegameBlockHeader(in, header);
        return in;
    }

    // The calls since the last ClearRecord with the given name.
    std::vector<vls::d3d8::D3D8Call> Calls(const std::string& name = {})
    {
        std::vector<vls::d3d8::D3D8Call> out;
        for (const auto& call : Device().Calls())
            if (name.empty() || call.name == name) out.push_back(call);
        return out;
    }

    // "SetRenderState state value" lines of the calls since the last clear.
    std::vector<std::string> StateLog()
    {
        std::vector<std::string> out;
        for (const auto& call : Device().Calls()) {
            if (call.name == "SetRenderState")
                out.push_back("RS " + std::to_string(call.args[0]) + " " + std::to_string(call.args[1]));
            else if (call.name == "SetTextureStageState")
                out.push_back("TSS " + std::to_string(call.args[0]) + " " + std::to_string(call.args[1]) + " " +
                              std::to_string(call.args[2]));
            else
                out.push_back(call.name);
        }
        return out;
    }

    FakeSpriteWorld world;
    std::unique_ptr<cKestruneSprites> sprites;
};

inline D3DXVECTOR3 VertexPosition(const std::vector<BYTE>& bytes, size_t index, size_t stride = 32)
{
    float p[3];
    std::memcpy(p, bytes.data() + index * stride, sizeof p);
    return D3DXVECTOR3(p[0], p[1], p[2]);
}

inline D3DXMATRIX MatrixOf(const vls::d3d8::D3D8Call& setTransform)
{
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) std::memcpy(&m.m[i / 4][i % 4], &setTransform.args[1 + i], 4);
    return m;
}

} // namespace vls::test
