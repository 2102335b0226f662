#include "tests/engine/render/sprite_fixture.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

using Sprites = SpriteWorldTest;

TEST_F(Sprites, InitBuildsCameraQuadAndShadowImages)
{
    data.Add("shadow.image", ImageBytes(Solid(16, 16, 0x80000000)));
    data.Add("shadow2.image", ImageBytes(Solid(16, 16, 0x80000000)));
    StartSprites();
    EXPECT_EQ(sprites->camera.NearClipPlane, 1.0f);
    EXPECT_EQ(sprites->camera.FarClipPlane, 100.0f);
    EXPECT_FLOAT_EQ(sprites->camera.WpOverHp, 1024.0f / 768.0f);
    ASSERT_NE(sprites->shadowImage, nullptr);
    ASSERT_NE(sprites->fullShadowImage, nullptr);
    EXPECT_EQ(sprites->shadowImage->alphaTest, 1);
    EXPECT_EQ(sprites->fullShadowImage->alphaTest, 0);
    EXPECT_EQ(sprites->fullShadowImage->linearFiltering, 0);
    const float uv[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sprites->shadowQuad[i].u, uv[i][0]);
        EXPECT_EQ(sprites->shadowQuad[i].v, uv[i][1]);
        EXPECT_EQ(sprites->shadowQuad[i].colour, 0u);
    }
    ASSERT_NE(sprites->skinBuffers, nullptr);
    EXPECT_EQ(sprites->skinBuffers[0], nullptr);
    EXPECT_EQ(cKestruneSprites::Current(), sprites.get());
}

TEST_F(Sprites, MissingShadowImagesAreNoError)
{
    StartSprites();
    EXPECT_EQ(sprites->shadowImage, nullptr);
    EXPECT_EQ(sprites->fullShadowImage, nullptr);
    EXPECT_TRUE(reports.reports.empty());
}

TEST_F(Sprites, SkinBuffersAndPoseOnlyGrow)
{
    StartSprites();
    sprites->EnsureSkinBuffers(10, 0);
    EXPECT_EQ(sprites->poseBoneCapacity, 15);
    EXPECT_NE(sprites->localPose, nullptr);
    EXPECT_EQ(sprites->skinBuffers[0], nullptr);
    Device().ClearRecord();
    sprites->EnsureSkinBuffers(0, 3200);
    EXPECT_EQ(sprites->skinBufferLength, 3300);
    EXPECT_EQ(Calls("CreateVertexBuffer").size(), 0u);  // creation is not recorded as a call
    for (int i = 0; i < 4; ++i) ASSERT_NE(sprites->skinBuffers[i], nullptr);
    IDirect3DVertexBuffer8* first = sprites->skinBuffers[0];
    sprites->EnsureSkinBuffers(12, 3000);
    EXPECT_EQ(sprites->poseBoneCapacity, 15);
    EXPECT_EQ(sprites->skinBuffers[0], first);
    // Four consecutive meshes never share a buffer.
    EXPECT_EQ(sprites->NextSkinBuffer(), sprites->skinBuffers[1]);
    EXPECT_EQ(sprites->NextSkinBuffer(), sprites->skinBuffers[2]);
    EXPECT_EQ(sprites->NextSkinBuffer(), sprites->skinBuffers[3]);
    EXPECT_EQ(sprites->NextSkinBuffer(), sprites->skinBuffers[0]);
    sprites->ReleaseSkinBuffers();
    EXPECT_EQ(sprites->skinBuffers[2], nullptr);
    sprites->RecreateSkinBuffers();
    EXPECT_NE(sprites->skinBuffers[2], nullptr);
    EXPECT_EQ(sprites->skinBufferLength, 3300);
}

