#include "tests/engine/natives/natives_fixture.h"

#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/script_format.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/kestrune_object_handle.h"
#include "engine/world/kestrune_player_control.h"

#include <cmath>
#include <cstring>
#include <functional>

namespace vls::test {
namespace {

TEST_F(SystemOutputNativesTest, RoomAndViewNames)
{
    scene.header.name = "harbour";
    scene.currentView = scene.views.data[1];
    Call("cSystem__GetRoom", {});
    EXPECT_STREQ(frame.result.GetText(), "harbour");
    EXPECT_EQ(frame.result.type, static_cast<std::uint32_t>(kScriptString));
    Call("cSystem__GetPreviousRoom", {});
    EXPECT_STREQ(frame.result.GetText(), "market");
    Call("cSystem__GetView", {});
    EXPECT_STREQ(frame.result.GetText(), "close");
    Call("cSystem__GetPreviousView", {});
    EXPECT_STREQ(frame.result.GetText(), "") << "no previous view";
}

TEST_F(SystemOutputNativesTest, GameStateBitsAndTheMessengerQuestion)
{
    Call("cSystem__SetGameState", {Int(0x40)});
    EXPECT_EQ(gameplay.gameState, 0x247u);
    Call("cSystem__ClearGameState", {Int(0x41)});
    EXPECT_EQ(gameplay.gameState, 0x206u);
    Call("cSystem__CheckGameState", {Int(0x4)});
    EXPECT_EQ(frame.result.boolValue, 1);
    Call("cSystem__CheckGameState", {Int(0x200)});
    EXPECT_EQ(frame.result.boolValue, 0) << "input is off";
    gameplay.gameState = 0x207;
    struct Case {
        const char* what;
        std::function<void()> set;
        bool expected;
    };
    const Case cases[] = {
        {"all clear", [] {}, true},
        {"dialogue", [this] { world.dialogue = 1; }, false},
        {"walking", [this] { world.walking = true; }, false},
        {"menu", [this] { host.menu = true; }, false},
        {"fade", [this] { gameplay.fadeActive = 1; }, false},
        {"no messenger item", [this] { host.messenger = false; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.dialogue = 0;
        world.walking = false;
        host.menu = false;
        host.messenger = true;
        gameplay.fadeActive = 0;
        c.set();
        Call("cSystem__CheckGameState", {Int(0x200)});
        EXPECT_EQ(frame.result.boolValue, c.expected ? 1 : 0);
    }
}

TEST_F(SystemOutputNativesTest, RandRunScriptObjectsMessengerAndEndGame)
{
    Call("cSystem__Rand", {Float(10.0f), Float(0.0f)});
    EXPECT_EQ(frame.result.floatValue, 10.0f) << "a range of 0 gives the base";
    for (int i = 0; i < 20; ++i) {
        Call("cSystem__Rand", {Float(1.0f), Float(2.0f)});
        EXPECT_GE(frame.result.floatValue, 1.0f);
        EXPECT_LE(frame.result.floatValue, 3.0f);
    }

    Call("cSystem__RunScript", {Int(5), Text("here")});
    EXPECT_TRUE(marks.empty());
    Call("cSystem__RunScript", {Int(-2), Text("here")});
    Call("cSystem__RunScript", {Int(0), Text("here")});
    EXPECT_EQ(marks, (std::vector<std::string>{"here", "here"}));
    EXPECT_EQ(scene.script->frames, nullptr) << "the call frame is popped again";

    Call("cSystem__CreateObject", {Text("door"), Int(0), Int(3)});
    const auto* const bound = ResolveObjectAs<cKestruneObjectHandle>(frame.result.object, ObjectKind::Object);
    ASSERT_NE(bound, nullptr);
    EXPECT_STREQ(bound->name.GetText(), "door");
    EXPECT_EQ(bound->cursor, 3);
    EXPECT_EQ(scene.hotspots.data[0]->object, bound);
    Call("cSystem__CreateObject", {Text("far"), Int(1), Int(0)});
    const auto* const loose = ResolveObjectAs<cKestruneObjectHandle>(frame.result.object, ObjectKind::Object);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->objectIndex, -1) << "a hotspot index past the count binds nothing";

    Call("cSystem__AddMessengerItem", {Text("Ada"), Text(""), Text(""), Text(""), Int(0x112233)});
    EXPECT_EQ(host.item, "Ada");
    EXPECT_EQ(host.itemColour, 0xFF332211u);
    Call("cSystem__EndGame", {});
    EXPECT_TRUE(host.newGame);
}

// A room's script runs a function of the project script and goes on with
// its own stack: the native's result is there to be taken off.
TEST_F(SystemOutputNativesTest, RunScriptOnTheProjectLeavesTheCallersStackWhole)
{
    const auto project = LoadScript("callsite mark test__Mark 1 int\n"
                                    "func sounds\n push string \"sounds\"\n native - mark\n popreg\n jmp finish\n"
                                    "func other\n push int 7\n popreg\n"
                                    "finish:\n ret\n");
    gameplay.projectScript = project.get();
    const auto room = LoadScript("callsite mark test__Mark 1 int\n callsite project cSystem__RunScript 2 int\n"
                                 "func on_enter\n push string \"below\"\n push int -1\n push string \"sounds\"\n"
                                 " native - project\n popreg\n native - mark\n popreg\n"
                                 " push int -1\n push string \"sounds\"\n native - project\n popreg\n ret\n");
    EXPECT_EQ(room->Run("on_enter"), 0);
    EXPECT_TRUE(link.reports.empty()) << link.reports.back().text;
    EXPECT_EQ(marks, (std::vector<std::string>{"sounds", "below", "sounds"}));
    EXPECT_EQ(room->sp, 0u);
    EXPECT_EQ(room->frames, nullptr);
    gameplay.projectScript = nullptr;
}

TEST_F(SystemOutputNativesTest, CharactersAndThePlayerChange)
{
    Call("cSystem__CreateCharacter", {Text("guard"), Int(5), Text("guardbody"), Float(2.0f), Float(4.0f)});
    const auto* const guard = ResolveObjectAs<cKestruneCharacter>(frame.result.object, ObjectKind::Character);
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(frame.result.type, static_cast<std::uint32_t>(kScriptObject));
    ASSERT_EQ(scene.characters.count, 1);
    EXPECT_EQ(scene.characters.data[0], guard);
    EXPECT_STREQ(guard->displayName.GetText(), "guard");
    EXPECT_EQ(guard->hotspotCursor, 5);
    EXPECT_STREQ(guard->model->name.GetText(), "guardbody");
    EXPECT_EQ(guard->idleMin, 2.0f);
    EXPECT_EQ(guard->idleMax, 4.0f);
    EXPECT_GE(guard->idleRate, 0.25f) << "the idle timer runs with an interval of 2 to 4 s";
    EXPECT_LE(guard->idleRate, 0.5f);
    EXPECT_EQ(guard->visible, 0);
    EXPECT_EQ(gameplay.playerCharacter, nullptr) << "only \"PC\" is the player";

    Call("cSystem__SetPlayerCharacter", {Text("hero")});
    cKestruneCharacter* const first = gameplay.playerCharacter;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->visible, 1);
    EXPECT_STREQ(first->model->name.GetText(), "hero");
    EXPECT_STREQ(gameplay.playerSetup.GetText(), "hero");
    EXPECT_EQ(scene.characters.count, 1) << "the player is not a scene character";
    EXPECT_EQ(scene.script->frames, nullptr) << "the call frame is popped again";

    first->model->SetPosition(7.0f, 1.0f, -3.0f);
    first->model->world._12 = 0.5f;
    const D3DXMATRIX placed = first->model->world;
    const ObjectHandle firstHandle = first->Handle();
    Call("cSystem__SetPlayerCharacter", {Text("hero")});
    const cKestruneCharacter* const second = gameplay.playerCharacter;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ResolveObjectAs<cKestruneCharacter>(firstHandle, ObjectKind::Character), nullptr);
    EXPECT_EQ(second->model->position[0], 7.0f) << "the new player stands where the old one stood";
    EXPECT_EQ(second->model->position[2], -3.0f);
    EXPECT_EQ(std::memcmp(second->model->world.m, placed.m, sizeof placed.m), 0);

