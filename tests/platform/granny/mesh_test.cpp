#include <gtest/gtest.h>

#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny.h"
#include "tests/platform/granny/granny_fixture.h"
#include "tools/gr2_figure.h"

namespace vls::test {
namespace {

constexpr float kHalfPi = 1.5707963f;

// Root at the origin, Bone at (0, 1, 0); a strip whose first vertex is a
// quarter on Root and three quarters on Bone.
tools::Gr2Scene TwoBoneScene() {
    tools::Gr2Scene scene = SkeletonScene({{"Root"}, {"Bone", 0, {0, 1, 0}}});
    tools::Gr2Mesh strip;
    strip.name = "Strip";
    strip.skinned = true;
    strip.joints = {0, 1};
    tools::Gr2Vertex blended;
    blended.position = {0, 2, 0};
    blended.normal = {1, 0, 0};
    blended.uv = {0.5f, 0.25f};
    blended.joints = {0, 1, 0, 0};
    blended.weights = {0.25f, 0.75f, 0, 0};
    tools::Gr2Vertex onRoot;
    onRoot.position = {1, 0, 0};
    strip.vertices = {blended, onRoot, onRoot};
    strip.groups.push_back({-1, {0, 1, 2}});
    scene.models[0].meshes.push_back(strip);
    return scene;
}

TEST(GrannyMeshTest, SkinsAVertexWeightedToTwoBones) {
    FilePtr file = ReadScene(TwoBoneScene());
    ASSERT_NE(file, nullptr);
    const granny_model* model = GrannyGetFileInfo(file.get())->Models[0];
    const granny_mesh* mesh = model->MeshBindings[0].Mesh;
    ASSERT_FALSE(GrannyMeshIsRigid(mesh));

    granny_model_instance* instance = GrannyInstantiateModel(model);
    const granny_skeleton* skeleton = GrannyGetSourceSkeleton(instance);
    granny_local_pose* local = GrannyNewLocalPose(skeleton->BoneCount);
    granny_world_pose* world = GrannyNewWorldPose(skeleton->BoneCount);
    GrannySampleModelAnimations(instance, 0, skeleton->BoneCount, local);
    // Bone turns a quarter about z; the model stands at z = 5.
    const auto q = AxisAngle(0, 0, 1, kHalfPi);
    std::copy(q.begin(), q.end(), GrannyGetLocalPoseTransform(local, 1)->Orientation);
    D3DXMATRIX offset;
    D3DXMatrixTranslation(&offset, 0, 0, 5);
    GrannyBuildWorldPose(skeleton, 0, skeleton->BoneCount, local, &offset.m[0][0], world);

    granny_mesh_binding* binding = GrannyNewMeshBinding(mesh, skeleton, skeleton);
    granny_mesh_deformer* deformer =
        GrannyNewMeshDeformer(GrannyGetMeshVertexType(mesh), GrannyPNT332VertexType, GrannyDeformPositionNormal);
    ASSERT_NE(deformer, nullptr);
    std::vector<granny_pnt332_vertex> out(GrannyGetMeshVertexCount(mesh));
    GrannyDeformVertices(deformer, GrannyGetMeshBindingToBoneIndices(binding),
                         GrannyGetWorldPoseComposite4x4Array(world), GrannyGetMeshVertexCount(mesh),
                         GrannyGetMeshVertices(mesh), out.data());

    // On Root: (0, 2, 5). On Bone: (0, 1, 0) from the joint turns to (-1, 0, 0):
    // (-1, 1, 5). Blended: (-0.75, 1.25, 5). Normals (1,0,0) and (0,1,0) blend
    // to (0.25, 0.75, 0), renormalised.
    ExpectPoint(out[0].Position, -0.75f, 1.25f, 5.0f);
    ExpectPoint(out[0].Normal, 0.3162278f, 0.9486833f, 0.0f);
    EXPECT_FLOAT_EQ(out[0].UV[0], 0.5f);
    EXPECT_FLOAT_EQ(out[0].UV[1], 0.25f);
    ExpectPoint(out[1].Position, 1, 0, 5);

    granny_mesh_deformer* positionsOnly =
        GrannyNewMeshDeformer(GrannyGetMeshVertexType(mesh), GrannyPNT332VertexType, GrannyDeformPosition);
    GrannyDeformVertices(positionsOnly, GrannyGetMeshBindingToBoneIndices(binding),
                         GrannyGetWorldPoseComposite4x4Array(world), 1, GrannyGetMeshVertices(mesh), out.data());
    ExpectPoint(out[0].Position, -0.75f, 1.25f, 5.0f);
    ExpectPoint(out[0].Normal, 1, 0, 0);

    GrannyFreeMeshDeformer(positionsOnly);
    GrannyFreeMeshDeformer(deformer);
    GrannyFreeMeshBinding(binding);
    GrannyFreeWorldPose(world);
    GrannyFreeLocalPose(local);
    GrannyFreeModelInstance(instance);
}

TEST(GrannyMeshTest, DeformerRefusesLayoutsItCannotWrite) {
    EXPECT_EQ(GrannyNewMeshDeformer(GrannyPNT332VertexType, GrannyPWNT3432VertexType, GrannyDeformPositionNormal),
              nullptr);
    EXPECT_EQ(GrannyNewMeshDeformer(GrannyPWNT3432VertexType, GrannyPNT332VertexType,
                                    static_cast<granny_deformation_type>(7)),
              nullptr);
    EXPECT_EQ(GrannyNewMeshDeformer(nullptr, GrannyPNT332VertexType, GrannyDeformPositionNormal), nullptr);
}

TEST(GrannyMeshTest, BindingMapsBonesByNameToAnotherSkeleton) {
    FilePtr file = ReadScene(TwoBoneScene());
    ASSERT_NE(file, nullptr);
    const granny_model* model = GrannyGetFileInfo(file.get())->Models[0];
    FilePtr other = ReadScene(SkeletonScene({{"Other"}, {"bone", 0}, {"ROOT", 1}}));
    ASSERT_NE(other, nullptr);
    const granny_skeleton* target = GrannyGetFileInfo(other.get())->Models[0]->Skeleton;
    granny_mesh_binding* binding = GrannyNewMeshBinding(model->MeshBindings[0].Mesh, model->Skeleton, target);
    const granny_int32* bones = GrannyGetMeshBindingToBoneIndices(binding);
    EXPECT_EQ(bones[0], 2);
    EXPECT_EQ(bones[1], 1);
    GrannyFreeMeshBinding(binding);

    FilePtr unrelated = ReadScene(SkeletonScene({{"Nothing"}, {"Alike", 0}}));
    binding = GrannyNewMeshBinding(model->MeshBindings[0].Mesh, model->Skeleton,
                                   GrannyGetFileInfo(unrelated.get())->Models[0]->Skeleton);
    EXPECT_EQ(GrannyGetMeshBindingToBoneIndices(binding)[1], 0);
    GrannyFreeMeshBinding(binding);
}

TEST(GrannyMeshTest, RigidMeshOnATurnedBone) {
    tools::Gr2Scene scene = SkeletonScene({{"Root"}, {"Hand", 0, {0, 1, 0}, AxisAngle(0, 0, 1, kHalfPi)}});
    tools::Gr2Mesh gem;
    gem.name = "Gem";
    gem.bone = 1;
    tools::Gr2Vertex v;
    v.position = {1, 0, 0};
    v.normal = {1, 0, 0};
    gem.vertices = {v, v, v};
    gem.groups.push_back({-1, {0, 1, 2}});
    scene.models[0].meshes.push_back(gem);
    FilePtr file = ReadScene(scene);
    ASSERT_NE(file, nullptr);
    const granny_mesh* mesh = GrannyGetFileInfo(file.get())->Meshes[0];
    ASSERT_TRUE(GrannyMeshIsRigid(mesh));
    ASSERT_EQ(mesh->BoneBindingCount, 1);
    EXPECT_STREQ(mesh->BoneBindings[0].BoneName, "Gem");  // the mesh's own node, on Hand

    // Stored in model space: (1, 0, 0) in the hand is (0, 2, 0).
    std::vector<granny_pnt332_vertex> copy(3);
    GrannyCopyMeshVertices(mesh, GrannyPNT332VertexType, copy.data());
    ExpectPoint(copy[0].Position, 0, 2, 0);
    ExpectPoint(copy[0].Normal, 0, 1, 0);
    // Its box is in the bone's own space.
    ExpectPoint(mesh->BoneBindings[0].OBBMin, 1, 0, 0);

    std::vector<std::uint16_t> small(3);
    std::vector<std::uint32_t> wide(3);
    GrannyCopyMeshIndices(mesh, 2, small.data());
    GrannyCopyMeshIndices(mesh, 4, wide.data());
    EXPECT_EQ(small, (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(wide, (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(GrannyMeshTest, SkinnedFigureAtRestDeformsToItsOwnVertices) {
    FilePtr file = ReadScene(tools::MakeFigureScene());
    ASSERT_NE(file, nullptr);
    const granny_model* model = GrannyGetFileInfo(file.get())->Models[0];
    const granny_mesh* mesh = model->MeshBindings[0].Mesh;
    granny_model_instance* instance = GrannyInstantiateModel(model);
    granny_local_pose* local = GrannyNewLocalPose(model->Skeleton->BoneCount);
    granny_world_pose* world = GrannyNewWorldPose(model->Skeleton->BoneCount);
    GrannySampleModelAnimations(instance, 0, model->Skeleton->BoneCount, local);
    GrannyBuildWorldPose(model->Skeleton, 0, model->Skeleton->BoneCount, local, nullptr, world);
    granny_mesh_binding* binding = GrannyNewMeshBinding(mesh, model->Skeleton, model->Skeleton);
    granny_mesh_deformer* deformer =
        GrannyNewMeshDeformer(GrannyGetMeshVertexType(mesh), GrannyPNT332VertexType, GrannyDeformPositionNormal);
    const granny_int32 count = GrannyGetMeshVertexCount(mesh);
    std::vector<granny_pnt332_vertex> deformed(count), copied(count);
    GrannyDeformVertices(deformer, GrannyGetMeshBindingToBoneIndices(binding),
                         GrannyGetWorldPoseComposite4x4Array(world), count, GrannyGetMeshVertices(mesh),
                         deformed.data());
    GrannyCopyMeshVertices(mesh, GrannyPNT332VertexType, copied.data());
    for (granny_int32 i = 0; i < count; ++i) ExpectPoint(deformed[i].Position, copied[i].Position[0],
                                                        copied[i].Position[1], copied[i].Position[2]);
    GrannyFreeMeshDeformer(deformer);
    GrannyFreeMeshBinding(binding);
    GrannyFreeWorldPose(world);
    GrannyFreeLocalPose(local);
    GrannyFreeModelInstance(instance);
}

}  // namespace
}  // namespace vls::test
