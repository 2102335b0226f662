#include "engine/render/kestrune_video.h"

#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_fonts.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/video_tracks.h"
#include "platform/bink/bink.h"

#include <cstdlib>

namespace {

constexpr uint32_t kBandWidth = 800;
constexpr uint32_t kBandHeight = 400;
constexpr DWORD kSubtitleColour = 0xFFFFFF40;
constexpr uint32_t kSubtitleFlags = kTextCentre | kTextWrap;

cKestruneNullVideoHost g_baseHost;
cKestruneVideoHost* g_host = nullptr;
cKestruneVideo* g_current = nullptr;
cKestruneVideo* g_queued = nullptr;

// A whole datafile resource, or empty when it does not exist.
std::vector<uint8_t> ReadResource(const cString& name)
{
    std::vector<uint8_t> bytes;
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    if (!files || !files->Exists(name.GetText()))
        return bytes;
    const int32_t slot = files->Open(name.GetText());
    if (slot <= 0)
        return bytes;
    const int32_t size = files->GetSize(slot);
    if (size > 0) {
        if (void* data = files->ReadAlloc(slot, size)) {
            bytes.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
            std::free(data);
        }
    }
    files->Close(slot);
    return bytes;
}

} // namespace

cKestruneVideo*& cKestruneNullVideoHost::CurrentVideo() { return g_current; }
cKestruneVideo*& cKestruneNullVideoHost::QueuedVideo() { return g_queued; }
bool cKestruneNullVideoHost::PlayerPosition(float[3]) { return false; }

void SetVideoHost(cKestruneVideoHost* host) { g_host = host; }
cKestruneVideoHost& VideoHost() { return g_host ? *g_host : g_baseHost; }

void QueueVideo(cKestruneVideo* video)
{
    cKestruneVideo** slot = &VideoHost().QueuedVideo();
    while (*slot) {
        if (*slot == video)
            return;
        slot = &(*slot)->next;
    }
    *slot = video;
}

void EndCurrentVideo()
{
    cKestruneVideoHost& host = VideoHost();
    cKestruneVideo*& current = host.CurrentVideo();
    cKestruneVideo*& queued = host.QueuedVideo();
    delete current;
    current = queued;
    if (queued) {
        queued = queued->next;
        current->next = nullptr;
    }
}

cKestruneVideo::cKestruneVideo() = default;

cKestruneVideo::~cKestruneVideo()
{
    ReleaseSubtitleText();
    delete image;
}

void cKestruneVideo::ReleaseSubtitleText()
{
    // A scene change may have released every text already.
    ReleaseLiveText(subtitleText);
}

int32_t cKestruneVideo::Open(const cString& name, int32_t isRealtime)
{
    delete image;
    image = nullptr;
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    const cString imageName = name + ".image";
    if (!files || !files->Exists(imageName.GetText()))
        return 0;
    const int32_t slot = files->Open(imageName.GetText());
    if (slot <= 0)
        return 0;
    image = new cKestruneImage(0);
    if (image->Load(slot) != 0) {
        files->Close(slot);
        delete image;
        image = nullptr;
        return -1;
    }
    streamHasAlpha = image->header.alpha == 1 ? 1 : 0;
    files->Close(slot);
    image->SetDepth(2.0f);
    cKestruneVideoHost& host = VideoHost();
    if (image->header.width == kBandWidth && image->header.height == kBandHeight) {
        image->SetPosition(0, cKestruneGraphics::kBandTop, cKestruneGraphics::kScreenWidth,
                           cKestruneGraphics::kBandBottom - cKestruneGraphics::kBandTop);
        image->linearFiltering = 1;
        if (image->bink) {
            BinkSetVolume(static_cast<HBINK>(image->bink), 0,
                          (host.SFXVolume() + 2 * host.DialogueVolume() + host.MusicVolume()) * 32);
        }
    }
    image->playMode = kImagePlayOnce;
    QueueVideo(this);
    realtime = isRealtime ? 1 : 0;
    subtitles.count = 0;
    const cString subtitleName = name + ".subtitle";
    if (host.Subtitle() != 0 && files->Exists(subtitleName.GetText())) {
        const std::vector<uint8_t> bytes = ReadResource(subtitleName);
        for (const SubtitleLine& line : ReadSubtitles(bytes.data(), bytes.size()))
            subtitles.Add({line.start, line.end, line.text.c_str()});
    }
    return 0;
}

