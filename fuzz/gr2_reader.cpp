// Any bytes through the model file reader, and everything the engine then
// does with what it read: a refusal is fine, a crash, hang or stray read is not.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/granny/granny.h"

namespace {

void Exercise(const granny_file_info& info) {
    for (granny_int32 t = 0; t < info.TextureCount; ++t) {
        const granny_texture* texture = info.Textures[t];
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(texture->Width) * texture->Height * 4);
        GrannyCopyTextureImage(texture, 0, 0, &GrannyBGRA8888PixelFormat, texture->Width, texture->Height,
                               texture->Width * 4, pixels.data());
    }
    for (granny_int32 m = 0; m < info.ModelCount; ++m) {
        const granny_model* model = info.Models[m];
        const granny_int32 bones = model->Skeleton->BoneCount;
        granny_model_instance* instance = GrannyInstantiateModel(model);
        std::vector<granny_control*> controls;
        for (granny_int32 a = 0; a < info.AnimationCount; ++a) {
            granny_int32 group = -1;
            if (!GrannyFindTrackGroupForModel(info.Animations[a], model->Name, &group)) continue;
            granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, info.Animations[a]);
            GrannySetTrackGroupTarget(builder, group, instance);
            controls.push_back(GrannyEndControlledAnimation(builder));
            GrannySetControlLoopCount(controls.back(), 0);
            GrannySetControlClock(controls.back(), 0.7f);
        }
        granny_local_pose* local = GrannyNewLocalPose(bones);
        granny_world_pose* world = GrannyNewWorldPose(bones);
        GrannySampleModelAnimations(instance, 0, bones, local);
        GrannyBuildWorldPose(model->Skeleton, 0, bones, local, nullptr, world);
        float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        GrannyUpdateModelMatrix(instance, 0.7f, matrix, matrix);

        for (granny_int32 b = 0; b < model->MeshBindingCount; ++b) {
            const granny_mesh* mesh = model->MeshBindings[b].Mesh;
            granny_mesh_binding* binding = GrannyNewMeshBinding(mesh, model->Skeleton, model->Skeleton);
            std::vector<std::uint16_t> indices(GrannyGetMeshIndexCount(mesh));
            GrannyCopyMeshIndices(mesh, 2, indices.data());
            const granny_int32 count = GrannyGetMeshVertexCount(mesh);
            for (std::uint16_t index : indices)
                if (index >= count) std::abort();
            std::vector<granny_pnt332_vertex> vertices(count);
            GrannyCopyMeshVertices(mesh, GrannyPNT332VertexType, vertices.data());
            granny_mesh_deformer* deformer = GrannyNewMeshDeformer(GrannyGetMeshVertexType(mesh),
                                                                   GrannyPNT332VertexType, GrannyDeformPositionNormal);
            GrannyDeformVertices(deformer, GrannyGetMeshBindingToBoneIndices(binding),
                                 GrannyGetWorldPoseComposite4x4Array(world), count, GrannyGetMeshVertices(mesh),
                                 vertices.data());
            for (granny_int32 g = 0; g < GrannyGetMeshTriangleGroupCount(mesh); ++g) {
                const granny_tri_material_group& group = GrannyGetMeshTriangleGroups(mesh)[g];
                if (group.MaterialIndex >= mesh->MaterialBindingCount ||
                    static_cast<std::int64_t>(group.TriFirst + group.TriCount) * 3 > GrannyGetMeshIndexCount(mesh))
                    std::abort();
                GrannyGetMaterialTextureByType(mesh->MaterialBindings[group.MaterialIndex].Material,
                                               GrannyDiffuseColorTexture);
            }
            GrannyFreeMeshDeformer(deformer);
            GrannyFreeMeshBinding(binding);
        }
        GrannyFreeWorldPose(world);
        GrannyFreeLocalPose(local);
        for (granny_control* control : controls) GrannyFreeControl(control);
        GrannyFreeModelInstance(instance);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0x7fffffff) return 0;
    granny_file* file = GrannyReadEntireFileFromMemory(static_cast<granny_int32>(size), data);
    if (file != nullptr) Exercise(*GrannyGetFileInfo(file));
    GrannyFreeFile(file);
    return 0;
}
