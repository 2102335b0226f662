#pragma once

// How a ".gr2" resource lays the run-time's records out in glTF 2.0 binary
// form. The reader (gr2_reader) and the writer in tools/ both follow it.
//
// - Coordinates are the run-time's own: left-handed, stored as they are.
// - Every node without a parent starts a model named after it; the model's
//   skeleton is that node's subtree, every node of it a bone, in node order
//   when that puts each parent before its children, else depth first.
// - A node's mesh becomes one mesh of its model. Without a skin it is rigid:
//   bound to that node's bone, its vertices taken to model space by the
//   node's rest transform. With a skin, its joints (nodes of the same model)
//   are its bone bindings, JOINTS_0/WEIGHTS_0 bind each vertex to up to four
//   of them, and its vertices are already in model space: the rest pose is
//   the bind pose.
// - The primitives of a mesh (triangle lists) are its triangle groups, in
//   order; their materials are the mesh's material bindings, in order of
//   first use. A material's base colour texture is its diffuse colour map.
// - Images are the file's textures, in order, named by the image's name;
//   the pixel data is PNG or JPEG in a buffer view, or S3TC blocks
//   (mimeType kMimeDxt): every mip level's blocks one after another, the
//   size, the sub-format (0 and 1 DXT1, 2 DXT3, 3 DXT5) and each level's
//   byte count in the image's extras.
// - An animation's channels form one track group per model they move, named
//   after the model, with one transform track per bone.

#include <cstdint>

namespace vls::gr2 {

inline constexpr char kAttributePosition[] = "POSITION";
inline constexpr char kAttributeNormal[] = "NORMAL";
inline constexpr char kAttributeTexCoord[] = "TEXCOORD_0";
inline constexpr char kAttributeJoints[] = "JOINTS_0";
inline constexpr char kAttributeWeights[] = "WEIGHTS_0";

// Animation extras: the duration in seconds (else the last key time), and a
// flag that extracts the root bone's translation as root motion.
inline constexpr char kExtrasDuration[] = "duration";
inline constexpr char kExtrasRootMotion[] = "rootMotion";

inline constexpr char kMimeDxt[] = "image/x-dxt";
inline constexpr char kExtrasWidth[] = "width";
inline constexpr char kExtrasHeight[] = "height";
inline constexpr char kExtrasDxt[] = "dxt";
inline constexpr char kExtrasLevels[] = "levels";

// Limits that a file must keep to be read at all.
inline constexpr std::int64_t kMaxMeshVertices = 65536;  // indices are 16-bit
inline constexpr std::int64_t kMaxBoneBindings = 256;    // vertex bone indices are 8-bit
inline constexpr std::int64_t kMaxBones = 65535;
inline constexpr std::int64_t kMaxAccessorElements = 1 << 22;
inline constexpr int kMaxTextureSide = 4096;
// Budgets for a whole file, so that parts shared by many nodes, channels or
// images cannot multiply a small file into a huge one.
inline constexpr std::int64_t kMaxFileVertices = 1 << 21;
inline constexpr std::int64_t kMaxFileIndices = 1 << 23;
inline constexpr std::int64_t kMaxFileKeys = 1 << 23;
inline constexpr std::int64_t kMaxFilePixels = 1 << 25;

}  // namespace vls::gr2
