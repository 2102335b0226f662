#include <gtest/gtest.h>

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"

namespace vls::test {
namespace {

constexpr float kHalfPi = 1.5707963f;

// A: at (1, 0, 0) turned 90 degrees about z; B: (2, 0, 0) in A; C: (0, 1, 0) in B.
tools::Gr2Scene ChainScene() {
    return SkeletonScene({{"A", -1, {1, 0, 0}, AxisAngle(0, 0, 1, kHalfPi)},
                          {"B", 0, {2, 0, 0}},
                          {"C", 1, {0, 1, 0}}});
}

struct Posed {
    FilePtr file;
    granny_model_instance* instance = nullptr;
    granny_local_pose* local = nullptr;
    granny_world_pose* world = nullptr;

    explicit Posed(const tools::Gr2Scene& scene) : file(ReadScene(scene)) {
        const granny_model* model = GrannyGetFileInfo(file.get())->Models[0];
        instance = GrannyInstantiateModel(model);
        local = GrannyNewLocalPose(model->Skeleton->BoneCount);
        world = GrannyNewWorldPose(model->Skeleton->BoneCount);
    }
    ~Posed() {
        GrannyFreeWorldPose(world);
        GrannyFreeLocalPose(local);
        GrannyFreeModelInstance(instance);
    }
    const granny_skeleton* skeleton() const { return GrannyGetSourceSkeleton(instance); }
    void Build(const float* offset) {
        GrannySampleModelAnimations(instance, 0, skeleton()->BoneCount, local);
        GrannyBuildWorldPose(skeleton(), 0, skeleton()->BoneCount, local, offset, world);
    }
};

TEST(GrannyPoseTest, WorldPoseOfThreeBoneChain) {
    Posed posed(ChainScene());
    D3DXMATRIX offset;
    D3DXMatrixTranslation(&offset, 10, 0, 0);
    posed.Build(&offset.m[0][0]);

    // A's rotation sends B's offset (2, 0, 0) to (0, 2, 0); C's (0, 1, 0) in B
    // becomes (-1, 0, 0).
    ExpectPoint(GrannyGetWorldPose4x4(posed.world, 0) + 12, 11, 0, 0);
    ExpectPoint(GrannyGetWorldPose4x4(posed.world, 1) + 12, 11, 2, 0);
    ExpectPoint(GrannyGetWorldPose4x4(posed.world, 2) + 12, 10, 2, 0);
    // C's x axis (first row) points along world y.
    ExpectPoint(GrannyGetWorldPose4x4(posed.world, 2), 0, 1, 0);

    // At rest, the composite of every bone is just the offset.
    for (int b = 0; b < 3; ++b) {
        const float* composite = GrannyGetWorldPoseComposite4x4Array(posed.world) + 16 * b;
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(composite[i], offset.m[i / 4][i % 4], 1e-5f) << b << "," << i;
    }

    granny_transform relative;
    GrannyBuildSkeletonRelativeTransform(posed.skeleton(), 2, &relative);
    ExpectPoint(relative.Position, 0, 2, 0);
}

TEST(GrannyPoseTest, OutOfRangeBonesGiveHarmlessValues) {
    Posed posed(ChainScene());
    posed.Build(nullptr);
    for (granny_int32 bone : {-1, 3, 1000}) {
        const float* m = GrannyGetWorldPose4x4(posed.world, bone);
        EXPECT_FLOAT_EQ(m[0], 1.0f);
        EXPECT_FLOAT_EQ(m[12], 0.0f);
        ASSERT_NE(GrannyGetLocalPoseTransform(posed.local, bone), nullptr);
    }
    // A pose smaller than the skeleton is filled only as far as it reaches.
    granny_local_pose* small = GrannyNewLocalPose(1);
    granny_world_pose* smallWorld = GrannyNewWorldPose(1);
    GrannySampleModelAnimations(posed.instance, 0, 3, small);
    GrannyBuildWorldPose(posed.skeleton(), 0, 3, small, nullptr, smallWorld);
    ExpectPoint(GrannyGetWorldPose4x4(smallWorld, 0) + 12, 1, 0, 0);
    GrannyFreeWorldPose(smallWorld);
    GrannyFreeLocalPose(small);
}

TEST(GrannyPoseTest, PostMultiplyTurnsABoneAboutItsOwnAxis) {
    // Local: 90 degrees about z at (0, 1, 0); then a quarter turn about the
    // bone's own x axis, as the lip sync does with the jaw.
    granny_transform local;
    GrannyMakeIdentity(&local);
    local.Position[1] = 1.0f;
    const auto qz = AxisAngle(0, 0, 1, kHalfPi);
    std::copy(qz.begin(), qz.end(), local.Orientation);

    granny_transform turn;
    GrannyMakeIdentity(&turn);
    D3DXQUATERNION pitch;
    D3DXQuaternionRotationYawPitchRoll(&pitch, 0.0f, kHalfPi, 0.0f);
    turn.Orientation[0] = pitch.x, turn.Orientation[1] = pitch.y;
    turn.Orientation[2] = pitch.z, turn.Orientation[3] = pitch.w;

    GrannyPostMultiplyBy(&local, &turn);
    ExpectPoint(local.Position, 0, 1, 0);

    // The bone's y axis is first turned to its z axis (pitch), which the outer
    // z rotation leaves alone: (0, 1, 0) lands at (0, 0, 1) + (0, 1, 0).
    const D3DXQUATERNION q(local.Orientation[0], local.Orientation[1], local.Orientation[2], local.Orientation[3]);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    m._41 = local.Position[0], m._42 = local.Position[1], m._43 = local.Position[2];
    const D3DXVECTOR3 point(0, 1, 0);
    D3DXVECTOR3 moved;
    D3DXVec3TransformCoord(&moved, &point, &m);
    EXPECT_NEAR(moved.x, 0.0f, 1e-5f);
    EXPECT_NEAR(moved.y, 1.0f, 1e-5f);
    EXPECT_NEAR(moved.z, 1.0f, 1e-5f);
}

}  // namespace
}  // namespace vls::test
