#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_particles.h"
#include "engine/world/kestrune_hotspot.h"
#include "engine/world/player_control_zodiac.h"
#include "tests/engine/world/model_world_fixture.h"

namespace vls::test {
namespace {

// A boat on a 40 x 40 stretch of water, facing +x.
class ZodiacTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        AddLayer(scene, LayerBuilder().Rect(0, 0, 40, 40));
        StartWorld();
        boat = Figure();
        Boat().SetRotation(0, 0, 0);
        Boat().SetPosition(5, 0, 20);
    }
    void Install()
    {
        auto* control = new cKestrunePlayerControlZodiac(boat.get());
        const cString names[3] = {"wave", "nod", "Boat"};
        control->Setup(names);
        boat->ReplaceController(control);
    }
    cKestrunePlayerControl& Boat() { return *boat->controller; }
    cKestrunePlayerControlZodiac& Zodiac() { return static_cast<cKestrunePlayerControlZodiac&>(*boat->controller); }
    float Distance(float x, float z) const
    {
        return std::hypot(boat->model->position[0] - x, boat->model->position[2] - z);
    }
    D3DXVECTOR3 Facing()
    {
        float up[3], facing[3];
        Boat().GetAxes(up, facing);
        return D3DXVECTOR3(facing[0], facing[1], facing[2]);
    }

    std::unique_ptr<cKestruneCharacter> boat;
};

TEST_F(ZodiacTest, SpeedsUpRunsItsEventNearTheTargetAndCoastsToAStop)
{
    Install();
    auto script = Counter();
    Boat().WalkTo(25, 0, 20, 0, 0);
    Boat().SetArrivalEvent(script.get(), "hit", nullptr);
    EXPECT_EQ(Zodiac().boatEvent, 0);
    Run(*boat, 40);
    EXPECT_NEAR(Zodiac().speed, 0.5f, 1e-4) << "half a unit of speed a second";
    EXPECT_NEAR(boat->model->position[0], 5.77f, 0.02f) << "three units a second at full speed";
    EXPECT_NEAR(Facing().x, 1.0f, 1e-4) << "straight ahead: no turning";

    float distanceAtEvent = -1.0f, speedAtEvent = 0.0f;
    for (int i = 0; i < 2000 && Zodiac().walking; ++i) {
        Run(*boat, 1);
        if (distanceAtEvent < 0.0f && script->Variable(0)->intValue == 1) {
            distanceAtEvent = Distance(25, 20);
            speedAtEvent = Zodiac().speed;
        }
    }
    ASSERT_GE(distanceAtEvent, 0.0f);
    EXPECT_LT(distanceAtEvent, std::sqrt(2.0f)) << "the event runs within sqrt(2) of the target";
    EXPECT_GT(speedAtEvent, 0.1f) << "while the boat still moves";
    EXPECT_EQ(Zodiac().walking, 0);
    EXPECT_EQ(Zodiac().speed, 0.0f);
    EXPECT_LT(Distance(25, 20), 3.0f) << "it coasted to a stop near the target";
    EXPECT_EQ(script->Variable(0)->intValue, 1) << "once";
    EXPECT_EQ(boat->model->position[1], 0.0f) << "the height never changes";
}

TEST_F(ZodiacTest, ABootEventKeepsTheBoatAtSpeed)
{
    Install();
    auto script = Counter("boot_harbour");
    Boat().WalkTo(25, 0, 20, 0, 0);
    Boat().SetArrivalEvent(script.get(), "boot_harbour", nullptr);
    EXPECT_EQ(Zodiac().boatEvent, 1);
    for (int i = 0; i < 2000 && script->Variable(0)->intValue == 0; ++i)
        Run(*boat, 1);
    ASSERT_EQ(script->Variable(0)->intValue, 1);
    Run(*boat, 400);
    EXPECT_EQ(Zodiac().walking, 1);
    EXPECT_GT(Zodiac().speed, 0.9f);

    Boat().WalkTo(10, 0, 10, 0, 0);
    EXPECT_EQ(Zodiac().boatEvent, 0) << "a new trip clears the flag";
}

