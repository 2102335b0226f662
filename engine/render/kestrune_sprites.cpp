#include "engine/render/kestrune_sprites.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/sprite_world.h"
#include "platform/granny/granny.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

cKestruneSprites* gCurrent = nullptr;

constexpr char kVersionWarning[] =
    "Warning: the Granny DLL currently loaded doesn't match the .h file used during compilation";

// Loads an image file of the datafile, or gives null when it is absent.
cKestruneImage* LoadOptionalImage(const char* fileName)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!files || !files->Exists(fileName))
        return nullptr;
    const int32_t slot = files->Open(fileName);
    if (slot <= 0)
        return nullptr;
    auto* image = new cKestruneImage(0);
    image->Load(slot);
    files->Close(slot);
    return image;
}

DWORD Channel(float value)
{
    // A script may hand in colours outside 0..1; one channel must never spill
    // into the next.
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<DWORD>(scaled);
}

} // namespace

IDirect3DDevice8* SpriteDevice()
{
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    return graphics ? graphics->device : nullptr;
}

cKestruneSprites* cKestruneSprites::Current() { return gCurrent; }

cKestruneSprites::cKestruneSprites()
{
    gCurrent = this;
    GrannySetMaximumAnimationBindingCount(0);
}

cKestruneSprites::~cKestruneSprites()
{
    for (int32_t i = 0; i < meshSpriteCache.count; ++i)
        delete meshSpriteCache.data[i];
    meshSpriteCache.count = 0;
    GrannyFreeLocalPose(localPose);
    localPose = nullptr;
    GrannyFlushAllUnusedAnimationBindings();
    lights.count = 0;
    std::memset(shadowLightPosition, 0, sizeof shadowLightPosition);
    std::memset(shadowVector, 0, sizeof shadowVector);
    if (skinBuffers) {
        for (int32_t i = 0; i < kSkinBufferCount; ++i) {
            if (skinBuffers[i])
                skinBuffers[i]->Release();
            skinBuffers[i] = nullptr;
        }
        delete[] skinBuffers;
    }
    delete shadowImage;
    delete fullShadowImage;
    if (gCurrent == this)
        gCurrent = nullptr;
}

int32_t cKestruneSprites::Init()
{
    if (!GrannyVersionsMatch(GrannyProductMajorVersion, GrannyProductMinorVersion, GrannyProductCustomization,
                             GrannyProductBuildNumber)) {
        ReportError("sprites", kVersionWarning, 1, "%s", kVersionWarning);
        return -1;
    }
    GrannyInitializeDefaultCamera(&camera);
    camera.NearClipPlane = 1.0f;
    camera.FarClipPlane = 100.0f;
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    const float w = static_cast<float>(graphics ? graphics->screenWidth : cKestruneGraphics::kScreenWidth);
    const float h = static_cast<float>(graphics ? graphics->screenHeight : cKestruneGraphics::kScreenHeight);
    GrannySetCameraAspectRatios(&camera, w / h, w, h, w, h);
    GrannyBuildCameraMatrices(&camera);

    skinBuffers = new IDirect3DVertexBuffer8*[kSkinBufferCount]();
    localPose = nullptr;

    shadowImage = LoadOptionalImage("shadow.image");
    fullShadowImage = LoadOptionalImage("shadow2.image");
    if (fullShadowImage) {
        fullShadowImage->alphaTest = 0;
        fullShadowImage->linearFiltering = 0;
    }

    static constexpr float kCornerUV[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int32_t i = 0; i < 4; ++i) {
        shadowQuad[i] = KestruneShadowVertex{};
        shadowQuad[i].u = kCornerUV[i][0];
        shadowQuad[i].v = kCornerUV[i][1];
    }
    return 0;
}

void cKestruneSprites::CreateSkinBuffer(int32_t index)
{
    IDirect3DDevice8* device = SpriteDevice();
    skinBuffers[index] = nullptr;
    if (device)
        device->CreateVertexBuffer(static_cast<UINT>(skinBufferLength), D3DUSAGE_DYNAMIC, kMeshFvf, D3DPOOL_DEFAULT,
                                   &skinBuffers[index]);
}

int32_t cKestruneSprites::EnsureSkinBuffers(int32_t bones, int32_t bytes)
{
    if (bones > poseBoneCapacity) {
        poseBoneCapacity = bones + 5;
        GrannyFreeLocalPose(localPose);
        localPose = GrannyNewLocalPose(poseBoneCapacity);
    }
    if (bytes > skinBufferLength && skinBuffers) {
        skinBufferLength = bytes + 100;
        for (int32_t i = 0; i < kSkinBufferCount; ++i) {
            if (skinBuffers[i])
                skinBuffers[i]->Release();
            CreateSkinBuffer(i);
        }
    }
    return 0;
}

IDirect3DVertexBuffer8* cKestruneSprites::NextSkinBuffer()
{
    skinBufferIndex = skinBufferIndex + 1;
    if (skinBufferIndex >= kSkinBufferCount)
        skinBufferIndex = 0;
    return skinBuffers ? skinBuffers[skinBufferIndex] : nullptr;
}

