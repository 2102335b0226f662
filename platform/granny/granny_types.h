#pragma once

// Records of the model run-time as callers read them. Everything a file holds
// is reachable from granny_file_info; the records live as long as their file
// (and longer while a model instance or control still uses them).
//
// Conventions: left-handed space, row vectors. A 4 x 4 matrix is 16 floats
// in Direct3D layout (translation in elements 12..14). Quaternions are
// (x, y, z, w). A transform applies scale/shear, then orientation, then
// position.

#include <cstddef>
#include <cstdint>

typedef float granny_real32;
typedef std::int32_t granny_int32;
typedef std::int32_t granny_int32x;
typedef std::uint32_t granny_uint32;
typedef std::uint16_t granny_uint16;
typedef std::uint8_t granny_uint8;
typedef std::int32_t granny_bool32;

struct granny_file;
struct granny_model_instance;
struct granny_control;
struct granny_controlled_animation_builder;
struct granny_local_pose;
struct granny_world_pose;
struct granny_track_mask;
struct granny_mesh_binding;
struct granny_mesh_deformer;

enum granny_transform_flags : granny_uint32 {
    GrannyHasPosition = 0x1,
    GrannyHasOrientation = 0x2,
    GrannyHasScaleShear = 0x4,
};

struct granny_transform {
    granny_uint32 Flags;
    granny_real32 Position[3];
    granny_real32 Orientation[4];
    // Rows of the 3 x 3 scale/shear matrix, applied to row vectors.
    granny_real32 ScaleShear[3][3];
};

// Vertex layouts. A layout is named by a null-terminated list of members;
// the run-time knows the two below and compares layouts by identity.
enum granny_member_kind : granny_int32 {
    GrannyEndMember = 0,
    GrannyReal32Member = 1,
    GrannyUInt8Member = 2,
};

struct granny_data_type_definition {
    granny_member_kind Kind;
    char const* Name;
    granny_int32 Count;
};

// Position, normal, texture coordinates: 32 bytes, the drawable layout.
struct granny_pnt332_vertex {
    granny_real32 Position[3];
    granny_real32 Normal[3];
    granny_real32 UV[2];
};
static_assert(sizeof(granny_pnt332_vertex) == 32);

// A vertex skinned to at most four bones: weights sum to 1, indices select
// the mesh's bone bindings.
struct granny_pwnt3432_vertex {
    granny_real32 Position[3];
    granny_real32 BoneWeights[4];
    granny_uint8 BoneIndices[4];
    granny_real32 Normal[3];
    granny_real32 UV[2];
};
static_assert(sizeof(granny_pwnt3432_vertex) == 52);

extern granny_data_type_definition GrannyPNT332VertexType[];
extern granny_data_type_definition GrannyPWNT3432VertexType[];

// Textures. Pixels are kept as 8-bit RGBA rows, one image of one level.
enum granny_texture_type : granny_int32 {
    GrannyColorMapTextureType = 0,
};

enum granny_texture_encoding : granny_int32 {
    GrannyUserTextureEncoding = 0,
    GrannyRawTextureEncoding = 1,
    GrannyS3TCTextureEncoding = 2,
};

struct granny_pixel_layout {
    granny_int32 BytesPerPixel;
    granny_int32 ShiftForComponent[4];  // red, green, blue, alpha
    granny_int32 BitsForComponent[4];
};

extern granny_pixel_layout const GrannyRGBA8888PixelFormat;
extern granny_pixel_layout const GrannyBGRA8888PixelFormat;

struct granny_texture_mip_level {
    granny_int32 Stride;
    granny_int32 PixelByteCount;
    void* PixelBytes;
};

struct granny_texture_image {
    granny_int32 MIPLevelCount;
    granny_texture_mip_level* MIPLevels;
};

struct granny_texture {
    char const* FromFileName;
    granny_int32 TextureType;
    granny_int32 Width;
    granny_int32 Height;
    granny_int32 Encoding;
    granny_int32 SubFormat;
    granny_pixel_layout Layout;
    granny_int32 ImageCount;
    granny_texture_image* Images;
};

enum granny_material_texture_type : granny_int32 {
    GrannyUnknownTextureType = 0,
    GrannyAmbientColorTexture = 1,
    GrannyDiffuseColorTexture = 2,
};

struct granny_material {
    char const* Name;
    granny_texture* Texture;  // the diffuse colour map, or null
};

