// The shared point-sprite drawing of every particle effect, and the weather
// and fountain effects that scripts create and savegames keep.

#include "engine/render/kestrune_particles.h"

#include "engine/base/engine_link.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/image_resource.h"
#include "engine/render/kestrune_image.h"
#include "platform/crt/rand.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kPointFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr UINT kPointStride = 16;
// Far more than any scene asks for; keeps a damaged count from sizing a
// buffer past what the byte count can hold.
constexpr int32_t kMaxParticles = 1 << 20;
constexpr float kLongFrame = 0.15f;
constexpr float kLongFrameStep = 0.1f;
constexpr uint32_t kSplashColour = 0x20202020;
constexpr uint32_t kDropColour = 0x40404040;

IDirect3DDevice8* Device()
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    return graphics ? graphics->device : nullptr;
}

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

int32_t DrawFailed(const char* where, HRESULT result)
{
    ReportError("particle", where, 1, "Particle rendering failed. Code: (%08x)", static_cast<unsigned>(result));
    return -1;
}

// Weather moves by at most a tenth of a second in a long frame.
float WeatherStep()
{
    const float dt = GraphicsHost().FrameDeltaSeconds();
    return dt > kLongFrame ? kLongFrameStep : dt;
}

void AdditiveStates(IDirect3DDevice8* device)
{
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

void RestoreBlendStates(IDirect3DDevice8* device)
{
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

// Moves falling splashes (y decreasing by vy), accelerating them by gain per
// second, and frees those below the floor.
void MoveSplashes(ParticleNode*& list, float dt, float floor, float gain)
{
    for (ParticleNode** link = &list; *link;) {
        ParticleNode* const p = *link;
        if (p->y < floor) {
            *link = p->next;
            std::free(p);
            continue;
        }
        p->x += dt * p->vx;
        p->y -= dt * p->vy;
        p->z += dt * p->vz;
        p->vy += gain * dt;
        link = &p->next;
    }
}

ParticleNode* PushSplash(ParticleNode*& list)
{
    ParticleNode* const node = static_cast<ParticleNode*>(std::calloc(1, sizeof(ParticleNode)));
    if (node) {
        node->next = list;
        list = node;
    }
    return node;
}

} // namespace

float ParticleRandom() { return static_cast<float>(rand()) * (1.0f / 32767.0f); }

void FreeParticles(ParticleNode*& list)
{
    while (list) {
        ParticleNode* const next = list->next;
        std::free(list);
        list = next;
    }
}

ParticleNode* NewParticles(int32_t n)
{
    ParticleNode* list = nullptr;
    for (int32_t i = 0; i < n; ++i) {
        ParticleNode* const node = static_cast<ParticleNode*>(std::calloc(1, sizeof(ParticleNode)));
        if (!node)
            break;
        node->next = list;
        list = node;
    }
    return list;
}

cKestruneParticles::cKestruneParticles(int32_t count)
{
    count = std::clamp(count, 0, kMaxParticles);
    batchStart = static_cast<uint32_t>(count);
    bufferLength = count;
    batchSize = static_cast<uint32_t>(count / 10);
    IDirect3DDevice8* const device = Device();
    if (!device)
        return;
    const HRESULT result =
        device->CreateVertexBuffer(static_cast<UINT>(std::max(count, 1)) * kPointStride,
                                   D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS | D3DUSAGE_DYNAMIC, kPointFvf,
                                   D3DPOOL_DEFAULT, &vertexBuffer);
    if (FAILED(result)) {
        vertexBuffer = nullptr;
        ReportError("particle", "constructor", 1, "Creating vertex buffer failed. Code: (%08x)",
                    static_cast<unsigned>(result));
    }
}

cKestruneParticles::~cKestruneParticles()
{
    delete image;
    if (vertexBuffer)
        vertexBuffer->Release();
}

int32_t cKestruneParticles::Submit(DynArray<RenderQueueEntry>& list)
{
    list.Add(RenderQueueEntry{0.1f, this, kRenderKindObject});
    return 0;
}

void cKestruneParticles::AdvanceBatch()
{
    batchStart += batchSize;
    // A batch never runs past the buffer's end, whatever the count.
    if (batchStart >= static_cast<uint32_t>(bufferLength) || batchStart + batchSize > static_cast<uint32_t>(bufferLength))
        batchStart = 0;
}

int32_t cKestruneParticles::DrawList(cKestruneImage* texture, const ParticleNode* list)
{
    IDirect3DDevice8* const device = Device();
    if (!device || !vertexBuffer || !texture)
        return -1;
    device->SetTexture(0, texture->FirstTexture());
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSIZE, FloatBits(pointSize));
    device->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(minPointSize));
    device->SetRenderState(D3DRS_POINTSIZE_MAX, FloatBits(maxPointSize));
    device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(1.0f));
    device->SetStreamSource(0, vertexBuffer, kPointStride);
    device->SetVertexShader(kPointFvf);

    // A batch size of 0 locks the whole buffer; it is drawn when full.
    const uint32_t capacity = batchSize > 0 ? batchSize : static_cast<uint32_t>(std::max(bufferLength, 1));
    auto lock = [&](BYTE*& out) {
        return vertexBuffer->Lock(batchStart * kPointStride, batchSize * kPointStride, &out,
                                  batchStart != 0 ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD);
    };
    AdvanceBatch();
    BYTE* out = nullptr;
    HRESULT result = lock(out);
    if (FAILED(result))
        return DrawFailed("A", result);
    uint32_t written = 0;
    for (const ParticleNode* p = list; p; p = p->next) {
        const float position[3] = {p->x, p->y, p->z};
        std::memcpy(out + written * kPointStride, position, sizeof position);
        std::memcpy(out + written * kPointStride + 12, &p->colour, 4);
        if (++written < capacity)
            continue;
        vertexBuffer->Unlock();
        result = device->DrawPrimitive(D3DPT_POINTLIST, batchStart, written);
        if (FAILED(result))
            return DrawFailed("D", result);
        AdvanceBatch();
        result = lock(out);
        if (FAILED(result))
            return DrawFailed("B", result);
        written = 0;
    }
    vertexBuffer->Unlock();
    if (written > 0) {
        result = device->DrawPrimitive(D3DPT_POINTLIST, batchStart, written);
        if (FAILED(result))
            return DrawFailed("C", result);
    }
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    return 0;
}

