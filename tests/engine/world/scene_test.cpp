#include "engine/base/datafile_bytes.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_call_frame.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_environment_layer.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/player_control_default.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/world/layer_fixture.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/scene_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace vls::test {
namespace {

// Records what the scene asked of the members it does not own.
class RecordingWorldHost : public cKestruneNullWorldHost {
public:
    RecordingWorldHost() { SetWorldHost(this); }
    ~RecordingWorldHost() override { SetWorldHost(nullptr); }

    bool PlayerPosition(float& px, float& py, float& pz) override
    {
        px = x;
        py = y;
        pz = z;
        return hasPlayer;
    }
    void SetPlayerPosition(float px, float py, float pz) override
    {
        calls.push_back("place");
        x = px;
        y = py;
        z = pz;
    }
    float PlayerFloorHeight(float, float) override { return 7.5f; }
    void BindWalkMaps(cKestruneScene&) override { calls.push_back("bind"); }
    void SetCamera(const granny_camera&) override { calls.push_back("camera"); }
    void ClearSpecialBehavior() override { calls.push_back("lunar off"); }
    void ResetDialogue() override { calls.push_back("dialogue off"); }
    void TickClock() override { calls.push_back("tick"); }
    void CloseInventoryBar() override { calls.push_back("close bar"); }
    void ClearGraphicsObjects() override { calls.push_back("objects"); }
    void DropTimers() override { calls.push_back("timers"); }
    void SetPreviousSceneName(const char* name) override { calls.push_back(std::string("previous ") + name); }
    void ReleasePlayerSceneLinks() override { calls.push_back("player links"); }
    void StopSceneSounds() override { calls.push_back("sounds"); }
    void ClearLights() override { calls.push_back("lights"); }
    // The cache frees what it holds, as the sprite system's does.
    void PurgeMeshSpriteCache() override
    {
        calls.push_back("sprites");
        delete cachedSprite;
        cachedSprite = nullptr;
    }
    void DeleteSceneCharacters(cKestruneScene& scene) override
    {
        for (std::int32_t i = 0; i < scene.characters.count; ++i)
            delete scene.characters.data[i];
        scene.characters.count = 0;
    }
    void ReleaseAllTexts() override { calls.push_back("texts"); }
    void BindExitHotspot(int32_t index) override { calls.push_back("exit " + std::to_string(index)); }
    // Characters stand in as a CHR block of four bytes.
    bool SaveCharacterBlock(uint32_t, const char* name, int file) override
    {
        WriteSavegameBlockHeader(file, "CHR", name, 4);
        _write(file, "body", 4);
        return true;
    }
    void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                            SavegameBlockHeader& header) override
    {
        calls.push_back(std::string("character ") + header.name + (variable ? " into its variable" : " thrown away"));
        cKestruneNullWorldHost::LoadCharacterBlock(scene, variable, file, header);
    }

    std::vector<std::string> calls;
    cKestruneMeshSprite* cachedSprite = nullptr;
    bool hasPlayer = false;
    float x = 0, y = 0, z = 0;
};

std::vector<std::string>* g_marks = nullptr;

std::int32_t MarkNative(ScriptCallFrame* frame)
{
    g_marks->push_back(std::string("script ") + frame->Argument(0).GetText());
    return 0;
}

class SceneTest : public WorldTest {
protected:
    SceneTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
        g_marks = &host.calls;
        RegisterScriptNative("test__Mark", MarkNative);
    }
    ~SceneTest() override
    {
        g_marks = nullptr;
        std::filesystem::current_path(previous_);
    }

    static tools::ViewDescription View(const std::string& name, bool detail)
    {
        tools::ViewDescription view = CameraView(name, detail);
        view.mapWidth = 4;
        view.mapHeight = 2;
        view.depths = {1, 2, 3, 4, 5, 6, 7, 8};
        return view;
    }

    tools::SceneDescription Room()
    {
        tools::SceneDescription description;
        description.name = "room";
        description.viewNames = {"close", "wide", "missing", "far"};
        LayerBuilder left;
        left.Rect(0, 0, 10, 10);
        LayerBuilder right;
        right.Rect(10, 0, 20, 10);
        description.layers = {{"walkmap_floor", left.data}, {"region_right", right.data}};
        HotspotData hotspot;
        hotspot.areas.emplace_back();
        hotspot.areas[0].polygonCount = 1;
        hotspot.polygons.push_back({4, 0, 0});
        hotspot.points = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
        description.hotspots = {hotspot, hotspot};
        description.script = tools::AssembleScriptBytes(
            "callsite mark test__Mark 1 int\n var door object class cObject\n var ghost object class cObject\n"
            "var hero object class cCharacter\n"
            "func on_enter\n push string \"enter\"\n native - mark\n ret\n"
            "func on_leave\n push string \"leave\"\n native - mark\n ret\n");
        return description;
    }

    // Packs the scene with its views (no "missing.view") and opens it.
    std::int32_t Pack(const std::vector<std::uint8_t>& sceneBytes)
    {
        tools::ArchiveBuilder builder;
        builder.Add("room.scene", sceneBytes);
        builder.Add("close.view", tools::WriteViewResource(View("close", true)));
        builder.Add("wide.view", tools::WriteViewResource(View("wide", false)));
        builder.Add("far.view", tools::WriteViewResource(View("far", false)));
        EXPECT_TRUE(builder.Write(work_.path()));
        files_ = std::make_unique<cKestruneFileSystem>();
        return files_->Open("room.scene");
    }

    std::unique_ptr<cKestruneScene> LoadScene()
    {
        auto scene = std::make_unique<cKestruneScene>();
        const std::int32_t slot = Pack(tools::WriteSceneResource(Room()));
        EXPECT_EQ(scene->Load(slot), 0);
        files_->Close(slot);
        return scene;
    }

    RecordingWorldHost host;
    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
    std::unique_ptr<cKestruneFileSystem> files_;
};

