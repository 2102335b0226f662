#include "engine/render/kestrune_mesh_animation.h"
#include "platform/granny/granny.h"
#include "tests/engine/render/sprite_fixture.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

using MeshSprites = SpriteWorldTest;
using tools::Gr2Scene;

std::array<float, 4> QuarterTurnZ() { return {0, 0, std::sin(0.785398163f), std::cos(0.785398163f)}; }

// Two bones, "Bip01" at the origin and "Bip01 Arm" at (1, 0, 0), and a
// skinned triangle: one vertex on each bone and one blended half and half.
// The model's own animation holds the arm turned a quarter about z.
Gr2Scene ArmScene()
{
    Gr2Scene scene;
    tools::Gr2Model model;
    model.bones.push_back({"Bip01", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}});
    model.bones.push_back({"Bip01 Arm", 0, {1, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}});
    tools::Gr2Mesh mesh;
    mesh.name = "Skin";
    mesh.skinned = true;
    mesh.joints = {0, 1};
    tools::Gr2Vertex v0, v1, v2;
    v0.position = {0, 0, 0};
    v1.position = {2, 0, 0};
    v1.joints = {1, 0, 0, 0};
    v2.position = {1.5f, 0, 0};
    v2.joints = {0, 1, 0, 0};
    v2.weights = {0.5f, 0.5f, 0, 0};
    mesh.vertices = {v0, v1, v2};
    mesh.groups.push_back({-1, {0, 1, 2}});
    model.meshes.push_back(mesh);
    scene.models.push_back(model);
    tools::Gr2Animation hold;
    hold.name = "hold";
    hold.duration = 1.0f;
    tools::Gr2Track arm;
    arm.bone = "Bip01 Arm";
    arm.rotationTimes = {0.0f, 1.0f};
    arm.rotations = {QuarterTurnZ(), QuarterTurnZ()};
    hold.tracks.push_back(arm);
    scene.animations.push_back(hold);
    return scene;
}

// A model of one rigid triangle named after its root bone.
tools::Gr2Model TriangleModel(const std::string& root, const std::string& meshName, int material = -1)
{
    tools::Gr2Model model;
    model.bones.push_back({root, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}});
    tools::Gr2Mesh mesh;
    mesh.name = meshName;
    tools::Gr2Vertex a, b, c;
    b.position = {1, 0, 0};
    c.position = {0, 1, 0};
    mesh.vertices = {a, b, c};
    mesh.groups.push_back({material, {0, 1, 2}});
    model.meshes.push_back(mesh);
    return model;
}

TEST_F(MeshSprites, LoadsTheFigure)
{
    AddModel("figure", tools::MakeFigureScene());
    data.Add("figure.lsm", "1 2\n3 4\n5 6\n7 8\n");
    StartSprites();
    auto sprite = LoadSprite("figure");
    EXPECT_EQ(sprite->name, "figure");
    EXPECT_EQ(sprite->state, 1);
    ASSERT_EQ(sprite->textures.count, 1);
    EXPECT_STREQ(sprite->textures.data[0].name, "figure_skin");
    D3DSURFACE_DESC desc{};
    sprite->textures.data[0].texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    ASSERT_EQ(sprite->models.count, 1);
    EXPECT_EQ(sprite->mainModel.instance, sprite->models.data[0].instance);
    ASSERT_EQ(sprite->meshes.count, 1);
    const MeshRecord& body = sprite->meshes.data[0];
    EXPECT_NE(body.deformer, nullptr);
    EXPECT_EQ(body.vertexBuffer, nullptr);
    EXPECT_NE(body.indexBuffer, nullptr);
    ASSERT_EQ(body.materialCount, 1);
    EXPECT_EQ(body.materials[0], 0);
    EXPECT_NE(sprite->bodyMask, nullptr);
    EXPECT_NE(sprite->headMask, nullptr);
    EXPECT_GE(sprite->mandibleBone, 0);
    EXPECT_GE(sprite->smileLeftBone, 0);
    EXPECT_GE(sprite->smileRightBone, 0);
    EXPECT_NE(sprite->baseControl, nullptr);
    EXPECT_EQ(sprite->baseAnimation, sprite->fileInfo->Animations[0]);
    EXPECT_EQ(GrannyGetControlLoopCount(sprite->baseControl), 0);
    EXPECT_EQ(sprites->poseBoneCapacity, sprite->models.data[0].boneCount + 5);
    EXPECT_EQ(sprites->skinBufferLength, GrannyGetMeshVertexCount(body.mesh) * 32 + 100);
    // The ".lsm" replaces the first eight weights only.
    const int32_t weights[16] = {1, 2, 3, 4, 5, 6, 7, 8, -2, -54, 45, -74, -40, 30, 5, 25};
    EXPECT_EQ(std::vector<int32_t>(sprite->syncWeights, sprite->syncWeights + 16),
              std::vector<int32_t>(weights, weights + 16));
}

