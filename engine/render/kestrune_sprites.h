#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/render/render_queue.h"
#include "platform/d3d8/d3d8.h"
#include "platform/d3dx/d3dx8math.h"
#include "platform/granny/granny_types.h"

#include <cstdint>

class cKestruneImage;
class cKestruneMeshSprite;
struct SavegameBlockHeader;

// One light of the scene, as scripts add it and the "SPR" block stores it.
struct LightRecord {
    float outerRadiusSquared = 0.0f;
    float innerRadius = 0.0f;
    float falloffWidth = 0.0f;
    float innerRadiusSquared = 0.0f;
    float x = 0.0f;
    float z = 0.0f; // lights act in the horizontal x/z plane
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    uint8_t enabled = 0;
};

constexpr uint32_t kLightRecordSize = 40;

// The camera of one frame of a realtime video: 14 floats.
struct KestruneCameraMotion {
    float c[14] = {};
};

// Vertex of the simple shadow's quad: XYZ | DIFFUSE | TEX1.
struct KestruneShadowVertex {
    float x, y, z;
    DWORD colour;
    float u, v;
};

constexpr DWORD kShadowFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// What all 3D characters share: the camera, the skinning scratch (one local
// pose, four dynamic vertex buffers), lights and ambient colour, the shadow
// drawing, the cache of shared mesh sprites and the "SPR" savegame block.
class cKestruneSprites {
public:
    static constexpr int32_t kSkinBufferCount = 4;
    static constexpr uint32_t kBlockFixedSize = 424;

    cKestruneSprites();
    ~cKestruneSprites();
    cKestruneSprites(const cKestruneSprites&) = delete;
    cKestruneSprites& operator=(const cKestruneSprites&) = delete;

    // The sprite system the engine created (the newest one alive), or null.
    static cKestruneSprites* Current();

    int32_t Init();
    int32_t EnsureSkinBuffers(int32_t bones, int32_t bytes);
    // The next of the four skinning buffers (may be null when creation failed).
    IDirect3DVertexBuffer8* NextSkinBuffer();
    // The graphics device's reset drops the default-pool buffers and makes
    // them again at the same length.
    void ReleaseSkinBuffers();
    void RecreateSkinBuffers();

    void SetCamera(const granny_camera& viewCamera);
    // The matrices the frame draws every 3D object with.
    void FrameCamera(D3DXMATRIX& view, D3DXMATRIX& projection) const;
    void SetCameraFromMotion(KestruneCameraMotion motion);

    void AddLight(float a1, float a2, float a3, float a4, float a5, float a6, float a7);
    void ClearLights();
    void SetLightEnable(int32_t index, uint8_t enabled);
    void ApplyLighting(float x, float z);
    // The AMBIENT value ApplyLighting sets for a sprite at (x, z).
    DWORD AmbientAt(float x, float z) const;

    void DrawSimpleShadow(D3DXMATRIX world, float halfWidth, float halfDepth);
    void BeginShadow(D3DXMATRIX world);
    void EndShadow();

    int32_t CollectMeshSprites(DynArray<RenderQueueEntry>& queue);
    int32_t ScreenToWorld(int32_t x, int32_t y, D3DXVECTOR3* out);
    int32_t WorldToScreen(const D3DXVECTOR3& point, D3DXVECTOR3* out);

    void CacheMeshSprite(const cString& name, uint8_t keep);
    cKestruneMeshSprite* FindCachedMeshSprite(const cString& name);
    void ClearMeshSpriteCache();

    void ApplyLunarAdjustment(D3DXMATRIX& world) const;

    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file);

    // Fields, in the engine's order.
    granny_camera camera{};
    int32_t poseBoneCapacity = 0;
    int32_t skinBufferLength = 0;
    granny_local_pose* localPose = nullptr;
    int32_t skinBufferIndex = 0;
    IDirect3DVertexBuffer8** skinBuffers = nullptr;
    cKestruneImage* shadowImage = nullptr;
    cKestruneImage* fullShadowImage = nullptr;
    KestruneShadowVertex shadowQuad[4] = {};
    D3DXMATRIX savedWorld;
    DynArray<LightRecord> lights;
    float ambient[3] = {0.0f, 0.0f, 0.0f};
    float shadowLightPosition[3] = {0.0f, 0.0f, 0.0f};
    float shadowVector[3] = {0.0f, 0.0f, 0.0f};
    DynArray<cKestruneMeshSprite*> meshSpriteCache;
    uint8_t lunarBehaviour = 0;

private:
    bool ShadowVectorSet() const;
    // The model's ground point: M42 replaced by the player's floor height
    // where its controller knows one.
    float GroundHeight(const D3DXMATRIX& world) const;
    void ProjectionViewport(D3DVIEWPORT8& viewport, D3DXMATRIX& projection, D3DXMATRIX& view) const;
    void PlaceFullShadow(const D3DXVECTOR3& ground);
    void CreateSkinBuffer(int32_t index);
};

// The sprite system's device: the graphics object's, or null.
IDirect3DDevice8* SpriteDevice();
