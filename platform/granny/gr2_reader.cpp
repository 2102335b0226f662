#include "platform/granny/gr2_reader.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/granny/gltf_access.h"
#include "platform/granny/gr2_layout.h"
#include "platform/granny/gltf.h"
#include "platform/granny/transform_math.h"

namespace vls::granny {
namespace {

using gr2::AccessorView;
using gr2::ViewAccessor;

const std::vector<int> kFloatOnly = {TINYGLTF_COMPONENT_TYPE_FLOAT};
const std::vector<int> kFloatOrNormalized = {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                                             TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT};
const std::vector<int> kUnsigned = {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT};

// Per node: where it landed in the models.
struct NodePlace {
    int parent = -1;
    int model = -1;
    int bone = -1;
};

struct ModelBuild {
    int rootNode = -1;
    std::vector<int> nodes;  // bone order
    std::vector<D3DXMATRIX> restWorld;
    std::vector<D3DXMATRIX> inverseRestWorld;
    std::vector<granny_mesh*> meshes;
};

struct Vertex {
    float position[3] = {};
    float normal[3] = {};
    float uv[2] = {};
    float weights[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    std::uint8_t bones[4] = {};
};

bool Finite(float value) { return std::isfinite(value); }

class Reader {
public:
    Reader(const tinygltf::Model& gltf, FileStorage& storage) : gltf_(gltf), storage_(storage), arena_(storage.arena) {}

    bool Read() {
        return ReadTextures() && ReadMaterials() && ReadHierarchy() && ReadModels() && ReadAnimations() && Finish();
    }

    std::string error;

private:
    bool Fail(const std::string& message) {
        error = message;
        return false;
    }

    // Textures: one per image, pixels decoded to RGBA.
    // S3TC: the levels as stored, checked when the image was loaded.
    void ReadDxtTexture(const tinygltf::Image& image, granny_texture* texture) {
        const tinygltf::Value& levels = image.extras.Get(gr2::kExtrasLevels);
        texture->Encoding = GrannyS3TCTextureEncoding;
        texture->SubFormat = image.extras.Get(gr2::kExtrasDxt).GetNumberAsInt();
        const int count = static_cast<int>(levels.ArrayLen());
        texture->Images->MIPLevelCount = count;
        texture->Images->MIPLevels = arena_.New<granny_texture_mip_level>(count);
        const int blockBytes = texture->SubFormat < 2 ? 8 : 16;
        std::size_t at = 0;
        int width = image.width;
        for (int i = 0; i < count; ++i) {
            granny_texture_mip_level& level = texture->Images->MIPLevels[i];
            const auto bytes = static_cast<std::size_t>(levels.Get(i).GetNumberAsDouble());
            level.Stride = std::max(1, (width + 3) / 4) * blockBytes;
            level.PixelByteCount = static_cast<granny_int32>(bytes);
            unsigned char* pixels = arena_.New<unsigned char>(bytes);
            std::copy(image.image.begin() + static_cast<std::ptrdiff_t>(at),
                      image.image.begin() + static_cast<std::ptrdiff_t>(at + bytes), pixels);
            level.PixelBytes = pixels;
            at += bytes;
            width = std::max(1, width / 2);
        }
    }

    // A single-image colour map of the image's name and size.
    granny_texture* NewTexture(const tinygltf::Image& image) {
        granny_texture* texture = arena_.New<granny_texture>();
        texture->FromFileName = arena_.Text(image.name);
        texture->TextureType = GrannyColorMapTextureType;
        texture->Width = image.width;
        texture->Height = image.height;
        texture->Encoding = GrannyRawTextureEncoding;
        texture->SubFormat = 0;
        texture->Layout = GrannyRGBA8888PixelFormat;
        texture->ImageCount = 1;
        texture->Images = arena_.New<granny_texture_image>();
        return texture;
    }