TEST_F(MeshSprites, MissingModelLoadsNothingSilently)
{
    StartSprites();
    auto sprite = LoadSprite("nobody");
    EXPECT_EQ(sprite->name, "nobody");
    EXPECT_EQ(sprite->meshes.count, 0);
    EXPECT_EQ(sprite->file, nullptr);
    EXPECT_TRUE(reports.reports.empty());
    EXPECT_EQ(sprite->syncWeights[0], 2);
    Device().ClearRecord();
    EXPECT_EQ(sprite->Update(0.1f, 0), 0);
    EXPECT_EQ(sprite->Render(D3DXMATRIX(), 1), 0);
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
}

TEST_F(MeshSprites, DamagedModelIsAFatalReport)
{
    data.Add("broken.gr2", std::string("glTF\x02\0\0\0garbage", 15));
    StartSprites();
    auto sprite = LoadSprite("broken");
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].module, "meshsprite");
    EXPECT_EQ(reports.reports[0].text, "File reading failed. Code: (00000000)");
    EXPECT_EQ(reports.reports[0].fatal, 1);
    EXPECT_EQ(sprite->meshes.count, 0);
}

TEST_F(MeshSprites, ModelsWithoutMeshesGiveNothingToDraw)
{
    AddModel("walk", tools::MakeWalkScene());
    StartSprites();
    auto sprite = LoadSprite("walk");
    EXPECT_EQ(sprite->models.count, 0);
    EXPECT_EQ(sprite->mainModel.instance, nullptr);
    EXPECT_NE(sprite->baseAnimation, nullptr);
    Device().ClearRecord();
    sprite->Update(0.1f, 0);
    sprite->Render(D3DXMATRIX(), 1);
    EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
}

TEST_F(MeshSprites, MainModelAndHiddenMeshesByName)
{
    Gr2Scene scene;
    scene.models.push_back(TriangleModel("Prop", "PropMesh"));
    scene.models.push_back(TriangleModel("xBipy", "BIPhidden"));
    scene.models.back().meshes.push_back(TriangleModel("unused", "Shown").meshes[0]);
    scene.models.push_back(TriangleModel("bone01", "Other"));
    AddModel("several", scene);
    StartSprites();
    auto sprite = LoadSprite("several");
    ASSERT_EQ(sprite->models.count, 3);
    // "Bip" anywhere in the name (in that case) chooses; "bone01" does not.
    EXPECT_EQ(sprite->mainModel.instance, sprite->models.data[1].instance);
    ASSERT_EQ(sprite->meshes.count, 3);
    EXPECT_STREQ(sprite->meshes.data[1].mesh->Name, "Shown");
    EXPECT_EQ(sprite->meshes.data[1].model, 1);
    EXPECT_NE(sprite->meshes.data[0].vertexBuffer, nullptr);
    EXPECT_EQ(sprite->meshes.data[0].deformer, nullptr);
    // Without a head bone there are no masks; without the face bones, -1.
    EXPECT_EQ(sprite->bodyMask, nullptr);
    EXPECT_EQ(sprite->mandibleBone, -1);
}

