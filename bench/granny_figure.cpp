// One frame of an animated character in the model run-time: sampling two
// blended animations, building the world pose and skinning a 3,000-vertex,
// 40-bone figure. Each iteration is one frame.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/granny/granny.h"
#include "tools/gr2_writer.h"

namespace {

constexpr int kBones = 40;
constexpr int kVertices = 3000;

vls::tools::Gr2Scene MakeScene() {
    vls::tools::Gr2Scene scene;
    vls::tools::Gr2Model model;
    for (int b = 0; b < kBones; ++b) {
        // A spine of 10 and three limbs of 10 hanging from it.
        const int parent = b == 0 ? -1 : (b % 10 == 0 ? (b / 10) * 2 : b - 1);
        model.bones.push_back({b == 0 ? "Bip01" : "Bip01 Bone" + std::to_string(b), parent, {0, 0.1f, 0}});
    }
    vls::tools::Gr2Mesh mesh;
    mesh.name = "Body";
    mesh.skinned = true;
    for (int b = 0; b < kBones; ++b) mesh.joints.push_back(b);
    vls::tools::Gr2Group group;
    for (int v = 0; v < kVertices; ++v) {
        vls::tools::Gr2Vertex vertex;
        vertex.position = {std::sin(v * 0.1f), v * 0.001f, std::cos(v * 0.1f)};
        vertex.normal = {std::sin(v * 0.1f), 0, std::cos(v * 0.1f)};
        vertex.joints = {v % kBones, (v + 1) % kBones, 0, 0};
        vertex.weights = {0.7f, 0.3f, 0, 0};
        mesh.vertices.push_back(vertex);
        group.indices.push_back(static_cast<std::uint32_t>(v));
    }
    mesh.groups.push_back(group);
    model.meshes.push_back(mesh);
    scene.models.push_back(model);

    for (const char* name : {"walk", "idle"}) {
        vls::tools::Gr2Animation animation{name, 2.0f, false, {}};
        for (int b = 0; b < kBones; ++b) {
            vls::tools::Gr2Track track;
            track.bone = model.bones[b].name;
            for (int k = 0; k <= 20; ++k) {
                const float angle = std::sin(k * 0.3f + b) * 0.3f;
                track.rotationTimes.push_back(k * 0.1f);
                track.rotations.push_back({std::sin(angle / 2), 0, 0, std::cos(angle / 2)});
            }
            animation.tracks.push_back(track);
        }
        scene.animations.push_back(animation);
    }
    return scene;
}

struct Figure {
    granny_file* file = nullptr;
    granny_model_instance* instance = nullptr;
    granny_local_pose* local = nullptr;
    granny_world_pose* world = nullptr;
    granny_mesh_binding* binding = nullptr;
    granny_mesh_deformer* deformer = nullptr;
    const granny_mesh* mesh = nullptr;
    std::vector<granny_control*> controls;
    std::vector<granny_pnt332_vertex> out;

    Figure() {
        const std::vector<std::uint8_t> bytes = vls::tools::WriteGr2(MakeScene());
        file = GrannyReadEntireFileFromMemory(static_cast<granny_int32>(bytes.size()), bytes.data());
        const granny_file_info* info = GrannyGetFileInfo(file);
        const granny_model* model = info->Models[0];
        instance = GrannyInstantiateModel(model);
        local = GrannyNewLocalPose(model->Skeleton->BoneCount);
        world = GrannyNewWorldPose(model->Skeleton->BoneCount);
        for (granny_int32 a = 0; a < info->AnimationCount; ++a) {
            granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, info->Animations[a]);
            GrannySetTrackGroupTarget(builder, 0, instance);
            controls.push_back(GrannyEndControlledAnimation(builder));
            GrannySetControlLoopCount(controls.back(), 0);
            GrannySetControlWeight(controls.back(), 0.5f);
        }
        mesh = model->MeshBindings[0].Mesh;
        binding = GrannyNewMeshBinding(mesh, model->Skeleton, model->Skeleton);
        deformer = GrannyNewMeshDeformer(GrannyGetMeshVertexType(mesh), GrannyPNT332VertexType,
                                         GrannyDeformPositionNormal);
        out.resize(GrannyGetMeshVertexCount(mesh));
    }
    ~Figure() {
        GrannyFreeMeshDeformer(deformer);
        GrannyFreeMeshBinding(binding);
        GrannyFreeWorldPose(world);
        GrannyFreeLocalPose(local);
        GrannyFreeModelInstance(instance);
        GrannyFreeFile(file);
    }

    void Advance() {
        for (granny_control* control : controls) GrannySetControlClock(control, GrannyGetControlClock(control) + 0.025f);
    }
    void Sample() { GrannySampleModelAnimations(instance, 0, kBones + 1, local); }
    void Build() { GrannyBuildWorldPose(GrannyGetSourceSkeleton(instance), 0, kBones + 1, local, nullptr, world); }
    void Skin() {
        GrannyDeformVertices(deformer, GrannyGetMeshBindingToBoneIndices(binding),
                             GrannyGetWorldPoseComposite4x4Array(world), static_cast<granny_int32>(out.size()),
                             GrannyGetMeshVertices(mesh), out.data());
    }
};

void BM_SampleTwoAnimations(benchmark::State& state) {
    Figure figure;
    for (auto _ : state) {
        figure.Advance();
        figure.Sample();
        benchmark::DoNotOptimize(GrannyGetLocalPoseTransform(figure.local, 5));
    }
}
BENCHMARK(BM_SampleTwoAnimations);

void BM_BuildWorldPose(benchmark::State& state) {
    Figure figure;
    figure.Sample();
    for (auto _ : state) {
        figure.Build();
        benchmark::DoNotOptimize(GrannyGetWorldPose4x4(figure.world, 5));
    }
}
BENCHMARK(BM_BuildWorldPose);

void BM_Skin3000Vertices(benchmark::State& state) {
    Figure figure;
    figure.Sample();
    figure.Build();
    for (auto _ : state) {
        figure.Skin();
        benchmark::DoNotOptimize(figure.out.data());
    }
}
BENCHMARK(BM_Skin3000Vertices);

void BM_WholeFrame(benchmark::State& state) {
    Figure figure;
    for (auto _ : state) {
        figure.Advance();
        figure.Sample();
        figure.Build();
        figure.Skin();
        benchmark::DoNotOptimize(figure.out.data());
    }
}
BENCHMARK(BM_WholeFrame);

}  // namespace