TEST_F(ZodiacTest, ClicksOffTheWaterAreIgnoredAndANewTripCancelsTheEvent)
{
    Install();
    auto script = Counter();
    Boat().WalkTo(60, 0, 20, 0, 0);
    EXPECT_EQ(Zodiac().walking, 0);
    EXPECT_EQ(Zodiac().target[0], 0.0f);

    Boat().WalkTo(25, 0, 20, 0, 0);
    Boat().SetArrivalEvent(script.get(), "hit", nullptr);
    Boat().WalkTo(60, 0, 20, 0, 0);
    EXPECT_EQ(Zodiac().eventScript, script.get()) << "an ignored click changes nothing";
    Boat().WalkTo(30, 0, 20, 0, 0);
    EXPECT_EQ(Zodiac().eventScript, nullptr);
    EXPECT_EQ(Zodiac().target[0], 30.0f);
}

TEST_F(ZodiacTest, TurnsTowardTheTargetWithTheTurnAnimationOfItsSide)
{
    Install();
    ASSERT_NE(Zodiac().controlA, nullptr);
    ASSERT_NE(Zodiac().controlB, nullptr);
    Run(*boat, 1);
    EXPECT_EQ(GrannyGetControlWeight(Zodiac().controlA), 0.0f);
    EXPECT_EQ(GrannyGetControlWeight(Zodiac().controlB), 0.0f);
    EXPECT_EQ(GrannyGetControlWeight(boat->model->baseControl), 1.0f) << "lying still: the boat's own animation";

    struct Case {
        float targetZ;
        std::uint8_t side;
    };
    for (const Case& c : {Case{35.0f, 1}, Case{5.0f, 0}}) {
        SCOPED_TRACE(c.targetZ);
        Boat().SetRotation(0, 0, 0);
        Boat().SetPosition(20, 0, 20);
        Zodiac().speed = 0.0f;
        Boat().WalkTo(20, 0, c.targetZ, 0, 0);
        EXPECT_EQ(Zodiac().turnSide, c.side);
        Run(*boat, 40);
        const D3DXVECTOR3 facing = Facing();
        EXPECT_NEAR(std::hypot(facing.x, facing.z), 1.0f, 1e-4);
        EXPECT_GT((c.targetZ - 20.0f) * facing.z, 0.05f) << "the bow swings toward the target";
        EXPECT_GT(facing.x, 0.0f) << "gradually, not at once";
        granny_control* const active = c.side ? Zodiac().controlB : Zodiac().controlA;
        granny_control* const other = c.side ? Zodiac().controlA : Zodiac().controlB;
        EXPECT_GT(GrannyGetControlWeight(active), 0.0f);
        EXPECT_EQ(GrannyGetControlWeight(other), 0.0f);
        EXPECT_LE(GrannyGetControlWeight(boat->model->baseControl), 0.5f);
    }
}

TEST_F(ZodiacTest, EngineSoundsFollowTheSpeedAndTheSfxVolume)
{
    soundHost.settings.SFXVolume = 51;
    Install();
    ASSERT_NE(Channel(cKestrunePlayerControlZodiac::kIdleEngineTag), nullptr);
    ASSERT_NE(Channel(cKestrunePlayerControlZodiac::kRunningEngineTag), nullptr);
    EXPECT_EQ(Channel(cKestrunePlayerControlZodiac::kIdleEngineTag)->volume, 1.0f);
    EXPECT_EQ(Channel(cKestrunePlayerControlZodiac::kRunningEngineTag)->volume, 0.0f);
    Run(*boat, 1);
    EXPECT_NEAR(Channel(cKestrunePlayerControlZodiac::kIdleEngineTag)->volume, 0.2f, 1e-5);
    EXPECT_EQ(Channel(cKestrunePlayerControlZodiac::kRunningEngineTag)->volume, 0.0f);
    Boat().WalkTo(35, 0, 20, 0, 0);
    Run(*boat, 40);
    EXPECT_NEAR(Channel(cKestrunePlayerControlZodiac::kIdleEngineTag)->volume, 0.1f, 1e-4);
    EXPECT_NEAR(Channel(cKestrunePlayerControlZodiac::kRunningEngineTag)->volume, 0.1f, 1e-4);
}

