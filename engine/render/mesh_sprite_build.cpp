// Building a mesh sprite from its ".gr2" file: textures, models, masks, and
// the index and vertex buffers of every drawable mesh.
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "platform/d3dx/d3dx8tex.h"
#include "platform/granny/granny.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <strings.h>

namespace {

constexpr char kModule[] = "meshsprite";

int32_t TextureLevels(const granny_texture& texture)
{
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    if (graphics && graphics->mipmapSupported == 0)
        return 1;
    return std::max(1, texture.Images[0].MIPLevelCount);
}

bool DxtSupported()
{
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    return graphics && graphics->dxtSupported;
}

D3DFORMAT DxtFormat(int32_t subFormat)
{
    switch (subFormat) {
    case 2: return D3DFMT_DXT2;
    case 3: return D3DFMT_DXT4;
    default: return D3DFMT_DXT1;
    }
}

// Bytes of one level of a DXT texture: 4 x 4 blocks of 8 (DXT1) or 16 bytes.
size_t DxtLevelBytes(D3DFORMAT format, int32_t width, int32_t height)
{
    const size_t blocks = static_cast<size_t>(std::max(1, (width + 3) / 4)) * std::max(1, (height + 3) / 4);
    return blocks * (format == D3DFMT_DXT1 ? 8 : 16);
}

// The stored bytes of one level, cut to what the level holds, so a damaged
// byte count never writes past the locked memory.
void CopyLevel(void* bits, size_t capacity, const granny_texture_mip_level& level)
{
    if (!level.PixelBytes || level.PixelByteCount <= 0)
        return;
    std::memcpy(bits, level.PixelBytes, std::min(capacity, static_cast<size_t>(level.PixelByteCount)));
}

void ReportTextureFailure(HRESULT result, const char* where)
{
    ReportError(kModule, where, 1, "Failed creating texture buffer. Code: (%08x)", static_cast<unsigned>(result));
}

bool StartsWithBip(const char* meshName)
{
    return meshName && strncasecmp(meshName, "bip", 3) == 0;
}

} // namespace

int32_t cKestruneMeshSprite::Read(int32_t slot, int32_t size)
{
    try {
        cKestruneFileSystem* files = cKestruneFileSystem::Current();
        void* buffer = files && size > 0 ? files->ReadAlloc(slot, size) : nullptr;
        file = buffer ? GrannyReadEntireFileFromMemory(size, buffer) : nullptr;
        std::free(buffer);
        if (!file) {
            ReportError(kModule, "", 1, "File reading failed. Code: (%08x)", 0u);
            return -1;
        }
        fileInfo = GrannyGetFileInfo(file);
        if (!fileInfo)
            return 0;

        for (int32_t i = 0; i < fileInfo->TextureCount; ++i) {
            granny_texture* texture = fileInfo->Textures[i];
            if (texture->TextureType != GrannyColorMapTextureType || texture->ImageCount != 1) {
                static constexpr char kWhere[] = "This only works with single-image ColorMapTextureType textures";
                ReportError(kModule, kWhere, 1, "%s", kWhere);
                return -1;
            }
            IDirect3DTexture8* made = texture->Encoding == GrannyS3TCTextureEncoding ? CreateS3TCTexture(texture, 0)
                                                                                     : CreateRGBATexture(texture, 0);
            if (!made)
                return -1;
            textures.Add(MeshTextureRecord{strdup(texture->FromFileName ? texture->FromFileName : ""), made});
        }

        for (int32_t i = 0; i < fileInfo->ModelCount; ++i)
            if (fileInfo->Models[i]->MeshBindingCount > 0)
                BuildModel(fileInfo->Models[i]);

        if (fileInfo->AnimationCount > 0) {
            baseAnimation = fileInfo->Animations[0];
            baseControl = PlayTrackGroup(baseAnimation, bodyMask);
            GrannySetControlLoopCount(baseControl, 0);
            GrannySetControlCompletionCheckFlag(baseControl, false);
        }
        for (int32_t section : {1, 2, 4, 5})
            GrannyFreeFileSection(file, section);
        state = 1;
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshSprite::Read.\n");
    }
    return 0;
}

