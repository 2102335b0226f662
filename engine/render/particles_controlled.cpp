// The boat's wake and the diver's bubbles: effects their controllers own,
// move and put into the frame's draw list.

#include "engine/audio/kestrune_sound.h"
#include "engine/render/graphics_host.h"
#include "engine/render/image_resource.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_particles.h"

#include <cmath>

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBubbleColour = 0x80FFFFFF;
constexpr float kBurstSeconds = 3.0f;
constexpr int32_t kBubbleSoundId = 0;

D3DXVECTOR3 Transformed(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

// The draw-list depth of a world point, from its projected depth.
float DrawDepth(const ParticleNode& p)
{
    cKestruneGraphicsHost& host = GraphicsHost();
    D3DXMATRIX view, projection, both;
    host.GetCamera(view, projection);
    D3DXMatrixMultiply(&both, &view, &projection);
    const float z = Transformed(D3DXVECTOR3(p.x, p.y, p.z), both).z;
    const float n = host.CameraNear(), f = host.CameraFar();
    return -(f * n / (f - n)) / (z - f / (f - n));
}

void TranslucentPointStates(IDirect3DDevice8* device)
{
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

IDirect3DDevice8* Device()
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->device : nullptr;
}

} // namespace

// Zodiac.

cKestruneParticlesZodiac::cKestruneParticlesZodiac(int32_t count) : cKestruneParticles(count)
{
    pointSize = 0.8f;
    minPointSize = 5.0f;
    maxPointSize = 30.0f;
    D3DXMatrixIdentity(&emitter);
    image = LoadImageResource("particle_zodiac.image");
    particles = NewParticles(count);
}

cKestruneParticlesZodiac::~cKestruneParticlesZodiac() { FreeParticles(particles); }

void cKestruneParticlesZodiac::Spawn(ParticleNode& p) const
{
    D3DXVECTOR3 d(-(0.2f * ParticleRandom() + 2.25f), -0.5f, 0.1f - 0.2f * ParticleRandom());
    const D3DXVECTOR3 at = Transformed(d, emitter);
    p.x = at.x;
    p.y = at.y;
    p.z = at.z;
    d.x *= 0.05f;
    d.z *= 3.0f;
    const D3DXVECTOR3 t = Transformed(d, emitter);
    p.vx = t.x - emitter._41;
    p.vy = -0.5f;
    p.vz = t.z - emitter._43;
}

void cKestruneParticlesZodiac::SetMatrix(const D3DXMATRIX& matrix, bool reset)
{
    emitter = matrix;
    if (initialised && !reset)
        return;
    for (ParticleNode* p = particles; p; p = p->next) {
        Spawn(*p);
        p->colour = (static_cast<uint32_t>(255.0f * ParticleRandom()) << 24) | kWhite;
    }
    initialised = 1;
}

int32_t cKestruneParticlesZodiac::Render()
{
    const float dt = GraphicsHost().FrameDeltaSeconds();
    const float a = dt * 128.0f;
    const uint32_t step = static_cast<uint32_t>(a) << 24;
    for (ParticleNode* p = particles; p; p = p->next) {
        if (p->colour < step) {
            Spawn(*p);
            p->colour = (static_cast<uint32_t>(a + ParticleRandom() * (255.0f - a)) << 24) | kWhite;
            continue;
        }
        p->colour -= step;
        p->x += dt * p->vx;
        p->z += dt * p->vz;
    }
    IDirect3DDevice8* const device = Device();
    if (!device)
        return 0;
    TranslucentPointStates(device);
    pointSize = 0.25f;
    return DrawList(image, particles) == 0 || !image ? 0 : -1;
}

int32_t cKestruneParticlesZodiac::Submit(DynArray<RenderQueueEntry>& list)
{
    if (particles)
        list.Add(RenderQueueEntry{DrawDepth(*particles), this, kRenderKindObject});
    return 0;
}

// Diver.

cKestruneParticlesDiver::cKestruneParticlesDiver(int32_t count) : cKestruneParticles(count), budget(count)
{
    pointSize = 0.1f;
    minPointSize = 1.0f;
    maxPointSize = 10.0f;
    D3DXMatrixIdentity(&emitter);
    image = LoadImageResource("particle_diver.image");
    particles = NewParticles(count);
    for (ParticleNode* p = particles; p; p = p->next)
        p->colour = kWhite;
    lastBurst = GraphicsHost().FrameSeconds();
}

cKestruneParticlesDiver::~cKestruneParticlesDiver() { FreeParticles(particles); }

void cKestruneParticlesDiver::SetMatrix(const D3DXMATRIX& matrix) { emitter = matrix; }

void cKestruneParticlesDiver::Emit()
{
    cKestruneGraphicsHost& host = GraphicsHost();
    const float dt = host.FrameDeltaSeconds();
    const float now = host.FrameSeconds();
    const uint32_t step = static_cast<uint32_t>(dt * 64.0f) << 24;
    if (now - lastBurst > kBurstSeconds) {
        pending = budget;
        lastBurst = now;
        if (cKestruneSound* const sound = cKestruneSound::Current())
            sound->PlayEmittedSound(kBubbleSoundId, 1.0f, emitter._41, emitter._42, emitter._43, nullptr, "", 0);
    }
    int32_t k = pending > 0 ? static_cast<int32_t>(budget * dt) : 0;
    for (ParticleNode* p = particles; p; p = p->next) {
        if (p->colour < step) {
            p->colour = kWhite;
            if (k > 0) {
                const D3DXVECTOR3 at =
                    Transformed(D3DXVECTOR3(-0.1f, 0.03f * ParticleRandom() - 0.15f, -0.1f), emitter);
                p->x = at.x;
                p->y = at.y;
                p->z = at.z;
                p->colour = kBubbleColour;
                p->vx = 0.15f - 0.3f * ParticleRandom();
                p->vz = 0.15f - 0.3f * ParticleRandom();
                --k;
                --pending;
            }
            continue;
        }
        p->colour -= step;
        p->x -= dt * p->vx;
        p->y += dt;
        p->z -= dt * p->vz;
    }
}

int32_t cKestruneParticlesDiver::Render()
{
    IDirect3DDevice8* const device = Device();
    if (!device)
        return 0;
    TranslucentPointStates(device);
    pointSize = 0.05f;
    return DrawList(image, particles) == 0 || !image ? 0 : -1;
}

int32_t cKestruneParticlesDiver::Submit(DynArray<RenderQueueEntry>& list)
{
    if (particles)
        list.Add(RenderQueueEntry{DrawDepth(*particles), this, kRenderKindObject});
    return 0;
}
