#include <gtest/gtest.h>

#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

// The demo figure as the engine uses it: the walk from its own file plays on
// the body while the head keeps out of it, and the prop is one rigid mesh.
TEST(GrannyFigureTest, WalkFromItsOwnFilePlaysOnTheFigure) {
    FilePtr figure = ReadScene(tools::MakeFigureScene());
    FilePtr walk = ReadScene(tools::MakeWalkScene());
    ASSERT_NE(figure, nullptr);
    ASSERT_NE(walk, nullptr);
    const granny_model* model = GrannyGetFileInfo(figure.get())->Models[0];
    const granny_animation* animation = GrannyGetFileInfo(walk.get())->Animations[0];
    EXPECT_STREQ(animation->Name, "walk");
    EXPECT_FLOAT_EQ(animation->Duration, 1.0f);

    granny_model_instance* instance = GrannyInstantiateModel(model);
    const granny_skeleton* skeleton = GrannyGetSourceSkeleton(instance);
    granny_int32 head = -1, thigh = -1, arm = -1;
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, (std::string(model->Name) + " Head").c_str(), &head));
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, "bip01 l thigh", &thigh));
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, "bip01 r upperarm", &arm));
    granny_track_mask* body = GrannyNewTrackMask(1.0f, skeleton->BoneCount);
    GrannySetSkeletonTrackMaskChainDownwards(body, skeleton, head, 0.0f);
    GrannySetTrackMaskBoneWeight(body, head, 1.0f);

    granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, animation);
    granny_int32 group = -1;
    ASSERT_TRUE(GrannyFindTrackGroupForModel(animation, model->Name, &group));
    GrannySetTrackGroupTarget(builder, group, instance);
    GrannySetTrackGroupModelMask(builder, group, body);
    granny_control* control = GrannyEndControlledAnimation(builder);
    GrannySetControlLoopCount(control, 0);
    GrannySetControlClock(control, 1.25f);

    granny_local_pose* pose = GrannyNewLocalPose(skeleton->BoneCount);
    GrannySampleModelAnimations(instance, 0, skeleton->BoneCount, pose);
    const auto swing = AxisAngle(1, 0, 0, 0.4f);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(GrannyGetLocalPoseTransform(pose, thigh)->Orientation[c], swing[c], 1e-5f);
        EXPECT_NEAR(GrannyGetLocalPoseTransform(pose, arm)->Orientation[c], swing[c], 1e-5f);
    }
    granny_int32 jaw = -1;
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, "bip_mandible", &jaw));
    ExpectPoint(GrannyGetLocalPoseTransform(pose, jaw)->Position, 0, 0.02f, -0.06f);

    GrannyFreeLocalPose(pose);
    GrannyFreeControl(control);
    GrannyFreeTrackMask(body);
    GrannyFreeModelInstance(instance);

    FilePtr prop = ReadScene(tools::MakePropScene());
    ASSERT_NE(prop, nullptr);
    const granny_model* lantern = GrannyGetFileInfo(prop.get())->Models[0];
    EXPECT_STREQ(lantern->Name, "Lantern");
    ASSERT_EQ(lantern->MeshBindingCount, 1);
    EXPECT_TRUE(GrannyMeshIsRigid(lantern->MeshBindings[0].Mesh));
    EXPECT_STREQ(GrannyGetFileInfo(prop.get())->Textures[0]->FromFileName, "lantern");
}

}  // namespace
}  // namespace vls::test