    // A "PC" made while one exists replaces it rather than losing it.
    const ObjectHandle secondHandle = second->Handle();
    Call("cSystem__CreateCharacter", {Text("PC"), Int(0), Text("other"), Float(5.0f), Float(10.0f)});
    EXPECT_EQ(ResolveObjectAs<cKestruneCharacter>(secondHandle, ObjectKind::Character), nullptr);
    EXPECT_EQ(ResolveObjectAs<cKestruneCharacter>(frame.result.object, ObjectKind::Character),
              gameplay.playerCharacter);

    Call("cSystem__SetPlayerCharacter", {Text("nobody")});
    EXPECT_EQ(gameplay.playerCharacter, nullptr) << "the old player is gone and none was made";
    EXPECT_STREQ(gameplay.playerSetup.GetText(), "hero") << "a setup that makes no player is not recorded";

    world.scene = nullptr;
    Call("cSystem__CreateCharacter", {Text("ghost"), Int(0), Text("ghost"), Float(1.0f), Float(2.0f)}, kScriptObject);
    EXPECT_EQ(frame.result.object, kNoObject) << "without a scene nobody would own it";
    world.scene = &scene;
}

// The player's own walk ends in an arrival event that changes the player:
// the walk's update goes on with the old player, which lives until the
// frame's safe point but is out of the scripts' reach at once.
TEST_F(SystemOutputNativesTest, APlayerReplacedByItsOwnArrivalEventLivesToTheFramesSafePoint)
{
    Call("cSystem__SetPlayerCharacter", {Text("hero")});
    cKestruneCharacter* const first = gameplay.playerCharacter;
    ASSERT_NE(first, nullptr);
    const ObjectHandle firstHandle = first->Handle();
    first->controller->SetArrivalEvent(scene.script, cString("swap"), nullptr);
    first->controller->Update();

    cKestruneCharacter* const second = gameplay.playerCharacter;
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->visible, 1);
    EXPECT_EQ(ResolveObjectAs<cKestruneCharacter>(firstHandle, ObjectKind::Character), nullptr);
    EXPECT_EQ(RetiredObjectCount(), 1u) << "the old player waits for the safe point";
    DeleteRetiredObjects();
    EXPECT_EQ(RetiredObjectCount(), 0u);
}