    bool ReadTextures() {
        for (const tinygltf::Image& image : gltf_.images) {
            if (image.mimeType == gr2::kMimeDxt) {
                granny_texture* texture = NewTexture(image);
                ReadDxtTexture(image, texture);
                textures_.push_back(texture);
                continue;
            }
            const std::size_t bytes = static_cast<std::size_t>(std::max(image.width, 0)) * std::max(image.height, 0) * 4;
            if (image.width <= 0 || image.height <= 0 || image.component != 4 || image.bits != 8 ||
                image.image.size() != bytes)
                return Fail("image '" + image.name + "' has no usable pixels");
            granny_texture* texture = NewTexture(image);
            texture->Images->MIPLevelCount = 1;
            granny_texture_mip_level* level = arena_.New<granny_texture_mip_level>();
            texture->Images->MIPLevels = level;
            level->Stride = image.width * 4;
            level->PixelByteCount = static_cast<granny_int32>(bytes);
            unsigned char* pixels = arena_.New<unsigned char>(bytes);
            std::copy(image.image.begin(), image.image.end(), pixels);
            level->PixelBytes = pixels;
            textures_.push_back(texture);
        }
        return true;
    }

    bool ReadMaterials() {
        for (const tinygltf::Material& source : gltf_.materials) {
            granny_material* material = arena_.New<granny_material>();
            material->Name = arena_.Text(source.name);
            const int textureIndex = source.pbrMetallicRoughness.baseColorTexture.index;
            if (textureIndex >= 0) {
                if (static_cast<std::size_t>(textureIndex) >= gltf_.textures.size())
                    return Fail("material '" + source.name + "' names a missing texture");
                const int image = gltf_.textures[textureIndex].source;
                if (image < 0 || static_cast<std::size_t>(image) >= textures_.size())
                    return Fail("texture " + std::to_string(textureIndex) + " names a missing image");
                material->Texture = textures_[image];
            }
            materials_.push_back(material);
        }
        return true;
    }

    bool NodeTransform(const tinygltf::Node& node, granny_transform* out) {
        *out = IdentityTransform();
        out->Flags = GrannyHasPosition | GrannyHasOrientation | GrannyHasScaleShear;
        if (node.matrix.size() == 16) {
            for (double v : node.matrix)
                if (!std::isfinite(v)) return Fail("node '" + node.name + "' has a bad matrix");
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) out->ScaleShear[r][c] = static_cast<float>(node.matrix[r * 4 + c]);
            for (int c = 0; c < 3; ++c) out->Position[c] = static_cast<float>(node.matrix[12 + c]);
            return true;
        }
        if (!node.matrix.empty()) return Fail("node '" + node.name + "' has a bad matrix");
        if (!node.translation.empty()) {
            if (node.translation.size() != 3) return Fail("node '" + node.name + "' has a bad translation");
            for (int c = 0; c < 3; ++c) out->Position[c] = static_cast<float>(node.translation[c]);
        }
        if (!node.rotation.empty()) {
            if (node.rotation.size() != 4) return Fail("node '" + node.name + "' has a bad rotation");
            D3DXQUATERNION q(static_cast<float>(node.rotation[0]), static_cast<float>(node.rotation[1]),
                             static_cast<float>(node.rotation[2]), static_cast<float>(node.rotation[3]));
            const float length = D3DXQuaternionLength(&q);
            if (Finite(length) && length > 1e-6f) {
                D3DXQuaternionNormalize(&q, &q);
                out->Orientation[0] = q.x;
                out->Orientation[1] = q.y;
                out->Orientation[2] = q.z;
                out->Orientation[3] = q.w;
            }
        }
        if (!node.scale.empty()) {
            if (node.scale.size() != 3) return Fail("node '" + node.name + "' has a bad scale");
            for (int c = 0; c < 3; ++c) out->ScaleShear[c][c] = static_cast<float>(node.scale[c]);
        }
        for (float v : out->Position)
            if (!Finite(v)) return Fail("node '" + node.name + "' has a bad transform");
        for (auto& row : out->ScaleShear)
            for (float v : row)
                if (!Finite(v)) return Fail("node '" + node.name + "' has a bad transform");
        return true;
    }