TEST_F(SceneTest, LoadsViewsLayersHotspotsAndScriptSkippingMissingViews)
{
    const auto scene = LoadScene();
    EXPECT_STREQ(scene->RoomName(), "room");
    ASSERT_EQ(scene->views.count, 3);
    EXPECT_STREQ(scene->views.data[1]->Name(), "wide");
    EXPECT_TRUE(scene->views.data[0]->IsDetailView());
    EXPECT_EQ(scene->layers.count, 2);
    EXPECT_EQ(scene->hotspots.count, 2);
    ASSERT_NE(scene->script, nullptr);
    EXPECT_TRUE(link.reports.empty());
    DynArray<cKestruneEnvironmentLayer*> walkable;
    EXPECT_EQ(scene->CollectAreasByPrefix("walkmap", walkable), 1);
    EXPECT_EQ(walkable.data[0], scene->layers.data[0]);
}

TEST_F(SceneTest, EnterAndLeaveRunTheirStepsInOrder)
{
    const auto scene = LoadScene();
    host.hasPlayer = true;
    host.x = 3;
    host.z = 4;
    host.calls.clear();
    scene->Enter(0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"lunar off", "dialogue off", "camera", "bind", "tick",
                                                    "script enter", "tick", "place", "close bar"}));
    EXPECT_EQ(scene->currentViewIndex, 1) << "the first view that is not a detail view";
    EXPECT_EQ(scene->inDetailView, 0);
    EXPECT_EQ(host.y, 7.5f);
    EXPECT_EQ(host.x, 3.0f);

    host.calls.clear();
    scene->Leave(0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"objects", "script leave", "timers", "previous room",
                                                    "player links", "sounds", "lights", "sprites", "texts"}));
    host.calls.clear();
    scene->Enter(1);
    scene->Leave(1);
    for (const std::string& call : host.calls)
        EXPECT_EQ(call.rfind("script", 0), std::string::npos) << "restoring runs no script";
}

TEST_F(SceneTest, ViewsFollowThePlayerAndDetailViewsStack)
{
    const auto scene = LoadScene();
    scene->layers.data[0]->enabled = 1;
    scene->layers.data[1]->enabled = 1;
    scene->layers.data[0]->view = scene->views.data[1];
    scene->layers.data[1]->view = scene->views.data[2];
    host.hasPlayer = true;
    scene->Enter(0);
    host.x = 15;
    host.z = 5;
    scene->Update();
    EXPECT_EQ(scene->currentViewIndex, 2);
    EXPECT_EQ(scene->previousView, scene->views.data[1]);
    scene->Update();
    EXPECT_EQ(scene->previousView, scene->views.data[2]) << "a frame without a change names the current view";

    host.calls.clear();
    scene->GoToDetailView("close");
    EXPECT_EQ(scene->currentViewIndex, 0);
    EXPECT_EQ(scene->inDetailView, 1);
    EXPECT_EQ(host.calls.back(), "exit 0");
    scene->Update();
    EXPECT_EQ(scene->currentViewIndex, 0) << "detail views stay while the player moves";
    scene->GoToDetailView("close");
    EXPECT_EQ(scene->detailStack.count, 2);
    scene->LeaveDetailView();
    EXPECT_EQ(scene->currentView, scene->views.data[0]) << "back to the detail view it came from";
    scene->LeaveDetailView();
    EXPECT_EQ(scene->currentView, scene->views.data[2]);
    EXPECT_EQ(scene->detailStack.count, 0);
    host.x = 5;
    scene->LeaveDetailView();
    EXPECT_EQ(scene->currentViewIndex, 1) << "empty stack: the view holding the player";
    scene->GoToDetailView("close");
    scene->CollapseDetailViewStack();
    EXPECT_EQ(scene->detailStack.count, 0);
    EXPECT_EQ(scene->currentViewIndex, 1);
    host.x = 50;
    scene->CollapseDetailViewStack();
    EXPECT_EQ(scene->currentViewIndex, -1) << "no view holds the player";
}