TEST_F(MeshSprites, SkinningMatchesHandComputedVertices)
{
    AddModel("arm", ArmScene());
    StartSprites();
    auto sprite = LoadSprite("arm");
    ASSERT_EQ(sprite->meshes.count, 1);
    sprite->SetPosition(10, 0, 0);
    sprite->Update(0.0f, 0);
    Device().ClearRecord();
    sprite->Render(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), 0);
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].vertices.size(), 3u * 32u);
    const D3DXVECTOR3 expected[3] = {{10, 0, 0}, {11, 1, 0}, {11.25f, 0.25f, 0}};
    for (int i = 0; i < 3; ++i) {
        const D3DXVECTOR3 p = VertexPosition(draws[0].vertices, i);
        EXPECT_NEAR(p.x, expected[i].x, 1e-5f) << i;
        EXPECT_NEAR(p.y, expected[i].y, 1e-5f) << i;
        EXPECT_NEAR(p.z, expected[i].z, 1e-5f) << i;
    }
    // The arm's vertex turned its normal with it: up became -x.
    float normal[3];
    std::memcpy(normal, draws[0].vertices.data() + 32 + 12, sizeof normal);
    EXPECT_NEAR(normal[0], -1.0f, 1e-5f);
    EXPECT_NEAR(normal[1], 0.0f, 1e-5f);
    // Deformed vertices are already in world space: the world transform is M.
    const auto transforms = Calls("SetTransform");
    ASSERT_FALSE(transforms.empty());
    const D3DXMATRIX first = MatrixOf(transforms[0]);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&first));
}

TEST_F(MeshSprites, DrawStatesLightingAndProjectedShadow)
{
    AddModel("arm", ArmScene());
    StartSprites();
    sprites->ambient[0] = 1.0f;
    auto sprite = LoadSprite("arm");
    sprite->Update(0.0f, 0);
    Device().ClearRecord();
    sprite->Render(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), 1);
    const auto log = StateLog();
    // Shadow pass first (stencil on), then the lit pass, then lighting off.
    const auto draws = Calls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 2u);
    auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) - log.begin(); };
    EXPECT_LT(at("RS 52 1"), at("DrawIndexedPrimitive"));
    EXPECT_LT(at("RS 137 1"), static_cast<long>(log.size()));  // LIGHTING TRUE
    EXPECT_EQ(log.back(), "SetTransform");
    EXPECT_EQ(log[log.size() - 2], "RS 137 0");
    EXPECT_NE(std::find(log.begin(), log.end(), "RS 139 " + std::to_string(0xFFFF0000u)), log.end());

    // A fixed ambient colour replaces the lights; no shadow for noShadow.
    sprite->fixedAmbient = 0xFF102030;
    sprite->noShadow = 1;
    Device().ClearRecord();
    sprite->Render(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), 1);
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
    const auto fixed = StateLog();
    EXPECT_NE(std::find(fixed.begin(), fixed.end(), "RS 139 " + std::to_string(0xFF102030u)), fixed.end());
}

TEST_F(MeshSprites, SimpleShadowAndLinkedSprites)
{
    AddModel("arm", ArmScene());
    data.Add("shadow.image", ImageBytes(Solid(8, 8, 0x80000000)));
    host.simpleShadows = 1;
    StartSprites();
    auto sprite = LoadSprite("arm");
    sprite->Update(0.0f, 0);
    Device().ClearRecord();
    const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    sprite->Render(identity, 1);
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
    EXPECT_EQ(Calls("DrawPrimitiveUP").size(), 1u);
    Device().ClearRecord();
    sprite->Render(identity, 0);  // mirror passes draw no shadow
    EXPECT_EQ(Calls("DrawPrimitiveUP").size(), 0u);

    auto linked = LoadSprite("arm");
    linked->parent = sprite.get();
    linked->parentBone = 1;
    D3DXMatrixTranslation(&linked->linkLocal, 0, 0.5f, 0);
    linked->Update(0.0f, 0);
    // Linked to the arm bone, which stands at (1, 0, 0) turned a quarter: the
    // link's offset (0, 0.5, 0) turns to (-0.5, 0, 0).
    EXPECT_NEAR(linked->position[0], 0.5f, 1e-5f);
    EXPECT_NEAR(linked->position[1], 0.0f, 1e-5f);
    Device().ClearRecord();
    linked->Render(identity, 0);
    EXPECT_TRUE(Device().Calls().empty());
}