    // Every parentless node roots a model; its subtree, depth first, is the
    // skeleton. Walked with an explicit stack: a chain can be long.
    bool ReadHierarchy() {
        const std::size_t count = gltf_.nodes.size();
        places_.assign(count, NodePlace{});
        for (std::size_t n = 0; n < count; ++n) {
            for (int child : gltf_.nodes[n].children) {
                if (child < 0 || static_cast<std::size_t>(child) >= count || static_cast<std::size_t>(child) == n)
                    return Fail("node '" + gltf_.nodes[n].name + "' has a bad child");
                if (places_[child].parent != -1) return Fail("a node has two parents");
                places_[child].parent = static_cast<int>(n);
            }
        }
        std::size_t placed = 0;
        for (std::size_t root = 0; root < count; ++root) {
            if (places_[root].parent != -1) continue;
            ModelBuild model;
            model.rootNode = static_cast<int>(root);
            std::vector<int> stack = {static_cast<int>(root)};
            while (!stack.empty()) {
                const int node = stack.back();
                stack.pop_back();
                if (places_[node].model != -1) return Fail("the node tree has a cycle");
                places_[node].model = static_cast<int>(models_.size());
                places_[node].bone = static_cast<int>(model.nodes.size());
                model.nodes.push_back(node);
                if (static_cast<std::int64_t>(model.nodes.size()) > gr2::kMaxBones) return Fail("too many bones");
                const auto& children = gltf_.nodes[node].children;
                for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
            }
            // Keep the file's node order where it already puts parents first.
            std::vector<int> byIndex = model.nodes;
            std::sort(byIndex.begin(), byIndex.end());
            bool parentsFirst = true;
            for (std::size_t b = 0; b < byIndex.size() && parentsFirst; ++b) {
                const int parent = places_[byIndex[b]].parent;
                parentsFirst = parent < 0 || parent < byIndex[b];
            }
            if (parentsFirst) {
                model.nodes = byIndex;
                for (std::size_t b = 0; b < byIndex.size(); ++b) places_[byIndex[b]].bone = static_cast<int>(b);
            }
            placed += model.nodes.size();
            models_.push_back(std::move(model));
        }
        if (placed != count) return Fail("the node tree has a cycle");
        return true;
    }

    bool ReadModels() {
        for (std::size_t m = 0; m < models_.size(); ++m) {
            ModelBuild& build = models_[m];
            granny_skeleton* skeleton = arena_.New<granny_skeleton>();
            skeleton->Name = arena_.Text(gltf_.nodes[build.rootNode].name);
            skeleton->BoneCount = static_cast<granny_int32>(build.nodes.size());
            skeleton->Bones = arena_.New<granny_bone>(build.nodes.size());
            for (std::size_t b = 0; b < build.nodes.size(); ++b) {
                const tinygltf::Node& node = gltf_.nodes[build.nodes[b]];
                granny_bone& bone = skeleton->Bones[b];
                bone.Name = arena_.Text(node.name);
                const int parentNode = places_[build.nodes[b]].parent;
                bone.ParentIndex = parentNode < 0 ? -1 : places_[parentNode].bone;
                if (!NodeTransform(node, &bone.LocalTransform)) return false;
                D3DXMATRIX world = TransformToMatrix(bone.LocalTransform);
                if (bone.ParentIndex >= 0) world = world * build.restWorld[bone.ParentIndex];
                D3DXMATRIX inverse;
                if (D3DXMatrixInverse(&inverse, nullptr, &world) == nullptr) inverse = IdentityMatrix();
                build.restWorld.push_back(world);
                build.inverseRestWorld.push_back(inverse);
                StoreMatrix(inverse, bone.InverseWorld4x4);
            }
            skeletons_.push_back(skeleton);

            for (std::size_t b = 0; b < build.nodes.size(); ++b) {
                const tinygltf::Node& node = gltf_.nodes[build.nodes[b]];
                if (node.mesh < 0) continue;
                if (static_cast<std::size_t>(node.mesh) >= gltf_.meshes.size())
                    return Fail("node '" + node.name + "' names a missing mesh");
                granny_mesh* mesh = ReadMesh(build, static_cast<int>(b), node);
                if (mesh == nullptr) return false;
                build.meshes.push_back(mesh);
                meshes_.push_back(mesh);
            }

            granny_model* model = arena_.New<granny_model>();
            model->Name = skeleton->Name;
            model->Skeleton = skeleton;
            model->InitialPlacement = IdentityTransform();
            model->MeshBindingCount = static_cast<granny_int32>(build.meshes.size());
            model->MeshBindings = arena_.New<granny_model_mesh_binding>(build.meshes.size());
            for (std::size_t i = 0; i < build.meshes.size(); ++i) model->MeshBindings[i].Mesh = build.meshes[i];
            grannyModels_.push_back(model);
        }
        return true;
    }

