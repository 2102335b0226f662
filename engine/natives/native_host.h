#pragma once

#include <cstdint>

class cKestruneScript;
class cKestruneVideo;
class cKestruneHints;

// What the natives need of the engine above them and of members whose
// natives are not theirs: the engine's requests and names, the frame clock's
// timers, the current and queued video, the hints, the messenger and the
// dialogue's printed line. The engine installs its own host
// (engine/app/members_natives.cpp); the base answers as if there were none.
class cKestruneNativeHost {
public:
    virtual ~cKestruneNativeHost() = default;

    virtual const char* PreviousSceneName();
    virtual void RequestNewGame();
    virtual void AddRoomTimer(cKestruneScript* script, const char* function, float seconds);
    virtual cKestruneHints* Hints();
    virtual bool MenuOpen();
    virtual bool HasInventoryItem(const char* name);

    // Videos: the current one (null when none), and a new one made queued,
    // which becomes current at once when none plays.
    virtual cKestruneVideo* CurrentVideo();
    virtual void QueueVideo(cKestruneVideo* video);

    // The messenger screen and the dialogue's printed line.
    virtual void OpenMessenger();
    virtual void CloseMessenger();
    virtual void CloseMessengerConnection();
    virtual void AddMessengerItem(const char* a, const char* b, const char* c, const char* d, uint32_t colour);
    virtual void Print(const char* first, const char* second, cKestruneScript* script);
};

// Null restores the base host.
void SetNativeHost(cKestruneNativeHost* host);
cKestruneNativeHost& NativeHost();
