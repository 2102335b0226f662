#include "engine/render/kestrune_mesh_sprite.h"

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_mesh_animation.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/sprite_world.h"
#include "platform/granny/granny.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

cKestruneMeshSprite::cKestruneMeshSprite()
{
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&linkLocal);
    std::memcpy(syncWeights, kDefaultSyncWeights, sizeof syncWeights);
}

cKestruneMeshSprite::~cKestruneMeshSprite()
{
    try {
        delete animation;
        animation = nullptr;
        GrannyFreeControl(mainControl);
        GrannyFreeControl(fadingControl);
        GrannyFreeControl(secondControl);
        GrannyFreeControl(baseControl);
        mainControl = fadingControl = secondControl = baseControl = nullptr;
        GrannyFreeTrackMask(bodyMask);
        GrannyFreeTrackMask(headMask);
        bodyMask = headMask = nullptr;
        for (int32_t i = 0; i < meshes.count; ++i) {
            MeshRecord& record = meshes.data[i];
            GrannyFreeMeshBinding(record.binding);
            GrannyFreeMeshDeformer(record.deformer);
            if (record.indexBuffer)
                record.indexBuffer->Release();
            if (record.vertexBuffer)
                record.vertexBuffer->Release();
            delete[] record.materials;
        }
        meshes.count = 0;
        for (int32_t i = 0; i < models.count; ++i) {
            GrannyFreeWorldPose(models.data[i].worldPose);
            GrannyFreeModelInstance(models.data[i].instance);
        }
        models.count = 0;
        for (int32_t i = 0; i < textures.count; ++i) {
            if (textures.data[i].texture)
                textures.data[i].texture->Release();
            std::free(textures.data[i].name);
        }
        textures.count = 0;
        GrannyFreeFile(file);
        file = nullptr;
        for (int32_t i = 0; i < retiredAnimations.count; ++i)
            GrannyFreeFile(retiredAnimations.data[i].file);
        retiredAnimations.count = 0;
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshSprite::~cKestruneMeshSprite.\n");
    }
}

void cKestruneMeshSprite::Load(const cString& spriteName)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (files) {
        const cString modelName = spriteName + ".gr2";
        if (files->Exists(modelName.GetText())) {
            const int32_t slot = files->Open(modelName.GetText());
            if (slot > 0) {
                Read(slot, files->GetSize(slot));
                files->Close(slot);
            }
        }
    }
    name = spriteName;
    ReadLipSyncWeights();
}

granny_control* cKestruneMeshSprite::PlayTrackGroup(granny_animation* played, granny_track_mask* mask)
{
    granny_controlled_animation_builder* builder = GrannyBeginControlledAnimation(0.0f, played);
    if (!builder)
        return nullptr;
    for (int32_t i = 0; i < models.count; ++i) {
        ModelRecord& record = models.data[i];
        granny_int32 group = 0;
        if (!GrannyFindTrackGroupForModel(played, record.model->Name, &group))
            continue;
        GrannySetTrackGroupTarget(builder, group, record.instance);
        if (IsMainModel(record) && mask)
            GrannySetTrackGroupModelMask(builder, group, mask);
    }
    return GrannyEndControlledAnimation(builder);
}

bool cKestruneMeshSprite::IsMainModel(const ModelRecord& record) const
{
    return mainModel.instance != nullptr && record.instance == mainModel.instance;
}

void cKestruneMeshSprite::ReleaseRetiredAnimations()
{
    int32_t kept = 0;
    for (int32_t i = 0; i < retiredAnimations.count; ++i) {
        const RetiredAnimation retired = retiredAnimations.data[i];
        const granny_control* const control = retired.control;
        const bool played = control
            && (control == mainControl || control == fadingControl || control == secondControl || control == baseControl);
        if (played)
            retiredAnimations.data[kept++] = retired;
        else
            GrannyFreeFile(retired.file);
    }
    retiredAnimations.count = kept;
}

