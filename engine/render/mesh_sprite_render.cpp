// Drawing a mesh sprite: skinning into the shared buffers, lighting, both
// shadow kinds.
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "platform/granny/granny.h"

#include <cstdio>
#include <exception>

namespace {

constexpr UINT kVertexStride = 32;

void SetMeshStates(IDirect3DDevice8* device, bool multisampled)
{
    if (multisampled)
        device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetVertexShader(kMeshFvf);
}

} // namespace

void cKestruneMeshSprite::DrawGroups(const MeshRecord& record)
{
    IDirect3DDevice8* device = SpriteDevice();
    const int32_t groupCount = GrannyGetMeshTriangleGroupCount(record.mesh);
    const granny_tri_material_group* groups = GrannyGetMeshTriangleGroups(record.mesh);
    const UINT vertexCount = static_cast<UINT>(GrannyGetMeshVertexCount(record.mesh));
    for (int32_t g = 0; g < groupCount; ++g) {
        const granny_tri_material_group& group = groups[g];
        if (group.MaterialIndex >= 0 && group.MaterialIndex < record.materialCount &&
            record.materials[group.MaterialIndex] >= 0)
            device->SetTexture(0, textures.At(record.materials[group.MaterialIndex]).texture);
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, static_cast<UINT>(group.TriFirst) * 3,
                                     static_cast<UINT>(group.TriCount));
    }
}

void cKestruneMeshSprite::DrawMesh(const MeshRecord& record, const D3DXMATRIX& matrix, uint8_t withShadow)
{
    IDirect3DDevice8* device = SpriteDevice();
    cKestruneSprites* sprites = cKestruneSprites::Current();
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    const ModelRecord& model = models.At(record.model);
    const granny_real32* composite = GrannyGetWorldPoseComposite4x4Array(model.worldPose);
    device->SetIndices(record.indexBuffer, 0);
    const granny_int32* boneIndices = GrannyGetMeshBindingToBoneIndices(record.binding);
    const int32_t vertexCount = GrannyGetMeshVertexCount(record.mesh);

    IDirect3DVertexBuffer8* stream = nullptr;
    if (record.vertexBuffer) {
        stream = record.vertexBuffer;
        device->SetStreamSource(0, stream, kVertexStride);
        const int32_t bone = boneIndices && record.mesh->BoneBindingCount > 0 ? boneIndices[0] : 0;
        D3DXMATRIX boneWorld;
        const granny_real32* boneMatrix = bone >= 0 && bone < model.boneCount ? composite + 16 * bone : nullptr;
        if (boneMatrix)
            boneWorld = D3DXMATRIX(boneMatrix);
        else
            D3DXMatrixIdentity(&boneWorld);
        const D3DXMATRIX meshWorld = boneWorld * matrix;
        device->SetTransform(D3DTS_WORLD, &meshWorld);
    } else if (record.deformer && sprites) {
        stream = sprites->NextSkinBuffer();
        BYTE* bits = nullptr;
        // A buffer that could not be made (or locked) leaves the mesh undrawn.
        if (!stream || FAILED(stream->Lock(0, 0, &bits, 0)))
            return;
        GrannyDeformVertices(record.deformer, boneIndices, composite, vertexCount, GrannyGetMeshVertices(record.mesh),
                             bits);
        stream->Unlock();
        device->SetStreamSource(0, stream, kVertexStride);
        device->SetTransform(D3DTS_WORLD, &matrix);
    } else {
        return;
    }

    const bool simpleShadows = GraphicsHost().SimpleShadows() != 0;
    if (withShadow && !noShadow && !simpleShadows && sprites) {
        sprites->BeginShadow(world);
        DrawGroups(record);
        sprites->EndShadow();
        device->SetVertexShader(kMeshFvf);
        device->SetStreamSource(0, stream, kVertexStride);
        if (!record.vertexBuffer)
            device->SetTransform(D3DTS_WORLD, &matrix);
    }

    const bool multisampled = graphics && graphics->multisampleType != 0;
    SetMeshStates(device, multisampled);
    if (fixedAmbient != 0)
        device->SetRenderState(D3DRS_AMBIENT, fixedAmbient);
    else if (sprites)
        sprites->ApplyLighting(world._41, world._43);
    DrawGroups(record);
    if (multisampled)
        device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
}

int32_t cKestruneMeshSprite::Render(D3DXMATRIX matrix, uint8_t withShadow)
{
    try {
        if (parent && !withShadow)
            return 0;
        IDirect3DDevice8* device = SpriteDevice();
        if (!device)
            return 0;
        D3DXMATRIX saved;
        device->GetTransform(D3DTS_WORLD, &saved);
        device->SetVertexShader(kMeshFvf);
        for (int32_t i = 0; i < meshes.count; ++i)
            DrawMesh(meshes.data[i], matrix, withShadow);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        cKestruneSprites* sprites = cKestruneSprites::Current();
        if (withShadow && !noShadow && GraphicsHost().SimpleShadows() != 0 && sprites) {
            device->SetTransform(D3DTS_WORLD, &matrix);
            sprites->DrawSimpleShadow(world, 0.3f, 0.4f);
        }
        device->SetTransform(D3DTS_WORLD, &saved);
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshSprite::Render.\n");
    }
    return 0;
}
