#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/render/kestrune_video.h"
#include "engine/render/video_tracks.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"

#include <algorithm>

namespace {

cKestruneMeshSprite* PlayerModel(cKestruneEngine& engine)
{
    cKestruneCharacter* const player = engine.gameplay ? engine.gameplay->playerCharacter : nullptr;
    return player ? player->model : nullptr;
}

// The engine's answers to its videos: the settings they read, the engine's
// current and queued video slots, and the sprite camera and player model that
// a realtime video's tracks move.
class EngineVideoHost : public cKestruneVideoHost {
public:
    explicit EngineVideoHost(cKestruneEngine& engine) : engine_(engine) {}

    int32_t Subtitle() override { return engine_.Subtitle; }
    int32_t SFXVolume() override { return engine_.SFXVolume; }
    int32_t DialogueVolume() override { return engine_.DialogueVolume; }
    int32_t MusicVolume() override { return engine_.MusicVolume; }
    cKestruneVideo*& CurrentVideo() override { return engine_.video; }
    cKestruneVideo*& QueuedVideo() override { return engine_.queuedVideo; }

    bool PlayerPosition(float position[3]) override
    {
        const cKestruneMeshSprite* const model = PlayerModel(engine_);
        if (!model)
            return false;
        model->GetPosition(&position[0], &position[1], &position[2]);
        return true;
    }

    // Only the height follows the track: the walk keeps x and z.
    void SetPlayerHeight(float y) override
    {
        if (cKestruneMeshSprite* const model = PlayerModel(engine_)) {
            model->position[1] = y;
            model->world._42 = y;
        }
    }

    void SetCameraFromMotion(const float* record) override
    {
        if (!engine_.sprites)
            return;
        KestruneCameraMotion motion;
        std::copy(record, record + kCameraRecordValues, motion.c);
        engine_.sprites->SetCameraFromMotion(motion);
    }

private:
    cKestruneEngine& engine_;
};

EngineVideoHost* g_videoHost = nullptr;

} // namespace

bool cKestruneDefaultMembers::CreateVideo(cKestruneEngine& engine)
{
    // The slots start empty; videos are made by the scripts.
    delete g_videoHost;
    g_videoHost = new EngineVideoHost(engine);
    SetVideoHost(g_videoHost);
    return true;
}

void cKestruneDefaultMembers::DestroyVideo(cKestruneEngine& engine) { DeleteMember(engine.video); }

bool cKestruneDefaultMembers::CreateQueuedVideo(cKestruneEngine&) { return true; }

void cKestruneDefaultMembers::DestroyQueuedVideo(cKestruneEngine& engine)
{
    while (cKestruneVideo* queued = engine.queuedVideo) {
        engine.queuedVideo = queued->next;
        delete queued;
    }
    SetVideoHost(nullptr);
    delete g_videoHost;
    g_videoHost = nullptr;
}

bool cKestruneDefaultMembers::VideoRealtime(cKestruneVideo* video) { return video && video->realtime; }

void cKestruneDefaultMembers::ResumeVideoScript(cKestruneVideo* video)
{
    if (video && video->image)
        video->image->FireEndCallback();
}

void cKestruneDefaultMembers::DeleteVideo(cKestruneVideo* video) { delete video; }

cKestruneVideo* cKestruneDefaultMembers::UnlinkQueuedVideo(cKestruneVideo* video)
{
    cKestruneVideo* const rest = video->next;
    video->next = nullptr;
    return rest;
}

bool cKestruneEngineGraphicsHost::HasVideo() { return engine_.video != nullptr; }

void cKestruneEngineGraphicsHost::VideoUpdate()
{
    if (engine_.video)
        engine_.video->Update();
}

bool cKestruneEngineGraphicsHost::VideoRealtime() { return engine_.video && engine_.video->realtime; }

void cKestruneEngineGraphicsHost::VideoDraw(int32_t withSubtitles)
{
    if (engine_.video)
        engine_.video->Draw(static_cast<uint8_t>(withSubtitles));
}