int32_t cKestruneMeshSprite::Update(float seconds, uint8_t scrub)
{
    try {
        cKestruneSpriteWorld& clock = SpriteWorld();
        const float frameDelta = clock.FrameDeltaSeconds();
        if (mainControl) {
            if (!scrub) {
                GrannySetControlClock(mainControl, GrannyGetControlClock(mainControl) + seconds);
                if (mainModel.instance) {
                    GrannyUpdateModelMatrix(mainModel.instance, seconds, &world._11, &world._11);
                    position[0] = world._41;
                    position[1] = world._42;
                    position[2] = world._43;
                }
            } else {
                GrannySetControlClock(mainControl, GrannyGetControlLocalDuration(mainControl) * seconds);
            }
        }
        if (fadingControl) {
            GrannySetControlClock(fadingControl, GrannyGetControlClock(fadingControl) + (scrub ? frameDelta : seconds));
            if (GrannyControlIsComplete(fadingControl)) {
                GrannyFreeControl(fadingControl);
                fadingControl = nullptr;
            }
        }
        ReleaseRetiredAnimations();
        if (baseControl)
            GrannySetControlClock(baseControl, GrannyGetControlClock(baseControl) + frameDelta);
        if (secondControl)
            GrannySetControlClock(secondControl, GrannyGetControlClock(secondControl) + frameDelta);
        if (parent && parent->mainModel.worldPose) {
            const D3DXMATRIX bone(GrannyGetWorldPose4x4(parent->mainModel.worldPose, parentBone));
            D3DXMatrixMultiply(&world, &linkLocal, &bone);
            position[0] = world._41;
            position[1] = world._42;
            position[2] = world._43;
        }
        cKestruneSprites* sprites = cKestruneSprites::Current();
        granny_local_pose* pose = sprites ? sprites->localPose : nullptr;
        if (!pose || models.count == 0)
            return 0;
        const bool speaking = clock.SpeechBelongsTo(this);
        for (int32_t i = 0; i < models.count; ++i) {
            ModelRecord& record = models.data[i];
            GrannySampleModelAnimations(record.instance, 0, record.boneCount, pose);
            // The lip-sync bones are indices into the main model's skeleton.
            if (speaking && IsMainModel(record))
                ApplySync();
            GrannyBuildWorldPose(GrannyGetSourceSkeleton(record.instance), 0, record.boneCount, pose, &world._11,
                                 record.worldPose);
        }
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneMeshSprite::Update.\n");
    }
    return 0;
}

int32_t cKestruneMeshSprite::Submit(DynArray<RenderQueueEntry>& queue)
{
    cKestruneSprites* sprites = cKestruneSprites::Current();
    if (!sprites)
        return 0;
    D3DXVECTOR3 screen;
    sprites->WorldToScreen(D3DXVECTOR3(position[0], position[1], position[2]), &screen);
    const float n = sprites->camera.NearClipPlane;
    const float f = sprites->camera.FarClipPlane;
    const float depth = -(n * f / (f - n)) / (screen.z - f / (f - n));
    queue.Add(RenderQueueEntry{depth, this, kRenderKindMeshSprite});
    return 0;
}

void cKestruneMeshSprite::SetWorldTranslation()
{
    world._41 = position[0];
    world._42 = position[1];
    world._43 = position[2];
    cKestruneSprites* sprites = cKestruneSprites::Current();
    if (sprites && sprites->lunarBehaviour == 1)
        sprites->ApplyLunarAdjustment(world);
}

int32_t cKestruneMeshSprite::SetPosition(float x, float y, float z)
{
    position[0] = x;
    position[1] = y;
    position[2] = z;
    SetWorldTranslation();
    return -1;
}

int32_t cKestruneMeshSprite::RefreshPosition()
{
    SetWorldTranslation();
    return -1;
}

int32_t cKestruneMeshSprite::GetPosition(float* x, float* y, float* z) const
{
    *x = position[0];
    *y = position[1];
    *z = position[2];
    return 0;
}

int32_t cKestruneMeshSprite::SetRotation(float a, float b, float c)
{
    D3DXMATRIX rx, ry, rz;
    D3DXMatrixRotationX(&rx, a);
    D3DXMatrixRotationY(&ry, b);
    D3DXMatrixRotationZ(&rz, c);
    D3DXMatrixIdentity(&world);
    D3DXMatrixMultiply(&world, &world, &rx);
    D3DXMatrixMultiply(&world, &world, &ry);
    D3DXMatrixMultiply(&world, &world, &rz);
    SetWorldTranslation();
    return -1;
}

int32_t cKestruneMeshSprite::SetOrientation(float a1, float a2, float a3, float a4, float a5, float a6)
{
    // The model faces along its own x axis: SetRotation (0, b, 0) puts
    // (cos b, 0, -sin b) in the first row, and a walk's final direction and
    // the controllers read that row back as the facing. So the forward vector
    // becomes the first row, the up vector (made square to it) the second,
    // and their cross product the third, which is exactly the rotation about
    // y that SetRotation builds for a level forward vector and an upright up.
    D3DXVECTOR3 up(a1, a2, a3);
    D3DXVECTOR3 forward(a4, a5, a6);
    D3DXVec3Normalize(&up, &up);
    D3DXVec3Normalize(&forward, &forward);
    if (D3DXVec3Length(&up) < 0.99f || D3DXVec3Length(&forward) < 0.99f)
        return -1;
    D3DXVECTOR3 side;
    D3DXVec3Cross(&side, &forward, &up);
    D3DXVec3Normalize(&side, &side);
    // Facing straight up or down leaves no side axis; a degenerate matrix
    // would flatten the model.
    if (D3DXVec3Length(&side) < 0.99f)
        return -1;
    D3DXVec3Cross(&up, &side, &forward);
    world = D3DXMATRIX(forward.x, forward.y, forward.z, 0,
                       up.x, up.y, up.z, 0,
                       side.x, side.y, side.z, 0,
                       0, 0, 0, 1);
    SetWorldTranslation();
    return -1;
}

int32_t cKestruneMeshSprite::GetAxes(D3DXVECTOR3* u, D3DXVECTOR3* v) const
{
    if (u)
        *u = D3DXVECTOR3(world._21, world._22, world._23);
    if (v)
        *v = D3DXVECTOR3(world._11, world._12, world._13);
    return 0;
}
