#pragma once

#include <cstdint>

class cKestruneScript;
class cKestruneVideo;
class cKestruneHints;

// What the natives need of the engine above them and of members whose
// natives are not theirs: the engine's requests and names, the frame clock's
// timers, the current and queued video, the hints, the messenger and the
// dialogue's printed line. The engine installs its own host
// (engine/app/members_natives.cpp); what the real engine must supply has no
// base answer.
class cKestruneNativeHost {
public:
    virtual ~cKestruneNativeHost() = default;

    virtual const char* PreviousSceneName() = 0;
    virtual void RequestNewGame() = 0;
    virtual void AddRoomTimer(cKestruneScript* script, const char* function, float seconds) = 0;
    virtual cKestruneHints* Hints() = 0;
    virtual bool MenuOpen() = 0;
    virtual bool HasInventoryItem(const char* name) = 0;

    // Videos: the current one (null when none), and a new one made queued,
    // which becomes current at once when none plays.
    virtual cKestruneVideo* CurrentVideo() = 0;
    virtual void QueueVideo(cKestruneVideo* video) = 0;

    // The messenger screen and the dialogue's printed line.
    virtual void OpenMessenger() = 0;
    virtual void CloseMessenger() = 0;
    virtual void CloseMessengerConnection() = 0;
    virtual void AddMessengerItem(const char* a, const char* b, const char* c, const char* d, uint32_t colour) = 0;
    virtual void Print(const char* first, const char* second, cKestruneScript* script) = 0;
};

// The answers of an engine with none of the members above (a queued video is
// deleted at once): what the natives see before the engine installs its
// host, and the base of test fakes.
class cKestruneNullNativeHost : public cKestruneNativeHost {
public:
    const char* PreviousSceneName() override;
    void RequestNewGame() override;
    void AddRoomTimer(cKestruneScript* script, const char* function, float seconds) override;
    cKestruneHints* Hints() override;
    bool MenuOpen() override;
    bool HasInventoryItem(const char* name) override;
    cKestruneVideo* CurrentVideo() override;
    void QueueVideo(cKestruneVideo* video) override;
    void OpenMessenger() override;
    void CloseMessenger() override;
    void CloseMessengerConnection() override;
    void AddMessengerItem(const char* a, const char* b, const char* c, const char* d, uint32_t colour) override;
    void Print(const char* first, const char* second, cKestruneScript* script) override;
};

// Null restores the null host (the answers of an engine without members).
void SetNativeHost(cKestruneNativeHost* host);
cKestruneNativeHost& NativeHost();
