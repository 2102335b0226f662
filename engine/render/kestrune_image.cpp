#include "engine/render/kestrune_image.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/graphics_host.h"
#include "engine/render/kestrune_graphics.h"
#include "platform/bink/bink.h"
#include "platform/d3dx/d3dx8tex.h"
#include "platform/win32/kernel/files.h"
#include "platform/win32/kernel/handles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float kTexelNudge = 0.0001f;

IDirect3DDevice8* Device()
{
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    return graphics ? graphics->device : nullptr;
}

}  // namespace

cKestruneImage::cKestruneImage(uint8_t twoSets) : twoTextureSets(twoSets) {}

cKestruneImage::~cKestruneImage()
{
    for (int32_t i = 0; i < frames.count; ++i) {
        if (frames.data[i]) frames.data[i]->Release();
    }
    if (vertexBuffer) vertexBuffer->Release();
    if (bink) BinkClose(static_cast<HBINK>(bink));
    if (videoFile != INVALID_HANDLE_VALUE) CloseHandle(videoFile);
}

template <typename Fn>
bool cKestruneImage::EachVertex(Fn fn)
{
    if (!vertexBuffer) return false;
    BYTE* bits = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &bits, 0))) return false;
    for (int i = 0; i < 4; ++i) fn(i, *reinterpret_cast<KestruneImageVertex*>(bits + i * Stride()));
    vertexBuffer->Unlock();
    return true;
}

void cKestruneImage::ReportDeviceError(HRESULT code)
{
    const unsigned value = static_cast<unsigned>(code);
    if (code == E_OUTOFMEMORY) {
        ReportError("image", "ReadImage", 1,
                    "Surface creation failed. Code: (%08x)\nDirect3D could not allocate sufficient memory to complete the call.",
                    value);
    } else if (code == D3DERR_OUTOFVIDEOMEMORY) {
        ReportError("image", "ReadImage", 1,
                    "Surface creation failed. Code: (%08x)\nDirect3D does not have enough display memory to perform the operation.",
                    value);
    } else {
        ReportError("image", "ReadImage", 1, "Surface creation failed. Code: (%08x)", value);
    }
}

int32_t cKestruneImage::Load(int32_t slot)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    uint8_t bytes[kImageHeaderSize];
    if (!files || files->Read(slot, bytes, kImageHeaderSize) != 0) {
        ReportError("image", "", 0, "File reading failed.");
        return -1;
    }
    ParseImageHeader(bytes, header);
    // A damaged header would have us write past a texture or read frames
    // that are not there: refuse it like a short read.
    if (!CheckImageHeader(header, files->GetRemaining(slot)).empty()) {
        ReportError("image", "", 0, "File reading failed.");
        return -1;
    }
    if (header.frameCount < 2) header.frameCount = 1;
    if (IsVideoPixelType(header.pixelType)) {
        if (ReadImage(slot) != 0 || OpenVideo(slot) != 0) return -1;
    } else {
        for (uint32_t i = 0; i < header.frameCount; ++i) {
            if (ReadImage(slot) != 0) return -1;
        }
    }
    currentFrame = 0;
    direction = 0;
    playedFrame = 0;
    lastStepTime = GraphicsHost().FrameTime();
    return 0;
}

int32_t cKestruneImage::Skip(int32_t slot)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    uint8_t bytes[kImageHeaderSize];
    KestruneImageHeader skipped;
    if (!files || files->Read(slot, bytes, kImageHeaderSize) != 0) {
        ReportError("image", "", 0, "File reading failed.");
        return -1;
    }
    ParseImageHeader(bytes, skipped);
    const int64_t remaining = files->GetRemaining(slot);
    if (!CheckImageHeader(skipped, remaining).empty()) {
        ReportError("image", "", 0, "File reading failed.");
        return -1;
    }
    // A video's stream is read through a handle of its own: Load leaves the
    // slot right after the header, and so does this.
    if (IsVideoPixelType(skipped.pixelType)) return 0;
    const uint64_t frames = skipped.frameCount < 2 ? 1 : skipped.frameCount;
    const int64_t at = files->PositionInEntry(slot);
    return files->Seek(slot, static_cast<int32_t>(at + static_cast<int64_t>(frames * ImageFrameSize(skipped))));
}