TEST_F(Sprites, AmbientOfOneSpriteFromTheLights)
{
    StartSprites();
    struct Light {
        float x, z, inner, ring, r, g, b;
        bool enabled = true;
    };
    const struct {
        const char* what;
        std::vector<Light> lights;
        float ambient[3];
        float x, z;
        DWORD expected;
    } cases[] = {
        {"no lights: the ambient colour", {}, {0.5f, 0.25f, 1.0f}, 0, 0, 0xFF7F3FFF},
        {"outside every light", {{0, 0, 1, 1, 1, 0, 0}}, {0.2f, 0.2f, 0.2f}, 3, 0, 0xFF333333},
        {"inside the inner disc", {{0, 0, 1, 1, 1, 0, 0}}, {0.2f, 0.2f, 0.2f}, 0.5f, 0, 0xFFFF0000},
        {"on the inner radius: ring with t = 0", {{0, 0, 1, 1, 0, 1, 0}}, {0, 0, 1}, 1, 0, 0xFF00FF00},
        {"half way through the ring", {{0, 0, 1, 2, 1, 1, 1}}, {0, 0, 0}, 2, 0, 0xFF7F7F7F},
        {"the nearer of two inner discs wins",
         {{0, 0, 2, 1, 1, 0, 0}, {1, 0, 2, 1, 0, 1, 0}}, {0, 0, 0}, 0.75f, 0, 0xFF00FF00},
        {"a later ring light blends over the disc colour",
         {{0, 0, 2, 1, 1, 0, 0}, {4, 0, 1, 4, 0, 0, 1}}, {0, 0, 0}, 1, 0, 0xFF7F007F},
        {"a disabled light is skipped", {{0, 0, 1, 1, 1, 0, 0, false}}, {0, 0, 0}, 0, 0, 0xFF000000},
        {"channels are clamped", {{0, 0, 1, 1, 2, -1, 0.5f}}, {0, 0, 0}, 0, 0, 0xFFFF007F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sprites->ClearLights();
        std::copy(c.ambient, c.ambient + 3, sprites->ambient);
        for (const Light& l : c.lights) {
            sprites->AddLight(l.x, l.z, l.inner, l.ring, l.r, l.g, l.b);
            if (!l.enabled) sprites->SetLightEnable(sprites->lights.count - 1, 0);
        }
        EXPECT_EQ(sprites->AmbientAt(c.x, c.z), c.expected);
    }
    Device().ClearRecord();
    sprites->ApplyLighting(0, 0);
    const auto states = Calls("SetRenderState");
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].args[0], static_cast<DWORD>(D3DRS_AMBIENT));
    // An index past the list changes nothing.
    sprites->SetLightEnable(7, 0);
    EXPECT_EQ(sprites->lights.data[0].enabled, 1);
}

TEST_F(Sprites, LightRecordAndClearing)
{
    StartSprites();
    sprites->AddLight(1, 2, 3, 4, 0.1f, 0.2f, 0.3f);
    const LightRecord& l = sprites->lights.data[0];
    EXPECT_EQ(l.outerRadiusSquared, 49.0f);
    EXPECT_EQ(l.innerRadius, 3.0f);
    EXPECT_EQ(l.falloffWidth, 4.0f);
    EXPECT_EQ(l.innerRadiusSquared, 9.0f);
    EXPECT_EQ(l.x, 1.0f);
    EXPECT_EQ(l.z, 2.0f);
    EXPECT_EQ(l.enabled, 1);
    sprites->ambient[0] = 0.5f;
    sprites->shadowVector[1] = -1.0f;
    sprites->ClearLights();
    EXPECT_EQ(sprites->lights.count, 0);
    EXPECT_EQ(sprites->shadowVector[1], 0.0f);
    EXPECT_EQ(sprites->ambient[0], 0.5f);
}

TEST_F(Sprites, CameraOfARealtimeVideoFrame)
{
    StartSprites();
    const granny_camera before = sprites->camera;
    KestruneCameraMotion motion;
    sprites->SetCameraFromMotion(motion);  // c12 = 0: nothing changes
    EXPECT_EQ(std::memcmp(&before, &sprites->camera, sizeof before), 0);

    // Up (0, 1, 0), looking along +z (mirrored to -z), standing at (1, 2, 3) (mirrored to z = -3).
    const float c[14] = {0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 2, 3, 1, 0};
    std::copy(c, c + 14, motion.c);
    sprites->SetCameraFromMotion(motion);
    EXPECT_FLOAT_EQ(sprites->camera.FOVY, 1.5666666f - 0.1928f);
    const D3DXMATRIX view(sprites->camera.View4x4);
    const D3DXMATRIX expected(-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 1, -2, -3, 1);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(view.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-6f) << i;
    D3DXMATRIX product = view * D3DXMATRIX(sprites->camera.InverseView4x4);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&product));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, sprites->camera.FOVY, 1.3333334f, 1.0f, 100.0f);
    EXPECT_EQ(std::memcmp(&projection, sprites->camera.Projection4x4, 64), 0);
    // The near plane of the record is not the one the projection used.
    EXPECT_EQ(sprites->camera.NearClipPlane, 1.0f);
}