// Snow.

cKestruneWeatherSnow::cKestruneWeatherSnow(const WeatherParams& p) : cKestruneParticles(p.count), params(p)
{
    params.count = bufferLength;
    pointSize = 0.08f;
    minPointSize = 1.0f;
    maxPointSize = 6.0f;
    for (const char* name : {"particle_snowflake.image", "particle_snowflake2.image", "particle_snowflake3.image",
                             "particle_snowflake4.image"}) {
        if (cKestruneImage* loaded = LoadImageResource(name))
            images[imageCount++] = loaded;
    }
    for (ParticleNode*& list : lists) {
        list = NewParticles(params.count / 4);
        for (ParticleNode* flake = list; flake; flake = flake->next)
            Spawn(*flake, true);
    }
}

cKestruneWeatherSnow::~cKestruneWeatherSnow()
{
    for (ParticleNode*& list : lists)
        FreeParticles(list);
    for (int32_t i = 0; i < imageCount; ++i)
        delete images[i];
}

void cKestruneWeatherSnow::Spawn(ParticleNode& flake, bool atBuild) const
{
    const float h = params.halfWidth, s = params.speed;
    flake.x = params.centreX + 2 * h * ParticleRandom() - h;
    flake.y = atBuild ? params.bottom + (params.top - params.bottom) * ParticleRandom() : params.top;
    flake.z = params.centreZ + 2 * h * ParticleRandom() - h;
    flake.vx = (2 * s * ParticleRandom() - s) * 0.1f;
    flake.vy = s / 2 + ParticleRandom() * s / 2;
    flake.vz = (s / 2 * ParticleRandom() - s) * 0.1f;
    flake.colour = 0xFFFFFFFF;
}

int32_t cKestruneWeatherSnow::Render()
{
    const float dt = WeatherStep();
    const float s = params.speed;
    for (ParticleNode* list : lists) {
        for (ParticleNode* p = list; p; p = p->next) {
            if (p->y < params.bottom) {
                Spawn(*p, false);
                continue;
            }
            p->x += dt * p->vx;
            p->y -= dt * p->vy;
            p->z += dt * p->vz;
            p->vx += (ParticleRandom() * s - s / 2) * 0.02f;
            p->vy += (ParticleRandom() * s - s / 2) * 0.05f;
            p->vz += (ParticleRandom() * s - s / 2) * 0.02f;
            if (std::abs(p->vx) > 0.2f)
                p->vx *= 0.5f;
            if (p->vy < 0 || p->vy > s)
                p->vy *= 0.5f;
            if (std::abs(p->vz) > 0.2f)
                p->vz *= 0.5f;
        }
    }
    IDirect3DDevice8* const device = Device();
    if (!device || imageCount == 0)
        return 0;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    for (int32_t i = 0; i < 4; ++i) {
        if (DrawList(images[std::min(i, imageCount - 1)], lists[i]) != 0)
            return -1;
    }
    return 0;
}

// Rain.

cKestruneWeatherRain::cKestruneWeatherRain(const WeatherParams& p) : cKestruneParticles(p.count), params(p)
{
    params.count = bufferLength;
    minPointSize = 1.0f;
    maxPointSize = 12.0f;
    image = LoadImageResource("particle_raindrop.image");
    drops = NewParticles(params.count);
    const float h = params.halfWidth, f = params.speed;
    for (ParticleNode* d = drops; d; d = d->next) {
        const float g = ParticleRandom();
        d->x = g * params.extra1 + 2 * h * ParticleRandom() + params.centreX - h;
        d->y = params.top - (params.top - params.bottom) * g;
        d->z = g * params.extra2 + 2 * h * ParticleRandom() + params.centreZ - h;
        d->vx = params.extra1 * 0.1f * ParticleRandom() + params.extra1;
        d->vy = 0.9f * f + 0.2f * f * ParticleRandom();
        d->vz = params.extra2 * 0.1f * ParticleRandom() + params.extra2;
        d->colour = kDropColour;
    }
}