    // Bone bindings of a mesh: skin joints, or the node's own bone.
    bool BindingBones(const ModelBuild& build, int bone, const tinygltf::Node& node, std::vector<int>* bones) {
        if (node.skin < 0) {
            bones->push_back(bone);
            return true;
        }
        if (static_cast<std::size_t>(node.skin) >= gltf_.skins.size())
            return Fail("node '" + node.name + "' names a missing skin");
        const tinygltf::Skin& skin = gltf_.skins[node.skin];
        if (skin.joints.empty() || static_cast<std::int64_t>(skin.joints.size()) > gr2::kMaxBoneBindings)
            return Fail("skin '" + skin.name + "' has no joints or more than 256");
        const int model = places_[build.rootNode].model;
        for (int joint : skin.joints) {
            if (joint < 0 || static_cast<std::size_t>(joint) >= gltf_.nodes.size() || places_[joint].model != model)
                return Fail("skin '" + skin.name + "' names a joint outside its model");
            bones->push_back(places_[joint].bone);
        }
        return true;
    }

    bool ReadPrimitive(const tinygltf::Primitive& primitive, bool skinned, std::size_t bindingCount,
                       std::vector<Vertex>* vertices, std::vector<std::uint32_t>* indices) {
        if (primitive.mode != -1 && primitive.mode != TINYGLTF_MODE_TRIANGLES)
            return Fail("only triangle lists are supported");
        auto attribute = [&](const char* name) {
            const auto found = primitive.attributes.find(name);
            return found == primitive.attributes.end() ? -1 : found->second;
        };
        AccessorView positions;
        if (!ViewAccessor(gltf_, attribute(gr2::kAttributePosition), 3, kFloatOnly, &positions, &error)) return false;
        const std::size_t base = vertices->size();
        if (static_cast<std::int64_t>(base + positions.count) > gr2::kMaxMeshVertices)
            return Fail("a mesh has more vertices than 16-bit indices reach");
        fileVertices_ += static_cast<std::int64_t>(positions.count);
        if (fileVertices_ > gr2::kMaxFileVertices) return Fail("too many vertices in one file");
        vertices->resize(base + positions.count);
        for (std::size_t i = 0; i < positions.count; ++i)
            for (int c = 0; c < 3; ++c) (*vertices)[base + i].position[c] = positions.Float(i, c);

        auto optional = [&](const char* name, int components, const std::vector<int>& types,
                            auto&& store) -> bool {
            const int index = attribute(name);
            if (index < 0) return true;
            AccessorView view;
            if (!ViewAccessor(gltf_, index, components, types, &view, &error)) return false;
            if (view.count != positions.count) return Fail(std::string(name) + " count differs from POSITION");
            for (std::size_t i = 0; i < view.count; ++i) store((*vertices)[base + i], view, i);
            return true;
        };
        if (!optional(gr2::kAttributeNormal, 3, kFloatOnly, [](Vertex& v, const AccessorView& a, std::size_t i) {
                for (int c = 0; c < 3; ++c) v.normal[c] = a.Float(i, c);
            }))
            return false;
        if (!optional(gr2::kAttributeTexCoord, 2, kFloatOrNormalized,
                      [](Vertex& v, const AccessorView& a, std::size_t i) {
                          for (int c = 0; c < 2; ++c) v.uv[c] = a.Float(i, c);
                      }))
            return false;

        const bool hasJoints = attribute(gr2::kAttributeJoints) >= 0;
        const bool hasWeights = attribute(gr2::kAttributeWeights) >= 0;
        if (hasJoints != skinned || hasWeights != skinned)
            return Fail(skinned ? "a skinned mesh lacks joints or weights" : "a mesh has joints but no skin");
        bool jointsInRange = true;
        if (!optional(gr2::kAttributeJoints, 4,
                      {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                      [&](Vertex& v, const AccessorView& a, std::size_t i) {
                          for (int c = 0; c < 4; ++c) {
                              const std::uint32_t joint = a.UInt(i, c);
                              if (joint >= bindingCount) jointsInRange = false;
                              v.bones[c] = static_cast<std::uint8_t>(joint < bindingCount ? joint : 0);
                          }
                      }))
            return false;
        if (!jointsInRange) return Fail("a vertex names a joint its skin lacks");
        if (!optional(gr2::kAttributeWeights, 4, kFloatOrNormalized,
                      [](Vertex& v, const AccessorView& a, std::size_t i) {
                          float sum = 0.0f;
                          for (int c = 0; c < 4; ++c) {
                              const float w = a.Float(i, c);
                              v.weights[c] = Finite(w) && w > 0.0f ? w : 0.0f;
                              sum += v.weights[c];
                          }
                          if (!(sum > 1e-6f) || !Finite(sum)) {
                              v.weights[0] = 1.0f;
                              v.weights[1] = v.weights[2] = v.weights[3] = 0.0f;
                              return;
                          }
                          for (float& w : v.weights) w /= sum;
                      }))
            return false;

        if (primitive.indices >= 0) {
            AccessorView view;
            if (!ViewAccessor(gltf_, primitive.indices, 1, kUnsigned, &view, &error)) return false;
            if (view.count % 3 != 0) return Fail("a triangle list has a partial triangle");
            fileIndices_ += static_cast<std::int64_t>(view.count);
            if (fileIndices_ > gr2::kMaxFileIndices) return Fail("too many indices in one file");
            for (std::size_t i = 0; i < view.count; ++i) {
                const std::uint32_t index = view.UInt(i, 0);
                if (index >= positions.count) return Fail("an index points past its vertices");
                indices->push_back(static_cast<std::uint32_t>(base + index));
            }
        } else {
            if (positions.count % 3 != 0) return Fail("a triangle list has a partial triangle");
            for (std::size_t i = 0; i < positions.count; ++i) indices->push_back(static_cast<std::uint32_t>(base + i));
        }
        return true;
    }

    granny_mesh* ReadMesh(const ModelBuild& build, int bone, const tinygltf::Node& node) {
        const tinygltf::Mesh& source = gltf_.meshes[node.mesh];
        const bool skinned = node.skin >= 0;
        std::vector<int> bindingBones;
        if (!BindingBones(build, bone, node, &bindingBones)) return nullptr;

        std::vector<Vertex> vertices;
        std::vector<std::uint32_t> indices;
        std::vector<granny_tri_material_group> groups;
        std::vector<int> materialOrder;  // glTF material per binding, -1 for none
        for (const tinygltf::Primitive& primitive : source.primitives) {
            const std::size_t firstIndex = indices.size();
            if (!ReadPrimitive(primitive, skinned, bindingBones.size(), &vertices, &indices)) return nullptr;
            if (primitive.material < -1 || primitive.material >= static_cast<int>(materials_.size())) {
                Fail("mesh '" + source.name + "' names a missing material");
                return nullptr;
            }
            auto found = std::find(materialOrder.begin(), materialOrder.end(), primitive.material);
            const int binding = static_cast<int>(found - materialOrder.begin());
            if (found == materialOrder.end()) materialOrder.push_back(primitive.material);
            groups.push_back({binding, static_cast<granny_int32>(firstIndex / 3),
                              static_cast<granny_int32>((indices.size() - firstIndex) / 3)});
        }
        if (static_cast<std::int64_t>(indices.size()) > 0x7fffffff) {
            Fail("too many indices");
            return nullptr;
        }

        if (!skinned) {
            // Rigid vertices are stored in model space, like skinned ones.
            const D3DXMATRIX& world = build.restWorld[bone];
            for (Vertex& v : vertices) {
                D3DXVECTOR3 p(v.position[0], v.position[1], v.position[2]);
                D3DXVECTOR3 n(v.normal[0], v.normal[1], v.normal[2]);
                D3DXVec3TransformCoord(&p, &p, &world);
                D3DXVec3TransformNormal(&n, &n, &world);
                if (D3DXVec3LengthSq(&n) > 1e-12f) D3DXVec3Normalize(&n, &n);
                v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
                v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
            }
        }

        granny_mesh* mesh = arena_.New<granny_mesh>();
        mesh->Name = arena_.Text(source.name.empty() ? node.name : source.name);

        granny_vertex_data* data = arena_.New<granny_vertex_data>();
        data->VertexCount = static_cast<granny_int32>(vertices.size());
        if (skinned) {
            data->VertexType = GrannyPWNT3432VertexType;
            auto* out = arena_.New<granny_pwnt3432_vertex>(vertices.size());
            for (std::size_t i = 0; i < vertices.size(); ++i) {
                const Vertex& v = vertices[i];
                std::copy(v.position, v.position + 3, out[i].Position);
                std::copy(v.weights, v.weights + 4, out[i].BoneWeights);
                std::copy(v.bones, v.bones + 4, out[i].BoneIndices);
                std::copy(v.normal, v.normal + 3, out[i].Normal);
                std::copy(v.uv, v.uv + 2, out[i].UV);
            }
            data->Vertices = out;
        } else {
            data->VertexType = GrannyPNT332VertexType;
            auto* out = arena_.New<granny_pnt332_vertex>(vertices.size());
            for (std::size_t i = 0; i < vertices.size(); ++i) {
                std::copy(vertices[i].position, vertices[i].position + 3, out[i].Position);
                std::copy(vertices[i].normal, vertices[i].normal + 3, out[i].Normal);
                std::copy(vertices[i].uv, vertices[i].uv + 2, out[i].UV);
            }
            data->Vertices = out;
        }
        mesh->PrimaryVertexData = data;

        granny_tri_topology* topology = arena_.New<granny_tri_topology>();
        topology->GroupCount = static_cast<granny_int32>(groups.size());
        topology->Groups = arena_.New<granny_tri_material_group>(groups.size());
        std::copy(groups.begin(), groups.end(), topology->Groups);
        topology->IndexCount = static_cast<granny_int32>(indices.size());
        topology->Indices16 = arena_.New<granny_uint16>(indices.size());
        for (std::size_t i = 0; i < indices.size(); ++i) topology->Indices16[i] = static_cast<granny_uint16>(indices[i]);
        mesh->PrimaryTopology = topology;

        mesh->MaterialBindingCount = static_cast<granny_int32>(materialOrder.size());
        mesh->MaterialBindings = arena_.New<granny_material_binding>(materialOrder.size());
        for (std::size_t i = 0; i < materialOrder.size(); ++i) {
            if (materialOrder[i] >= 0) {
                mesh->MaterialBindings[i].Material = materials_[materialOrder[i]];
            } else {
                mesh->MaterialBindings[i].Material = arena_.New<granny_material>();
                mesh->MaterialBindings[i].Material->Name = arena_.Text("");
            }
        }

        mesh->BoneBindingCount = static_cast<granny_int32>(bindingBones.size());
        mesh->BoneBindings = arena_.New<granny_bone_binding>(bindingBones.size());
        std::vector<bool> boxStarted(bindingBones.size(), false);
        for (std::size_t b = 0; b < bindingBones.size(); ++b)
            mesh->BoneBindings[b].BoneName = arena_.Text(gltf_.nodes[build.nodes[bindingBones[b]]].name);
        // Each binding's box holds the vertices it moves, in its bone's space.
        for (const Vertex& v : vertices) {
            for (int k = 0; k < 4; ++k) {
                if (skinned ? v.weights[k] <= 0.0f : k > 0) continue;
                const std::size_t b = skinned ? v.bones[k] : 0;
                D3DXVECTOR3 p(v.position[0], v.position[1], v.position[2]);
                D3DXVec3TransformCoord(&p, &p, &build.inverseRestWorld[bindingBones[b]]);
                const float local[3] = {p.x, p.y, p.z};
                granny_bone_binding& binding = mesh->BoneBindings[b];
                for (int c = 0; c < 3; ++c) {
                    binding.OBBMin[c] = boxStarted[b] ? std::min(binding.OBBMin[c], local[c]) : local[c];
                    binding.OBBMax[c] = boxStarted[b] ? std::max(binding.OBBMax[c], local[c]) : local[c];
                }
                boxStarted[b] = true;
            }
        }
        return mesh;
    }

    bool ReadCurve(const tinygltf::AnimationSampler& sampler, int components, std::vector<float>* times,
                   std::vector<float>* values) {
        AccessorView input;
        AccessorView output;
        if (!ViewAccessor(gltf_, sampler.input, 1, kFloatOnly, &input, &error)) return false;
        if (!ViewAccessor(gltf_, sampler.output, components, kFloatOnly, &output, &error)) return false;
        const bool cubic = sampler.interpolation == "CUBICSPLINE";
        const bool step = sampler.interpolation == "STEP";
        if (!cubic && !step && sampler.interpolation != "LINEAR" && !sampler.interpolation.empty())
            return Fail("unknown interpolation '" + sampler.interpolation + "'");
        if (output.count != input.count * (cubic ? 3 : 1)) return Fail("a curve's key counts differ");
        fileKeys_ += static_cast<std::int64_t>(input.count);
        if (fileKeys_ > gr2::kMaxFileKeys) return Fail("too many animation keys in one file");
        float previous = 0.0f;
        for (std::size_t k = 0; k < input.count; ++k) {
            const float t = input.Float(k, 0);
            if (!Finite(t) || t < 0.0f || (k > 0 && t < previous)) return Fail("a curve's key times are out of order");
            std::vector<float> value(components);
            for (int c = 0; c < components; ++c) {
                value[c] = output.Float(cubic ? k * 3 + 1 : k, c);  // cubic: the value between its tangents
                if (!Finite(value[c])) return Fail("a curve holds a value that is not a number");
            }
            if (step && k > 0) {
                // A held value: repeat the previous key at this key's time.
                times->push_back(t);
                values->insert(values->end(), values->end() - components, values->end());
            }
            times->push_back(t);
            values->insert(values->end(), value.begin(), value.end());
            previous = t;
            duration_ = std::max(duration_, t);
        }
        return true;
    }

    struct TrackBuild {
        int node = -1;
        std::vector<float> positionTimes, positions, orientationTimes, orientations, scaleTimes, scales;
    };

    bool ReadAnimations() {
        for (const tinygltf::Animation& source : gltf_.animations) {
            duration_ = 0.0f;
            std::map<int, std::map<int, TrackBuild>> groups;  // model -> node -> track
            for (const tinygltf::AnimationChannel& channel : source.channels) {
                if (channel.target_node < 0 || static_cast<std::size_t>(channel.target_node) >= gltf_.nodes.size())
                    return Fail("animation '" + source.name + "' targets a missing node");
                if (channel.sampler < 0 || static_cast<std::size_t>(channel.sampler) >= source.samplers.size())
                    return Fail("animation '" + source.name + "' names a missing sampler");
                const tinygltf::AnimationSampler& sampler = source.samplers[channel.sampler];
                TrackBuild& track = groups[places_[channel.target_node].model][channel.target_node];
                track.node = channel.target_node;
                bool ok = true;
                if (channel.target_path == "translation") {
                    if (!track.positionTimes.empty()) return Fail("a bone's translation is animated twice");
                    ok = ReadCurve(sampler, 3, &track.positionTimes, &track.positions);
                } else if (channel.target_path == "rotation") {
                    if (!track.orientationTimes.empty()) return Fail("a bone's rotation is animated twice");
                    ok = ReadCurve(sampler, 4, &track.orientationTimes, &track.orientations);
                    for (std::size_t k = 0; ok && k + 3 < track.orientations.size(); k += 4) {
                        D3DXQUATERNION q(track.orientations[k], track.orientations[k + 1], track.orientations[k + 2],
                                         track.orientations[k + 3]);
                        if (!(D3DXQuaternionLength(&q) > 1e-6f)) q = D3DXQUATERNION(0, 0, 0, 1);
                        D3DXQuaternionNormalize(&q, &q);
                        track.orientations[k] = q.x, track.orientations[k + 1] = q.y;
                        track.orientations[k + 2] = q.z, track.orientations[k + 3] = q.w;
                    }
                } else if (channel.target_path == "scale") {
                    if (!track.scaleTimes.empty()) return Fail("a bone's scale is animated twice");
                    ok = ReadCurve(sampler, 3, &track.scaleTimes, &track.scales);
                }
                if (!ok) return false;
            }

            granny_animation* animation = arena_.New<granny_animation>();
            animation->Name = arena_.Text(source.name);
            animation->Duration = duration_;
            if (source.extras.Has(gr2::kExtrasDuration)) {
                const tinygltf::Value& value = source.extras.Get(gr2::kExtrasDuration);
                const double seconds = value.IsNumber() ? value.GetNumberAsDouble() : -1.0;
                if (!std::isfinite(seconds) || seconds < 0.0 || seconds > 1e6)
                    return Fail("animation '" + source.name + "' has a bad duration");
                animation->Duration = static_cast<float>(seconds);
            }
            bool rootMotion = false;
            if (source.extras.Has(gr2::kExtrasRootMotion)) {
                const tinygltf::Value& value = source.extras.Get(gr2::kExtrasRootMotion);
                rootMotion = value.IsBool() && value.Get<bool>();
            }
            animation->TrackGroupCount = static_cast<granny_int32>(groups.size());
            animation->TrackGroups = arena_.New<granny_track_group*>(groups.size());
            int g = 0;
            for (auto& [model, tracks] : groups) {
                granny_track_group* group = arena_.New<granny_track_group>();
                group->Name = arena_.Text(gltf_.nodes[models_[model].rootNode].name);
                group->Flags = rootMotion ? static_cast<granny_uint32>(GrannyAccumulationExtracted) : 0u;
                group->TransformTrackCount = static_cast<granny_int32>(tracks.size());
                group->TransformTracks = arena_.New<granny_transform_track>(tracks.size());
                int t = 0;
                for (auto& [node, build] : tracks) StoreTrack(build, &group->TransformTracks[t++]);
                animation->TrackGroups[g++] = group;
            }
            animations_.push_back(animation);
        }
        return true;
    }

    const granny_real32* Keep(const std::vector<float>& values) {
        float* out = arena_.New<float>(values.size());
        std::copy(values.begin(), values.end(), out);
        return out;
    }

    void StoreTrack(const TrackBuild& build, granny_transform_track* track) {
        track->Name = arena_.Text(gltf_.nodes[build.node].name);
        track->PositionKeyCount = static_cast<granny_int32>(build.positionTimes.size());
        track->PositionTimes = Keep(build.positionTimes);
        track->Positions = Keep(build.positions);
        track->OrientationKeyCount = static_cast<granny_int32>(build.orientationTimes.size());
        track->OrientationTimes = Keep(build.orientationTimes);
        track->Orientations = Keep(build.orientations);
        track->ScaleKeyCount = static_cast<granny_int32>(build.scaleTimes.size());
        track->ScaleTimes = Keep(build.scaleTimes);
        track->Scales = Keep(build.scales);
    }

    template <class T>
    static void Publish(Arena& arena, const std::vector<T*>& items, granny_int32* count, T*** out) {
        *count = static_cast<granny_int32>(items.size());
        *out = arena.New<T*>(items.size());
        std::copy(items.begin(), items.end(), *out);
    }

    bool Finish() {
        granny_file_info& info = storage_.info;
        info.FromFileName = arena_.Text("");
        Publish(arena_, textures_, &info.TextureCount, &info.Textures);
        Publish(arena_, materials_, &info.MaterialCount, &info.Materials);
        Publish(arena_, skeletons_, &info.SkeletonCount, &info.Skeletons);
        Publish(arena_, meshes_, &info.MeshCount, &info.Meshes);
        Publish(arena_, grannyModels_, &info.ModelCount, &info.Models);
        Publish(arena_, animations_, &info.AnimationCount, &info.Animations);
        return true;
    }

    const tinygltf::Model& gltf_;
    FileStorage& storage_;
    Arena& arena_;
    std::vector<NodePlace> places_;
    std::vector<ModelBuild> models_;
    std::vector<granny_texture*> textures_;
    std::vector<granny_material*> materials_;
    std::vector<granny_skeleton*> skeletons_;
    std::vector<granny_mesh*> meshes_;
    std::vector<granny_model*> grannyModels_;
    std::vector<granny_animation*> animations_;
    float duration_ = 0.0f;
    std::int64_t fileVertices_ = 0;
    std::int64_t fileIndices_ = 0;
    std::int64_t fileKeys_ = 0;
};

}  // namespace

std::shared_ptr<FileStorage> ReadGr2(const unsigned char* bytes, std::size_t size, std::string* error) {
    tinygltf::Model gltf;
    if (!gr2::ParseGlb(bytes, size, &gltf, error)) return nullptr;
    auto storage = std::make_shared<FileStorage>();
    Reader reader(gltf, *storage);
    if (!reader.Read()) {
        *error = reader.error;
        return nullptr;
    }
    storage->Register(storage);
    return storage;
}

}  // namespace vls::granny