TEST_F(Sprites, SetCameraCopiesFieldOfViewFarPlaneAndMatrices)
{
    StartSprites();
    granny_camera view{};
    view.FOVY = 0.7f;
    view.NearClipPlane = 5.0f;
    view.FarClipPlane = 250.0f;
    view.WpOverHp = 9.0f;
    for (int i = 0; i < 16; ++i) {
        view.View4x4[i] = static_cast<float>(i);
        view.Projection4x4[i] = static_cast<float>(i * 2);
    }
    sprites->SetCamera(view);
    EXPECT_EQ(sprites->camera.FOVY, 0.7f);
    EXPECT_EQ(sprites->camera.FarClipPlane, 250.0f);
    EXPECT_EQ(sprites->camera.NearClipPlane, 1.0f);
    EXPECT_NE(sprites->camera.WpOverHp, 9.0f);
    EXPECT_EQ(sprites->camera.View4x4[5], 5.0f);
    EXPECT_EQ(sprites->camera.Projection4x4[5], 10.0f);
}

TEST_F(Sprites, ScreenAndWorldMeetThroughTheDepthSample)
{
    StartSprites();
    D3DXVECTOR3 screen;
    sprites->WorldToScreen(D3DXVECTOR3(0, 0, 10), &screen);
    EXPECT_NEAR(screen.x, 512.0f, 1e-3f);
    EXPECT_NEAR(screen.y, 384.0f, 1e-3f);
    const float n = 1.0f, f = 100.0f;
    EXPECT_NEAR(screen.z, f / (f - n) - n * f / ((f - n) * 10.0f), 1e-6f);

    D3DXVECTOR3 out(7, 7, 7);
    world.hasDepth = true;
    world.depth = 10.0f;
    ASSERT_EQ(sprites->ScreenToWorld(512, 384, &out), 0);
    EXPECT_NEAR(out.x, 0.0f, 1e-3f);
    EXPECT_NEAR(out.y, 0.0f, 1e-3f);
    EXPECT_NEAR(out.z, 10.0f, 1e-3f);

    const struct {
        int32_t y;
        bool depth;
        int32_t result;
    } cases[] = {{128, true, -1}, {640, true, -1}, {129, true, 0}, {639, true, 0}, {300, false, -1}};
    for (const auto& c : cases) {
        world.hasDepth = c.depth;
        D3DXVECTOR3 p(7, 7, 7);
        EXPECT_EQ(sprites->ScreenToWorld(512, c.y, &p), c.result) << c.y;
        if (c.result != 0) {
            EXPECT_EQ(p.x, 7.0f);
        }
    }
}

TEST_F(Sprites, SimpleShadowQuadOnThePlayersFloor)
{
    data.Add("shadow.image", ImageBytes(Solid(8, 8, 0x80000000)));
    StartSprites();
    world.hasPlayer = true;
    world.floorHeight = -2.0f;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 3, 5, 4);
    Device().ClearRecord();
    sprites->DrawSimpleShadow(m, 0.3f, 0.4f);
    const float corners[4][3] = {{2.7f, -2, 3.6f}, {2.7f, -2, 4.4f}, {3.3f, -2, 4.4f}, {3.3f, -2, 3.6f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(sprites->shadowQuad[i].x, corners[i][0]);
        EXPECT_FLOAT_EQ(sprites->shadowQuad[i].y, corners[i][1]);
        EXPECT_FLOAT_EQ(sprites->shadowQuad[i].z, corners[i][2]);
    }
    const std::vector<std::string> expected = {
        "RS 14 0", "SetVertexShader", "TSS 0 1 2", "RS 15 0", "RS 27 1", "SetTexture", "DrawPrimitiveUP", "RS 14 1"};
    EXPECT_EQ(StateLog(), expected);
    EXPECT_EQ(Calls("SetTexture")[0].object, sprites->shadowImage->FirstTexture());

    // A controller without height data there leaves the model's own height.
    world.reportsHeight = false;
    sprites->DrawSimpleShadow(m, 0.3f, 0.4f);
    EXPECT_FLOAT_EQ(sprites->shadowQuad[0].y, 5.0f);
}

