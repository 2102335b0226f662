#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_particles.h"
#include "engine/world/player_control_diver.h"
#include "tests/engine/world/model_world_fixture.h"

namespace vls::test {
namespace {

// A diver over a 20 x 20 sea floor lying at height 2.
class DiverTest : public ModelWorldTest {
protected:
    void SetUp() override
    {
        LayerBuilder floor;
        floor.Rect(0, 0, 20, 20, false, 2.0f).Triangle(0, 1, 2).Triangle(0, 2, 3);
        AddLayer(scene, floor);
        StartWorld();
        diver = Figure();
        auto* control = new cKestrunePlayerControlDiver(diver.get());
        const cString names[3] = {"walk", "", ""};
        control->Setup(names);
        diver->ReplaceController(control);
        Diver().SetPosition(2, Diver().GetHeight(2, 10), 10);
    }
    cKestrunePlayerControl& Diver() { return *diver->controller; }
    cKestrunePlayerControlDiver& Control() { return static_cast<cKestrunePlayerControlDiver&>(*diver->controller); }
    float X() const { return diver->model->position[0]; }

    std::unique_ptr<cKestruneCharacter> diver;
};

TEST_F(DiverTest, SwimsAtWalkingPaceAboveTheFloorAndNeverRuns)
{
    auto script = Counter();
    EXPECT_FLOAT_EQ(diver->model->position[1], 2.9f);
    Diver().WalkTo(12, 0, 10, 0, 0);
    Diver().SetArrivalEvent(script.get(), "hit", nullptr);
    EXPECT_EQ(Control().walking, 1);
    Run(*diver, 1, 1000);
    EXPECT_NEAR(X(), 3.2f, 0.05f);
    EXPECT_FLOAT_EQ(diver->model->position[1], 2.9f) << "0.9 above the floor";
    Diver().SetRun(1);
    EXPECT_EQ(Control().walkMap.mode, 1);
    Run(*diver, 1, 1000);
    EXPECT_NEAR(X(), 4.4f, 0.05f) << "the diver never runs";
    Run(*diver, 12, 1000);
    EXPECT_FLOAT_EQ(X(), 12.0f);
    EXPECT_EQ(Control().walking, 0);
    EXPECT_EQ(Control().idle, 1);
    EXPECT_EQ(script->Variable(0)->intValue, 1);
}

TEST_F(DiverTest, TheSwimCycleReplacesAOneShotAndFollowsTheDistance)
{
    ASSERT_NE(Control().swimCycle, nullptr);
    diver->PlaySlot1("wave", 0);
    ASSERT_EQ(diver->oneShotPlaying, 1);
    Diver().WalkTo(12, 0, 10, 0, 0);
    Run(*diver, 1, 500);
    EXPECT_EQ(diver->slot1, nullptr);
    EXPECT_EQ(diver->oneShotPlaying, 0);
    EXPECT_EQ(Control().swimCycle->playing, 1);
    EXPECT_EQ(Control().idle, 0);
    granny_control* const swim = diver->model->mainControl;
    const float before = GrannyGetControlClock(swim);
    Run(*diver, 1, 500);
    EXPECT_NEAR(Control().walkMap.stepDistance, 0.6f, 0.02f);
    EXPECT_NEAR(GrannyGetControlClock(swim) - before, Control().walkMap.stepDistance * 0.85f, 1e-5)
        << "0.85 s of cycle per unit swum";
    Run(*diver, 30, 500);
    EXPECT_EQ(Control().swimCycle->playing, 0) << "stopped on arrival";
    EXPECT_EQ(Control().idle, 1);
}

TEST_F(DiverTest, BubblesRiseFromTheHeadEveryThreeSeconds)
{
    ASSERT_GE(Control().headBone, 0);
    Run(*diver, 1);
    DynArray<RenderQueueEntry> queue;
    Diver().Submit(queue);
    ASSERT_EQ(queue.count, 2);
    EXPECT_EQ(queue.data[0].object, diver->model);
    EXPECT_EQ(queue.data[1].object, Control().bubbles);
    const float* head = GrannyGetWorldPose4x4(diver->model->mainModel.worldPose, Control().headBone);
    EXPECT_FLOAT_EQ(Control().bubbles->emitter._42, head[13]);
    EXPECT_GT(Control().bubbles->emitter._42, diver->model->position[1] + 1.0f) << "up at the head";

    const auto spawned = [this] {
        int count = 0;
        for (const ParticleNode* p = Control().bubbles->particles; p; p = p->next)
            count += (p->colour >> 24) != 0;
        return count;
    };
    EXPECT_EQ(spawned(), 0);
    const std::int32_t channels = sound->channels.count;
    Run(*diver, 3100 / 25);
    EXPECT_GT(spawned(), 0) << "a burst after three seconds";
    EXPECT_EQ(sound->channels.count, channels + 1) << "with its bubble sound";
}

TEST_F(DiverTest, PcrRoundTripMidSwimKeepsTheSwimCycleApartFromTheSlots)
{
    auto script = Counter();
    script->id = script->SaveIdentity();
    diver->PlaySlot2("nod", cKestruneMeshAnimation::kSecondSlot);
    Diver().WalkTo(12, 0, 10, 0, 0);
    Diver().SetArrivalEvent(script.get(), "hit", nullptr);
    Run(*diver, 2, 1000);

    SavegameBlockHeader header;
    const int in = SaveAndReopen([&](int out) { diver->SaveBlock(out, "npc"); }, header);
    cKestruneCharacter loaded;
    ASSERT_TRUE(loaded.LoadBlock(in, header));
    _close(in);
    EXPECT_STREQ(header.tag, "END") << "every nested block was read";
    EXPECT_TRUE(reports.reports.empty());
    ASSERT_EQ(loaded.controller->typeId, cKestrunePlayerControl::kDiver);
    auto& control = static_cast<cKestrunePlayerControlDiver&>(*loaded.controller);
    ASSERT_NE(control.swimCycle, nullptr);
    EXPECT_STREQ(control.swimCycle->name.GetText(), "walk");
    EXPECT_EQ(control.swimCycle->playing, 1);
    ASSERT_NE(loaded.slot2, nullptr) << "the slot's own block was not taken for the swim cycle";
    EXPECT_STREQ(loaded.slot2->name.GetText(), "nod");
    EXPECT_EQ(control.walking, 1);

    loaded.controller->SetPosition(X(), diver->model->position[1], 10);
    for (int i = 0; i < 12; ++i) {
        Frame(1000);
        loaded.UpdateAnimation();
    }
    EXPECT_FLOAT_EQ(loaded.model->position[0], 12.0f);
    EXPECT_EQ(script->Variable(0)->intValue, 1) << "the swim resumed and arrived";
}

} // namespace
} // namespace vls::test