int32_t cKestruneImage::ReadImage(int32_t slot)
{
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    IDirect3DDevice8* device = Device();
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!graphics || !device || !files) {
        ReportDeviceError(D3DERR_INVALIDCALL);
        return -1;
    }
    const bool dxt = IsDxtPixelType(header.pixelType);
    const D3DFORMAT format = dxt && graphics->dxtSupported ? DxtFormatOfPixelType(header.pixelType) : D3DFMT_A8R8G8B8;
    const UINT texWidth = TextureWidth(), texHeight = TextureHeight();
    IDirect3DTexture8* texture = nullptr;
    HRESULT hr = device->CreateTexture(texWidth, texHeight, 1, 0, format, D3DPOOL_MANAGED, &texture);
    if (FAILED(hr)) {
        ReportDeviceError(hr);
        return -1;
    }
    frames.Add(texture);

    D3DLOCKED_RECT locked{};
    if (header.pixelType == kImagePixelsRaw) {
        const uint32_t bpp = header.alpha ? 4 : 3;
        const int32_t size = static_cast<int32_t>(header.width * header.height * bpp);
        // The file system has reported a failed read itself.
        auto* pixels = static_cast<uint8_t*>(files->ReadAlloc(slot, size));
        if (!pixels) return -1;
        hr = texture->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) {
            std::free(pixels);
            ReportDeviceError(hr);
            return -1;
        }
        for (uint32_t y = 0; y < header.height; ++y) {
            BYTE* row = static_cast<BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch;
            for (uint32_t x = 0; x < header.width; ++x) {
                const uint8_t* p = pixels + (static_cast<std::size_t>(y) * header.width + x) * bpp;
                row[x * 4] = p[2];
                row[x * 4 + 1] = p[1];
                row[x * 4 + 2] = p[0];
                row[x * 4 + 3] = header.alpha ? p[3] : 255;
            }
        }
        texture->UnlockRect(0);
        std::free(pixels);
    } else if (dxt && graphics->dxtSupported) {
        D3DSURFACE_DESC desc{};
        hr = texture->GetLevelDesc(0, &desc);
        if (SUCCEEDED(hr)) hr = texture->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) {
            ReportDeviceError(hr);
            return -1;
        }
        const int32_t read = files->Read(slot, locked.pBits, static_cast<int32_t>(desc.Size));
        texture->UnlockRect(0);
        if (read != 0) return -1;
    } else if (dxt) {
        IDirect3DSurface8* argb = nullptr;
        IDirect3DSurface8* compressed = nullptr;
        IDirect3DSurface8* level = nullptr;
        hr = device->CreateImageSurface(texWidth, texHeight, D3DFMT_A8R8G8B8, &argb);
        if (SUCCEEDED(hr)) hr = device->CreateImageSurface(texWidth, texHeight, DxtFormatOfPixelType(header.pixelType), &compressed);
        int32_t read = 0;
        if (SUCCEEDED(hr)) hr = compressed->LockRect(&locked, nullptr, 0);
        if (SUCCEEDED(hr)) {
            D3DSURFACE_DESC desc{};
            compressed->GetDesc(&desc);
            read = files->Read(slot, locked.pBits, static_cast<int32_t>(desc.Size));
            compressed->UnlockRect();
        }
        if (SUCCEEDED(hr) && read == 0)
            hr = D3DXLoadSurfaceFromSurface(argb, nullptr, nullptr, compressed, nullptr, nullptr, D3DX_FILTER_NONE, 0);
        if (SUCCEEDED(hr) && read == 0) hr = texture->GetSurfaceLevel(0, &level);
        if (SUCCEEDED(hr) && read == 0)
            hr = D3DXLoadSurfaceFromSurface(level, nullptr, nullptr, argb, nullptr, nullptr, D3DX_FILTER_NONE, 0);
        for (IDirect3DSurface8* s : {argb, compressed, level}) {
            if (s) s->Release();
        }
        if (read != 0) return -1;
        if (FAILED(hr)) {
            ReportDeviceError(hr);
            return -1;
        }
    } else if (IsVideoPixelType(header.pixelType)) {
        hr = texture->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) {
            ReportDeviceError(hr);
            return -1;
        }
        for (uint32_t y = 0; y < header.height; ++y) {
            auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch);
            std::fill(row, row + header.width, 0xFFFFFFFFu);
        }
        texture->UnlockRect(0);
    }

    if (vertexBuffer) vertexBuffer->Release();
    vertexBuffer = nullptr;
    hr = device->CreateVertexBuffer(4 * Stride(), D3DUSAGE_WRITEONLY, twoTextureSets ? kImageFvfTwoSets : kImageFvf,
                                    D3DPOOL_MANAGED, &vertexBuffer);
    if (FAILED(hr)) {
        ReportDeviceError(hr);
        return -1;
    }
    const float w = static_cast<float>(header.width) / texWidth, h = static_cast<float>(header.height) / texHeight;
    const float uvs[4][2] = {{kTexelNudge, h + kTexelNudge}, {w + kTexelNudge, h + kTexelNudge},
                             {kTexelNudge, kTexelNudge}, {w + kTexelNudge, kTexelNudge}};
    BYTE* bits = nullptr;
    hr = vertexBuffer->Lock(0, 0, &bits, 0);
    if (FAILED(hr)) {
        ReportDeviceError(hr);
        return -1;
    }
    std::memset(bits, 0, 4 * Stride());
    for (int i = 0; i < 4; ++i) {
        auto& v = *reinterpret_cast<KestruneImageVertex*>(bits + i * Stride());
        v = KestruneImageVertex{0, 0, 1.0f, 1.0f, 0xFFFFFFFF, uvs[i][0], uvs[i][1]};
    }
    vertexBuffer->Unlock();
    SetPosition(header.x, cKestruneGraphics::kBandTop + header.y, -1, -1);
    SetDepth(header.depth);
    return 0;
}

