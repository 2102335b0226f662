#include "engine/render/kestrune_mesh_animation.h"
#include "platform/granny/animation_state.h"
#include "platform/granny/granny.h"
#include "tests/engine/render/sprite_fixture.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

// The figure, a one-second walk and a two-second "raise" that turns the
// left arm from rest to a quarter turn, so direction can be told apart.
class MeshAnimations : public SpriteWorldTest {
protected:
    void SetUp() override
    {
        AddModel("figure", tools::MakeFigureScene());
        AddModel("walk", tools::MakeWalkScene());
        tools::Gr2Scene raise;
        raise.models.push_back(tools::MakeFigureSkeleton());
        tools::Gr2Animation animation;
        animation.name = "raise";
        animation.duration = 2.0f;
        tools::Gr2Track arm;
        arm.bone = "Bip01 L UpperArm";
        arm.rotationTimes = {0.0f, 2.0f};
        arm.rotations = {{0, 0, 0, 1}, {0, 0, std::sin(0.785398163f), std::cos(0.785398163f)}};
        animation.tracks.push_back(arm);
        raise.animations.push_back(animation);
        AddModel("raise", raise);
        data.Add("still.gr2", tools::WriteGr2([] {
                     tools::Gr2Scene s;
                     s.models.push_back(tools::MakeFigureSkeleton());
                     return s;
                 }()));
        StartSprites();
        sprite = LoadSprite("figure");
    }

    // The angle (about z) the left arm's world matrix shows after an update.
    float ArmAngle()
    {
        sprite->Update(0.0f, 0);
        granny_int32 bone = -1;
        GrannyFindBoneByNameLowercase(GrannyGetSourceSkeleton(sprite->mainModel.instance), "Bip01 L UpperArm", &bone);
        const float* m = GrannyGetWorldPose4x4(sprite->mainModel.worldPose, bone);
        return std::atan2(m[1], m[0]);
    }

    std::unique_ptr<cKestruneMeshSprite> sprite;
};

TEST_F(MeshAnimations, PlayBeforeLoadTouchesNothing)
{
    cKestruneMeshAnimation animation(sprite.get(), 0);
    EXPECT_EQ(animation.Load("nothing"), -1);
    EXPECT_EQ(animation.name, "nothing");
    EXPECT_TRUE(reports.reports.empty());
    EXPECT_EQ(animation.Play(0.5f), -1);
    EXPECT_EQ(animation.Stop(0.5f), -1);
    EXPECT_EQ(animation.Free(), -1);
    EXPECT_EQ(sprite->mainControl, nullptr);
}

TEST_F(MeshAnimations, FileWithoutAnimationIsAFatalReport)
{
    cKestruneMeshAnimation animation(sprite.get(), 0);
    EXPECT_EQ(animation.Load("still"), -1);
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].module, "meshanimation");
    EXPECT_EQ(reports.reports[0].text, "File reading failed. Code: (00000000)");
    EXPECT_EQ(animation.grannyAnimation, nullptr);
}

TEST_F(MeshAnimations, PlayOnceWithoutEasing)
{
    cKestruneMeshAnimation animation(sprite.get(), 0);
    ASSERT_EQ(animation.Load("walk"), 0);
    sprite->fadingControl = sprite->PlayTrackGroup(sprite->baseAnimation, nullptr);
    ASSERT_EQ(animation.Play(0.3f), 0);
    ASSERT_NE(sprite->mainControl, nullptr);
    EXPECT_EQ(animation.control, sprite->mainControl);
    EXPECT_EQ(animation.playing, 1);
    EXPECT_EQ(sprite->fadingControl, nullptr);
    EXPECT_EQ(GrannyGetControlWeight(sprite->baseControl), 0.0f);
    EXPECT_EQ(GrannyGetControlWeight(sprite->mainControl), 1.0f);
    EXPECT_EQ(animation.endTime, 0.0f);
    // Play once: complete after its one second.
    GrannySetControlClock(sprite->mainControl, 0.9f);
    EXPECT_FALSE(GrannyControlIsComplete(sprite->mainControl));
    GrannySetControlClock(sprite->mainControl, 1.0f);
    EXPECT_TRUE(GrannyControlIsComplete(sprite->mainControl));
}

