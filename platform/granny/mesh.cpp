#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/granny/granny.h"
#include "platform/granny/names.h"
#include "platform/granny/storage.h"

struct granny_mesh_binding {
    std::vector<granny_int32> toBoneIndices;
    std::shared_ptr<vls::granny::FileStorage> keepAlive;
};

struct granny_mesh_deformer {
    bool weightedInput = false;
    bool deformNormals = false;
};

using vls::granny::SameNameIgnoringCase;

namespace {

bool HasVertices(granny_mesh const* mesh) { return mesh != nullptr && mesh->PrimaryVertexData != nullptr; }

}  // namespace

granny_mesh_binding* GrannyNewMeshBinding(granny_mesh const* Mesh, granny_skeleton const*,
                                          granny_skeleton const* ToSkeleton) {
    if (Mesh == nullptr || ToSkeleton == nullptr) return nullptr;
    auto* binding = new granny_mesh_binding;
    binding->keepAlive = vls::granny::OwnerOf(Mesh);
    for (granny_int32 b = 0; b < Mesh->BoneBindingCount; ++b) {
        granny_int32 bone = 0;
        for (granny_int32 s = 0; s < ToSkeleton->BoneCount; ++s) {
            if (SameNameIgnoringCase(ToSkeleton->Bones[s].Name, Mesh->BoneBindings[b].BoneName)) {
                bone = s;
                break;
            }
        }
        binding->toBoneIndices.push_back(bone);
    }
    return binding;
}

void GrannyFreeMeshBinding(granny_mesh_binding* Binding) { delete Binding; }

granny_int32 const* GrannyGetMeshBindingToBoneIndices(granny_mesh_binding const* Binding) {
    static const granny_int32 none[1] = {0};
    return Binding != nullptr && !Binding->toBoneIndices.empty() ? Binding->toBoneIndices.data() : none;
}

granny_bool32 GrannyMeshIsRigid(granny_mesh const* Mesh) { return Mesh != nullptr && Mesh->BoneBindingCount <= 1; }

granny_int32 GrannyGetMeshVertexCount(granny_mesh const* Mesh) {
    return HasVertices(Mesh) ? Mesh->PrimaryVertexData->VertexCount : 0;
}

void* GrannyGetMeshVertices(granny_mesh const* Mesh) {
    return HasVertices(Mesh) ? Mesh->PrimaryVertexData->Vertices : nullptr;
}

granny_data_type_definition* GrannyGetMeshVertexType(granny_mesh const* Mesh) {
    return HasVertices(Mesh) ? Mesh->PrimaryVertexData->VertexType : nullptr;
}

granny_int32 GrannyGetMeshIndexCount(granny_mesh const* Mesh) {
    return Mesh != nullptr && Mesh->PrimaryTopology != nullptr ? Mesh->PrimaryTopology->IndexCount : 0;
}

void GrannyCopyMeshIndices(granny_mesh const* Mesh, granny_int32 BytesPerIndex, void* DestIndices) {
    if (DestIndices == nullptr || GrannyGetMeshIndexCount(Mesh) == 0) return;
    const granny_tri_topology& topology = *Mesh->PrimaryTopology;
    if (BytesPerIndex == 2) {
        std::memcpy(DestIndices, topology.Indices16, sizeof(granny_uint16) * topology.IndexCount);
    } else if (BytesPerIndex == 4) {
        auto* out = static_cast<granny_uint32*>(DestIndices);
        for (granny_int32 i = 0; i < topology.IndexCount; ++i) out[i] = topology.Indices16[i];
    }
}

void GrannyCopyMeshVertices(granny_mesh const* Mesh, granny_data_type_definition const* VertexType,
                            void* DestVertices) {
    if (!HasVertices(Mesh) || DestVertices == nullptr) return;
    const granny_vertex_data& data = *Mesh->PrimaryVertexData;
    const granny_int32 count = data.VertexCount;
    if (VertexType == data.VertexType && VertexType == GrannyPNT332VertexType) {
        std::memcpy(DestVertices, data.Vertices, sizeof(granny_pnt332_vertex) * count);
    } else if (VertexType == data.VertexType && VertexType == GrannyPWNT3432VertexType) {
        std::memcpy(DestVertices, data.Vertices, sizeof(granny_pwnt3432_vertex) * count);
    } else if (VertexType == GrannyPNT332VertexType && data.VertexType == GrannyPWNT3432VertexType) {
        const auto* in = static_cast<const granny_pwnt3432_vertex*>(data.Vertices);
        auto* out = static_cast<granny_pnt332_vertex*>(DestVertices);
        for (granny_int32 i = 0; i < count; ++i) {
            std::memcpy(out[i].Position, in[i].Position, sizeof(out[i].Position));
            std::memcpy(out[i].Normal, in[i].Normal, sizeof(out[i].Normal));
            std::memcpy(out[i].UV, in[i].UV, sizeof(out[i].UV));
        }
    } else if (VertexType == GrannyPWNT3432VertexType && data.VertexType == GrannyPNT332VertexType) {
        const auto* in = static_cast<const granny_pnt332_vertex*>(data.Vertices);
        auto* out = static_cast<granny_pwnt3432_vertex*>(DestVertices);
        for (granny_int32 i = 0; i < count; ++i) {
            out[i] = granny_pwnt3432_vertex{};
            std::memcpy(out[i].Position, in[i].Position, sizeof(out[i].Position));
            out[i].BoneWeights[0] = 1.0f;
            std::memcpy(out[i].Normal, in[i].Normal, sizeof(out[i].Normal));
            std::memcpy(out[i].UV, in[i].UV, sizeof(out[i].UV));
        }
    }
}