TEST_F(MeshSprites, TriangleGroupWithoutTextureKeepsThePreviousOne)
{
    Gr2Scene scene;
    scene.textures.push_back({"red", 2, 2, std::vector<uint8_t>(16, 200)});
    scene.materials.push_back({"Textured", 0});
    scene.materials.push_back({"Plain", -1});
    tools::Gr2Model model = TriangleModel("Box", "Box", 0);
    model.meshes[0].groups.push_back({1, {0, 2, 1}});
    scene.models.push_back(model);
    AddModel("box", scene);
    StartSprites();
    auto sprite = LoadSprite("box");
    ASSERT_EQ(sprite->meshes.count, 1);
    ASSERT_EQ(sprite->meshes.data[0].materialCount, 2);
    EXPECT_EQ(sprite->meshes.data[0].materials[1], -1);
    sprite->Update(0.0f, 0);
    Device().ClearRecord();
    sprite->Render(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), 0);
    std::vector<std::string> order;
    for (const auto& call : Device().Calls())
        if (call.name == "SetTexture" || call.name == "DrawIndexedPrimitive") order.push_back(call.name);
    EXPECT_EQ(order, (std::vector<std::string>{"SetTexture", "DrawIndexedPrimitive", "DrawIndexedPrimitive"}));
    EXPECT_EQ(Calls("SetTexture")[0].object, sprite->textures.data[0].texture);
    // Rigid: the world transform is the bone's composite times M.
    const auto draws = Calls("DrawIndexedPrimitive");
    EXPECT_EQ(draws[1].args[3], 3u);
    EXPECT_EQ(VertexPosition(draws[0].vertices, 1).x, 1.0f);
}

TEST_F(MeshSprites, ScrubPosesWithoutRootMotion)
{
    AddModel("figure", tools::MakeFigureScene());
    tools::Gr2Scene walk = tools::MakeWalkScene();
    walk.animations[0].rootMotion = true;
    AddModel("walk", walk);
    StartSprites();
    auto sprite = LoadSprite("figure");
    cKestruneMeshAnimation animation(sprite.get(), 0);
    ASSERT_EQ(animation.Load("walk"), 0);
    ASSERT_EQ(animation.Play(0.0f), 0);
    sprite->SetPosition(1, 0, 2);
    sprite->Update(0.5f, 1);
    EXPECT_FLOAT_EQ(GrannyGetControlClock(sprite->mainControl), 0.5f);
    EXPECT_EQ(sprite->world._41, 1.0f);
    EXPECT_EQ(sprite->world._43, 2.0f);
    EXPECT_EQ(sprite->position[0], 1.0f);
}

TEST_F(MeshSprites, PlacingTheModel)
{
    StartSprites();
    cKestruneMeshSprite sprite;
    EXPECT_EQ(sprite.SetPosition(1, 2, 3), -1);
    float x, y, z;
    EXPECT_EQ(sprite.GetPosition(&x, &y, &z), 0);
    EXPECT_EQ(sprite.world._42, 2.0f);
    EXPECT_EQ(sprite.SetRotation(0, 1.5707964f, 0), -1);
    D3DXVECTOR3 u, v;
    sprite.GetAxes(&u, &v);
    EXPECT_NEAR(v.z, -1.0f, 1e-6f);  // x axis turned a quarter about y
    EXPECT_EQ(sprite.world._43, 3.0f);
    // A zero vector changes nothing.
    const D3DXMATRIX before = sprite.world;
    sprite.SetOrientation(0, 0, 0, 1, 0, 0);
    EXPECT_TRUE(sprite.world == before);
    // Facing straight up leaves no side axis: nothing changes either.
    sprite.SetOrientation(0, 1, 0, 0, 2, 0);
    EXPECT_TRUE(sprite.world == before);
    // A forward vector becomes the first row: the same matrix as the turn
    // about y that puts it there, also from a short up vector leaning
    // along the forward one.
    for (const float lean : {0.0f, 0.03f}) {
        sprite.SetOrientation(0, 0.1f, lean, 0, 0, -2);
        sprite.GetAxes(&u, &v);
        EXPECT_NEAR(v.z, -1.0f, 1e-6f);
        EXPECT_NEAR(u.y, 1.0f, 1e-6f) << "up is made square to the forward vector";
        const D3DXMATRIX oriented = sprite.world;
        sprite.SetRotation(0, 1.5707964f, 0);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR((&oriented._11)[i], (&sprite.world._11)[i], 1e-6f) << "element " << i;
    }
    EXPECT_EQ(sprite.world._43, 3.0f);
    // With the lunar flag, every placement is adjusted.
    sprites->lunarBehaviour = 1;
    sprite.SetPosition(0, 3, 4);
    EXPECT_FLOAT_EQ(sprite.world._22, -0.6f);
}

