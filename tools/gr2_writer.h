#pragma once

// Writes ".gr2" model files (glTF 2.0 binary, laid out as
// platform/granny/gr2_layout.h describes) from models, skeletons, meshes,
// textures and animations made in code.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

struct Gr2Texture {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width x height x 4
    // Stored as S3TC blocks of this sub-format (tools/dxt_encoder.h DxtKind)
    // with mipLevels levels halved from rgba; -1 stores a PNG of rgba.
    int dxt = -1;
    int mipLevels = 1;
};

struct Gr2Material {
    std::string name;
    int texture = -1;  // index into the scene's textures
};

struct Gr2Bone {
    std::string name;
    int parent = -1;  // an earlier bone; -1 only for bone 0
    std::array<float, 3> position = {0, 0, 0};
    std::array<float, 4> orientation = {0, 0, 0, 1};
    std::array<float, 3> scale = {1, 1, 1};
};

struct Gr2Vertex {
    std::array<float, 3> position = {0, 0, 0};
    std::array<float, 3> normal = {0, 1, 0};
    std::array<float, 2> uv = {0, 0};
    std::array<int, 4> joints = {0, 0, 0, 0};  // skinned: indices into the mesh's joints
    std::array<float, 4> weights = {1, 0, 0, 0};
};

// One triangle group: a triangle list drawn with one material.
struct Gr2Group {
    int material = -1;  // index into the scene's materials
    std::vector<std::uint32_t> indices;
};

// A rigid mesh hangs on `bone` with vertices in that bone's space; a skinned
// mesh binds its vertices to `joints` (bone indices) with vertices in model
// space. Either way the mesh gets a node of its own, a bone named after it
// added below `bone` (rigid) or the root (skinned).
struct Gr2Mesh {
    std::string name;
    int bone = 0;
    bool skinned = false;
    std::vector<int> joints;
    std::vector<Gr2Vertex> vertices;
    std::vector<Gr2Group> groups;
};

// The model is named after its root bone, bones[0].
struct Gr2Model {
    std::vector<Gr2Bone> bones;
    std::vector<Gr2Mesh> meshes;
};

struct Gr2Track {
    std::string bone;
    std::vector<float> positionTimes;
    std::vector<std::array<float, 3>> positions;
    std::vector<float> rotationTimes;
    std::vector<std::array<float, 4>> rotations;
    std::vector<float> scaleTimes;
    std::vector<std::array<float, 3>> scales;
};

struct Gr2Animation {
    std::string name;
    float duration = -1.0f;   // below 0: the last key time
    bool rootMotion = false;  // the root bone's translation moves the model
    std::vector<Gr2Track> tracks;  // bones named across all models of the scene
};

struct Gr2Scene {
    std::vector<Gr2Texture> textures;
    std::vector<Gr2Material> materials;
    std::vector<Gr2Model> models;
    std::vector<Gr2Animation> animations;
};

std::vector<std::uint8_t> WriteGr2(const Gr2Scene& scene);

// Written to a temporary file beside the target, then renamed over it.
bool SaveGr2(const std::string& path, const Gr2Scene& scene);

// An uncompressed PNG of 8-bit RGBA pixels.
std::vector<std::uint8_t> EncodePngRgba(int width, int height, const std::vector<std::uint8_t>& rgba);

}  // namespace vls::tools