TEST_F(SystemOutputNativesTest, TheSharedEmptyBodyLeavesThePresetResult)
{
    for (const char* name : {"cSystem__PutRoom", "cSystem__PutView", "cSystem__PutPreviousRoom", "cSystem__PutPreviousView",
                             "cInput__PutObject", "cInput__PutInvObject", "cOutput__GetCaption",
                             "cCharacter__SetLipsyncValues"}) {
        EXPECT_EQ(Call(name, {Text("x")}, kScriptInteger), 0) << name;
        EXPECT_EQ(frame.result.type, static_cast<std::uint32_t>(kScriptInteger)) << name;
        EXPECT_EQ(FindScriptNative(name), FindScriptNative("cSystem__PutRoom")) << name;
    }
}

TEST_F(SystemOutputNativesTest, CaptionWeatherMirrorsAndFades)
{
    Call("cOutput__PutCaption", {Text("The Harbour")});
    EXPECT_STREQ(scene.saveName.GetText(), "The Harbour");
    EXPECT_EQ(Call("cOutput__CreateWeather", {Int(1)}), -1);

    Call("cOutput__CreateMirror", {Int(7), Float(0), Float(1), Float(0), Float(-2)});
    cKestruneView& close = *scene.views.data[1];
    ASSERT_EQ(close.mirrors.count, 1) << "a view index past the end takes the last view";
    EXPECT_EQ(close.mirrors.data[0].plane[3], -2.0f);
    Call("cOutput__CreateFloorMirror", {Int(1)});
    Call("cOutput__RemoveMirrors", {Int(1)});
    EXPECT_EQ(close.mirrors.count, 0);
    EXPECT_EQ(close.floorMirror, 1);

    cKestruneView& wide = *scene.views.data[0];
    for (int i = 0; i < 3; ++i)
        wide.images.Add(new cKestruneImage());
    cKestruneImage* const last = wide.images.data[2];
    Call("cOutput__SetMirrorLayer", {Int(0), Int(2)});
    EXPECT_EQ(wide.mirrorLayer, last) << "the last layer is used as it is";
    EXPECT_EQ(wide.images.count, 3) << "and stays in the list";
    cKestruneImage* const second = wide.images.data[1];
    Call("cOutput__SetMirrorLayer", {Int(0), Int(0)});
    EXPECT_EQ(wide.mirrorLayer, second);
    EXPECT_EQ(wide.images.count, 2) << "a middle layer leaves the list";
    EXPECT_EQ(second->alphaTest, 0);
    EXPECT_EQ(wide.mirrorLayerIndex, 1);

    gameplay.fadeActive = 2;
    Call("cOutput__Fade", {Float(2.0f), Int(2), ScriptValue::Boolean(true), Text("faded")});
    EXPECT_EQ(gameplay.fadeActive, 2) << "direction 2 keeps the fade";
    EXPECT_EQ(gameplay.fadeRate, 0.5f);
    EXPECT_EQ(gameplay.fadeScript, scene.script);
    EXPECT_STREQ(gameplay.fadeFunction.GetText(), "faded");
    Call("cOutput__Fade", {Float(0.0f), Int(0), ScriptValue::Boolean(false), Text("")});
    EXPECT_EQ(gameplay.fadeActive, 1);
    EXPECT_TRUE(std::isfinite(gameplay.fadeRate)) << "a fade of no length ends at once";
    EXPECT_EQ(gameplay.fadeScript, nullptr);
}

