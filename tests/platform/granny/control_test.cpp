#include <gtest/gtest.h>

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"

namespace vls::test {
namespace {

constexpr float kHalfPi = 1.5707963f;
enum { kRoot, kArm, kHead, kJaw };

tools::Gr2Track Position(const char* bone, std::vector<float> times, std::vector<std::array<float, 3>> keys) {
    tools::Gr2Track track;
    track.bone = bone;
    track.positionTimes = std::move(times);
    track.positions = std::move(keys);
    return track;
}

// Root at the origin, Arm at (1, 0, 0), Head at (0, 1, 0) in Arm, Jaw below Head.
tools::Gr2Scene AnimatedScene() {
    tools::Gr2Scene scene = SkeletonScene({{"Root"}, {"Arm", 0, {1, 0, 0}}, {"Head", 1, {0, 1, 0}}, {"Jaw", 2, {0, -1, 0}}});
    tools::Gr2Animation slide{"slide", 2.0f, false, {Position("Arm", {0, 2}, {{0, 0, 0}, {4, 0, 0}})}};
    slide.tracks[0].rotationTimes = {0, 2};
    slide.tracks[0].rotations = {{0, 0, 0, 1}, AxisAngle(0, 0, 1, kHalfPi)};
    scene.animations.push_back(slide);
    scene.animations.push_back({"atTwo", 1.0f, false, {Position("Arm", {0}, {{2, 0, 0}})}});
    scene.animations.push_back({"atSix", 1.0f, false, {Position("Arm", {0}, {{6, 0, 0}})}});
    scene.animations.push_back({"body", 1.0f, false,
                                {Position("Arm", {0}, {{2, 0, 0}}), Position("Head", {0}, {{0, 5, 0}}),
                                 Position("Jaw", {0}, {{0, -3, 0}})}});
    scene.animations.push_back({"stride", 1.0f, true, {Position("Root", {0, 1}, {{0, 0, 0}, {0, 0, 2}})}});
    return scene;
}

class GrannyControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = ReadScene(AnimatedScene());
        ASSERT_NE(file_, nullptr);
        info_ = GrannyGetFileInfo(file_.get());
        instance_ = GrannyInstantiateModel(info_->Models[0]);
        pose_ = GrannyNewLocalPose(4);
    }
    void TearDown() override {
        GrannyFreeLocalPose(pose_);
        GrannyFreeModelInstance(instance_);
    }

    const granny_animation* Animation(const char* name) const {
        for (granny_int32 a = 0; a < info_->AnimationCount; ++a)
            if (std::string(info_->Animations[a]->Name) == name) return info_->Animations[a];
        ADD_FAILURE() << name;
        return nullptr;
    }

    // As the mesh sprite starts an animation on its model.
    granny_control* Play(const char* name, const granny_track_mask* mask = nullptr) {
        granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, Animation(name));
        granny_int32 group = -1;
        if (GrannyFindTrackGroupForModel(Animation(name), "Root", &group)) {
            GrannySetTrackGroupTarget(builder, group, instance_);
            if (mask != nullptr) GrannySetTrackGroupModelMask(builder, group, mask);
        }
        return GrannyEndControlledAnimation(builder);
    }

    const granny_transform& Sample(granny_int32 bone) {
        GrannySampleModelAnimations(instance_, 0, 4, pose_);
        return *GrannyGetLocalPoseTransform(pose_, bone);
    }

    FilePtr file_;
    const granny_file_info* info_ = nullptr;
    granny_model_instance* instance_ = nullptr;
    granny_local_pose* pose_ = nullptr;
};

TEST_F(GrannyControlTest, RestPoseWhereNothingPlays) {
    ExpectPoint(Sample(kArm).Position, 1, 0, 0);
    ExpectPoint(Sample(kHead).Position, 0, 1, 0);
    granny_control* control = Play("slide");
    ExpectPoint(Sample(kHead).Position, 0, 1, 0);  // no track for the head
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, SamplesBetweenKeys) {
    granny_control* control = Play("slide");
    GrannySetControlClock(control, 0.5f);
    ExpectPoint(Sample(kArm).Position, 1, 0, 0);
    GrannySetControlClock(control, 1.0f);
    const granny_transform& arm = Sample(kArm);
    ExpectPoint(arm.Position, 2, 0, 0);
    const auto half = AxisAngle(0, 0, 1, kHalfPi / 2);  // halfway round: 45 degrees
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(arm.Orientation[c], half[c], 1e-5f);
    EXPECT_FLOAT_EQ(GrannyGetControlClock(control), 1.0f);
    EXPECT_FLOAT_EQ(GrannyGetControlLocalDuration(control), 2.0f);
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, BlendsControlsByWeight) {
    granny_control* two = Play("atTwo");
    granny_control* six = Play("atSix");
    GrannySetControlWeight(six, 3.0f);
    ExpectPoint(Sample(kArm).Position, 5, 0, 0);  // (2 x 1 + 6 x 3) / 4

    // Less than full weight is made up from the rest pose.
    GrannySetControlActive(six, false);
    GrannySetControlWeight(two, 0.5f);
    ExpectPoint(Sample(kArm).Position, 1.5f, 0, 0);
    EXPECT_FLOAT_EQ(GrannyGetControlWeight(two), 0.5f);
    EXPECT_FALSE(GrannyControlIsActive(six));
    GrannySetControlWeight(two, 0.0f);
    ExpectPoint(Sample(kArm).Position, 1, 0, 0);
    GrannyFreeControl(two);
    GrannyFreeControl(six);
}

