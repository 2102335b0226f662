#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/render/kestrune_hints.h"
#include "engine/script/kestrune_script.h"
#include "engine/world/kestrune_scene.h"

#include <new>

namespace {

// The hints' clock is the frame clock; the marks come from the current
// scene's script and belong to views by their index in the scene.
class EngineHintsHost : public cKestruneHintsHost {
public:
    explicit EngineHintsHost(cKestruneEngine& engine) : engine_(engine) {}
    float Seconds() override { return engine_.timer ? engine_.timer->frameSeconds : 0.0f; }

    bool CurrentView(int32_t& id) override
    {
        if (!engine_.scene)
            return false;
        id = engine_.scene->currentViewIndex;
        return true;
    }

    bool RunSceneHints() override
    {
        cKestruneScene* const scene = engine_.scene;
        if (!scene || !scene->script)
            return false;
        scene->script->Run("_hint");
        return true;
    }

private:
    cKestruneEngine& engine_;
};

EngineHintsHost* g_hintsHost = nullptr;

} // namespace

bool cKestruneDefaultMembers::CreateHints(cKestruneEngine& engine)
{
    delete g_hintsHost;
    g_hintsHost = new EngineHintsHost(engine);
    SetHintsHost(g_hintsHost);
    engine.hints = new (std::nothrow) cKestruneHints();
    if (!engine.hints)
        return false;
    engine.hints->LoadImages();
    return true;
}

void cKestruneDefaultMembers::DestroyHints(cKestruneEngine& engine)
{
    DeleteMember(engine.hints);
    SetHintsHost(nullptr);
    delete g_hintsHost;
    g_hintsHost = nullptr;
}

bool cKestruneDefaultMembers::HasHints(cKestruneEngine& engine) { return engine.hints != nullptr; }

void cKestruneDefaultMembers::ShowHints(cKestruneEngine& engine, bool show)
{
    if (engine.hints)
        engine.hints->Show(show ? 1 : 0);
}

void cKestruneEngineGraphicsHost::HintsRender()
{
    if (engine_.hints)
        engine_.hints->Render();
}
