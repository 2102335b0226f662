#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/player_control_default.h"
#include "engine/world/retired_objects.h"
#include "tests/engine/world/model_world_fixture.h"

#include <functional>
#include <iterator>
#include <map>

namespace vls::test {
namespace {

class CharacterModelTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        AddLayer(scene, HoleFloor());
        StartWorld();
        figure = Figure();
    }
    cKestrunePlayerControlDefault& Walker() { return static_cast<cKestrunePlayerControlDefault&>(*figure->controller); }
    // Lets the idle interval run out and takes the next frame.
    void IdleTimeOut()
    {
        figure->idleTimerStart = clock.now - 1000000;
        Run(*figure, 1);
    }
    void AddIdle(const char* name, std::int32_t weight)
    {
        IdleAnimation idle;
        idle.name = name;
        idle.weight = weight;
        figure->idleAnimations.Add(idle);
    }

    std::unique_ptr<cKestruneCharacter> figure;
};

TEST_F(CharacterModelTest, IdleAnimationsAreChosenByWeight)
{
    {
        SCOPED_TRACE("an empty list plays nothing and only restarts the timer");
        IdleTimeOut();
        EXPECT_EQ(figure->slot1, nullptr);
        EXPECT_EQ(figure->idleTimerStart, clock.now);
    }
    AddIdle("idle", 3);
    AddIdle("wave", 1);
    std::srand(7);
    std::map<std::string, int> picks;
    for (int i = 0; i < 400; ++i) {
        IdleTimeOut();
        ASSERT_NE(figure->slot1, nullptr);
        ++picks[figure->slot1->name.GetText()];
        EXPECT_EQ(figure->oneShotPlaying, 0) << "an idle animation does not block the next";
    }
    EXPECT_NEAR(picks["idle"] / 400.0, 0.75, 0.07);
    EXPECT_EQ(picks["idle"] + picks["wave"], 400);
    // The interval grows by the chosen animation's length: 5..10 s plus 2 s.
    EXPECT_LE(figure->idleRate, 1.0f / 7.0f + 1e-6f);

    figure->idleAnimations.count = 0;
    AddIdle("missing", 1);
    figure->DropSlot1();
    IdleTimeOut();
    EXPECT_EQ(figure->slot1, nullptr) << "a missing resource is skipped";
    EXPECT_TRUE(reports.reports.empty());

    figure->idleAnimations.count = 0;
    AddIdle("idle", 1);
    figure->PlaySlot1("wave", 0);
    IdleTimeOut();
    EXPECT_STREQ(figure->slot1->name.GetText(), "wave") << "no idle animation while a one-shot plays";
}