TEST_F(MeshAnimations, EachFlagOnAnInjectedClock)
{
    world.frameSeconds = 100.0f;
    {
        SCOPED_TRACE("loop: forever, and no end time even with ease-out");
        cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseOut);
        animation.Load("walk");
        animation.loop = 1;
        animation.endTime = 5.0f;
        animation.Play(0.0f);
        EXPECT_EQ(GrannyGetControlLoopCount(sprite->mainControl), 0);
        EXPECT_EQ(animation.endTime, 5.0f);
    }
    {
        SCOPED_TRACE("ease-out on a play-once animation sets the end time");
        cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseOut);
        animation.Load("raise");
        animation.Play(0.0f);
        EXPECT_FLOAT_EQ(animation.endTime, 101.8f);
    }
    {
        SCOPED_TRACE("ease in: the main control rises while the base one falls");
        cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseIn);
        animation.Load("walk");
        granny_control* fading = sprite->PlayTrackGroup(sprite->baseAnimation, nullptr);
        sprite->fadingControl = fading;
        GrannySetControlWeight(sprite->baseControl, 1.0f);
        animation.Play(0.5f);
        EXPECT_EQ(sprite->fadingControl, fading);
        EXPECT_EQ(GrannyGetControlWeight(sprite->baseControl), 1.0f);
        EXPECT_EQ(sprite->mainControl->easeFrom, 0.0f);
        EXPECT_EQ(sprite->mainControl->easeTo, 1.0f);
        EXPECT_EQ(sprite->baseControl->easeTo, 0.0f);
        EXPECT_FLOAT_EQ(sprite->baseControl->easeEnd - sprite->baseControl->easeStart, 0.5f);
    }
    {
        SCOPED_TRACE("backwards: from the end toward the start");
        cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kBackwards);
        animation.Load("raise");
        animation.Play(0.0f);
        EXPECT_EQ(sprite->mainControl->speed, -1.0f);
        EXPECT_NEAR(ArmAngle(), 1.5707964f, 1e-4f);
        sprite->Update(1.0f, 0);
        EXPECT_NEAR(ArmAngle(), 0.785398f, 1e-4f);
    }
    {
        SCOPED_TRACE("forwards for comparison");
        cKestruneMeshAnimation animation(sprite.get(), 0);
        animation.Load("raise");
        animation.Play(0.0f);
        EXPECT_NEAR(ArmAngle(), 0.0f, 1e-4f);
        sprite->Update(0.5f, 0);
        EXPECT_NEAR(ArmAngle(), 0.392699f, 1e-4f);
    }
    {
        SCOPED_TRACE("ground snap on play and on stop");
        world.hasPlayer = true;
        world.floorHeight = -1.5f;
        sprite->SetPosition(2, 0, 3);
        cKestruneMeshAnimation animation(sprite.get(),
                                         cKestruneMeshAnimation::kSnapOnPlay | cKestruneMeshAnimation::kSnapOnStop);
        animation.Load("walk");
        animation.Play(0.0f);
        EXPECT_EQ(sprite->position[1], -1.5f);
        EXPECT_EQ(sprite->world._42, -1.5f);
        ASSERT_EQ(world.heightAsked.size(), 1u);
        EXPECT_EQ(world.heightAsked[0], std::make_pair(2.0f, 3.0f));
        world.floorHeight = -0.5f;
        animation.Stop(0.0f);
        EXPECT_EQ(sprite->position[1], -0.5f);
        world.hasPlayer = false;
    }
}

