#include "engine/app/default_members.h"
#include "engine/app/engine_sprite_world.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"

#include <memory>
#include <new>

namespace {
// What the sprite system asks of the engine lives as long as the sprite system.
std::unique_ptr<cKestruneEngineSpriteWorld> gSpriteWorld;
} // namespace

bool cKestruneDefaultMembers::CreateSprites(cKestruneEngine& engine)
{
    gSpriteWorld = std::make_unique<cKestruneEngineSpriteWorld>(engine);
    SetSpriteWorld(gSpriteWorld.get());
    engine.sprites = new (std::nothrow) cKestruneSprites();
    return engine.sprites && engine.sprites->Init() == 0;
}

void cKestruneDefaultMembers::DestroySprites(cKestruneEngine& engine)
{
    DeleteMember(engine.sprites);
    SetSpriteWorld(nullptr);
    gSpriteWorld.reset();
}

// Characters are drawn and floor clicks are unprojected with the camera of
// the view the scene shows.
void cKestruneEngineWorldHost::SetCamera(const granny_camera& camera)
{
    if (engine_.sprites)
        engine_.sprites->SetCamera(camera);
}

float cKestruneEngineGraphicsHost::CameraNear()
{
    return engine_.sprites ? engine_.sprites->camera.NearClipPlane : 1.0f;
}

float cKestruneEngineGraphicsHost::CameraFar()
{
    return engine_.sprites ? engine_.sprites->camera.FarClipPlane : 1000.0f;
}

void cKestruneEngineGraphicsHost::GetCamera(D3DXMATRIX& view, D3DXMATRIX& projection)
{
    if (engine_.sprites)
        engine_.sprites->FrameCamera(view, projection);
    else {
        D3DXMatrixIdentity(&view);
        D3DXMatrixIdentity(&projection);
    }
}

void cKestruneEngineGraphicsHost::CollectMeshSprites(DynArray<RenderQueueEntry>& list)
{
    if (engine_.sprites)
        engine_.sprites->CollectMeshSprites(list);
}

void cKestruneEngineGraphicsHost::RenderMeshSprite(void* sprite, const D3DXMATRIX& world, int32_t withShadow)
{
    static_cast<cKestruneMeshSprite*>(sprite)->Render(world, static_cast<uint8_t>(withShadow));
}

void cKestruneEngineGraphicsHost::MeshSpriteFrame(void* sprite, D3DXVECTOR3& position, D3DXVECTOR3& up)
{
    const auto* meshSprite = static_cast<const cKestruneMeshSprite*>(sprite);
    position = D3DXVECTOR3(meshSprite->position[0], meshSprite->position[1], meshSprite->position[2]);
    meshSprite->GetAxes(&up, nullptr);
}

void cKestruneEngineGraphicsHost::ReleaseSkinBuffers()
{
    if (engine_.sprites)
        engine_.sprites->ReleaseSkinBuffers();
}

void cKestruneEngineGraphicsHost::RecreateSkinBuffers()
{
    if (engine_.sprites)
        engine_.sprites->RecreateSkinBuffers();
}
