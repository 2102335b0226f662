#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/render/lip_sync_text.h"
#include "engine/render/render_queue.h"
#include "platform/d3d8/d3d8.h"
#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny_types.h"

#include <cstdint>

class cKestruneMeshAnimation;
struct SavegameBlockHeader;

struct MeshTextureRecord {
    char* name = nullptr; // C run-time heap copy of the texture's file name
    IDirect3DTexture8* texture = nullptr;
};

struct MeshRecord {
    granny_mesh* mesh = nullptr;
    granny_mesh_binding* binding = nullptr;
    granny_mesh_deformer* deformer = nullptr; // null for a rigid mesh
    int32_t model = 0;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr; // rigid meshes only
    int32_t materialCount = 0;
    int32_t* materials = nullptr; // per material: its entry in textures, -1 where it has none
};

struct ModelRecord {
    granny_model_instance* instance = nullptr;
    granny_world_pose* worldPose = nullptr;
    granny_model* model = nullptr;
    int32_t boneCount = 0;
};

struct RetiredAnimation {
    granny_control* control = nullptr;
    granny_file* file = nullptr;
};

// One animated 3D model on screen: a character's body, an object linked to
// a bone of another sprite, or the messenger's head.
class cKestruneMeshSprite {
public:
    static constexpr uint32_t kBlockSize = 204;
    static constexpr int32_t kSyncWeightCount = 16;
    static constexpr int32_t kDefaultSyncWeights[kSyncWeightCount] = {2,  121, 61, 55,  -34, -46, 50,  -34,
                                                                      -2, -54, 45, -74, -40, 30,  5,   25};

    cKestruneMeshSprite();
    ~cKestruneMeshSprite();
    cKestruneMeshSprite(const cKestruneMeshSprite&) = delete;
    cKestruneMeshSprite& operator=(const cKestruneMeshSprite&) = delete;

    void Load(const cString& name);
    int32_t Read(int32_t slot, int32_t size);
    int32_t CreateMesh(granny_mesh* mesh, int32_t modelIndex);
    IDirect3DTexture8* CreateS3TCTexture(granny_texture* texture, int32_t image);
    IDirect3DTexture8* CreateRGBATexture(granny_texture* texture, int32_t image);
    granny_control* PlayTrackGroup(granny_animation* animation, granny_track_mask* mask);

    int32_t Update(float seconds, uint8_t scrub);
    // Frees the files of retired animations that none of the sprite's
    // controls plays any longer (the update does this every frame).
    void ReleaseRetiredAnimations();
    int32_t Submit(DynArray<RenderQueueEntry>& queue);
    int32_t Render(D3DXMATRIX matrix, uint8_t withShadow);

    int32_t SetPosition(float x, float y, float z);
    int32_t GetPosition(float* x, float* y, float* z) const;
    int32_t SetRotation(float a, float b, float c);
    int32_t SetOrientation(float a1, float a2, float a3, float a4, float a5, float a6);
    int32_t GetAxes(D3DXVECTOR3* u, D3DXVECTOR3* v) const;
    int32_t RefreshPosition();

    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file);
    void RestoreControlState();

    void ReadSync(const cString& speechName);
    void ApplySync();

    // Fields, in the engine's order.
    int32_t state = 1;
    granny_file* file = nullptr;
    granny_file_info* fileInfo = nullptr;
    granny_control* mainControl = nullptr;
    granny_control* fadingControl = nullptr;
    granny_control* secondControl = nullptr;
    granny_control* baseControl = nullptr;
    granny_animation* baseAnimation = nullptr;
    granny_animation* previousBaseAnimation = nullptr;
    cKestruneMeshAnimation* animation = nullptr;
    granny_track_mask* bodyMask = nullptr;
    granny_track_mask* headMask = nullptr;
    DynArray<MeshTextureRecord> textures;
    DynArray<MeshRecord> meshes;
    DynArray<ModelRecord> models;
    DynArray<RetiredAnimation> retiredAnimations;
    ModelRecord mainModel;
    DynArray<SyncKey> syncKeys;
    D3DXMATRIX world;
    D3DXMATRIX linkLocal;
    int32_t parentBone = -1;
    cKestruneMeshSprite* parent = nullptr;
    int32_t mandibleBone = -1;
    int32_t smileLeftBone = -1;
    int32_t smileRightBone = -1;
    int32_t syncWeights[kSyncWeightCount] = {};
    float position[3] = {0.0f, 0.0f, 0.0f};
    uint8_t noShadow = 0;
    uint8_t cached = 0;
    uint8_t keep = 0;
    uint32_t fixedAmbient = 0;
    int32_t shadowMode = 0;
    cString name;
    uint8_t savedState[kBlockSize] = {};

private:
    bool IsMainModel(const ModelRecord& record) const;
    void BuildModel(granny_model* model);
    void SetWorldTranslation();
    void DrawMesh(const MeshRecord& record, const D3DXMATRIX& matrix, uint8_t withShadow);
    void DrawGroups(const MeshRecord& record);
    void ReadLipSyncWeights();
};