TEST_F(GrannyControlTest, MaskKeepsHeadOutOfBodyAnimation) {
    granny_int32 head = -1;
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(GrannyGetSourceSkeleton(instance_), "head", &head));
    // Built as the mesh sprite builds its body and head masks.
    granny_track_mask* body = GrannyNewTrackMask(1.0f, 4);
    GrannySetSkeletonTrackMaskChainDownwards(body, GrannyGetSourceSkeleton(instance_), head, 0.0f);
    granny_track_mask* headOnly = GrannyCopyTrackMask(body);
    GrannyInvertTrackMask(headOnly);

    granny_control* control = Play("body", body);
    ExpectPoint(Sample(kArm).Position, 2, 0, 0);
    ExpectPoint(Sample(kHead).Position, 0, 1, 0);
    ExpectPoint(Sample(kJaw).Position, 0, -1, 0);
    GrannyFreeControl(control);

    control = Play("body", headOnly);
    ExpectPoint(Sample(kArm).Position, 1, 0, 0);
    ExpectPoint(Sample(kHead).Position, 0, 5, 0);
    ExpectPoint(Sample(kJaw).Position, 0, -3, 0);

    // The control keeps its own copy of the mask.
    GrannySetTrackMaskBoneWeight(headOnly, kArm, 1.0f);
    ExpectPoint(Sample(kArm).Position, 1, 0, 0);
    GrannyFreeControl(control);
    GrannyFreeTrackMask(body);
    GrannyFreeTrackMask(headOnly);
}