TEST_F(MeshAnimations, SecondSlotPlaysOnceOnTheHead)
{
    cKestruneMeshAnimation body(sprite.get(), 0);
    body.Load("walk");
    body.Play(0.0f);
    granny_control* main = sprite->mainControl;
    cKestruneMeshAnimation head(sprite.get(), cKestruneMeshAnimation::kSecondSlot);
    head.Load("walk");
    ASSERT_EQ(head.Play(0.0f), 0);
    ASSERT_NE(sprite->secondControl, nullptr);
    EXPECT_EQ(sprite->mainControl, main);
    EXPECT_EQ(head.playing, 0);
    EXPECT_EQ(head.control, sprite->secondControl);
    ASSERT_FALSE(sprite->secondControl->targets.empty());
    EXPECT_TRUE(sprite->secondControl->targets[0].hasMask);
    GrannySetControlClock(sprite->secondControl, 1.0f);
    EXPECT_TRUE(GrannyControlIsComplete(sprite->secondControl));
    EXPECT_EQ(head.Stop(0.0f), 0);
    EXPECT_EQ(sprite->secondControl, nullptr);
    EXPECT_EQ(sprite->mainControl, main);
}

TEST_F(MeshAnimations, StopReturnsToTheBaseAnimation)
{
    {
        SCOPED_TRACE("without ease-out the main control goes at once");
        cKestruneMeshAnimation animation(sprite.get(), 0);
        animation.Load("walk");
        animation.Play(0.0f);
        GrannySetControlClock(sprite->baseControl, 0.5f);
        ASSERT_EQ(animation.Stop(0.4f), 0);
        EXPECT_EQ(animation.playing, 0);
        EXPECT_EQ(sprite->mainControl, nullptr);
        EXPECT_EQ(GrannyGetControlClock(sprite->baseControl), 0.0f);  // a new base control
        EXPECT_EQ(GrannyGetControlLoopCount(sprite->baseControl), 0);
        EXPECT_EQ(GrannyGetControlWeight(sprite->baseControl), 1.0f);
    }
    {
        SCOPED_TRACE("with ease-out it fades and is freed once complete");
        world.frameSeconds = 10.0f;
        cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseOut);
        animation.Load("raise");
        animation.Play(0.0f);
        granny_control* main = sprite->mainControl;
        ASSERT_EQ(animation.Stop(0.4f), 0);
        EXPECT_EQ(animation.endTime, 0.0f);
        EXPECT_EQ(sprite->mainControl, nullptr);
        EXPECT_EQ(sprite->fadingControl, main);
        sprite->Update(0.45f, 0);
        EXPECT_EQ(sprite->fadingControl, main);
        sprite->Update(0.1f, 0);
        EXPECT_EQ(sprite->fadingControl, nullptr);
    }
    {
        SCOPED_TRACE("without a main control only the flags change");
        cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseOut);
        animation.Load("walk");
        animation.playing = 1;
        animation.endTime = 3.0f;
        granny_control* base = sprite->baseControl;
        EXPECT_EQ(animation.Stop(0.2f), 0);
        EXPECT_EQ(animation.playing, 0);
        EXPECT_EQ(animation.endTime, 0.0f);
        EXPECT_EQ(sprite->baseControl, base);
    }
}

TEST_F(MeshAnimations, FreeOfAPlayingAnimationStopsWithoutEaseOut)
{
    cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseOut);
    animation.Load("walk");
    animation.Play(0.0f);
    EXPECT_EQ(animation.Free(), 0);
    EXPECT_EQ(animation.flags & cKestruneMeshAnimation::kEaseOut, 0u);
    EXPECT_EQ(animation.playing, 0);
    EXPECT_EQ(sprite->mainControl, nullptr);
    EXPECT_EQ(sprite->fadingControl, nullptr);
}

TEST_F(MeshAnimations, RetiredAnimationDataOutlivesItsObject)
{
    auto animation = std::make_unique<cKestruneMeshAnimation>(sprite.get(), cKestruneMeshAnimation::kEaseOut);
    animation->Load("walk");
    animation->Play(0.0f);
    animation->Stop(0.5f);  // easing out on the sprite
    animation.reset();
    ASSERT_EQ(sprite->retiredAnimations.count, 1);
    ASSERT_NE(sprite->fadingControl, nullptr);
    // The fading control still samples the retired file's animation.
    sprite->Update(0.2f, 0);
    EXPECT_EQ(sprite->retiredAnimations.count, 1);
    sprite->Update(0.5f, 0);
    EXPECT_EQ(sprite->fadingControl, nullptr);
    EXPECT_EQ(sprite->retiredAnimations.count, 0) << "released once nothing plays it";
}

