#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/kestrune_string.h"
#include "engine/script/script_identity.h"

#include <cstdint>

class cKestruneScript;
struct SavegameBlockHeader;

// One pending delayed call of a named script function.
struct ScriptTimer {
    cString functionName;
    cScriptRef script; // names no script after a load that could not re-bind it
    std::uint32_t due = 0;             // on the millisecond clock
};

// The frame clock: paces the main loop (a frame every 25 ms, every 20 ms
// while a video plays), keeps the frame time, and fires the script timers.
// Times are compared modulo 2^32, so the clock's wrap after 49.7 days is harmless.
class cKestruneTimer {
public:
    static constexpr std::uint32_t kFrameMs = 25;
    static constexpr std::uint32_t kVideoFrameMs = 20;
    static constexpr std::uint32_t kTimerRecordSize = 136;

    cKestruneTimer();
    ~cKestruneTimer();
    cKestruneTimer(const cKestruneTimer&) = delete;
    cKestruneTimer& operator=(const cKestruneTimer&) = delete;

    // True when a frame is due; then the frame time is taken and the due
    // timers fire, in the order they were added.
    bool Tick();
    std::int32_t AddTimer(cKestruneScript* script, const char* functionName, float seconds);
    double GetSecondsSince(std::uint32_t t, float factor) const;
    static double GetSecondsBetween(std::uint32_t a, std::uint32_t b, float factor);
    static double GetSystemSeconds();

    // The "TMR" savegame block on a C run-time descriptor. LoadBlock takes the
    // header its caller has read and leaves the next block's header in it.
    void SaveBlock(int file) const;
    void LoadBlock(SavegameBlockHeader& header, int file);

    // Fields, in the engine's order.
    std::uint32_t period = 1;
    std::uint32_t frameTime = 0;
    std::uint32_t frameDelta = 0;
    float frameSeconds = 0.0f;
    float frameDeltaSeconds = 0.0f;
    DynArray<ScriptTimer> timers;
};
