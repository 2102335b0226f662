#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/render/image_format.h"
#include "engine/render/render_queue.h"
#include "engine/script/script_identity.h"
#include "platform/d3d8/d3d8.h"

#include <cstdint>

class cKestruneScript;

// One screen vertex of an image quad: x, y, z, rhw, colour, then one or two
// texture coordinate pairs.
struct KestruneImageVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};

constexpr DWORD kImageFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kImageFvfTwoSets = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

enum KestruneImagePlayMode : int32_t {
    kImageStopped = 0,
    kImageStill = 1,
    kImagePlayOnce = 2,
    kImageLoop = 3,
    kImagePingPong = 4,
};

// A picture of the engine: one texture per frame, drawn as one screen quad.
class cKestruneImage {
public:
    explicit cKestruneImage(uint8_t twoTextureSets = 0);
    ~cKestruneImage();
    cKestruneImage(const cKestruneImage&) = delete;
    cKestruneImage& operator=(const cKestruneImage&) = delete;

    int32_t Load(int32_t slot);
    // Passes over one image in a slot without making it: the header is read
    // and checked as Load checks it (and reported alike), and the frames'
    // bytes are sought past. Leaves the slot where Load would have left it.
    static int32_t Skip(int32_t slot);
    int32_t ReadImage(int32_t slot);
    int32_t OpenVideo(int32_t slot);
    // Asked before Load: a video keeps its entry's handle and opens its stream
    // when it is first played, drawn or moved, so pictures that may never
    // play cost nothing at start. Until then `bink` is null.
    void OpenVideoOnFirstUse() { openVideoLater_ = true; }
    int32_t SetAlpha(int32_t alpha);
    int32_t SetPosition(int32_t x, int32_t y, int32_t width, int32_t height);
    int32_t SetDepth(float depth);
    int32_t SetSourceRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    int32_t Submit(DynArray<RenderQueueEntry>& list);
    int32_t Update();
    int32_t Render(uint8_t update);
    int32_t SetPlayMode(int32_t mode, int32_t frame);
    int32_t SetFrame(int32_t frame);
    void FireEndCallback();
    void FireFrameCallback();

    uint32_t TextureWidth() const { return ImageTextureSide(header.width); }
    uint32_t TextureHeight() const { return ImageTextureSide(header.height); }
    int32_t FrameCount() const { return header.frameCount < 2 ? 1 : static_cast<int32_t>(header.frameCount); }
    // The first frame's texture, or null.
    IDirect3DTexture8* FirstTexture() const { return frames.count > 0 ? frames.data[0] : nullptr; }

    // Fields, in the engine's order.
    DynArray<IDirect3DTexture8*> frames;
    KestruneImageHeader header;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    int32_t currentFrame = 0;
    int32_t playedFrame = 0;
    int32_t ended = 0;
    int32_t direction = 0;
    uint32_t lastStepTime = 0;
    cString endCallbackName;
    cScriptRef endCallbackScript;
    cString frameCallbackName;
    cScriptRef frameCallbackScript;
    int32_t frameCallbackFrame = 0;
    void* bink = nullptr;
    HANDLE videoFile = INVALID_HANDLE_VALUE;
    cString name;
    int32_t playMode = kImageStill;
    uint8_t vertexAlpha = 0;
    uint8_t alphaTest = 1;
    uint8_t sharedCallbacks = 0;
    uint8_t carryOver = 0;
    uint8_t twoTextureSets = 0;
    uint8_t linearFiltering = 0;

private:
    UINT Stride() const { return twoTextureSets ? 36 : 28; }
    // Runs fn on each vertex of the locked quad; false without a quad.
    template <typename Fn>
    bool EachVertex(Fn fn);
    void CrossFrameCallback(int32_t from, int32_t step);
    void ReportDeviceError(HRESULT code);
    // The last decoded video frame into the first texture.
    void CopyVideoFrame();
    // Opens the stream that starts at the handle's position and runs `length`
    // bytes; the handle becomes videoFile until a preloaded stream is read.
    int32_t OpenVideoStream(HANDLE handle, int64_t length);
    // The stream Load kept for its first use, opened now.
    void OpenPendingVideo();

    bool openVideoLater_ = false;
    bool videoPending_ = false;
    int64_t pendingVideoLength_ = 0;
};