// A long play of one-shots on the body and the head keeps only the files
// that a control still plays, so a long session stays flat.
TEST_F(MeshAnimations, RetiredAnimationDataIsReleasedWhenNothingPlaysIt)
{
    for (int i = 0; i < 300; ++i) {
        const std::uint32_t flags = (i % 2 ? cKestruneMeshAnimation::kEaseOut : 0)
            | (i % 5 == 0 ? cKestruneMeshAnimation::kSecondSlot : 0);
        auto animation = std::make_unique<cKestruneMeshAnimation>(sprite.get(), flags);
        animation->Load(i % 3 ? "walk" : "raise");
        animation->Play(0.0f);
        sprite->Update(0.4f, 0);
        animation->Stop(0.3f);
        animation.reset();
        sprite->Update(0.2f, 0);
        ArmAngle(); // samples what still plays
    }
    EXPECT_LE(sprite->retiredAnimations.count, 2);
}

TEST_F(MeshAnimations, SavegameBlockRoundTrip)
{
    world.frameSeconds = 50.0f;
    cKestruneMeshAnimation animation(sprite.get(), cKestruneMeshAnimation::kEaseOut);
    animation.Load("raise");
    animation.Play(0.0f);
    ASSERT_FLOAT_EQ(animation.endTime, 51.8f);
    SavegameBlockHeader header;
    int in = SaveAndReopen([&](int out) { animation.SaveBlock(out); }, header);
    EXPECT_EQ(std::string(header.tag), "MAN");
    EXPECT_EQ(std::string(header.name), "raise");
    EXPECT_EQ(header.length, 16u);

    world.frameSeconds = 7.0f;
    {
        auto other = LoadSprite("figure");
        cKestruneMeshAnimation loaded(other.get(), 0);
        SavegameBlockHeader copy = header;
        loaded.LoadBlock(copy, in, 1);
        EXPECT_EQ(std::string(copy.tag), "END");
        EXPECT_EQ(loaded.playing, 1);
        EXPECT_EQ(loaded.flags, cKestruneMeshAnimation::kEaseOut);
        EXPECT_NEAR(loaded.endTime, 8.8f, 1e-4f);
        EXPECT_NE(other->mainControl, nullptr);
    }
    _close(in);

    // Restored with restart 0, a playing animation stays stopped.
    in = SaveAndReopen([&](int out) { animation.SaveBlock(out); }, header);
    cKestruneMeshAnimation stopped(sprite.get(), 0);
    stopped.LoadBlock(header, in, 0);
    _close(in);
    EXPECT_EQ(stopped.playing, 0);

    // An unset end time stays unset, whatever the two clocks read.
    cKestruneMeshAnimation looping(sprite.get(), cKestruneMeshAnimation::kEaseOut);
    looping.Load("walk");
    looping.loop = 1;
    looping.Play(0.0f);
    ASSERT_EQ(looping.endTime, 0.0f);
    world.frameSeconds = 30.0f;
    in = SaveAndReopen([&](int out) { looping.SaveBlock(out); }, header);
    world.frameSeconds = 90.0f;
    cKestruneMeshAnimation restored(sprite.get(), 0);
    restored.LoadBlock(header, in, 1);
    _close(in);
    EXPECT_EQ(restored.loop, 1);
    EXPECT_EQ(restored.endTime, 0.0f);

    in = SaveAndReopen([&](int out) { WriteSavegameBlockHeader(out, "MSP", "x", 0); }, header);
    restored.LoadBlock(header, in, 1);
    _close(in);
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].text, "Savegame block type or version mismatch.");
}

} // namespace
} // namespace vls::test