void cKestruneSprites::ReleaseSkinBuffers()
{
    if (!skinBuffers)
        return;
    for (int32_t i = 0; i < kSkinBufferCount; ++i) {
        if (skinBuffers[i])
            skinBuffers[i]->Release();
        skinBuffers[i] = nullptr;
    }
}

void cKestruneSprites::RecreateSkinBuffers()
{
    if (!skinBuffers || skinBufferLength <= 0)
        return;
    for (int32_t i = 0; i < kSkinBufferCount; ++i) {
        if (skinBuffers[i])
            skinBuffers[i]->Release();
        CreateSkinBuffer(i);
    }
}

void cKestruneSprites::SetCamera(const granny_camera& viewCamera)
{
    camera.FOVY = viewCamera.FOVY;
    camera.FarClipPlane = viewCamera.FarClipPlane;
    std::memcpy(camera.View4x4, viewCamera.View4x4, sizeof camera.View4x4);
    std::memcpy(camera.InverseView4x4, viewCamera.InverseView4x4, sizeof camera.InverseView4x4);
    std::memcpy(camera.Projection4x4, viewCamera.Projection4x4, sizeof camera.Projection4x4);
    std::memcpy(camera.InverseProjection4x4, viewCamera.InverseProjection4x4, sizeof camera.InverseProjection4x4);
}

void cKestruneSprites::FrameCamera(D3DXMATRIX& view, D3DXMATRIX& projection) const
{
    view = D3DXMATRIX(camera.View4x4);
    projection = D3DXMATRIX(camera.Projection4x4);
}

void cKestruneSprites::SetCameraFromMotion(KestruneCameraMotion motion)
{
    float* c = motion.c;
    if (c[12] == 0.0f)
        return;
    camera.FOVY = (1.5666666f - c[12] * 0.1928f) * c[12];
    c[2] = -c[2];
    c[5] = -c[5];
    c[8] = -c[8];
    c[11] = -c[11];
    const D3DXVECTOR3 eye(0, 0, 0);
    const D3DXVECTOR3 at(c[6], c[7], c[8]);
    const D3DXVECTOR3 up(c[3], c[4], c[5]);
    D3DXMATRIX view;
    if (D3DXMatrixLookAtLH(&view, &eye, &at, &up)) {
        const D3DXVECTOR3 p(c[9], c[10], c[11]);
        view._41 = -(p.x * view._11 + p.y * view._21 + p.z * view._31);
        view._42 = -(p.x * view._12 + p.y * view._22 + p.z * view._32);
        view._43 = -(p.x * view._13 + p.y * view._23 + p.z * view._33);
        D3DXMATRIX inverse;
        D3DXMatrixInverse(&inverse, nullptr, &view);
        std::memcpy(camera.View4x4, &view, sizeof camera.View4x4);
        std::memcpy(camera.InverseView4x4, &inverse, sizeof camera.InverseView4x4);
    }
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, camera.FOVY, 1.3333334f, 1.0f, camera.FarClipPlane);
    D3DXMATRIX inverseProjection;
    D3DXMatrixInverse(&inverseProjection, nullptr, &projection);
    std::memcpy(camera.Projection4x4, &projection, sizeof camera.Projection4x4);
    std::memcpy(camera.InverseProjection4x4, &inverseProjection, sizeof camera.InverseProjection4x4);
}

void cKestruneSprites::AddLight(float a1, float a2, float a3, float a4, float a5, float a6, float a7)
{
    LightRecord light;
    light.outerRadiusSquared = (a3 + a4) * (a3 + a4);
    light.innerRadius = a3;
    light.falloffWidth = a4;
    light.innerRadiusSquared = a3 * a3;
    light.x = a1;
    light.z = a2;
    light.red = a5;
    light.green = a6;
    light.blue = a7;
    light.enabled = 1;
    lights.Add(light);
}

void cKestruneSprites::ClearLights()
{
    lights.count = 0;
    std::memset(shadowLightPosition, 0, sizeof shadowLightPosition);
    std::memset(shadowVector, 0, sizeof shadowVector);
}

void cKestruneSprites::SetLightEnable(int32_t index, uint8_t enabled)
{
    if (index >= 0 && index < lights.count)
        lights.data[index].enabled = enabled;
}

DWORD cKestruneSprites::AmbientAt(float x, float z) const
{
    float colour[3] = {ambient[0], ambient[1], ambient[2]};
    float best = 10000.0f;
    for (int32_t i = 0; i < lights.count; ++i) {
        const LightRecord& light = lights.data[i];
        if (!light.enabled)
            continue;
        const float dx = light.x - x;
        const float dz = light.z - z;
        const float d2 = dx * dx + dz * dz;
        const float lightColour[3] = {light.red, light.green, light.blue};
        if (d2 >= light.outerRadiusSquared)
            continue;
        if (d2 < light.innerRadiusSquared) {
            if (d2 < best) {
                std::copy(lightColour, lightColour + 3, colour);
                best = d2;
            }
            continue;
        }
        const float t = (std::sqrt(d2) - light.innerRadius) / light.falloffWidth;
        for (int32_t c = 0; c < 3; ++c)
            colour[c] = colour[c] * t + lightColour[c] * (1.0f - t);
    }
    return 0xFF000000u | Channel(colour[0]) << 16 | Channel(colour[1]) << 8 | Channel(colour[2]);
}