// A mirror layer out of the list is drawn on its own, and a script its own
// callback runs may replace it while it draws.
TEST_F(SystemOutputNativesTest, AReplacedMirrorLayerLastsUntilTheSafePoint)
{
    cKestruneView& wide = *scene.views.data[0];
    for (int i = 0; i < 4; ++i)
        wide.images.Add(new cKestruneImage());
    Call("cOutput__SetMirrorLayer", {Int(0), Int(0)});
    cKestruneImage* const drawing = wide.mirrorLayer;
    ASSERT_EQ(wide.images.count, 3) << "the view's alone now";
    Call("cOutput__SetMirrorLayer", {Int(0), Int(1)});
    ASSERT_NE(wide.mirrorLayer, drawing);
    EXPECT_EQ(drawing->alphaTest, 0) << "still whole until its drawing returns";
    DeleteRetiredObjects();
    EXPECT_EQ(RetiredObjectCount(), 0u);
}

TEST_F(SystemOutputNativesTest, OverlaysByNameAcrossViews)
{
    for (int v = 0; v < 2; ++v) {
        auto* const overlay = new cKestruneImage();
        overlay->name = "gull";
        overlay->playMode = 3;
        overlay->currentFrame = 4;
        scene.views.data[v]->overlays.Add(overlay);
    }
    Call("cOutput__SetOverlayMode", {Text("gull"), Int(128)});
    EXPECT_EQ(scene.views.data[0]->overlays.data[0]->carryOver, 1);
    EXPECT_EQ(scene.views.data[1]->overlays.data[0]->carryOver, 1);
    Call("cOutput__SetOverlayMode", {Text("gull"), Int(3)});
    EXPECT_EQ(scene.views.data[1]->overlays.data[0]->currentFrame, 4) << "the same mode does not restart it";
    Call("cOutput__SetOverlayCallback", {Text("gull"), Int(0), Text("landed")});
    EXPECT_STREQ(scene.views.data[0]->overlays.data[0]->endCallbackName.GetText(), "landed");
    Call("cOutput__SetOverlayCallback", {Text("gull"), Int(6), Text("flap")});
    EXPECT_EQ(scene.views.data[1]->overlays.data[0]->frameCallbackFrame, 6);
    EXPECT_EQ(scene.views.data[1]->overlays.data[0]->frameCallbackScript, scene.script);
    EXPECT_EQ(Call("cOutput__SetVideoCallback", {Int(0), Int(0), Text("x")}), 0) << "no video: nothing to set";
}

} // namespace
} // namespace vls::test