int32_t cKestruneVideo::LoadMotion(const cString& cmotionName, const cString& motionName)
{
    const std::vector<uint8_t> camera = ReadResource(cmotionName + ".cmotion");
    cameraTrack = ReadMotionTrack(camera.data(), camera.size(), kCameraRecordSize);
    cameraCount = static_cast<int32_t>(cameraTrack.size() / kCameraRecordValues);
    if (motionName.GetLength() > 0) {
        const std::vector<uint8_t> height = ReadResource(motionName + ".motion");
        heightTrack = ReadMotionTrack(height.data(), height.size(), kHeightRecordSize);
        heightCount = static_cast<int32_t>(heightTrack.size() / kHeightRecordValues);
        float player[3];
        // Without a whole first record there is nothing to measure from.
        if (heightCount > 0 && VideoHost().PlayerPosition(player)) {
            for (int k = 0; k < 3; ++k)
                origin[k] = player[k] - heightTrack[9 + k];
        }
    }
    lastMotionFrame = -1;
    return 0;
}

int32_t cKestruneVideo::Update()
{
    if (!image)
        return 0;
    image->Update();
    const int32_t frame = image->playedFrame;
    if (!realtime || frame == lastMotionFrame)
        return 0;
    lastMotionFrame = frame;
    cKestruneVideoHost& host = VideoHost();
    if (frame >= 0 && frame < cameraCount - 1)
        host.SetCameraFromMotion(&cameraTrack[static_cast<size_t>(frame + 1) * kCameraRecordValues]);
    if (frame >= 0 && frame < heightCount - 1)
        host.SetPlayerHeight(heightTrack[static_cast<size_t>(frame + 1) * kHeightRecordValues + 10] + origin[1]);
    return 0;
}

void cKestruneVideo::DrawSubtitles(int32_t frame)
{
    cKestruneFonts* const fonts = cKestruneFonts::Current();
    if (!fonts)
        return;
    const cKestruneText* text = LiveText(subtitleText);
    if (!text && subtitles.count > 0 && subtitles.data[0].start < frame) {
        text = fonts->CreateText(0, subtitles.data[0].text.GetText(), cKestruneGraphics::kScreenWidth / 2,
                                 fonts->fonts[0].lineHeight, kSubtitleColour, kSubtitleFlags);
        subtitleText = text ? text->Handle() : kNoObject;
    }
    if (text && subtitles.count > 0 && subtitles.data[0].end < frame) {
        ReleaseSubtitleText();
        subtitles.RemoveAt(0);
        text = nullptr;
    }
    if (text)
        fonts->DrawTexts(0);
}

int32_t cKestruneVideo::Draw(uint8_t background)
{
    cKestruneGraphics* const graphics = cKestruneGraphics::Current();
    if (!image || !graphics || !graphics->device)
        return 0;
    IDirect3DDevice8* const device = graphics->device;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (background == 1) {
        image->header.alpha = 0;
        image->Render(0);
        if (image->ended && !realtime && VideoHost().CurrentVideo() == this) {
            EndCurrentVideo();
            return 0;
        }
    } else {
        if (streamHasAlpha) {
            image->header.alpha = 1;
            image->Render(0);
        }
        if (image->ended && realtime && VideoHost().CurrentVideo() == this) {
            EndCurrentVideo();
            return 0;
        }
    }
    if (VideoHost().Subtitle() != 0)
        DrawSubtitles(image->playedFrame);
    return 0;
}
