#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/player_control_default.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/world/walk_map_fixture.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace vls::test {
namespace {

class CharacterTest : public WorldTest {
protected:
    CharacterTest()
    {
        host.scene = &scene;
        AddLayer(scene, HoleFloor());
    }
    cKestrunePlayerControlDefault& Control() { return static_cast<cKestrunePlayerControlDefault&>(*character.controller); }
    void Frame(std::uint32_t milliseconds)
    {
        host.now += milliseconds;
        character.UpdateAnimation();
    }
    float X() const { return character.model->position[0]; }

    WalkHost host;
    cKestruneScene scene;
    cKestruneCharacter character;
};

TEST_F(CharacterTest, ConstructionDefaults)
{
    EXPECT_EQ(character.hotspotIndex, -1);
    EXPECT_EQ(character.speechColor, 0xFFFFFF40u);
    EXPECT_EQ(character.idleMin, 5.0f);
    EXPECT_EQ(character.idleMax, 10.0f);
    ASSERT_NE(character.controller, nullptr);
    EXPECT_EQ(character.controller->typeId, cKestrunePlayerControl::kDefault);
    EXPECT_EQ(character.model->state, 1);
    EXPECT_EQ(ResolveObjectAs<cKestruneCharacter>(character.Handle(), ObjectKind::Character), &character);
}

TEST_F(CharacterTest, WalksOnTheClockAndRunsItsArrivalEventOnce)
{
    auto script = LoadScript("var hits int\n func arrived\n push ref hits\n push int 1\n assign\n ret\n");
    character.visible = 1;
    character.controller->SetPosition(1, 0, 1);
    character.controller->WalkTo(9, 0, 1, 0, 1);
    EXPECT_EQ(character.controller->walking, 1);
    character.controller->SetArrivalEvent(script.get(), "arrived", nullptr);
    Frame(1000);
    EXPECT_NEAR(X(), 2.2f, 0.05f);
    EXPECT_EQ(character.controller->idle, 0) << "walking: the controller moves the model";
    character.controller->SetRun(1);
    Frame(1000);
    EXPECT_NEAR(X(), 4.6f, 0.05f) << "running doubles the pace";
    for (int i = 0; i < 10; ++i)
        Frame(1000);
    EXPECT_FLOAT_EQ(X(), 9.0f);
    EXPECT_EQ(character.controller->walking, 0);
    EXPECT_EQ(character.controller->idle, 1);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    script->Variable(0)->intValue = 0;
    Frame(1000);
    EXPECT_EQ(script->Variable(0)->intValue, 0) << "fired exactly once";
    // Without a walk cycle the steps make no progress: one footstep as the
    // walk starts and one as it ends.
    EXPECT_EQ(Control().footsteps, 2u);

    character.controller->WalkTo(1, 0, 1, 0, 0);
    character.controller->SetArrivalEvent(script.get(), "arrived", nullptr);
    character.controller->WalkTo(2, 0, 1, 0, 0);
    for (int i = 0; i < 12; ++i)
        Frame(1000);
    EXPECT_FLOAT_EQ(X(), 2.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 0) << "a new walk cancels the pending event";
}

TEST_F(CharacterTest, InvisibleCharactersNeitherMoveNorFireEvents)
{
    auto script = LoadScript("var hits int\n func arrived\n push ref hits\n push int 1\n assign\n ret\n");
    character.controller->SetPosition(1, 0, 1);
    character.controller->WalkTo(3, 0, 1, 0, 0);
    character.controller->SetArrivalEvent(script.get(), "arrived", nullptr);
    Frame(100000);
    EXPECT_FLOAT_EQ(X(), 1.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 0);
    DynArray<RenderQueueEntry> queue;
    character.controller->Submit(queue);
    EXPECT_EQ(queue.count, 0);
}

TEST_F(CharacterTest, UnreachableTargetsLeaveTheCharacterIdle)
{
    character.visible = 1;
    character.controller->SetPosition(1, 0, 1);
    character.controller->WalkTo(200, 0, 200, 0, 0);
    EXPECT_EQ(character.controller->walking, 0);
    Frame(25);
    EXPECT_EQ(character.controller->idle, 1);
}

TEST_F(CharacterTest, DestinationAndHotspotBinding)
{
    character.SetPathfinderDest(2, 3, 1.5707963f);
    EXPECT_EQ(character.destX, 2.0f);
    EXPECT_NEAR(character.destDirX, 0.0f, 1e-6);
    EXPECT_NEAR(character.destDirZ, -1.0f, 1e-6);
    character.EnsureHotspot();
    character.EnsureHotspot();
    ASSERT_EQ(scene.hotspots.count, 1);
    EXPECT_EQ(scene.hotspots.data[0]->character, &character);
    {
        cKestruneCharacter doomed;
        doomed.EnsureHotspot();
        ASSERT_EQ(scene.hotspots.count, 2);
    }
    EXPECT_EQ(scene.hotspots.data[1]->character, nullptr) << "a deleted character leaves no hotspot pointing at it";
}

TEST_F(CharacterTest, ChrAndPcrRoundTripInTheMiddleOfAWalk)
{
    TempDir dir;
    const std::string file = (dir / "save").string();
    auto script = LoadScript("var hits int\n func arrived\n push ref hits\n push int 1\n assign\n ret\n");
    script->id = script->SaveIdentity();
    character.visible = 1;
    character.enabled = 1;
    character.speechColor = 0xFF102030;
    character.displayName = "Skipper";
    character.hotspotCursor = 4;
    character.idleMin = 2;
    character.idleMax = 3;
    character.SetPathfinderDest(4, 5, 0);
    character.slot1EventName = "later";
    character.slot1EventScript = script.get();
    IdleAnimation idle;
    idle.name = "yawn";
    idle.weight = 3;
    character.idleAnimations.Add(idle);
    Control().SetWalkSpeedFactor(1.5f);
    character.controller->SetPosition(2, 0, 5);
    character.controller->WalkTo(8, 0, 5, 0, 1);
    character.controller->SetArrivalEvent(script.get(), "arrived", nullptr);
    Frame(1000);
    const std::size_t records = Control().walkMap.path.size();
    ASSERT_GT(records, 1u);

    int out = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    ASSERT_GE(out, 0);
    character.SaveBlock(out, "$pc$");
    WriteSavegameBlockHeader(out, "END", "", 0);
    _close(out);

    int in = _open(file.c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
    EXPECT_EQ(header.length, cKestruneCharacter::kPayloadSize);
    cKestruneCharacter loaded;
    ASSERT_TRUE(loaded.LoadBlock(in, header));
    _close(in);
    EXPECT_STREQ(header.tag, "END") << "every nested block was read";
    EXPECT_EQ(loaded.speechColor, 0xFF102030u);
    EXPECT_STREQ(loaded.displayName.GetText(), "Skipper");
    EXPECT_EQ(loaded.hotspotCursor, 4);
    EXPECT_EQ(loaded.idleMax, 3.0f);
    EXPECT_EQ(loaded.destX, 4.0f);
    EXPECT_EQ(loaded.slot1EventScript, script.get());
    ASSERT_EQ(loaded.idleAnimations.count, 1);
    EXPECT_STREQ(loaded.idleAnimations.data[0].name.GetText(), "yawn");
    EXPECT_EQ(loaded.idleAnimations.data[0].weight, 3);
    EXPECT_NE(loaded.hotspotIndex, -1) << "an enabled character gets a hotspot in the scene";
    ASSERT_EQ(loaded.controller->typeId, cKestrunePlayerControl::kDefault);
    auto& control = static_cast<cKestrunePlayerControlDefault&>(*loaded.controller);
    EXPECT_EQ(control.walkSpeedFactor, 1.5f);
    EXPECT_EQ(control.walkMap.path.size(), records);
    EXPECT_EQ(control.walking, 1);

    loaded.controller->SetPosition(X(), 0, character.model->position[2]);
    for (int i = 0; i < 20; ++i) {
        host.now += 1000;
        loaded.UpdateAnimation();
    }
    EXPECT_NEAR(loaded.model->position[0], 8.0f, 1e-4);
    EXPECT_EQ(script->Variable(0)->intValue, 1) << "the walk resumed and arrived";
}

TEST_F(CharacterTest, AMissingOrUnknownControllerBlockGivesTheDefaultController)
{
    TempDir dir;
    const std::string file = (dir / "save").string();
    int out = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    std::vector<std::uint8_t> payload(cKestruneCharacter::kPayloadSize, 0);
    payload[144] = 9; // a controller kind nobody knows
    WriteSavegameBlockHeader(out, "CHR", "npc", cKestruneCharacter::kPayloadSize);
    _write(out, payload.data(), static_cast<unsigned>(payload.size()));
    WriteSavegameBlockHeader(out, "END", "", 0);
    _close(out);
    int in = _open(file.c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ReadSavegameBlockHeader(in, header);
    cKestruneCharacter loaded;
    ASSERT_TRUE(loaded.LoadBlock(in, header));
    _close(in);
    ASSERT_NE(loaded.controller, nullptr);
    EXPECT_EQ(loaded.controller->typeId, cKestrunePlayerControl::kDefault);
    EXPECT_STREQ(header.tag, "END");
}

} // namespace
} // namespace vls::test
