#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/ui/kestrune_dialogue.h"
#include "engine/ui/kestrune_menu.h"
#include "engine/ui/kestrune_messenger.h"
#include "engine/world/kestrune_gameplay.h"

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

void cKestruneEngineNativeHost::OpenMessenger()
{
    if (engine_.messenger)
        engine_.messenger->Open();
}
void cKestruneEngineNativeHost::CloseMessenger()
{
    if (engine_.messenger)
        engine_.messenger->Close();
}
void cKestruneEngineNativeHost::CloseMessengerConnection()
{
    if (engine_.messenger)
        engine_.messenger->CloseConnection();
}
void cKestruneEngineNativeHost::AddMessengerItem(const char* a, const char* b, const char* c, const char* d, uint32_t colour)
{
    if (engine_.messenger)
        engine_.messenger->AddItem(a, b, c, d, colour);
}
// The printed line is the first text; the second is not shown.
void cKestruneEngineNativeHost::Print(const char* first, const char*, cKestruneScript* script)
{
    if (engine_.gameplay && engine_.gameplay->dialogue)
        engine_.gameplay->dialogue->Print(first, script);
}