TEST_F(CharacterModelTest, OneShotSlotsRunTheirEventsOnceWhenComplete)
{
    auto script = Counter();
    figure->PlaySlot1("wave", 0);
    figure->slot1EventName = "hit";
    figure->slot1EventScript = script.get();
    EXPECT_EQ(figure->oneShotPlaying, 1);
    Run(*figure, 76);
    EXPECT_NE(figure->slot1, nullptr);
    EXPECT_EQ(script->Variable(0)->intValue, 0);
    Run(*figure, 8);
    EXPECT_EQ(figure->slot1, nullptr) << "the two-second animation completed";
    EXPECT_EQ(figure->oneShotPlaying, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_GT(figure->idleTimerStart, clock.now - 300) << "the idle timer starts again";

    figure->PlaySlot2("nod", cKestruneMeshAnimation::kSecondSlot);
    figure->slot2EventName = "hit";
    figure->slot2EventScript = script.get();
    EXPECT_NE(figure->model->secondControl, nullptr);
    EXPECT_EQ(figure->oneShotPlaying, 0) << "the second slot leaves idle animations running";
    Run(*figure, 48);
    EXPECT_EQ(figure->slot2, nullptr);
    EXPECT_EQ(figure->model->secondControl, nullptr);
    EXPECT_EQ(script->Variable(0)->intValue, 2);
    Run(*figure, 100);
    EXPECT_EQ(script->Variable(0)->intValue, 2);
}

TEST_F(CharacterModelTest, AnEasedOutOneShotStopsByTheFrameClock)
{
    auto script = Counter();
    figure->PlaySlot1("wave", cKestruneMeshAnimation::kEaseOut);
    figure->slot1EventName = "hit";
    figure->slot1EventScript = script.get();
    EXPECT_FLOAT_EQ(figure->slot1->endTime, world.frameSeconds + 1.8f) << "set on the frame clock";
    Run(*figure, 68);
    EXPECT_EQ(figure->slot1->playing, 1);
    EXPECT_EQ(script->Variable(0)->intValue, 0);
    Run(*figure, 6);
    EXPECT_NE(figure->model->fadingControl, nullptr) << "easing out 0.2 s before its end";
    EXPECT_EQ(figure->slot1, nullptr) << "the eased stop completes the one-shot";
    EXPECT_EQ(figure->oneShotPlaying, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    Run(*figure, 80);
    EXPECT_EQ(script->Variable(0)->intValue, 1) << "the event ran once";

    // A figure that does not walk goes back to its idle animations.
    AddIdle("idle", 1);
    IdleTimeOut();
    ASSERT_NE(figure->slot1, nullptr);
    EXPECT_STREQ(figure->slot1->name.GetText(), "idle");
}

TEST_F(CharacterModelTest, ALinkedObjectFollowsItsBone)
{
    figure->LinkObject("lantern", "BIP01 R UPPERARM", 0.1f, 0, 0, 0, 0, 0);
    ASSERT_NE(figure->linkedObject, nullptr);
    granny_int32 arm = -1;
    GrannyFindBoneByNameLowercase(GrannyGetSourceSkeleton(figure->model->mainModel.instance), "bip01 r upperarm", &arm);
    EXPECT_EQ(figure->linkedObject->parentBone, arm);
    figure->controller->SetPosition(4, 0, 6);
    Run(*figure, 1);
    const float* bone = GrannyGetWorldPose4x4(figure->model->mainModel.worldPose, arm);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(figure->linkedObject->position[i], bone[12 + i] + 0.1f * bone[i], 1e-4) << i;
    EXPECT_GT(figure->linkedObject->position[0], 3.0f) << "it moved with the character";

    figure->LinkObject("lantern", "no such bone", 0, 0, 0, 0, 0, 0);
    ASSERT_NE(figure->linkedObject, nullptr);
    EXPECT_EQ(figure->linkedObject->parentBone, 0) << "a bone the skeleton lacks: the root";
    figure->LinkObject("no such model", "bip01 head", 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(figure->linkedObject, nullptr);
    figure->LinkObject("lantern", "bip01 head", 0, 0, 0, 0, 0, 0);
    figure->UnlinkObject();
    EXPECT_EQ(figure->linkedObject, nullptr);
}

// The frame's draw list holds the linked object; an overlay's callback that
// runs while the list is drawn may unlink or replace it.
TEST_F(CharacterModelTest, AnObjectLetGoWhileTheFrameHoldsItLastsUntilTheSafePoint)
{
    const std::function<void(cKestruneCharacter&)> letGo[] = {
        [](cKestruneCharacter& c) { c.UnlinkObject(); },
        [](cKestruneCharacter& c) { c.LinkObject("lantern", "bip01 head", 0, 0, 0, 0, 0, 0); },
    };
    for (size_t i = 0; i < std::size(letGo); ++i) {
        figure->LinkObject("lantern", "bip01 r upperarm", 0, 0, 0, 0, 0, 0);
        ASSERT_NE(figure->linkedObject, nullptr);
        DynArray<RenderQueueEntry> queue;
        figure->controller->Submit(queue);
        ASSERT_EQ(queue.count, 2) << "the model and its object";
        letGo[i](*figure);
        const auto* const drawn = static_cast<const cKestruneMeshSprite*>(queue.data[1].object);
        EXPECT_STREQ(drawn->name.GetText(), "lantern") << i;
        DeleteRetiredObjects();
        EXPECT_EQ(RetiredObjectCount(), 0u);
    }
    figure.reset(); // its own object goes with it
}

TEST_F(CharacterModelTest, LoadingABlockReleasesWhatTheSetupStarted)
{
    SavegameBlockHeader header;
    auto saved = Figure();
    saved->PlaySlot1("wave", 0);
    const int in = SaveAndReopen([&](int out) { saved->SaveBlock(out, "$pc$"); }, header);

    figure->PlaySlot1("nod", 0);
    figure->PlaySlot2("nod", cKestruneMeshAnimation::kSecondSlot);
    figure->LinkObject("lantern", "bip01 head", 0, 0, 0, 0, 0, 0);
    ASSERT_TRUE(figure->LoadBlock(in, header));
    _close(in);
    EXPECT_STREQ(header.tag, "END");
    ASSERT_NE(figure->slot1, nullptr);
    EXPECT_STREQ(figure->slot1->name.GetText(), "wave") << "the saved one-shot, on the new model";
    EXPECT_EQ(figure->slot1->owner, figure->model);
    EXPECT_EQ(figure->slot2, nullptr);
    EXPECT_EQ(figure->linkedObject, nullptr);
    Run(*figure, 100);
    EXPECT_EQ(figure->slot1, nullptr);
}

// Stair cycles for both directions; each case makes a floor rising along x
// at its slope (height 0 at x = 0) with a flight of ten stairs over
// x = 5..15.
class StairTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        for (const char* name : {"up1", "up2", "up3", "down1", "down2", "down3"})
            AddModel(name, TurnBoneScene(name, "Bip01 Spine", 1.0f));
        StartWorld();
    }
    static void AddFlight(cKestruneScene& stairs, float slope)
    {
        LayerBuilder floor;
        floor.Polygon({{0, 0, 0}, {20, 20 * slope, 0}, {20, 20 * slope, 20}, {0, 0, 20}}).Triangle(0, 1, 2).Triangle(0, 2, 3);
        AddLayer(stairs, floor);
        LayerBuilder flight;
        flight.Polygon({{5, 5 * slope, 0}, {15, 15 * slope, 0}, {15, 15 * slope, 20}, {5, 5 * slope, 20}});
        AddLayer(stairs, flight, "stairs")->SetStairValue(10);
    }
};

TEST_F(StairTest, CyclesAreChosenByTheStairsRise)
{
    using C = cKestrunePlayerControlDefault;
    struct Case {
        float slope; // the rise of one of the ten steps is slope
        bool medium, steep;
        bool up;
        int expected;
    };
    const Case cases[] = {
        {0.15f, true, true, true, C::kUpShallow},    {0.2f, true, true, true, C::kUpMedium},
        {0.2f, false, true, true, C::kUpShallow},    {0.3f, true, true, true, C::kUpSteep},
        {0.3f, true, false, true, C::kUpMedium},     {0.3f, false, false, true, C::kUpShallow},
        {0.3f, true, true, false, C::kDownSteep},    {0.2f, true, true, false, C::kDownMedium},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "slope " << c.slope << (c.up ? " up" : " down") << " medium " << c.medium
                                        << " steep " << c.steep);
        cKestruneScene stairs;
        AddFlight(stairs, c.slope);
        clock.scene = &stairs;
        auto figure = Figure();
        auto& walker = static_cast<C&>(*figure->controller);
        const cString names[6] = {"up1", c.medium ? "up2" : "", c.steep ? "up3" : "",
                                  "down1", c.medium ? "down2" : "", c.steep ? "down3" : ""};
        walker.SetStairCycles(names);
        const float from = c.up ? 2.0f : 18.0f, to = c.up ? 18.0f : 2.0f;
        walker.SetPosition(from, walker.GetHeight(from, 10), 10);
        walker.WalkTo(to, 0, 10, 0, 0);
        for (int i = 0; i < 400 && !walker.onStairs; ++i)
            Run(*figure, 1);
        ASSERT_EQ(walker.onStairs, 1);
        EXPECT_EQ(walker.stairsUp, c.up ? 1 : 0);
        EXPECT_EQ(walker.stairCycle, walker.stairCycles[c.expected]);
        EXPECT_EQ(walker.stairCycle->playing, 1);
        EXPECT_NEAR(walker.stairSpeedFactor, std::hypot(1.0f, c.slope) / c.slope * 0.2f + 0.6f, 1e-4);
        for (int i = 0; i < 800 && walker.walking; ++i)
            Run(*figure, 1);
        EXPECT_EQ(walker.onStairs, 0) << "left at the top or bottom";
        figure.reset();
        clock.scene = &scene;
    }
}

