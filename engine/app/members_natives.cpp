#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/render/kestrune_image.h"
#include "engine/render/kestrune_video.h"
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
    // A video still waiting behind the current one is replaced; the script
    // that waits for it goes on at the next frame rather than inside this
    // native, which another script is running.
    if (cKestruneVideo* const replaced = engine_.queuedVideo; replaced && replaced != video) {
        cKestruneImage* const image = replaced->image;
        if (cKestruneScript* const waiting = image ? image->endCallbackScript.Get() : nullptr; waiting && engine_.timer)
            engine_.timer->AddTimer(waiting, image->endCallbackName.GetText(), 0.0f);
        if (image)
            image->endCallbackScript = nullptr;
        engine_.Members().DeleteVideo(replaced);
    }
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