TEST_F(MeshSprites, SavegameBlockRoundTripWithItsAnimation)
{
    AddModel("figure", tools::MakeFigureScene());
    AddModel("walk", tools::MakeWalkScene());
    StartSprites();
    auto sprite = LoadSprite("figure");
    sprite->SetRotation(0, 0.5f, 0);
    sprite->SetPosition(1, 2, 3);
    sprite->noShadow = 1;
    sprite->cached = 1;
    sprite->shadowMode = 7;
    sprite->parentBone = 4;
    sprite->animation = new cKestruneMeshAnimation(sprite.get(), 0);
    ASSERT_EQ(sprite->animation->Load("walk"), 0);
    GrannySetControlClock(sprite->baseControl, 0.75f);
    SavegameBlockHeader header;
    const int in = SaveAndReopen([&](int out) { sprite->SaveBlock(out); }, header);
    EXPECT_EQ(std::string(header.tag), "MSP");
    EXPECT_EQ(std::string(header.name), "figure");
    EXPECT_EQ(header.length, 204u);

    cKestruneMeshSprite loaded;
    loaded.LoadBlock(header, in);
    _close(in);
    EXPECT_EQ(std::string(header.tag), "END");
    EXPECT_EQ(loaded.name, "figure");
    EXPECT_TRUE(loaded.world == sprite->world);
    EXPECT_EQ(loaded.position[2], 3.0f);
    EXPECT_EQ(loaded.noShadow, 1);
    EXPECT_EQ(loaded.cached, 0);
    EXPECT_EQ(loaded.shadowMode, 7);
    EXPECT_EQ(loaded.parentBone, 4);
    ASSERT_NE(loaded.animation, nullptr);
    EXPECT_EQ(loaded.animation->name, "walk");
    EXPECT_EQ(loaded.baseAnimation, loaded.animation->grannyAnimation);
    EXPECT_EQ(loaded.previousBaseAnimation, loaded.fileInfo->Animations[0]);
    EXPECT_EQ(loaded.savedState[32], 1);
    loaded.RestoreControlState();
    EXPECT_FLOAT_EQ(GrannyGetControlClock(loaded.baseControl), 0.75f);
}

TEST_F(MeshSprites, SavegameBlockWithoutItsAnimationBlock)
{
    AddModel("figure", tools::MakeFigureScene());
    StartSprites();
    auto sprite = LoadSprite("figure");
    SavegameBlockHeader header;
    // The flag says an animation follows, but the next block is another one.
    const int in = SaveAndReopen(
        [&](int out) {
            sprite->SaveBlock(out);
        },
        header);
    cKestruneMeshSprite loaded;
    loaded.LoadBlock(header, in);
    _close(in);
    EXPECT_EQ(loaded.animation, nullptr);
    EXPECT_EQ(std::string(header.tag), "END");

    uint8_t payload[204] = {};
    payload[48] = 1;
    const int again = SaveAndReopen(
        [&](int out) {
            WriteSavegameBlockHeader(out, "MSP", "figure", 204);
            _write(out, payload, sizeof payload);
            WriteSavegameBlockHeader(out, "CHR", "next", 0);
        },
        header);
    cKestruneMeshSprite other;
    other.LoadBlock(header, again);
    _close(again);
    EXPECT_EQ(other.animation, nullptr);
    EXPECT_EQ(std::string(header.tag), "CHR");
    EXPECT_TRUE(D3DXMatrixIsIdentity(&other.world) == false);  // the zeroed payload's matrix
}

} // namespace
} // namespace vls::test