TEST_F(CharacterModelTest, FootstepsFollowTheWalkCycleAndNamesEndingIn2WalkHalfAsFast)
{
    struct Case {
        const char* cycle;
        float perUnit; // seconds of cycle per unit walked
    };
    for (const Case& c : {Case{"walk", 0.85f / 1.2f}, Case{"walk2", 0.85f / 2.4f}}) {
        SCOPED_TRACE(c.cycle);
        figure = Figure();
        Walker().SetWalkNRunCycle(c.cycle, "");
        ASSERT_NE(Walker().walkCycle, nullptr);
        figure->controller->SetPosition(1, 0, 9.5f);
        figure->controller->WalkTo(8.2f, 0, 9.5f, 0, 0);
        // A step every half cycle of progress (0.85 cycles per unit at 1.2
        // units a second), the first a quarter cycle in, and one as the
        // walk ends.
        std::vector<float> steps;
        float t = 0.0f;
        for (int i = 0; i < 400 && Walker().walking; ++i) {
            const std::uint32_t count = Walker().footsteps;
            granny_control* const walk = figure->model->mainControl;
            const float before = GrannyGetControlClock(walk);
            Run(*figure, 1);
            t += 0.025f;
            if (Walker().footsteps != count)
                steps.push_back(t);
            if (i == 3) {
                EXPECT_NEAR(GrannyGetControlClock(walk) - before, Walker().walkMap.stepDistance * c.perUnit, 1e-5);
            }
        }
        ASSERT_GE(steps.size(), 8u);
        EXPECT_NEAR(steps[0], 0.25f / 1.02f, 0.07f) << "the curve starts slowly";
        for (std::size_t i = 1; i + 1 < steps.size(); ++i)
            EXPECT_NEAR(steps[i] - steps[i - 1], 0.5f / 1.02f, 0.03f) << i;
        EXPECT_EQ(Walker().walking, 0);
        EXPECT_FLOAT_EQ(figure->model->position[0], 8.2f);
    }
}

} // namespace
} // namespace vls::test
