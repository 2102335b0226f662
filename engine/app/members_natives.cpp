#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/ui/kestrune_menu.h"

const char* cKestruneEngineNativeHost::PreviousSceneName() { return engine_.previousSceneName.GetText(); }
void cKestruneEngineNativeHost::RequestNewGame() { engine_.newGameRequest = 1; }

void cKestruneEngineNativeHost::AddRoomTimer(cKestruneScript* script, const char* function, float seconds)
{
    if (engine_.timer)
        engine_.timer->AddTimer(script, function, seconds);
}

cKestruneHints* cKestruneEngineNativeHost::Hints() { return engine_.hints; }
bool cKestruneEngineNativeHost::MenuOpen() { return engine_.menu && engine_.menu->open; }
bool cKestruneEngineNativeHost::HasInventoryItem(const char* name) { return engine_.Members().HasInventoryItem(engine_, name); }
cKestruneVideo* cKestruneEngineNativeHost::CurrentVideo() { return engine_.video; }

void cKestruneEngineNativeHost::QueueVideo(cKestruneVideo* video)
{
    // A video still waiting behind the current one is replaced.
    if (engine_.queuedVideo && engine_.queuedVideo != video)
        engine_.Members().DeleteVideo(engine_.queuedVideo);
    engine_.queuedVideo = video;
    if (!engine_.video) {
        engine_.video = video;
        engine_.queuedVideo = nullptr;
    }
}
