#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/granny/granny.h"
#include "tools/demo/demo_figure.h"

namespace vls::test {
namespace {

using tools::Gr2Scene;

// The engine walks and places a model along its local +x, so the demo's
// figure must have its face there: the face bones in the skeleton as the
// model library reads it, and the jaw, which juts out of the face, in the mesh.
TEST(DemoFigure, FaceBonesLieAlongPlusXInTheReadSkeleton)
{
    const std::vector<std::uint8_t> bytes = tools::WriteGr2(tools::TurnedFigureScene());
    granny_file* file = GrannyReadEntireFileFromMemory(static_cast<granny_int32>(bytes.size()), bytes.data());
    ASSERT_NE(file, nullptr);
    const granny_file_info* info = GrannyGetFileInfo(file);
    ASSERT_TRUE(info && info->ModelCount == 1);
    const granny_skeleton* skeleton = info->Models[0]->Skeleton;
    for (const char* name : {"bip_brows", "bip_mandible", "bip_smile_left", "bip_smile_right"}) {
        granny_int32 bone = -1;
        ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, name, &bone)) << name;
        granny_transform relative;
        GrannyBuildSkeletonRelativeTransform(skeleton, bone, &relative);
        EXPECT_GT(relative.Position[0], 0.05f) << name << " is in front of the head's centre";
    }
    granny_int32 brows = -1;
    ASSERT_TRUE(GrannyFindBoneByNameLowercase(skeleton, "bip_brows", &brows));
    granny_transform relative;
    GrannyBuildSkeletonRelativeTransform(skeleton, brows, &relative);
    EXPECT_NEAR(relative.Position[2], 0.0f, 1e-4f) << "the brows sit on the middle of the face";
    GrannyFreeFile(file);
}

TEST(DemoFigure, TheJawJutsOutFurthestAlongPlusX)
{
    constexpr int kMandible = 5;
    const Gr2Scene scene = tools::TurnedFigureScene();
    float jaw = -1.0f, rest = -1.0f;
    for (const tools::Gr2Mesh& mesh : scene.models.at(0).meshes)
        for (const tools::Gr2Vertex& vertex : mesh.vertices) {
            float& front = vertex.joints[0] == kMandible ? jaw : rest;
            front = std::max(front, vertex.position[0]);
        }
    EXPECT_NEAR(jaw, 0.12f, 1e-5f);
    EXPECT_LT(rest, jaw - 0.01f);
}

// A walk or an idle that held the pelvis at another angle than the rest pose
// would swing the figure round whenever it starts or stops walking.
TEST(DemoFigure, AnimationsHoldThePelvisAtTheRestTurn)
{
    const Gr2Scene figure = tools::TurnedFigureScene();
    const auto pelvis = std::find_if(figure.models.at(0).bones.begin(), figure.models.at(0).bones.end(),
                                     [](const tools::Gr2Bone& bone) { return bone.name == "Bip01 Pelvis"; });
    ASSERT_NE(pelvis, figure.models.at(0).bones.end());
    for (const Gr2Scene& scene : {tools::TurnedWalkScene(), tools::TurnedIdleScene()}) {
        ASSERT_FALSE(scene.animations.empty());
        const auto& tracks = scene.animations[0].tracks;
        const auto hold = std::find_if(tracks.begin(), tracks.end(),
                                       [](const tools::Gr2Track& track) { return track.bone == "Bip01 Pelvis"; });
        ASSERT_NE(hold, tracks.end()) << scene.animations[0].name;
        for (const auto& rotation : hold->rotations)
            for (int i = 0; i < 4; ++i)
                EXPECT_NEAR(rotation[i], pelvis->orientation[i], 1e-6f) << scene.animations[0].name << " " << i;
    }
}

} // namespace
} // namespace vls::test