cKestruneWeatherRain::~cKestruneWeatherRain()
{
    FreeParticles(drops);
    FreeParticles(splashes);
}

void cKestruneWeatherRain::Spawn(ParticleNode& d) const
{
    const float h = params.halfWidth, f = params.speed;
    d.x = 2 * h * ParticleRandom() + params.centreX - h;
    d.z = 2 * h * ParticleRandom() + params.centreZ - h;
    d.vx = params.extra1 * 0.1f * ParticleRandom() + params.extra1;
    d.vy = 0.9f * f + 0.2f * f * ParticleRandom();
    d.vz = params.extra2 * 0.1f * ParticleRandom() + params.extra2;
}

int32_t cKestruneWeatherRain::Render()
{
    const float dt = WeatherStep();
    const float f = params.speed;
    for (ParticleNode* d = drops; d; d = d->next) {
        if (d->y >= params.bottom) {
            d->x += dt * d->vx;
            d->y -= dt * d->vy;
            d->z += dt * d->vz;
            continue;
        }
        for (int i = 0; i < 6; ++i) {
            ParticleNode* const s = PushSplash(splashes);
            if (!s)
                break;
            s->colour = kSplashColour;
            s->vx = (f / 2 - ParticleRandom() * f) * 0.1f;
            s->x = d->x + s->vx * 0.2f;
            s->vz = (f / 2 - ParticleRandom() * f) * 0.1f;
            s->z = d->z + s->vz * 0.2f;
            s->vy = -0.05f * f;
            s->y = params.bottom;
        }
        d->y = params.top - ParticleRandom() * d->vy * dt;
        Spawn(*d);
    }
    IDirect3DDevice8* const device = Device();
    if (!device)
        return 0;
    AdditiveStates(device);
    pointSize = 0.2f;
    if (DrawList(image, drops) != 0 && image)
        return -1;
    MoveSplashes(splashes, dt, params.bottom, f / 2);
    pointSize = 0.08f;
    if (DrawList(image, splashes) != 0 && image)
        return -1;
    RestoreBlendStates(device);
    return 0;
}

// Fountain.

cKestruneFountain::cKestruneFountain(const FountainParams& p) : cKestruneParticles(p.count), params(p)
{
    params.count = bufferLength;
    pointSize = 0.5f;
    minPointSize = 0.5f;
    maxPointSize = 8.0f;
    image = LoadImageResource("particle_raindrop.image");
    jets = NewParticles(params.count);
    const float v = params.speed;
    for (ParticleNode* j = jets; j; j = j->next) {
        j->x = params.x;
        j->y = params.y;
        j->z = params.z;
        j->vx = j->vz = 0.3f;
        j->vy = 0.9f * v + 0.2f * v * ParticleRandom();
        j->colour = kDropColour;
    }
}

cKestruneFountain::~cKestruneFountain()
{
    FreeParticles(jets);
    FreeParticles(splashes);
}

int32_t cKestruneFountain::Render()
{
    const float dt = GraphicsHost().FrameDeltaSeconds();
    const float v = params.speed, sp = params.spread;
    for (ParticleNode* j = jets; j; j = j->next) {
        if (j->y >= params.ground) {
            j->x += dt * j->vx;
            j->y += dt * j->vy;
            j->z += dt * j->vz;
            j->vy -= dt * 9.81f;
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            ParticleNode* const s = PushSplash(splashes);
            if (!s)
                break;
            s->colour = kSplashColour;
            s->vx = (v / 2 - ParticleRandom() * v) * 0.2f;
            s->x = j->x + s->vx * 0.2f;
            s->vz = (v / 2 - ParticleRandom() * v) * 0.2f;
            s->z = j->z + s->vz * 0.2f;
            s->vy = -v / 2;
            s->y = params.ground;
        }
        j->x = params.x;
        j->y = params.y;
        j->z = params.z;
        j->vx = sp / 2 - ParticleRandom() * sp;
        j->vz = sp / 2 - ParticleRandom() * sp;
        j->vy = 0.9f * v + 0.2f * v * ParticleRandom();
    }
    IDirect3DDevice8* const device = Device();
    if (!device)
        return 0;
    AdditiveStates(device);
    pointSize = 0.1f;
    if (DrawList(image, jets) != 0 && image)
        return -1;
    MoveSplashes(splashes, dt, params.ground, 3.0f);
    pointSize = 0.06f;
    if (DrawList(image, splashes) != 0 && image)
        return -1;
    // Left additive, the states would tint whatever the frame draws next.
    RestoreBlendStates(device);
    return 0;
}