TEST_F(GrannyControlTest, EasesInAndOut) {
    granny_control* control = Play("atTwo");
    GrannyEaseControlIn(control, 1.0f, false);
    struct Step {
        float clock;
        float x;
    };
    // Smooth curve 3t^2 - 2t^3 between rest (x = 1) and the key (x = 2).
    for (const Step& step : {Step{0.0f, 1.0f}, Step{0.25f, 1.15625f}, Step{0.5f, 1.5f}, Step{1.0f, 2.0f},
                             Step{1.5f, 2.0f}}) {
        GrannySetControlClock(control, step.clock);
        EXPECT_NEAR(Sample(kArm).Position[0], step.x, 1e-4f) << step.clock;
    }
    GrannySetControlClock(control, 2.0f);
    EXPECT_FLOAT_EQ(GrannyEaseControlOut(control, 1.0f), 3.0f);
    for (const Step& step : {Step{2.0f, 2.0f}, Step{2.5f, 1.5f}, Step{3.0f, 1.0f}, Step{4.0f, 1.0f}}) {
        GrannySetControlClock(control, step.clock);
        EXPECT_NEAR(Sample(kArm).Position[0], step.x, 1e-4f) << step.clock;
    }
    // The set weight is not the eased one.
    EXPECT_FLOAT_EQ(GrannyGetControlWeight(control), 1.0f);

    // An ease of no length takes effect at once.
    GrannyEaseControlIn(control, 0.0f, false);
    EXPECT_NEAR(Sample(kArm).Position[0], 2.0f, 1e-4f);
    GrannyEaseControlOut(control, 0.0f);
    EXPECT_NEAR(Sample(kArm).Position[0], 1.0f, 1e-4f);
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, LoopsAndCompletion) {
    struct Case {
        granny_int32 loops;
        float clock;
        float x;  // slide: x = 2 x time into the loop
    };
    const Case cases[] = {
        {1, 1.0f, 2.0f}, {1, 3.0f, 4.0f},  // once: holds the last pose
        {2, 3.0f, 2.0f}, {2, 5.0f, 4.0f},  // twice
        {0, 5.0f, 2.0f}, {0, 41.0f, 2.0f},  // forever
    };
    for (const Case& c : cases) {
        granny_control* control = Play("slide");
        GrannySetControlLoopCount(control, c.loops);
        EXPECT_EQ(GrannyGetControlLoopCount(control), c.loops);
        GrannySetControlClock(control, c.clock);
        EXPECT_NEAR(Sample(kArm).Position[0], c.x, 1e-4f) << c.loops << " loops at " << c.clock;
        GrannyFreeControl(control);
    }

    granny_control* control = Play("slide");
    EXPECT_FALSE(GrannyControlIsComplete(control));
    GrannyCompleteControlAt(control, GrannyGetControlClock(control) + GrannyGetControlLocalDuration(control));
    GrannySetControlClock(control, 1.9f);
    EXPECT_FALSE(GrannyControlIsComplete(control));
    GrannySetControlClock(control, 2.0f);
    EXPECT_TRUE(GrannyControlIsComplete(control));
    GrannySetControlCompletionCheckFlag(control, false);
    EXPECT_FALSE(GrannyControlIsComplete(control));
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, NegativeSpeedPlaysBackwardsFromTheEnd) {
    granny_control* control = Play("slide");
    GrannySetControlSpeed(control, -1.0f);
    GrannySetControlRawLocalClock(control, GrannyGetControlLocalDuration(control));
    ExpectPoint(Sample(kArm).Position, 4, 0, 0);
    GrannySetControlClock(control, 0.5f);
    ExpectPoint(Sample(kArm).Position, 3, 0, 0);
    GrannySetControlClock(control, 3.0f);  // past the start: holds the first pose
    ExpectPoint(Sample(kArm).Position, 0, 0, 0);
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, RootMotionMovesTheModelNotTheSkeleton) {
    granny_control* control = Play("stride");
    GrannySetControlLoopCount(control, 0);
    const D3DXMATRIX start = [] {
        D3DXMATRIX m;
        D3DXMatrixRotationY(&m, kHalfPi);  // facing +x: the stride's +z becomes +x
        m._41 = 10.0f;
        return m;
    }();
    float moved[16];
    GrannySetControlClock(control, 0.25f);
    GrannyUpdateModelMatrix(instance_, 0.25f, &start.m[0][0], moved);
    ExpectPoint(moved + 12, 10.5f, 0, 0);
    ExpectPoint(Sample(kRoot).Position, 0, 0, 0);

    // Across the loop's end: 0.75 -> 1.25 covers half a stride of 2.
    GrannySetControlClock(control, 1.25f);
    float again[16];
    std::copy(moved, moved + 16, again);
    GrannyUpdateModelMatrix(instance_, 0.5f, again, again);
    ExpectPoint(again + 12, 11.5f, 0, 0);

    GrannySetControlWeight(control, 0.5f);
    GrannySetControlClock(control, 1.5f);
    GrannyUpdateModelMatrix(instance_, 0.25f, &start.m[0][0], moved);
    ExpectPoint(moved + 12, 10.25f, 0, 0);
    GrannyFreeControl(control);

    // Without root motion nothing moves.
    control = Play("slide");
    GrannySetControlClock(control, 1.0f);
    GrannyUpdateModelMatrix(instance_, 1.0f, &start.m[0][0], moved);
    ExpectPoint(moved + 12, 10, 0, 0);
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, ControlsDieWithTheirInstanceAndOutliveTheirFile) {
    granny_model_instance* other = GrannyInstantiateModel(info_->Models[0]);
    granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, Animation("atSix"));
    GrannySetTrackGroupTarget(builder, 0, other);
    granny_control* control = GrannyEndControlledAnimation(builder);
    GrannySetControlWeight(control, 0.25f);
    GrannyFreeModelInstance(other);
    // Freed with its only instance: later calls on it do nothing.
    EXPECT_FLOAT_EQ(GrannyGetControlWeight(control), 0.0f);
    GrannyFreeControl(control);

    // The file goes while a control and an instance still use it.
    control = Play("slide");
    file_.reset();
    GrannySetControlClock(control, 1.0f);
    ExpectPoint(Sample(kArm).Position, 2, 0, 0);
    GrannyFreeControl(control);
}

TEST_F(GrannyControlTest, BindingCallsAreHarmless) {
    GrannySetMaximumAnimationBindingCount(0);
    GrannyFlushAllUnusedAnimationBindings();
    granny_control* control = Play("slide");
    GrannyFlushAllUnusedAnimationBindings();
    GrannySetControlClock(control, 1.0f);
    ExpectPoint(Sample(kArm).Position, 2, 0, 0);
    GrannyFreeControl(control);
}

}  // namespace
}  // namespace vls::test