void cKestruneMeshSprite::BuildModel(granny_model* model)
{
    const int32_t bones = model->Skeleton->BoneCount;
    cKestruneSprites* sprites = cKestruneSprites::Current();
    if (sprites && bones > sprites->poseBoneCapacity)
        sprites->EnsureSkinBuffers(bones, 0);

    ModelRecord record;
    record.instance = GrannyInstantiateModel(model);
    record.worldPose = GrannyNewWorldPose(bones);
    record.model = model;
    record.boneCount = bones;
    const int32_t index = models.Add(record);

    const std::string modelName = model->Name ? model->Name : "";
    if (modelName.find("Bip") != std::string::npos || modelName == "Bone01") {
        mainModel = record;
        // A later main model replaces the masks and bones of an earlier one.
        GrannyFreeTrackMask(bodyMask);
        GrannyFreeTrackMask(headMask);
        bodyMask = headMask = nullptr;
        const granny_skeleton* skeleton = GrannyGetSourceSkeleton(record.instance);
        granny_int32 head = -1;
        if (GrannyFindBoneByNameLowercase(skeleton, (modelName + " Head").c_str(), &head)) {
            bodyMask = GrannyNewTrackMask(1.0f, bones);
            GrannySetSkeletonTrackMaskChainDownwards(bodyMask, skeleton, head, 0.0f);
            GrannySetTrackMaskBoneWeight(bodyMask, head, 1.0f);
            headMask = GrannyCopyTrackMask(bodyMask);
            GrannyInvertTrackMask(headMask);
        }
        granny_int32 bone = -1;
        mandibleBone = GrannyFindBoneByNameLowercase(skeleton, "bip_mandible", &bone) ? bone : -1;
        smileLeftBone = GrannyFindBoneByNameLowercase(skeleton, "bip_smile_left", &bone) ? bone : -1;
        smileRightBone = GrannyFindBoneByNameLowercase(skeleton, "bip_smile_right", &bone) ? bone : -1;
    }

    for (int32_t i = 0; i < model->MeshBindingCount; ++i) {
        granny_mesh* mesh = model->MeshBindings[i].Mesh;
        if (mesh && !StartsWithBip(mesh->Name))
            CreateMesh(mesh, index);
    }
}

int32_t cKestruneMeshSprite::CreateMesh(granny_mesh* mesh, int32_t modelIndex)
{
    try {
        IDirect3DDevice8* device = SpriteDevice();
        const granny_skeleton* skeleton = GrannyGetSourceSkeleton(models.At(modelIndex).instance);
        MeshRecord record;
        record.mesh = mesh;
        record.model = modelIndex;
        record.binding = GrannyNewMeshBinding(mesh, skeleton, skeleton);

        const int32_t indexCount = GrannyGetMeshIndexCount(mesh);
        if (device && indexCount > 0 &&
            SUCCEEDED(device->CreateIndexBuffer(static_cast<UINT>(indexCount) * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                                D3DPOOL_MANAGED, &record.indexBuffer))) {
            BYTE* bits = nullptr;
            if (SUCCEEDED(record.indexBuffer->Lock(0, 0, &bits, 0))) {
                GrannyCopyMeshIndices(mesh, 2, bits);
                record.indexBuffer->Unlock();
            }
        }

        const int32_t bytes = GrannyGetMeshVertexCount(mesh) * 32;
        if (!GrannyMeshIsRigid(mesh)) {
            cKestruneSprites* sprites = cKestruneSprites::Current();
            if (sprites && bytes > sprites->skinBufferLength)
                sprites->EnsureSkinBuffers(0, bytes);
            record.deformer = GrannyNewMeshDeformer(GrannyGetMeshVertexType(mesh), GrannyPNT332VertexType,
                                                    GrannyDeformPositionNormal);
            if (!record.deformer) {
                GrannyFreeMeshBinding(record.binding);
                if (record.indexBuffer)
                    record.indexBuffer->Release();
                ReportError(kModule, "Deformer creation failed.", 1, "Deformer creation failed.");
                return -1;
            }
        } else if (device && bytes > 0 &&
                   SUCCEEDED(device->CreateVertexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY, kMeshFvf,
                                                        D3DPOOL_MANAGED, &record.vertexBuffer))) {
            BYTE* bits = nullptr;
            if (SUCCEEDED(record.vertexBuffer->Lock(0, 0, &bits, 0))) {
                GrannyCopyMeshVertices(mesh, GrannyPNT332VertexType, bits);
                record.vertexBuffer->Unlock();
            }
        }

        record.materialCount = std::max(0, mesh->MaterialBindingCount);
        record.materials = new int32_t[record.materialCount > 0 ? record.materialCount : 1];
        for (int32_t m = 0; m < record.materialCount; ++m) {
            record.materials[m] = -1;
            const granny_texture* texture =
                GrannyGetMaterialTextureByType(mesh->MaterialBindings[m].Material, GrannyDiffuseColorTexture);
            if (!texture)
                continue;
            for (int32_t t = 0; t < textures.count; ++t) {
                if (std::strcmp(textures.data[t].name, texture->FromFileName ? texture->FromFileName : "") == 0) {
                    record.materials[m] = t;
                    break;
                }
            }
        }
        meshes.Add(record);
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshSprite::CreateMesh.\n");
    }
    return 0;
}