int32_t cKestruneImage::OpenVideo(int32_t slot)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!files) return -1;
    const HANDLE handle = files->OpenSlotHandle(slot);
    if (handle == INVALID_HANDLE_VALUE) return -1;
    videoFile = handle;
    // The stream starts right after the header.
    SetFilePointer(handle, files->GetPos(slot), nullptr, FILE_BEGIN);
    // The stream is read within its entry only: an archive holds far more
    // than the video, and a preloaded one keeps just its own bytes.
    if (openVideoLater_) {
        videoPending_ = true;
        pendingVideoLength_ = files->GetRemaining(slot);
        return 0;
    }
    return OpenVideoStream(handle, files->GetRemaining(slot));
}

int32_t cKestruneImage::OpenVideoStream(HANDLE handle, int64_t length)
{
    BinkSetFrameRate(header.frameRate, 1);
    const U32 flags = header.pixelType == kImagePixelsBinkStreamed ? BINKFILEHANDLE | BINKFRAMERATE | BINKALPHA
                                                                   : BINKFILEHANDLE | BINKFRAMERATE | BINKPRELOADALL | BINKALPHA;
    const HBINK video = vls::bink::BinkOpenHandle(handle, length, flags);
    if (!video) {
        ReportError("image", "", 1, "Video stream init failed. %s", BinkGetError());
        return -1;
    }
    bink = video;
    header.alpha = video->HasAlpha ? 1 : 0;
    if (header.pixelType == kImagePixelsBink) {
        CloseHandle(handle);
        videoFile = INVALID_HANDLE_VALUE;
    }
    BinkSetVolume(video, 0, GraphicsHost().SFXVolume() * 128);
    return 0;
}

void cKestruneImage::OpenPendingVideo()
{
    if (!videoPending_) return;
    videoPending_ = false;
    // A stream that fails now is reported as at load; the picture then stays
    // the blank frame it was given.
    OpenVideoStream(videoFile, pendingVideoLength_);
}

void cKestruneImage::CopyVideoFrame()
{
    auto* video = static_cast<HBINK>(bink);
    D3DLOCKED_RECT locked{};
    if (frames.count == 0 || FAILED(frames.data[0]->LockRect(0, &locked, nullptr, 0))) return;
    BinkCopyToBuffer(video, locked.pBits, locked.Pitch, std::min(video->Height, TextureHeight()), 0, 0, BINKSURFACE32);
    frames.data[0]->UnlockRect(0);
}

