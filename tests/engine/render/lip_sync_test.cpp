#include "platform/granny/granny.h"
#include "tests/engine/render/sprite_fixture.h"
#include "tools/gr2_figure.h"

#include <sstream>

namespace vls::test {
namespace {

TEST(LipSyncText, SyncKeys)
{
    const struct {
        const char* what;
        const char* text;
        int32_t keys;
        float lastW7;
    } cases[] = {
        {"count 0", "0\n1 2 3 4 5 6 7 8\n", 0, 0},
        {"two keys", "2\n0 0 0 0 0 0 0 1\n0 0 0 0 0 0 0 0.5\n", 2, 0.5f},
        {"white space is free", "2 0 0 0 0 0 0 0 1\r\n\t0 0 0 0 0 0 0\n\n2.5", 2, 2.5f},
        {"the text ends before the count", "5\n1 1 1 1 1 1 1 3\n1 1 1", 1, 3},
        {"a key cut by garbage is dropped", "3\n1 1 1 1 1 1 1 1\n1 1 x 1 1 1 1 1\n1 1 1 1 1 1 1 1\n", 1, 1},
        {"a negative count", "-4\n1 1 1 1 1 1 1 1\n", 0, 0},
        {"no count", "", 0, 0},
        {"a huge count", "2000000000\n1 1 1 1 1 1 1 9\n", 1, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DynArray<SyncKey> keys;
        keys.Add(SyncKey{});
        ParseSyncKeys(c.text, keys);
        ASSERT_EQ(keys.count, c.keys);
        if (c.keys > 0) {
            EXPECT_EQ(keys.data[keys.count - 1].w[7], c.lastW7);
        }
    }
}

TEST(LipSyncText, WeightsReplaceTheFirstFourPairs)
{
    const struct {
        const char* text;
        std::vector<int32_t> first8;
    } cases[] = {
        {"10 20\n30 40\n50 60\n70 80\n99 99\n", {10, 20, 30, 40, 50, 60, 70, 80}},
        {"-1 -2\n-3 -4\n", {-1, -2, -3, -4, -34, -46, 50, -34}},
        {"1 2 3 x 5 6 7 8", {1, 2, 3, 55, -34, -46, 50, -34}},
        {"", {2, 121, 61, 55, -34, -46, 50, -34}},
    };
    for (const auto& c : cases) {
        int32_t weights[16];
        std::copy(cKestruneMeshSprite::kDefaultSyncWeights, cKestruneMeshSprite::kDefaultSyncWeights + 16, weights);
        ParseLipSyncWeights(c.text, weights);
        EXPECT_EQ(std::vector<int32_t>(weights, weights + 8), c.first8) << c.text;
        EXPECT_EQ(weights[8], -2);
    }
}

// "Bip01" with the two smile bones (no mandible) and a triangle, plus a
// "Hat" model of three bones that lip sync must not touch.
tools::Gr2Scene SmileScene()
{
    tools::Gr2Scene scene;
    for (const char* root : {"Bip01", "Hat"}) {
        tools::Gr2Model model;
        model.bones.push_back({root, -1, {0, 1, 0}, {0, 0, 0, 1}, {1, 1, 1}});
        model.bones.push_back({std::string(root) == "Hat" ? "hat_a" : "bip_smile_left", 0, {0.1f, 0, 0}});
        model.bones.push_back({std::string(root) == "Hat" ? "hat_b" : "bip_smile_right", 0, {-0.1f, 0, 0}});
        tools::Gr2Mesh mesh;
        mesh.name = std::string(root) + "Mesh";
        tools::Gr2Vertex a, b, c;
        b.position = {1, 0, 0};
        c.position = {0, 1, 0};
        mesh.vertices = {a, b, c};
        mesh.groups.push_back({-1, {0, 1, 2}});
        model.meshes.push_back(mesh);
        scene.models.push_back(model);
    }
    return scene;
}

std::string SyncText(int32_t keys, int32_t at, const std::array<float, 8>& weights)
{
    std::ostringstream out;
    out << keys << "\n";
    for (int32_t k = 0; k < keys; ++k) {
        for (int32_t j = 0; j < 8; ++j) out << (k == at ? weights[j] : 0.0f) << (j < 7 ? " " : "\n");
    }
    return out.str();
}

class LipSync : public SpriteWorldTest {
protected:
    // The bone's world matrix after an update, times the inverse of the one
    // without speech: the turn that lip sync put in front of the bone.
    D3DXMATRIX TurnOf(cKestruneMeshSprite& sprite, const ModelRecord& model, int32_t bone)
    {
        const cKestruneMeshSprite* speaker = world.speaker;
        world.speaker = nullptr;
        sprite.Update(0.0f, 0);
        const D3DXMATRIX rest(GrannyGetWorldPose4x4(model.worldPose, bone));
        world.speaker = speaker;
        sprite.Update(0.0f, 0);
        const D3DXMATRIX spoken(GrannyGetWorldPose4x4(model.worldPose, bone));
        D3DXMATRIX inverse;
        D3DXMatrixInverse(&inverse, nullptr, &rest);
        return spoken * inverse;
    }

    static void ExpectNear(const D3DXMATRIX& a, const D3DXMATRIX& b)
    {
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i / 4][i % 4], b.m[i / 4][i % 4], 1e-4f) << i;
    }
};

TEST_F(LipSync, JawTurnsByTheKeyOfTheSpeechTime)
{
    AddModel("figure", tools::MakeFigureScene());
    // Key 30 opens the jaw with viseme 1 (jaw weight 61) and smiles with viseme 0.
    data.Add("line.sync", SyncText(31, 30, {2, 5, 0, 0, 0, 0, 0, 0}));
    world.frameDelta = 0.0f;
    StartSprites();
    auto sprite = LoadSprite("figure");
    sprite->ReadSync("line");
    ASSERT_EQ(sprite->syncKeys.count, 31);
    world.speaker = sprite.get();
    world.speechTime = 1000;  // 1000 x 0.03 = key 30
    const float jaw = (2 * 2 + 61 * 5) * 0.001f;
    const float smile = (121 * 2 + 55 * 5) * 0.001f;
    D3DXMATRIX expected;
    D3DXMatrixRotationX(&expected, jaw);
    ExpectNear(TurnOf(*sprite, sprite->mainModel, sprite->mandibleBone), expected);
    D3DXMatrixRotationZ(&expected, smile);
    ExpectNear(TurnOf(*sprite, sprite->mainModel, sprite->smileLeftBone), expected);
    ExpectNear(TurnOf(*sprite, sprite->mainModel, sprite->smileRightBone), expected);

    const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const struct {
        const char* what;
        int32_t time;
        bool speaker;
    } still[] = {
        {"key 29 is all zero", 999, true},
        {"past the last key the mouth rests", 1034, true},
        {"no speech channel", -1, true},
        {"someone else speaks", 1000, false},
    };
    for (const auto& c : still) {
        SCOPED_TRACE(c.what);
        world.speechTime = c.time;
        world.speaker = c.speaker ? sprite.get() : nullptr;
        ExpectNear(TurnOf(*sprite, sprite->mainModel, sprite->mandibleBone), identity);
    }
}

TEST_F(LipSync, SmileWithoutMandibleAndOnlyOnTheMainModel)
{
    AddModel("smiler", SmileScene());
    data.Add("hello.sync", SyncText(1, 0, {1, 0, 0, 0, 0, 0, 0, 0}));
    StartSprites();
    auto sprite = LoadSprite("smiler");
    ASSERT_EQ(sprite->models.count, 2);
    EXPECT_EQ(sprite->mandibleBone, -1);
    ASSERT_EQ(sprite->smileLeftBone, 1);
    sprite->ReadSync("hello");
    world.speaker = sprite.get();
    world.speechTime = 0;
    D3DXMATRIX expected;
    D3DXMatrixRotationZ(&expected, 0.121f);
    ExpectNear(TurnOf(*sprite, sprite->models.data[0], 1), expected);
    ExpectNear(TurnOf(*sprite, sprite->models.data[0], 2), expected);
    const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    ExpectNear(TurnOf(*sprite, sprite->models.data[1], 1), identity);

    // A line without a ".sync" leaves no keys (and the storage in place).
    sprite->ReadSync("silent");
    EXPECT_EQ(sprite->syncKeys.count, 0);
    EXPECT_GE(sprite->syncKeys.capacity, 1);
}

} // namespace
} // namespace vls::test