granny_int32 GrannyGetMeshTriangleGroupCount(granny_mesh const* Mesh) {
    return Mesh != nullptr && Mesh->PrimaryTopology != nullptr ? Mesh->PrimaryTopology->GroupCount : 0;
}

granny_tri_material_group* GrannyGetMeshTriangleGroups(granny_mesh const* Mesh) {
    return Mesh != nullptr && Mesh->PrimaryTopology != nullptr ? Mesh->PrimaryTopology->Groups : nullptr;
}

granny_texture* GrannyGetMaterialTextureByType(granny_material const* Material, granny_material_texture_type Type) {
    if (Material == nullptr || Type != GrannyDiffuseColorTexture) return nullptr;
    return Material->Texture;
}

granny_mesh_deformer* GrannyNewMeshDeformer(granny_data_type_definition const* InputVertexType,
                                            granny_data_type_definition const* OutputVertexType,
                                            granny_deformation_type DeformationType) {
    if (OutputVertexType != GrannyPNT332VertexType) return nullptr;
    if (InputVertexType != GrannyPWNT3432VertexType && InputVertexType != GrannyPNT332VertexType) return nullptr;
    if (DeformationType != GrannyDeformPosition && DeformationType != GrannyDeformPositionNormal) return nullptr;
    auto* deformer = new granny_mesh_deformer;
    deformer->weightedInput = InputVertexType == GrannyPWNT3432VertexType;
    deformer->deformNormals = DeformationType == GrannyDeformPositionNormal;
    return deformer;
}

void GrannyFreeMeshDeformer(granny_mesh_deformer* Deformer) { delete Deformer; }

namespace {

// Row vector times the upper 3 x 4 of a matrix (w = 1 for points, 0 for normals).
void AddTransformed(const float* m, const float* v, float w, float weight, float* out) {
    for (int c = 0; c < 3; ++c) out[c] += (v[0] * m[c] + v[1] * m[4 + c] + v[2] * m[8 + c] + w * m[12 + c]) * weight;
}

void Normalize(float* n) {
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 1e-12f)
        for (int c = 0; c < 3; ++c) n[c] /= length;
}

}  // namespace

void GrannyDeformVertices(granny_mesh_deformer const* Deformer, granny_int32 const* MatrixIndices,
                          granny_real32 const* MatrixBuffer4x4, granny_int32 VertexCount,
                          void const* SourceVertices, void* DestVertices) {
    if (Deformer == nullptr || MatrixIndices == nullptr || MatrixBuffer4x4 == nullptr || SourceVertices == nullptr ||
        DestVertices == nullptr)
        return;
    auto* out = static_cast<granny_pnt332_vertex*>(DestVertices);
    for (granny_int32 i = 0; i < VertexCount; ++i) {
        granny_pnt332_vertex result{};
        const granny_real32* normal;
        if (Deformer->weightedInput) {
            const auto& in = static_cast<const granny_pwnt3432_vertex*>(SourceVertices)[i];
            normal = in.Normal;
            for (int k = 0; k < 4; ++k) {
                if (in.BoneWeights[k] == 0.0f) continue;
                const float* m = MatrixBuffer4x4 + static_cast<std::size_t>(MatrixIndices[in.BoneIndices[k]]) * 16;
                AddTransformed(m, in.Position, 1.0f, in.BoneWeights[k], result.Position);
                if (Deformer->deformNormals) AddTransformed(m, in.Normal, 0.0f, in.BoneWeights[k], result.Normal);
            }
            std::memcpy(result.UV, in.UV, sizeof(result.UV));
        } else {
            const auto& in = static_cast<const granny_pnt332_vertex*>(SourceVertices)[i];
            normal = in.Normal;
            const float* m = MatrixBuffer4x4 + static_cast<std::size_t>(MatrixIndices[0]) * 16;
            AddTransformed(m, in.Position, 1.0f, 1.0f, result.Position);
            if (Deformer->deformNormals) AddTransformed(m, in.Normal, 0.0f, 1.0f, result.Normal);
            std::memcpy(result.UV, in.UV, sizeof(result.UV));
        }
        if (Deformer->deformNormals)
            Normalize(result.Normal);
        else
            std::memcpy(result.Normal, normal, sizeof(result.Normal));
        out[i] = result;
    }
}