TEST_F(SceneTest, DepthMapSamplesInsideTheBandOnly)
{
    const auto scene = LoadScene();
    // A view's depth map is read when the view is shown.
    scene->SwitchView(1);
    const cKestruneView& view = *scene->views.data[1];
    EXPECT_EQ(view.SampleFloatMap(1, 129), 6.0f);
    EXPECT_EQ(view.SampleFloatMap(0, 129), -1.0f);
    EXPECT_EQ(view.SampleFloatMap(1, 128), -1.0f);
    EXPECT_EQ(view.SampleFloatMap(4, 129), -1.0f);
    EXPECT_EQ(view.SampleFloatMap(1, 300), -1.0f) << "below the map's last row";
    EXPECT_NE(view.camera.FOVY, 0.0f);
}

TEST_F(SceneTest, DamagedScenesAreRefusedCleanly)
{
    const tools::SceneDescription description = Room();
    const std::vector<std::uint8_t> good = tools::WriteSceneResource(description);
    for (const auto damage : {tools::SceneDamage::kViewCountPastEnd, tools::SceneDamage::kLayerDataPastEnd,
                              tools::SceneDamage::kHotspotCountPastEnd, tools::SceneDamage::kNoScript}) {
        link.reports.clear();
        cKestruneScene scene;
        const std::int32_t slot = Pack(tools::DamageScene(good, description, damage));
        EXPECT_EQ(scene.Load(slot), -1) << static_cast<int>(damage);
        EXPECT_FALSE(link.reports.empty()) << static_cast<int>(damage);
        files_->Close(slot);
    }
}

TEST_F(SceneTest, ScnBlockRoundTripsViewsLayersAndObjects)
{
    auto scene = LoadScene();
    scene->Enter(0);
    scene->layers.data[1]->view = scene->views.data[2];
    scene->layers.data[1]->enabled = 1;
    scene->layers.data[1]->enterCallback = "in_right";
    scene->GoToDetailView("close");
    cKestruneObjectHandle* const door = scene->CreateObjectHandle();
    door->name = "door";
    door->Bind(1);
    door->enabled = 1;
    door->SetCursor(12);
    door->SetDestination(2.0f, 3.0f, 1.5707964f);
    scene->script->Variable(0)->object = door->Handle();
    scene->saveName = "room";

    auto restored = LoadScene();
    SavegameBlockHeader header;
    ASSERT_TRUE(RoundTripScene(*scene, *restored, (work_.path() / "save.bin").string(), header));
    EXPECT_STREQ(header.tag, "END") << "the block after the nested ones is left for the caller";
    EXPECT_EQ(restored->inDetailView, 1);
    EXPECT_EQ(restored->currentViewIndex, 0);
    ASSERT_EQ(restored->detailStack.count, 1);
    EXPECT_EQ(restored->detailStack.data[0], restored->views.data[1]);
    EXPECT_EQ(restored->layers.data[1]->view, restored->views.data[2]);
    EXPECT_STREQ(restored->layers.data[1]->enterCallback.GetText(), "in_right");
    const auto* const object = ResolveObjectAs<cKestruneObjectHandle>(restored->script->Variable(0)->object,
                                                                       ObjectKind::Object);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->objectIndex, 1);
    EXPECT_EQ(restored->hotspots.data[1]->object, object);
    EXPECT_STREQ(object->name.GetText(), "door");
    EXPECT_EQ(object->cursor, 12) << "the object's cursor survives the load";
    EXPECT_EQ(object->destX, 2.0f);
    EXPECT_NEAR(object->dirZ, -1.0f, 1e-6f);
    EXPECT_EQ(restored->script->Variable(1)->object, kNoObject) << "no block for an empty variable";
    EXPECT_EQ(host.calls.back(), "exit 0");
}