IDirect3DTexture8* cKestruneMeshSprite::CreateS3TCTexture(granny_texture* texture, int32_t image)
{
    IDirect3DDevice8* device = SpriteDevice();
    if (!device)
        return nullptr;
    const granny_texture_image& source = texture->Images[image];
    const int32_t levels = std::min(TextureLevels(*texture), source.MIPLevelCount);
    const bool dxt = DxtSupported();
    const D3DFORMAT stored = DxtFormat(texture->SubFormat);
    const D3DFORMAT format = dxt ? stored : D3DFMT_A8R8G8B8;
    IDirect3DTexture8* made = nullptr;
    const HRESULT result = device->CreateTexture(static_cast<UINT>(texture->Width), static_cast<UINT>(texture->Height),
                                                 static_cast<UINT>(levels), 0, format, D3DPOOL_MANAGED, &made);
    if (FAILED(result) || !made) {
        ReportTextureFailure(result, "CreateS3TCTexture.");
        return nullptr;
    }
    int32_t width = texture->Width;
    int32_t height = texture->Height;
    for (int32_t level = 0; level < levels; ++level) {
        const size_t capacity = DxtLevelBytes(stored, width, height);
        if (dxt) {
            D3DLOCKED_RECT locked{};
            if (SUCCEEDED(made->LockRect(static_cast<UINT>(level), &locked, nullptr, 0))) {
                CopyLevel(locked.pBits, capacity, source.MIPLevels[level]);
                made->UnlockRect(static_cast<UINT>(level));
            }
        } else {
            IDirect3DSurface8* packed = nullptr;
            IDirect3DSurface8* plain = nullptr;
            IDirect3DSurface8* target = nullptr;
            const UINT w = static_cast<UINT>(width);
            const UINT h = static_cast<UINT>(height);
            if (SUCCEEDED(device->CreateImageSurface(w, h, stored, &packed)) &&
                SUCCEEDED(device->CreateImageSurface(w, h, D3DFMT_A8R8G8B8, &plain)) &&
                SUCCEEDED(made->GetSurfaceLevel(static_cast<UINT>(level), &target))) {
                D3DLOCKED_RECT locked{};
                if (SUCCEEDED(packed->LockRect(&locked, nullptr, 0))) {
                    CopyLevel(locked.pBits, capacity, source.MIPLevels[level]);
                    packed->UnlockRect();
                }
                D3DXLoadSurfaceFromSurface(plain, nullptr, nullptr, packed, nullptr, nullptr, D3DX_FILTER_NONE, 0);
                D3DXLoadSurfaceFromSurface(target, nullptr, nullptr, plain, nullptr, nullptr, D3DX_FILTER_NONE, 0);
            }
            for (IDirect3DSurface8* surface : {packed, plain, target})
                if (surface)
                    surface->Release();
        }
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    return made;
}

IDirect3DTexture8* cKestruneMeshSprite::CreateRGBATexture(granny_texture* texture, int32_t image)
{
    IDirect3DDevice8* device = SpriteDevice();
    if (!device)
        return nullptr;
    const int32_t levels = std::min(TextureLevels(*texture), texture->Images[image].MIPLevelCount);
    IDirect3DTexture8* made = nullptr;
    const HRESULT result = device->CreateTexture(static_cast<UINT>(texture->Width), static_cast<UINT>(texture->Height),
                                                 static_cast<UINT>(levels), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made);
    if (FAILED(result) || !made) {
        ReportTextureFailure(result, "CreateRGBATexture");
        return nullptr;
    }
    int32_t width = texture->Width;
    int32_t height = texture->Height;
    for (int32_t level = 0; level < levels; ++level) {
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(made->LockRect(static_cast<UINT>(level), &locked, nullptr, 0))) {
            GrannyCopyTextureImage(texture, image, level, &GrannyBGRA8888PixelFormat, width, height, locked.Pitch,
                                   locked.pBits);
            made->UnlockRect(static_cast<UINT>(level));
        }
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    return made;
}
