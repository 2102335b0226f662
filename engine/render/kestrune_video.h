#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/object_handles.h"
#include "engine/base/kestrune_string.h"

#include <cstdint>
#include <vector>

class cKestruneImage;
class cKestruneText;
class cKestruneVideo;

struct SubtitleEntry {
    int32_t start = 0;
    int32_t end = 0;
    cString text;
};

// What a video asks of the engine: settings, the engine's video slots, the
// camera and the player character that realtime video moves.
class cKestruneVideoHost {
public:
    virtual ~cKestruneVideoHost() = default;
    virtual int32_t Subtitle() = 0;
    virtual int32_t SFXVolume() = 0;
    virtual int32_t DialogueVolume() = 0;
    virtual int32_t MusicVolume() = 0;
    // The engine's current and queued video.
    virtual cKestruneVideo*& CurrentVideo() = 0;
    virtual cKestruneVideo*& QueuedVideo() = 0;
    // The player character's mesh-sprite position; false without one.
    virtual bool PlayerPosition(float position[3]) = 0;
    // Sets the y of the player's mesh-sprite position and world matrix.
    virtual void SetPlayerHeight(float) = 0;
    // One ".cmotion" record (14 values) for the sprite system's camera.
    virtual void SetCameraFromMotion(const float*) = 0;
};

// The answers of an engine with its own two slots and no camera or player:
// what a video sees before the engine installs its host, and the base of test
// fakes.
class cKestruneNullVideoHost : public cKestruneVideoHost {
public:
    int32_t Subtitle() override { return 0; }
    int32_t SFXVolume() override { return 255; }
    int32_t DialogueVolume() override { return 255; }
    int32_t MusicVolume() override { return 127; }
    cKestruneVideo*& CurrentVideo() override;
    cKestruneVideo*& QueuedVideo() override;
    bool PlayerPosition(float position[3]) override;
    void SetPlayerHeight(float) override {}
    void SetCameraFromMotion(const float*) override {}
};

// Null restores the null host (the answers of an engine without members).
void SetVideoHost(cKestruneVideoHost* host);
cKestruneVideoHost& VideoHost();

// A playing video with its subtitles and, for realtime video, the motion
// tracks that move the camera and the player's height frame by frame.
class cKestruneVideo {
public:
    cKestruneVideo();
    ~cKestruneVideo();
    cKestruneVideo(const cKestruneVideo&) = delete;
    cKestruneVideo& operator=(const cKestruneVideo&) = delete;

    // 0, or -1 when the image did not load (the video is then not queued).
    // A video whose image does not exist returns 0 without an image.
    int32_t Open(const cString& name, int32_t realtime);
    int32_t LoadMotion(const cString& cmotionName, const cString& motionName);
    int32_t Update();
    // May delete this video (the current one) when it has ended.
    int32_t Draw(uint8_t background);

    // Fields, in the engine's order.
    cKestruneImage* image = nullptr;
    uint8_t realtime = 0;
    uint8_t streamHasAlpha = 0;
    int32_t lastMotionFrame = 0;
    std::vector<float> cameraTrack;
    int32_t cameraCount = 0;
    std::vector<float> heightTrack;
    int32_t heightCount = 0;
    float origin[3] = {};
    // A handle: leaving a scene releases every text behind the video's back.
    ObjectHandle subtitleText = kNoObject;
    DynArray<SubtitleEntry> subtitles;
    // The next video waiting behind this one in the queue.
    cKestruneVideo* next = nullptr;

private:
    void ReleaseSubtitleText();
    void DrawSubtitles(int32_t frame);
};

// The engine's video slots: a queued video waits behind those queued before
// it; the current one ends into the first of them.
void QueueVideo(cKestruneVideo* video);
// Deletes the current video and makes the first queued one current.
void EndCurrentVideo();