// Skeletons.
struct granny_bone {
    char const* Name;
    granny_int32 ParentIndex;  // -1 for a root; always below the bone's own index
    granny_transform LocalTransform;
    granny_real32 InverseWorld4x4[16];  // of the rest pose
};

struct granny_skeleton {
    char const* Name;
    granny_int32 BoneCount;
    granny_bone* Bones;
};

// Meshes.
struct granny_vertex_data {
    granny_data_type_definition* VertexType;
    granny_int32 VertexCount;
    void* Vertices;
};

struct granny_tri_material_group {
    granny_int32 MaterialIndex;
    granny_int32 TriFirst;
    granny_int32 TriCount;
};

struct granny_tri_topology {
    granny_int32 GroupCount;
    granny_tri_material_group* Groups;
    granny_int32 IndexCount;
    granny_uint16* Indices16;
};

struct granny_material_binding {
    granny_material* Material;
};

struct granny_bone_binding {
    char const* BoneName;
    // Box around the vertices bound to the bone, in the bone's own space.
    granny_real32 OBBMin[3];
    granny_real32 OBBMax[3];
};

struct granny_mesh {
    char const* Name;
    granny_vertex_data* PrimaryVertexData;
    granny_tri_topology* PrimaryTopology;
    granny_int32 MaterialBindingCount;
    granny_material_binding* MaterialBindings;
    granny_int32 BoneBindingCount;
    granny_bone_binding* BoneBindings;
};

struct granny_model_mesh_binding {
    granny_mesh* Mesh;
};

struct granny_model {
    char const* Name;
    granny_skeleton* Skeleton;
    granny_transform InitialPlacement;
    granny_int32 MeshBindingCount;
    granny_model_mesh_binding* MeshBindings;
};

// Animations. Keys are sampled linearly (orientations spherically) between
// their times; at a time shared by two keys the later one holds (how a held
// step is stored). A curve with no keys leaves that part of the bone at rest.
struct granny_transform_track {
    char const* Name;  // the bone it moves
    granny_int32 PositionKeyCount;
    granny_real32 const* PositionTimes;
    granny_real32 const* Positions;  // 3 per key
    granny_int32 OrientationKeyCount;
    granny_real32 const* OrientationTimes;
    granny_real32 const* Orientations;  // 4 per key
    granny_int32 ScaleKeyCount;
    granny_real32 const* ScaleTimes;
    granny_real32 const* Scales;  // 3 per key
};

enum granny_track_group_flags : granny_uint32 {
    // The root bone's translation moves the model (GrannyUpdateModelMatrix)
    // instead of the skeleton.
    GrannyAccumulationExtracted = 0x1,
};

struct granny_track_group {
    char const* Name;  // the model it animates
    granny_int32 TransformTrackCount;
    granny_transform_track* TransformTracks;
    granny_uint32 Flags;
};

struct granny_animation {
    char const* Name;
    granny_real32 Duration;
    granny_int32 TrackGroupCount;
    granny_track_group** TrackGroups;
};

struct granny_file_info {
    char const* FromFileName;
    granny_int32 TextureCount;
    granny_texture** Textures;
    granny_int32 MaterialCount;
    granny_material** Materials;
    granny_int32 SkeletonCount;
    granny_skeleton** Skeletons;
    granny_int32 MeshCount;
    granny_mesh** Meshes;
    granny_int32 ModelCount;
    granny_model** Models;
    granny_int32 AnimationCount;
    granny_animation** Animations;
};

// The camera: a flat record without pointers, 380 bytes, stored in savegames
// byte for byte.
struct granny_camera {
    granny_real32 WpOverHp;  // physical aspect ratio of the whole display
    granny_real32 WrOverHr;  // aspect ratio of the display's resolution
    granny_real32 WwOverHw;  // aspect ratio of the window drawn into
    granny_real32 FOVY;      // vertical field of view, radians
    granny_real32 NearClipPlane;
    granny_real32 FarClipPlane;
    granny_real32 Orientation[4];
    granny_real32 Position[3];  // the point the camera orbits
    granny_real32 ElevAzimRoll[3];
    granny_real32 Offset[3];  // camera position in its orbit frame
    granny_real32 View4x4[16];
    granny_real32 InverseView4x4[16];
    granny_real32 Projection4x4[16];
    granny_real32 InverseProjection4x4[16];
    granny_uint8 Reserved[48];
};
static_assert(sizeof(granny_camera) == 380);
static_assert(offsetof(granny_camera, View4x4) == 76);
