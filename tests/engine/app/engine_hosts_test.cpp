// The engine's own hosts answer from the members it holds: hints from the
// scene's script and view, a realtime video's tracks into the sprite camera
// and the player's model, mirror views and overlays from the current scene,
// and one scripted-wait test for every key and the menu.

#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/natives/engine_natives.h"
#include "engine/render/kestrune_hints.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/kestrune_video.h"
#include "engine/ui/menu_host.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"
#include "tools/script_assembler.h"

#include <gtest/gtest.h>

#include <string>

namespace vls::test {
namespace {

class EngineHostsTest : public ::testing::Test {
protected:
    EngineHostsTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        RegisterEngineNatives();
    }
    ~EngineHostsTest() override
    {
        delete engine.scene;
        engine.scene = nullptr;
        if (engine.gameplay) {
            delete engine.gameplay->playerCharacter;
            engine.gameplay->playerCharacter = nullptr;
        }
        DeleteMember(engine.gameplay);
        DeleteMember(engine.sprites);
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // A scene of `views` empty views, the second one current, with a script.
    cKestruneScene* MakeScene(int views, const std::string& script)
    {
        engine.scene = new cKestruneScene();
        for (int i = 0; i < views; ++i)
            engine.scene->views.Add(new cKestruneView());
        engine.scene->currentViewIndex = 1;
        engine.scene->currentView = engine.scene->views.data[1];
        const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes(script);
        engine.scene->script = new cKestruneScript();
        EXPECT_EQ(engine.scene->script->LoadFromMemory(bytes.data(), bytes.size()), 0);
        return engine.scene;
    }

    static cKestruneImage* Named(const char* name)
    {
        auto* image = new cKestruneImage(0);
        image->name = name;
        return image;
    }

    ScopedConfig config;
    FakeMembers fake;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    cKestruneEngine engine{nullptr, nullptr, "", &fake};
    cKestruneDefaultMembers members{engine};
};

TEST_F(EngineHostsTest, HintKeyRunsTheSceneScriptsHintFunctionForTheCurrentView)
{
    ASSERT_TRUE(members.Create(engine, KestruneMember::Hints));
    MakeScene(2, "callsite hint cOutput__AddHint 5 int\n"
                 "func _hint\n push int 1\n push int 300\n push int 200\n push int 2\n push int 0\n"
                 " native - hint\n ret\nend\n");
    members.ShowHints(engine, true);
    ASSERT_EQ(engine.hints->records.count, 1);
    EXPECT_EQ(engine.hints->records.data[0].kind, 1);
    EXPECT_EQ(engine.hints->state, cKestruneHints::kFirstFadeIn);
    int32_t view = -1;
    ASSERT_TRUE(HintsHost().CurrentView(view));
    EXPECT_EQ(view, 1);
    members.Destroy(engine, KestruneMember::Hints);
}

TEST_F(EngineHostsTest, WithoutASceneTheHintsStayHidden)
{
    ASSERT_TRUE(members.Create(engine, KestruneMember::Hints));
    members.ShowHints(engine, true);
    EXPECT_EQ(engine.hints->state, cKestruneHints::kHidden);
    int32_t view = -1;
    EXPECT_FALSE(HintsHost().CurrentView(view));
    members.Destroy(engine, KestruneMember::Hints);
}

TEST_F(EngineHostsTest, RealtimeVideoTracksMoveTheSpriteCameraAndThePlayersHeight)
{
    ASSERT_TRUE(members.Create(engine, KestruneMember::Video));
    engine.sprites = new cKestruneSprites();
    engine.gameplay = new cKestruneGameplay();
    engine.gameplay->playerCharacter = new cKestruneCharacter();
    cKestruneMeshSprite* const model = engine.gameplay->playerCharacter->model;
    model->SetPosition(4.0f, 1.0f, -2.0f);

    float position[3] = {};
    ASSERT_TRUE(VideoHost().PlayerPosition(position));
    EXPECT_FLOAT_EQ(position[0], 4.0f);
    EXPECT_FLOAT_EQ(position[2], -2.0f);

    VideoHost().SetPlayerHeight(2.5f);
    EXPECT_FLOAT_EQ(model->position[1], 2.5f);
    EXPECT_FLOAT_EQ(model->world._42, 2.5f);
    EXPECT_FLOAT_EQ(model->position[0], 4.0f);

    float record[14] = {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0.8f, 0};
    VideoHost().SetCameraFromMotion(record);
    EXPECT_FLOAT_EQ(engine.sprites->camera.FOVY, (1.5666666f - 0.8f * 0.1928f) * 0.8f);
    members.Destroy(engine, KestruneMember::QueuedVideo);
}

TEST_F(EngineHostsTest, AVideoWithoutAPlayerLeavesTheHeightAlone)
{
    ASSERT_TRUE(members.Create(engine, KestruneMember::Video));
    float position[3] = {};
    EXPECT_FALSE(VideoHost().PlayerPosition(position));
    VideoHost().SetPlayerHeight(1.0f);
    VideoHost().SetCameraFromMotion(std::vector<float>(14, 1.0f).data());
    members.Destroy(engine, KestruneMember::QueuedVideo);
}

TEST_F(EngineHostsTest, TheMirrorViewIsTheCurrentViewsMirrorSetUp)
{
    cKestruneScene* const scene = MakeScene(2, "end\n");
    cKestruneEngineGraphicsHost host(engine);
    KestruneMirrorView mirror;
    EXPECT_FALSE(host.GetMirrorView(mirror)) << "a view without a mirror layer has no mirror passes";

    cKestruneView* const view = scene->currentView;
    view->images.Add(Named("floor"));
    view->mirrorLayer = Named("water");
    view->floorMirror = 1;
    view->mirrors.Add({{0.0f, 1.0f, 0.0f, -0.5f}});
    ASSERT_TRUE(host.GetMirrorView(mirror));
    EXPECT_EQ(mirror.background, view->images.data[0]);
    EXPECT_EQ(mirror.mirrorLayer, view->mirrorLayer);
    EXPECT_TRUE(mirror.floorMirror);
    ASSERT_EQ(mirror.mirrors.size(), 1u);
    EXPECT_FLOAT_EQ(mirror.mirrors[0].b, 1.0f);
    EXPECT_FLOAT_EQ(mirror.mirrors[0].d, -0.5f);
}

TEST_F(EngineHostsTest, OverlaysAreFoundByNameInEveryViewOfTheScene)
{
    cKestruneScene* const scene = MakeScene(2, "end\n");
    scene->views.data[0]->overlays.Add(Named("screen"));
    scene->views.data[1]->overlays.Add(Named("lamp"));
    scene->views.data[1]->overlays.Add(Named("screen"));
    cKestruneEngineGraphicsHost host(engine);
    const std::vector<cKestruneImage*> named = host.SceneOverlaysNamed("screen");
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[0], scene->views.data[0]->overlays.data[0]);
    EXPECT_EQ(named[1], scene->views.data[1]->overlays.data[1]);
    EXPECT_TRUE(host.SceneOverlaysNamed("door").empty());
}

// The script waiting for a queued video that a newer one replaces goes on,
// at the next frame: the replacing native belongs to another script's run.
TEST_F(EngineHostsTest, AReplacedQueuedVideoResumesItsScriptAtTheNextFrame)
{
    engine.timer = new cKestruneTimer();
    const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes("end\n");
    cKestruneScript waiting;
    ASSERT_EQ(waiting.LoadFromMemory(bytes.data(), bytes.size()), 0);
    auto videoWithImage = [] {
        auto* video = new cKestruneVideo();
        video->image = new cKestruneImage(0);
        return video;
    };
    engine.video = videoWithImage();
    cKestruneVideo* const first = videoWithImage();
    first->image->endCallbackScript = &waiting;
    first->image->endCallbackName = "#12";
    cKestruneEngineNativeHost host(engine);
    host.QueueVideo(first);
    EXPECT_EQ(engine.queuedVideo, first);
    EXPECT_EQ(engine.timer->timers.count, 0);

    cKestruneVideo* const second = videoWithImage();
    host.QueueVideo(second);
    EXPECT_EQ(engine.queuedVideo, second);
    ASSERT_EQ(engine.timer->timers.count, 1);
    EXPECT_EQ(engine.timer->timers.data[0].script, &waiting);
    EXPECT_STREQ(engine.timer->timers.data[0].functionName.GetText(), "#12");

    DeleteMember(engine.video);
    DeleteMember(engine.queuedVideo);
    DeleteMember(engine.timer);
}

// The hosts the engine installs read and write its own fields.
TEST_F(EngineHostsTest, SettingsNamesAndTheSceneAreTheEnginesOwn)
{
    engine.Gamma = 42;
    engine.previousSceneName = "quay";
    cKestruneScene* const scene = MakeScene(2, "end\n");
    cKestruneEngineMenuHost menu(engine);
    cKestruneEngineNativeHost natives(engine);
    cKestruneEngineSavegameHost savegame(engine);
    cKestruneEngineWorldHost world(engine);
    cKestruneEngineGraphicsHost graphics(engine);
    EXPECT_EQ(menu.Setting(MenuSetting::Gamma), 42);
    menu.Setting(MenuSetting::Gamma) = 7;
    EXPECT_EQ(engine.Gamma, 7);
    EXPECT_EQ(graphics.Gamma(), 7);
    EXPECT_STREQ(natives.PreviousSceneName(), "quay");
    EXPECT_STREQ(savegame.PreviousSceneName(), "quay");
    EXPECT_EQ(world.CurrentScene(), scene);
    EXPECT_TRUE(graphics.HasScene());
}

// A click armed by a script and a running fade both hold back the keys, the
// menu and the scripts' messenger test alike.
TEST_F(EngineHostsTest, ClickWaitAndFadeAreTheScriptedWait)
{
    engine.gameplay = new cKestruneGameplay();
    EXPECT_FALSE(members.ScriptedWaitPending(engine));
    engine.gameplay->gameState |= cKestruneGameplay::kClickWait;
    EXPECT_TRUE(members.ScriptedWaitPending(engine));
    engine.gameplay->gameState &= ~cKestruneGameplay::kClickWait;
    engine.gameplay->fadeActive = 1;
    EXPECT_TRUE(members.ScriptedWaitPending(engine));
}

} // namespace
} // namespace vls::test