TEST_F(ZodiacTest, SetupGivesThePlayerItsHotspotOnce)
{
    cKestruneGameplay gameplay;
    gameplay.playerCharacter = boat.get();
    Install();
    ASSERT_EQ(scene.hotspots.count, 1);
    EXPECT_EQ(scene.hotspots.data[0]->character, boat.get());
    EXPECT_EQ(boat->hotspotCursor, cKestrunePlayerControlZodiac::kPlayerHotspotCursor);
    EXPECT_EQ(boat->enabled, 1);
    EXPECT_STREQ(boat->displayName.GetText(), "Boat");
    Install();
    EXPECT_EQ(scene.hotspots.count, 1);
    gameplay.playerCharacter = nullptr;
}

TEST_F(ZodiacTest, TheWakeIsDrawnJustBehindTheBoatAndRespawnsOnATurn)
{
    Install();
    boat->LinkObject("lantern", "bip01 head", 0, 0, 0, 0, 0, 0);
    DynArray<RenderQueueEntry> queue;
    Boat().Submit(queue);
    ASSERT_EQ(queue.count, 3);
    EXPECT_EQ(queue.data[0].object, boat->model);
    EXPECT_EQ(queue.data[1].object, Zodiac().wake);
    EXPECT_EQ(queue.data[1].kind, kRenderKindObject);
    EXPECT_FLOAT_EQ(queue.data[1].depth, queue.data[0].depth + 0.0001f);
    EXPECT_EQ(queue.data[2].object, boat->linkedObject);

    Boat().SetRotation(0, 1.0f, 0);
    EXPECT_EQ(std::memcmp(&Zodiac().wake->emitter, &boat->model->world, sizeof(D3DXMATRIX)), 0);
    const float behind = Zodiac().wake->particles->x;
    EXPECT_NEAR(std::hypot(behind - 5.0f, Zodiac().wake->particles->z - 20.0f), 2.35f, 0.2f)
        << "the wake starts a little behind the boat";

    boat->visible = 0;
    queue.count = 0;
    Boat().Submit(queue);
    EXPECT_EQ(queue.count, 0);
}

TEST_F(ZodiacTest, PcrRoundTripInTheMiddleOfATrip)
{
    Install();
    auto script = Counter();
    script->id = script->SaveIdentity();
    auto* hotspot = new cKestruneHotspot();
    scene.hotspots.Add(new cKestruneHotspot());
    scene.hotspots.Add(hotspot);
    Boat().WalkTo(30, 0, 35, 0, 0);
    Boat().SetArrivalEvent(script.get(), "hit", hotspot);
    Run(*boat, 40);
    const float speed = Zodiac().speed;

    SavegameBlockHeader header;
    const int in = SaveAndReopen([&](int out) { boat->SaveBlock(out, "$pc$"); }, header);
    cKestruneCharacter loaded;
    ASSERT_TRUE(loaded.LoadBlock(in, header));
    _close(in);
    EXPECT_STREQ(header.tag, "END");
    ASSERT_EQ(loaded.controller->typeId, cKestrunePlayerControl::kZodiac);
    auto& control = static_cast<cKestrunePlayerControlZodiac&>(*loaded.controller);
    EXPECT_EQ(control.target[0], 30.0f);
    EXPECT_EQ(control.target[2], 35.0f);
    EXPECT_EQ(control.speed, speed);
    EXPECT_EQ(control.turnSide, Zodiac().turnSide);
    EXPECT_EQ(control.eventScript, script.get());
    EXPECT_STREQ(control.eventName.GetText(), "hit");
    EXPECT_EQ(control.eventHotspot, hotspot);
    ASSERT_NE(control.turnA, nullptr);
    EXPECT_STREQ(control.turnA->name.GetText(), "wave");
    EXPECT_STREQ(control.turnB->name.GetText(), "nod");
    EXPECT_EQ(control.walking, 1) << "the trip goes on";
    EXPECT_TRUE(reports.reports.empty());

    for (int i = 0; i < 2000 && control.walking; ++i)
        Run(loaded, 1);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_EQ(scene.hoverHotspot, hotspot) << "the event ran on behalf of its hotspot";
}

} // namespace
} // namespace vls::test