TEST_F(Sprites, ProjectedShadowWithStencil)
{
    data.Add("shadow2.image", ImageBytes(Solid(8, 8, 0x80000000)));
    StartSprites();
    ASSERT_GT(graphics->stencilBits, 0);
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 0, 0, 10);
    Device().ClearRecord();
    sprites->BeginShadow(m);
    const std::vector<std::string> begin = {"SetTransform", "RS 14 0", "RS 27 1", "RS 19 1", "RS 20 2",
                                            "RS 15 0",      "RS 52 1", "RS 56 1", "RS 57 1", "RS 53 3"};
    EXPECT_EQ(StateLog(), begin);
    // The light stands 4 above the ground point: the shadow matrix flattens onto y = 0.
    const D3DXMATRIX shadow = MatrixOf(Calls("SetTransform")[0]);
    D3DXVECTOR3 flat;
    const D3DXVECTOR3 above(0.5f, 1.0f, 10.0f);
    D3DXVec3TransformCoord(&flat, &above, &shadow);
    EXPECT_NEAR(flat.y, 0.0f, 1e-5f);
    // The full-screen shadow's rectangle covers the ground square around the model.
    EXPECT_GT(sprites->fullShadowImage->header.width, 0u);

    Device().ClearRecord();
    sprites->EndShadow();
    const std::vector<std::string> end = {"SetTransform", "RS 22 1", "RS 19 5",  "RS 20 6",  "RS 56 3",
                                          "RS 57 1",      "RS 55 2", "RS 53 2",  "RS 23 8"};
    const auto log = StateLog();
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + end.size()), end);
    const std::vector<std::string> tail = {"RS 23 4", "RS 14 1", "RS 52 0", "RS 15 1"};
    EXPECT_EQ(std::vector<std::string>(log.end() - tail.size(), log.end()), tail);
}

TEST_F(Sprites, ProjectedShadowWithoutStencilUsesTheTexture)
{
    data.Add("shadow2.image", ImageBytes(Solid(8, 8, 0x80000000)));
    host.simpleShadows = 1;  // the device then takes D16, without stencil
    StartSprites();
    ASSERT_EQ(graphics->stencilBits, 0);
    sprites->shadowVector[0] = 1.0f;
    sprites->shadowVector[1] = -1.0f;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 0, 0, 10);
    Device().ClearRecord();
    sprites->BeginShadow(m);
    const std::vector<std::string> begin = {"SetTransform", "RS 14 0", "RS 27 1", "RS 27 1", "TSS 0 4 2",
                                            "SetTexture"};
    EXPECT_EQ(StateLog(), begin);
    Device().ClearRecord();
    sprites->EndShadow();
    const std::vector<std::string> end = {"SetTransform", "RS 14 1"};
    EXPECT_EQ(StateLog(), end);
}

TEST_F(Sprites, LunarAdjustmentTurnsTheUpAxisTowardTheXAxis)
{
    StartSprites();
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._42 = 3.0f;
    m._43 = 4.0f;
    sprites->ApplyLunarAdjustment(m);
    EXPECT_FLOAT_EQ(m._21, 0.0f);
    EXPECT_FLOAT_EQ(m._22, -0.6f);
    EXPECT_FLOAT_EQ(m._23, -0.8f);
    EXPECT_FLOAT_EQ(m._11, 1.0f);
    // r3 = normalize(0, 0.8, 1)
    EXPECT_NEAR(m._32, 0.8f / std::sqrt(1.64f), 1e-6f);
    EXPECT_NEAR(m._33, 1.0f / std::sqrt(1.64f), 1e-6f);
    EXPECT_EQ(m._42, 3.0f);
    EXPECT_EQ(m._44, 1.0f);
}

TEST_F(Sprites, CacheLoadsOnceAndKeepsWhatIsKept)
{
    AddModel("lantern", tools::MakePropScene());
    AddModel("figure", tools::MakeFigureScene());
    StartSprites();
    sprites->CacheMeshSprite("lantern", 0);
    sprites->CacheMeshSprite("lantern", 0);
    sprites->CacheMeshSprite("figure", 0);
    ASSERT_EQ(sprites->meshSpriteCache.count, 2);
    cKestruneMeshSprite* lantern = sprites->FindCachedMeshSprite("lantern");
    ASSERT_NE(lantern, nullptr);
    EXPECT_EQ(lantern->cached, 1);
    EXPECT_EQ(lantern->meshes.count, 1);
    EXPECT_EQ(sprites->FindCachedMeshSprite("Lantern"), nullptr);
    sprites->CacheMeshSprite("lantern", 1);
    sprites->CacheMeshSprite("lantern", 0);  // 0 never clears the flag
    EXPECT_EQ(lantern->keep, 1);
    sprites->CacheMeshSprite("missing", 0);  // no file: an empty sprite, cached all the same
    sprites->ClearMeshSpriteCache();
    ASSERT_EQ(sprites->meshSpriteCache.count, 1);
    EXPECT_EQ(sprites->meshSpriteCache.data[0], lantern);
}