int32_t cKestruneImage::SetAlpha(int32_t alpha)
{
    const DWORD a = static_cast<DWORD>(std::clamp(alpha, 0, 255)) << 24;
    return EachVertex([a](int, KestruneImageVertex& v) { v.colour = (v.colour & 0x00FFFFFF) | a; }) ? 0 : -1;
}

int32_t cKestruneImage::SetPosition(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (width == -1) width = static_cast<int32_t>(header.width);
    if (height == -1) height = static_cast<int32_t>(header.height);
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = static_cast<float>(x + width), y1 = static_cast<float>(y + height);
    const float corners[4][2] = {{x0, y1}, {x1, y1}, {x0, y0}, {x1, y0}};
    return EachVertex([&](int i, KestruneImageVertex& v) {
               v.x = corners[i][0];
               v.y = corners[i][1];
           })
               ? 0
               : -1;
}

int32_t cKestruneImage::SetDepth(float depth)
{
    cKestruneGraphicsHost& host = GraphicsHost();
    const float nearPlane = host.CameraNear(), farPlane = host.CameraFar();
    if (depth > farPlane) depth = farPlane;
    if (depth < nearPlane + 0.1f) depth = nearPlane + 0.1f + 0.001f;
    const float z = farPlane / (farPlane - nearPlane) - (nearPlane * farPlane / (farPlane - nearPlane)) / depth;
    const float rhw = 1.0f / z;
    return EachVertex([&](int, KestruneImageVertex& v) {
               v.z = z;
               v.rhw = rhw;
           })
               ? 0
               : -1;
}

int32_t cKestruneImage::SetSourceRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    const float tw = static_cast<float>(TextureWidth()), th = static_cast<float>(TextureHeight());
    const float corners[4][2] = {{static_cast<float>(left), static_cast<float>(bottom)},
                                 {static_cast<float>(right), static_cast<float>(bottom)},
                                 {static_cast<float>(left), static_cast<float>(top)},
                                 {static_cast<float>(right), static_cast<float>(top)}};
    return EachVertex([&](int i, KestruneImageVertex& v) {
               v.u = corners[i][0] / tw + kTexelNudge;
               v.v = corners[i][1] / th + kTexelNudge;
           })
               ? 0
               : -1;
}

int32_t cKestruneImage::Submit(DynArray<RenderQueueEntry>& list)
{
    if (playMode != kImageStopped) list.Add(RenderQueueEntry{header.depth, this, kRenderKindImage});
    return 0;
}

void cKestruneImage::CrossFrameCallback(int32_t from, int32_t step)
{
    if (!frameCallbackScript) return;
    const int32_t f = frameCallbackFrame;
    if ((step > 0 && from <= f && f < from + step) || (step < 0 && from + step < f && f <= from)) FireFrameCallback();
}

int32_t cKestruneImage::Update()
{
    if (playMode == kImageStopped) return 0;
    OpenPendingVideo();
    if (playMode != kImageStill && bink) {
        auto* video = static_cast<HBINK>(bink);
        if (BinkWait(video)) {
            BinkService(video);
        } else {
            BinkDoFrame(video);
            const int32_t frame = static_cast<int32_t>(video->LastFrameNum) - 1;
            const int32_t step = frame - currentFrame;
            currentFrame = frame;
            CopyVideoFrame();
            // Videos time their subtitles and motion tracks by it.
            playedFrame = frame;
            CrossFrameCallback(currentFrame, step);
            if (video->FrameNum + 1 == video->Frames) {
                if (playMode == kImageLoop) {
                    BinkGoto(video, 0, 1);
                    currentFrame = 0;
                    FireEndCallback();
                } else {
                    BinkPause(video, 1);
                    ended = 1;
                    playMode = kImageStopped;
                    FireEndCallback();
                }
            } else {
                BinkNextFrame(video);
                BinkService(video);
            }
        }
    } else if (playMode != kImageStill) {
        const int32_t n = FrameCount();
        if (direction == 1 && currentFrame >= n) {
            if (playMode == kImageLoop) {
                currentFrame = 0;
            } else if (playMode == kImagePingPong) {
                direction = -1;
                currentFrame = n - 1;
            } else if (playMode == kImagePlayOnce) {
                currentFrame = n - 1;
                playMode = kImageStopped;
                FireEndCallback();
                return 0;
            }
        } else if (direction == -1 && currentFrame < 0) {
            if (playMode == kImageLoop) {
                currentFrame = n - 1;
            } else if (playMode == kImagePingPong) {
                direction = 1;
                currentFrame = 0;
            } else if (playMode == kImagePlayOnce) {
                currentFrame = 0;
                playMode = kImageStopped;
                FireEndCallback();
                return 0;
            }
        }
        const int32_t steps =
            lastStepTime == 0 ? 1 : static_cast<int32_t>(GraphicsSecondsSince(lastStepTime, header.frameRate));
        CrossFrameCallback(currentFrame, direction * steps);
        currentFrame += direction * steps;
        if (steps > 0) lastStepTime = GraphicsHost().FrameTime();
    }
    if (frameCallbackScript && frameCallbackFrame <= currentFrame) {
        frameCallbackFrame = -1;
        FireFrameCallback();
    }
    return 0;
}