void cKestruneSprites::ApplyLighting(float x, float z)
{
    if (IDirect3DDevice8* device = SpriteDevice())
        device->SetRenderState(D3DRS_AMBIENT, AmbientAt(x, z));
}

int32_t cKestruneSprites::CollectMeshSprites(DynArray<RenderQueueEntry>& queue)
{
    SpriteWorld().SubmitCharacters(queue);
    return 0;
}

void cKestruneSprites::ProjectionViewport(D3DVIEWPORT8& viewport, D3DXMATRIX& projection, D3DXMATRIX& view) const
{
    viewport = D3DVIEWPORT8{0, 0, cKestruneGraphics::kScreenWidth, cKestruneGraphics::kScreenHeight, 0.0f, 1.0f};
    if (IDirect3DDevice8* device = SpriteDevice())
        device->GetViewport(&viewport);
    projection = D3DXMATRIX(camera.Projection4x4);
    view = D3DXMATRIX(camera.View4x4);
}

int32_t cKestruneSprites::ScreenToWorld(int32_t x, int32_t y, D3DXVECTOR3* out)
{
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    const int32_t top = graphics ? graphics->band.top : cKestruneGraphics::kBandTop;
    const int32_t bottom = graphics ? graphics->band.bottom : cKestruneGraphics::kBandBottom;
    if (!(top < y && y < bottom))
        return -1;
    float d = 0.0f;
    // Without a depth sample there is no point under the pixel to give.
    if (!SpriteWorld().SampleViewDepth(x, y, d) || !(d > 0.0f))
        return -1;
    const float n = camera.NearClipPlane;
    const float f = camera.FarClipPlane;
    const float z = f / (f - n) - n * f / ((f - n) * d);
    D3DVIEWPORT8 viewport;
    D3DXMATRIX projection, view, identity;
    ProjectionViewport(viewport, projection, view);
    D3DXMatrixIdentity(&identity);
    const D3DXVECTOR3 screen(static_cast<float>(x), static_cast<float>(y), z);
    D3DXVec3Unproject(out, &screen, &viewport, &projection, &view, &identity);
    return 0;
}

int32_t cKestruneSprites::WorldToScreen(const D3DXVECTOR3& point, D3DXVECTOR3* out)
{
    D3DVIEWPORT8 viewport;
    D3DXMATRIX projection, view, identity;
    ProjectionViewport(viewport, projection, view);
    D3DXMatrixIdentity(&identity);
    D3DXVec3Project(out, &point, &viewport, &projection, &view, &identity);
    return 0;
}

void cKestruneSprites::CacheMeshSprite(const cString& name, uint8_t keep)
{
    try {
        if (cKestruneMeshSprite* found = FindCachedMeshSprite(name)) {
            if (keep)
                found->keep = 1;
            return;
        }
        auto* sprite = new cKestruneMeshSprite();
        sprite->Load(name);
        sprite->cached = 1;
        sprite->keep = keep;
        meshSpriteCache.Add(sprite);
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneSprites::CacheMeshSprite.\n");
    }
}

cKestruneMeshSprite* cKestruneSprites::FindCachedMeshSprite(const cString& name)
{
    for (int32_t i = 0; i < meshSpriteCache.count; ++i)
        if (std::strcmp(meshSpriteCache.data[i]->name.GetText(), name.GetText()) == 0)
            return meshSpriteCache.data[i];
    return nullptr;
}

void cKestruneSprites::ClearMeshSpriteCache()
{
    try {
        int32_t i = 0;
        while (i < meshSpriteCache.count) {
            cKestruneMeshSprite* sprite = meshSpriteCache.data[i];
            if (sprite->keep) {
                ++i;
                continue;
            }
            delete sprite;
            meshSpriteCache.RemoveAt(i);
        }
    } catch (const std::exception&) {
        std::printf("Handled exception in cKestruneSprites::ClearMeshSpriteCache.\n");
    }
}

void cKestruneSprites::ApplyLunarAdjustment(D3DXMATRIX& m) const
{
    D3DXVECTOR3 n(0.0f, -m._42, -m._43);
    D3DXVec3Normalize(&n, &n);
    m._22 = n.y;
    m._23 = n.z;
    D3DXVECTOR3 r1(m._11, -n.z * m._13, m._13);
    D3DXVec3Normalize(&r1, &r1);
    m._11 = r1.x;
    m._12 = r1.y;
    m._13 = r1.z;
    D3DXVECTOR3 r3(m._31, -n.z * m._33, m._33);
    D3DXVec3Normalize(&r3, &r3);
    m._31 = r3.x;
    m._32 = r3.y;
    m._33 = r3.z;
}
