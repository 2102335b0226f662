#include "engine/app/engine_ui_host.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/app/talking_heads.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_hints.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/kestrune_script.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_player_control.h"

#include <algorithm>
#include <vector>

namespace {

cKestruneCharacter* Character(ObjectHandle handle)
{
    return ResolveObjectAs<cKestruneCharacter>(handle, ObjectKind::Character);
}

// The answers come from the engine's members; the talking heads it makes are
// its own until the messenger lets them go (or the host goes).
class EngineUiHost : public cKestruneUiHost {
public:
    explicit EngineUiHost(cKestruneEngine& engine) : engine_(engine) {}
    ~EngineUiHost() override
    {
        for (cKestruneCharacter* head : heads_)
            delete head;
    }
    EngineUiHost(const EngineUiHost&) = delete;
    EngineUiHost& operator=(const EngineUiHost&) = delete;

    uint32_t FrameTime() override { return engine_.timer ? engine_.timer->frameTime : 0; }
    float FrameSeconds() override { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }
    float FrameDeltaSeconds() override { return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f; }
    void AddTimer(cKestruneScript* script, const char* function, float seconds) override
    {
        if (engine_.timer)
            engine_.timer->AddTimer(script, function, seconds);
    }
    int32_t Subtitle() override { return engine_.Subtitle; }

    ObjectHandle PlayerCharacter() override
    {
        const cKestruneCharacter* const player = Player();
        return player ? player->Handle() : kNoObject;
    }
    ObjectHandle CharacterHandle(const cKestruneCharacter* character) override
    {
        return character ? character->Handle() : kNoObject;
    }
    uint32_t TextColour(ObjectHandle character) override
    {
        // A speaker that is gone (or none) speaks in the player's colour.
        const cKestruneCharacter* speaker = Character(character);
        if (!speaker)
            speaker = Player();
        return speaker ? speaker->speechColor : 0xFFFFFFFF;
    }
    bool PlaySpeech(const char* name, ObjectHandle character) override
    {
        cKestruneCharacter* const speaker = Character(character);
        const bool playing = engine_.sound && engine_.sound->PlaySpeech(name, speaker);
        speaker_ = playing && speaker ? character : kNoObject;
        return playing;
    }
    bool SpeechDone() override { return !engine_.sound || engine_.sound->IsSpeechDone(); }
    void StopSpeech() override
    {
        if (engine_.sound)
            engine_.sound->StopSpeech();
    }
    void StartLipSync(ObjectHandle character, const char* name) override
    {
        if (cKestruneCharacter* const speaker = Character(character))
            speaker->model->ReadSync(cString(name ? name : ""));
    }
    void StopPlayerWalk() override
    {
        if (cKestruneCharacter* const player = Player())
            player->controller->ResetWalk();
    }

    ObjectHandle CreateHead(const char* model, uint32_t colour) override
    {
        cKestruneCharacter* const head = MakeTalkingHead(model, colour);
        if (!head)
            return kNoObject;
        heads_.push_back(head);
        return head->Handle();
    }
    void DeleteHead(ObjectHandle handle) override
    {
        const auto found = std::find(heads_.begin(), heads_.end(), Character(handle));
        if (found == heads_.end())
            return;
        delete *found;
        heads_.erase(found);
    }
    void RenderHead(ObjectHandle handle) override
    {
        cKestruneCharacter* const head = Character(handle);
        if (head && std::find(heads_.begin(), heads_.end(), head) != heads_.end())
            DrawCloseUp(*head);
    }
    void CentreOnBrows(ObjectHandle character) override
    {
        if (cKestruneCharacter* const found = Character(character))
            ::CentreOnBrows(*found->model);
    }
    void RenderCloseUp(ObjectHandle character) override
    {
        if (cKestruneCharacter* const found = Character(character))
            DrawCloseUp(*found);
    }

    void ShowHints(bool show) override
    {
        if (engine_.hints)
            engine_.hints->Show(show ? 1 : 0);
    }
    void CacheMeshSprite(const char* name) override
    {
        if (engine_.sprites)
            engine_.sprites->CacheMeshSprite(cString(name), 1);
    }
    void RunProjectFunction(const char* function) override
    {
        cKestruneGameplay* const gameplay = engine_.gameplay;
        if (gameplay && gameplay->projectScript && engine_.IsScriptAlive(gameplay->projectScript))
            gameplay->projectScript->Run(function);
    }

    ObjectHandle Speaker() const { return speaker_; }

private:
    cKestruneCharacter* Player() const { return engine_.gameplay ? engine_.gameplay->playerCharacter : nullptr; }

    cKestruneEngine& engine_;
    std::vector<cKestruneCharacter*> heads_;
    // The character whose line the sound object plays; by handle, since the
    // character may go with its scene while it speaks.
    ObjectHandle speaker_ = kNoObject;
};

EngineUiHost* g_host = nullptr;

} // namespace

void InstallEngineUiHost(cKestruneEngine& engine)
{
    RemoveEngineUiHost();
    g_host = new EngineUiHost(engine);
    SetUiHost(g_host);
}

void RemoveEngineUiHost()
{
    SetUiHost(nullptr);
    delete g_host;
    g_host = nullptr;
}

cKestruneCharacter* EngineSpeaker()
{
    return g_host ? Character(g_host->Speaker()) : nullptr;
}