int32_t cKestruneImage::Render(uint8_t update)
{
    OpenPendingVideo();
    if (update) Update();
    IDirect3DDevice8* device = Device();
    if (!device) return 0;
    if (frames.count > 0) {
        const int32_t index = std::clamp(currentFrame, 0, FrameCount() - 1);
        device->SetTexture(0, frames.At(index));
    }
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    const DWORD filter = linearFiltering ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    if (!header.alpha && !vertexAlpha) {
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    } else {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, alphaTest);
        if (vertexAlpha) device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP,
                                     !header.alpha ? D3DTOP_SELECTARG2
                                     : vertexAlpha ? D3DTOP_MODULATE
                                                   : D3DTOP_SELECTARG1);
    }
    device->SetVertexShader(twoTextureSets ? kImageFvfTwoSets : kImageFvf);
    device->SetStreamSource(0, vertexBuffer, Stride());
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    return 0;
}

int32_t cKestruneImage::SetPlayMode(int32_t mode, int32_t frame)
{
    if (mode == kImageStopped) {
        if (bink) {
            BinkPause(static_cast<HBINK>(bink), 1);
            BinkService(static_cast<HBINK>(bink));
        }
        playMode = kImageStopped;
    } else {
        playMode = mode;
        SetFrame(frame);
        direction = 1;
        ended = 0;
    }
    lastStepTime = GraphicsHost().FrameTime();
    return 0;
}

int32_t cKestruneImage::SetFrame(int32_t frame)
{
    OpenPendingVideo();
    if (bink) {
        auto* video = static_cast<HBINK>(bink);
        if (playMode != kImageStopped) {
            BinkService(video);
            if (video->NumTracks > 0) {
                // Switching the track off and on drops what it had queued
                // and restarts it from the new place.
                BinkSetSoundOnOff(video, 0);
                BinkSetSoundOnOff(video, 1);
            }
            BinkPause(video, 0);
            BinkGoto(video, static_cast<U32>(frame + 1), 0);
            BinkDoFrame(video);
            CopyVideoFrame();
            BinkNextFrame(video);
        }
        currentFrame = frame;
        return 0;
    }
    if (frame < FrameCount()) {
        currentFrame = frame;
        lastStepTime = GraphicsHost().FrameTime();
    }
    return 0;
}

void cKestruneImage::FireEndCallback()
{
    if (!endCallbackScript) return;
    cKestruneScript* const script = endCallbackScript.Get();
    endCallbackScript = nullptr;
    cKestruneGraphicsHost& host = GraphicsHost();
    if (sharedCallbacks) {
        for (cKestruneImage* image : host.SceneOverlaysNamed(name.GetText())) image->endCallbackScript = nullptr;
    }
    host.RunScript(script, endCallbackName.GetText());
}

void cKestruneImage::FireFrameCallback()
{
    if (!frameCallbackScript) return;
    cKestruneScript* const script = frameCallbackScript.Get();
    frameCallbackScript = nullptr;
    cKestruneGraphicsHost& host = GraphicsHost();
    if (sharedCallbacks) {
        for (cKestruneImage* image : host.SceneOverlaysNamed(name.GetText())) image->frameCallbackScript = nullptr;
    }
    host.RunScript(script, frameCallbackName.GetText());
}
