#include "engine/app/engine_ui_host.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_hints.h"
#include "engine/script/kestrune_script.h"
#include "engine/ui/ui_host.h"
#include "engine/world/kestrune_gameplay.h"

namespace {

// Frame clock, settings, speech, hints and the project script come from
// the engine's members; characters and heads keep the base answers until
// the actors answer here.
class EngineUiHost : public cKestruneUiHost {
public:
    explicit EngineUiHost(cKestruneEngine& engine) : engine_(engine) {}

    uint32_t FrameTime() override { return engine_.timer ? engine_.timer->frameTime : 0; }
    float FrameSeconds() override { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }
    float FrameDeltaSeconds() override { return engine_.timer ? engine_.timer->frameDeltaSeconds : 0.0f; }
    void AddTimer(cKestruneScript* script, const char* function, float seconds) override
    {
        if (engine_.timer)
            engine_.timer->AddTimer(script, function, seconds);
    }
    int32_t Subtitle() override { return engine_.Subtitle; }
    bool PlaySpeech(const char* name, ObjectHandle character) override
    {
        return engine_.sound &&
            engine_.sound->PlaySpeech(name, ResolveObjectAs<cKestruneCharacter>(character, ObjectKind::Character));
    }
    bool SpeechDone() override { return !engine_.sound || engine_.sound->IsSpeechDone(); }
    void StopSpeech() override
    {
        if (engine_.sound)
            engine_.sound->StopSpeech();
    }
    void ShowHints(bool show) override
    {
        if (engine_.hints)
            engine_.hints->Show(show ? 1 : 0);
    }
    void RunProjectFunction(const char* function) override
    {
        cKestruneGameplay* const gameplay = engine_.gameplay;
        if (gameplay && gameplay->projectScript && engine_.IsScriptAlive(gameplay->projectScript))
            gameplay->projectScript->Run(function);
    }

private:
    cKestruneEngine& engine_;
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