// Lengths and counts in a savegame are checked against what is left of the
// file before anything is allocated for them.
TEST_F(SceneTest, BlockSizesPastTheEndOfTheFileAreRefused)
{
    auto scene = LoadScene();
    cKestruneView* const view = scene->views.data[0];
    view->token = 77;
    const struct {
        const char* what;
        std::uint32_t scnLength, viewCount, stack, viewLength;
        bool reported;
    } cases[] = {
        {"a detail stack of a billion entries", 0xFFFFFFF0u, 0, 0x3FFFFFE0u, 0, true},
        {"a view block of four gigabytes", 88, 1, 0, 0xFFFFFF00u, false},
    };
    const std::string path = (work_.path() / "damaged.bin").string();
    for (const auto& c : cases) {
        link.reports.clear();
        std::vector<std::uint8_t> payload;
        DatafileByteWriter writer(payload);
        writer.FixedText("room", 64);
        writer.U32(c.viewCount);
        writer.U32(0);
        writer.U32(0);
        writer.U32(0);
        writer.U32(c.stack);
        writer.U32(0);
        int file = _open(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, 0644);
        WriteSavegameBlockHeader(file, "SCN", "room", c.scnLength);
        _write(file, payload.data(), static_cast<unsigned>(payload.size()));
        if (c.viewCount) {
            WriteSavegameBlockHeader(file, "VIE", view->Name(), c.viewLength);
            _write(file, "\x01\0\0\0", 4);
        }
        _close(file);

        file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
        SavegameBlockHeader header;
        ASSERT_TRUE(ReadSavegameBlockHeader(file, header));
        scene->LoadBlock(file, header);
        _close(file);
        EXPECT_EQ(!link.reports.empty(), c.reported) << c.what;
        EXPECT_EQ(view->token, 77u) << c.what;
        EXPECT_EQ(scene->detailStack.count, 0) << c.what;
    }
}

// A CHR block goes to the character variable of its name; one that matches
// none is still read whole (into a throw-away character), so the blocks after
// it are found.
TEST_F(SceneTest, CharacterBlocksReachTheirVariableOrAreReadAndThrownAway)
{
    auto scene = LoadScene();
    cKestruneObjectHandle* const door = scene->CreateObjectHandle();
    door->name = "door";
    scene->script->Variable(0)->object = door->Handle();
    scene->script->Variable(2)->object = 77;
    const std::string path = (work_.path() / "save.bin").string();
    int file = _open(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, 0644);
    scene->SaveBlock(file);
    WriteSavegameBlockHeader(file, "CHR", "stranger", 4);
    _write(file, "body", 4);
    WriteSavegameBlockHeader(file, "END", "", 0);
    _close(file);

    auto restored = LoadScene();
    host.calls.clear();
    file = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(file, header));
    restored->LoadBlock(file, header);
    _close(file);
    EXPECT_STREQ(header.tag, "END");
    const std::vector<std::string> characters = {"character hero into its variable", "character stranger thrown away"};
    std::vector<std::string> seen;
    for (const std::string& call : host.calls)
        if (call.rfind("character ", 0) == 0)
            seen.push_back(call);
    EXPECT_EQ(seen, characters);
    EXPECT_NE(ResolveObject(restored->script->Variable(0)->object, ObjectKind::Object), nullptr);
}

// A figure's object taken from the sprite cache is let go before the cache
// is purged; the figure itself goes later, with the scene.
TEST_F(SceneTest, LeavingUnlinksTheFiguresCachedObjectsBeforeThePurge)
{
    auto scene = LoadScene();
    auto* const figure = new cKestruneCharacter();
    host.cachedSprite = new cKestruneMeshSprite();
    host.cachedSprite->cached = 1;
    figure->linkedObject = host.cachedSprite;
    scene->characters.Add(figure);
    scene->Leave(0);
    EXPECT_EQ(host.cachedSprite, nullptr) << "purged";
    EXPECT_EQ(figure->linkedObject, nullptr);
    scene.reset();
}

// A walk clicked in a scene ends in the next one without its event.
TEST_F(SceneTest, LeavingDropsThePlayersPendingArrivalEvent)
{
    auto scene = LoadScene();
    cKestruneGameplay gameplay;
    auto player = std::make_unique<cKestruneCharacter>();
    gameplay.playerCharacter = player.get();
    auto& walker = static_cast<cKestrunePlayerControlDefault&>(*player->controller);
    walker.SetArrivalEvent(scene->script, cString("on_use"), nullptr);
    ASSERT_TRUE(walker.walkMap.eventScript);
    scene->Leave(0);
    EXPECT_FALSE(walker.walkMap.eventScript);
    gameplay.playerCharacter = nullptr;
}

TEST_F(SceneTest, AHandleGoesStaleWithItsScene)
{
    ObjectHandle handle;
    {
        const auto scene = LoadScene();
        handle = scene->CreateObjectHandle()->Handle();
        EXPECT_NE(ResolveObject(handle, ObjectKind::Object), nullptr);
        EXPECT_EQ(ResolveObject(handle, ObjectKind::Character), nullptr);
    }
    EXPECT_EQ(ResolveObject(handle, ObjectKind::Object), nullptr);
}

} // namespace
} // namespace vls::test
