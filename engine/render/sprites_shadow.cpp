// The two shadow kinds of a mesh sprite: a textured quad under the model, or
// the model's own triangles flattened onto its ground plane.
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/sprite_world.h"

#include <algorithm>

bool cKestruneSprites::ShadowVectorSet() const
{
    return shadowVector[0] != 0.0f || shadowVector[1] != 0.0f || shadowVector[2] != 0.0f;
}

float cKestruneSprites::GroundHeight(const D3DXMATRIX& m) const
{
    cKestruneSpriteWorld& world = SpriteWorld();
    float y = m._42;
    if (world.PlayerReportsHeight(m._41, m._43)) {
        float height = 0.0f;
        if (world.PlayerHeight(m._41, m._43, height))
            y = height;
    }
    return y;
}

void cKestruneSprites::DrawSimpleShadow(D3DXMATRIX m, float halfWidth, float halfDepth)
{
    m._42 = GroundHeight(m);
    const D3DXVECTOR3 corners[4] = {{-halfWidth, 0, -halfDepth},
                                    {-halfWidth, 0, halfDepth},
                                    {halfWidth, 0, halfDepth},
                                    {halfWidth, 0, -halfDepth}};
    for (int32_t i = 0; i < 4; ++i) {
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &corners[i], &m);
        shadowQuad[i].x = p.x;
        shadowQuad[i].y = p.y;
        shadowQuad[i].z = p.z;
    }
    IDirect3DDevice8* device = SpriteDevice();
    if (!device)
        return;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetVertexShader(kShadowFvf);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTexture(0, shadowImage ? shadowImage->FirstTexture() : nullptr);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, shadowQuad, sizeof(KestruneShadowVertex));
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

void cKestruneSprites::PlaceFullShadow(const D3DXVECTOR3& ground)
{
    float dx = 0.0f;
    float dz = 0.0f;
    if (ShadowVectorSet()) {
        dx = 4.0f * shadowVector[0];
        dz = 4.0f * shadowVector[2];
    }
    const float low[2] = {std::min(dx, 0.0f), std::min(dz, 0.0f)};
    const float high[2] = {std::max(dx, 0.0f), std::max(dz, 0.0f)};
    const D3DXVECTOR3 corners[4] = {{ground.x - 0.7f + low[0], ground.y, ground.z - 0.7f + low[1]},
                                    {ground.x + 0.7f + high[0], ground.y, ground.z - 0.7f + low[1]},
                                    {ground.x + 0.7f + high[0], ground.y, ground.z + 0.7f + high[1]},
                                    {ground.x - 0.7f + low[0], ground.y, ground.z + 0.7f + high[1]}};
    D3DVIEWPORT8 viewport;
    D3DXMATRIX projection, view, identity;
    ProjectionViewport(viewport, projection, view);
    D3DXMatrixIdentity(&identity);
    float left = 2000.0f, top = 2000.0f, right = 0.0f, bottom = 0.0f;
    for (const D3DXVECTOR3& corner : corners) {
        D3DXVECTOR3 s;
        D3DXVec3Project(&s, &corner, &viewport, &projection, &view, &identity);
        left = std::min(left, s.x);
        top = std::min(top, s.y);
        right = std::max(right, s.x);
        bottom = std::max(bottom, s.y);
    }
    left = std::max(left, 0.0f);
    right = std::min(right, 1024.0f);
    top = std::max(top, 128.0f);
    bottom = std::min(bottom, 640.0f);
    fullShadowImage->SetPosition(static_cast<int32_t>(left), static_cast<int32_t>(top),
                                 static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top));
}

void cKestruneSprites::BeginShadow(D3DXMATRIX m)
{
    const D3DXVECTOR3 ground(m._41, GroundHeight(m), m._43);
    const D3DXVECTOR3 up(m._21, m._22, m._23);
    D3DXVECTOR4 light;
    if (ShadowVectorSet())
        light = D3DXVECTOR4(ground.x - 4.0f * shadowVector[0], ground.y - 4.0f * shadowVector[1],
                            ground.z - 4.0f * shadowVector[2], 1.0f);
    else
        light = D3DXVECTOR4(ground.x + 4.0f * up.x, ground.y + 4.0f * up.y, ground.z + 4.0f * up.z, 1.0f);
    D3DXPLANE plane;
    D3DXPlaneFromPointNormal(&plane, &ground, &up);
    D3DXMATRIX shadow;
    D3DXMatrixShadow(&shadow, &light, &plane);

    IDirect3DDevice8* device = SpriteDevice();
    if (!device)
        return;
    device->GetTransform(D3DTS_WORLD, &savedWorld);
    device->SetTransform(D3DTS_WORLD, &shadow);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    if (graphics && graphics->stencilBits > 0) {
        if (fullShadowImage)
            PlaceFullShadow(ground);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
        device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NEVER);
        device->SetRenderState(D3DRS_STENCILREF, 1);
        device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_REPLACE);
    } else {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        if (fullShadowImage)
            device->SetTexture(0, fullShadowImage->FirstTexture());
    }
}

void cKestruneSprites::EndShadow()
{
    IDirect3DDevice8* device = SpriteDevice();
    if (!device)
        return;
    device->SetTransform(D3DTS_WORLD, &savedWorld);
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    if (!(graphics && graphics->stencilBits > 0)) {
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        return;
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_ZERO);
    device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_ZERO);
    if (fullShadowImage) {
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        fullShadowImage->Render(0);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
}
