// What a scene change does to the members that outlive the scene: sound,
// the sprite system's lights, cache and lunar flag, the live texts and the
// frame's hotspot caption.

#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_player_control.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/world_host.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vls::test {
namespace {

class SceneChangeMembersTest : public ::testing::Test {
protected:
    SceneChangeMembersTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        EXPECT_TRUE(members.Create(engine, KestruneMember::Sound));
        engine.sprites = new cKestruneSprites();
        engine.fonts = new cKestruneFonts();
        engine.gameplay = new cKestruneGameplay();
        SetWorldHost(&host);
    }
    ~SceneChangeMembersTest() override
    {
        SetWorldHost(nullptr);
        delete engine.gameplay;
        engine.gameplay = nullptr;
        delete engine.fonts;
        engine.fonts = nullptr;
        delete engine.sprites;
        engine.sprites = nullptr;
        members.Destroy(engine, KestruneMember::Sound);
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // A room's worth of state in every member a scene change touches.
    void FillRoomState()
    {
        cKestruneSound& sound = *engine.sound;
        sound.SetupSound(1, "lantern_click", 0);
        sound.footstepSound = 1;
        SoundChannel music;
        music.kind = kSoundKindMusic;
        sound.channels.Add(music);
        SoundChannel effect;
        effect.kind = kSoundKindMono;
        effect.id = 1;
        sound.channels.Add(effect);

        cKestruneSprites& sprites = *engine.sprites;
        sprites.AddLight(1, 2, 3, 4, 1, 1, 1);
        sprites.shadowVector[0] = 0.5f;
        sprites.shadowLightPosition[1] = 9.0f;
        sprites.ambient[0] = 0.25f;
        sprites.CacheMeshSprite(cString("lantern"), 0);
        sprites.CacheMeshSprite(cString("boat"), 1);
        sprites.lunarBehaviour = 1;

        engine.fonts->CreateText(0, "a line", 10, 10, 0xFFFFFFFF, 0);
    }

    ScopedConfig config;
    FakeMembers fake;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    cKestruneEngine engine{nullptr, nullptr, "", &fake};
    cKestruneDefaultMembers members{engine};
    cKestruneEngineWorldHost host{engine};
};

struct Expectation {
    const char* what;
    std::function<bool()> holds;
};

void ExpectAll(const std::vector<Expectation>& table)
{
    for (const Expectation& row : table)
        EXPECT_TRUE(row.holds()) << row.what;
}

TEST_F(SceneChangeMembersTest, LeavingARoomEndsItsSoundsLightsModelsAndTexts)
{
    FillRoomState();
    cKestruneSound& sound = *engine.sound;
    cKestruneSprites& sprites = *engine.sprites;
    ASSERT_EQ(engine.fonts->texts.count, 1);
    ASSERT_EQ(sprites.meshSpriteCache.count, 2);

    cKestruneScene room;
    room.Leave(0);

    ExpectAll({
        {"music plays on", [&] { return sound.channels.data[0].state == kChannelPlaying; }},
        {"the effect is stopped", [&] { return sound.channels.data[1].state == kChannelStopRequested; }},
        {"the room's sound ids are released",
         [&] { return sound.definitions.data[0].id != 1 && sound.purgePending == 1; }},
        {"no footstep sound", [&] { return sound.footstepSound == -1; }},
        {"no lights", [&] { return sprites.lights.count == 0; }},
        {"no shadow vector or light",
         [&] { return sprites.shadowVector[0] == 0.0f && sprites.shadowLightPosition[1] == 0.0f; }},
        {"the ambient colour stays", [&] { return sprites.ambient[0] == 0.25f; }},
        {"only the kept model stays cached",
         [&] {
             return sprites.meshSpriteCache.count == 1
                 && std::string(sprites.meshSpriteCache.data[0]->name.GetText()) == "boat";
         }},
        {"no live texts", [&] { return engine.fonts->texts.count == 0; }},
        {"the lunar flag waits for the next room", [&] { return sprites.lunarBehaviour == 1; }},
    });

    // The released ids are gone after the next sound update; a room that
    // defines the same id again gets a fresh definition.
    sound.Update();
    sound.SetupSound(1, "lantern_click", 0);
    ASSERT_EQ(sound.definitions.count, 1);
    EXPECT_EQ(sound.definitions.data[0].id, 1);
}

TEST_F(SceneChangeMembersTest, EnteringARoomClearsTheLunarFlagAndResetsTheGameState)
{
    FillRoomState();
    engine.gameplay->gameState = 0x40;
    engine.gameplay->runOnDoubleClick = 0;

    cKestruneScene room;
    room.Enter(0);

    ExpectAll({
        {"the lunar flag is cleared", [&] { return engine.sprites->lunarBehaviour == 0; }},
        {"the game state of a fresh room", [&] { return engine.gameplay->gameState == 0x207u; }},
        {"a double click runs again", [&] { return engine.gameplay->runOnDoubleClick == 1; }},
        {"lights stay (a room's on_enter sets them)", [&] { return engine.sprites->lights.count == 1; }},
        {"sounds stay", [&] { return engine.sound->definitions.data[0].id == 1; }},
    });
}

TEST_F(SceneChangeMembersTest, TheCaptionOfTheRoomLeftIsForgotten)
{
    engine.graphics = new cKestruneGraphics();
    ASSERT_EQ(engine.graphics->ok, 1u);
    cKestruneText* const caption = engine.fonts->CreateText(1, "Boat", 0, 0, 0xD8000000, 0);
    ASSERT_NE(caption, nullptr);
    int hotspot = 0;
    engine.graphics->captionText = caption->Handle();
    engine.graphics->captionHotspot = &hotspot;

    cKestruneScene room;
    room.Leave(0);

    EXPECT_EQ(engine.graphics->captionText, kNoObject);
    EXPECT_EQ(engine.graphics->captionHotspot, nullptr);
    delete engine.graphics;
    engine.graphics = nullptr;
}

// Records the scene that is current whenever the walk map binds.
class BindRecordingControl : public cKestrunePlayerControl {
public:
    explicit BindRecordingControl(cKestruneCharacter* owner) : cKestrunePlayerControl(owner, kDefault) {}
    void BindWalkMap() override { bound.push_back(WorldHost().CurrentScene()); }
    std::vector<cKestruneScene*> bound;
};

TEST_F(SceneChangeMembersTest, TheWalkMapLetsGoOfADeletedScene)
{
    auto* const player = new cKestruneCharacter();
    delete player->controller;
    auto* const control = new BindRecordingControl(player);
    player->controller = control;
    engine.gameplay->playerCharacter = player;

    // As a scene change deletes the room left before the next one loads: a
    // room that then fails to load must not leave the player on freed layers.
    auto* const room = new cKestruneScene();
    members.DeleteScene(room);
    EXPECT_EQ(control->bound, std::vector<cKestruneScene*>{nullptr});

    // A pending room thrown away binds the player again to the current one.
    cKestruneScene current;
    engine.scene = &current;
    members.DeleteScene(new cKestruneScene());
    EXPECT_EQ(control->bound, (std::vector<cKestruneScene*>{nullptr, &current}));
    engine.scene = nullptr;

    engine.gameplay->playerCharacter = nullptr;
    delete player;
}

} // namespace
} // namespace vls::test