TEST_F(Sprites, CollectAsksTheCharactersToSubmit)
{
    AddModel("figure", tools::MakeFigureScene());
    StartSprites();
    auto a = LoadSprite("figure");
    auto b = LoadSprite("figure");
    a->SetPosition(0, 0, 10);
    b->SetPosition(0, 0, 30);
    world.characters = {a.get(), b.get()};
    DynArray<RenderQueueEntry> queue;
    EXPECT_EQ(sprites->CollectMeshSprites(queue), 0);
    ASSERT_EQ(queue.count, 2);
    EXPECT_EQ(queue.data[0].object, a.get());
    EXPECT_EQ(queue.data[0].kind, kRenderKindMeshSprite);
    // The depth is the view distance of the sprite's position.
    EXPECT_NEAR(queue.data[0].depth, 10.0f, 1e-3f);
    EXPECT_NEAR(queue.data[1].depth, 30.0f, 1e-2f);
}

TEST_F(Sprites, SavegameBlockRoundTrip)
{
    StartSprites();
    sprites->AddLight(1, 2, 3, 4, 0.1f, 0.2f, 0.3f);
    sprites->AddLight(5, 6, 7, 8, 0.4f, 0.5f, 0.6f);
    sprites->SetLightEnable(1, 0);
    sprites->ambient[1] = 0.5f;
    sprites->shadowVector[2] = -1.0f;
    sprites->shadowLightPosition[0] = 2.0f;
    sprites->lunarBehaviour = 1;
    sprites->camera.FOVY = 0.9f;
    SavegameBlockHeader header;
    const int in = SaveAndReopen([&](int out) { sprites->SaveBlock(out); }, header);
    EXPECT_EQ(std::string(header.tag), "SPR");
    EXPECT_EQ(header.length, 424u + 2 * 40u);

    cKestruneSprites loaded;
    loaded.LoadBlock(header, in);
    _close(in);
    EXPECT_EQ(std::string(header.tag), "END");
    EXPECT_EQ(std::memcmp(&loaded.camera, &sprites->camera, sizeof loaded.camera), 0);
    ASSERT_EQ(loaded.lights.count, 2);
    EXPECT_EQ(loaded.lights.data[1].outerRadiusSquared, 225.0f);
    EXPECT_EQ(loaded.lights.data[1].blue, 0.6f);
    EXPECT_EQ(loaded.lights.data[1].enabled, 0);
    EXPECT_EQ(loaded.ambient[1], 0.5f);
    EXPECT_EQ(loaded.shadowVector[2], -1.0f);
    EXPECT_EQ(loaded.shadowLightPosition[0], 2.0f);
    EXPECT_EQ(loaded.lunarBehaviour, 1);
}

TEST_F(Sprites, SavegameBlockWithoutLightsAndDamagedBlocks)
{
    StartSprites();
    SavegameBlockHeader header;
    int in = SaveAndReopen([&](int out) { sprites->SaveBlock(out); }, header);
    cKestruneSprites loaded;
    loaded.AddLight(1, 1, 1, 1, 1, 1, 1);
    loaded.LoadBlock(header, in);
    _close(in);
    EXPECT_EQ(loaded.lights.count, 0);
    EXPECT_EQ(std::string(header.tag), "END");

    // A light count that the payload does not hold is refused.
    sprites->AddLight(1, 2, 3, 4, 0.1f, 0.2f, 0.3f);
    in = SaveAndReopen([&](int out) { sprites->SaveBlock(out); }, header);
    header.length = 424 + 3 * 40;
    loaded.AddLight(1, 1, 1, 1, 1, 1, 1);
    loaded.LoadBlock(header, in);
    _close(in);
    EXPECT_EQ(loaded.lights.count, 1);
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].text, "Savegame block type or version mismatch.");
    EXPECT_EQ(reports.reports[0].fatal, 1);

    in = SaveAndReopen([&](int out) { WriteSavegameBlockHeader(out, "SPX", "x", 0); }, header);
    loaded.LoadBlock(header, in);
    _close(in);
    ASSERT_EQ(reports.reports.size(), 2u);
    EXPECT_EQ(reports.reports[1].module, "SPX");
    EXPECT_EQ(reports.reports[1].where, "x");
}

} // namespace
} // namespace vls::test
