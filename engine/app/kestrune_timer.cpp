#include "engine/app/kestrune_timer.h"

#include "engine/app/kestrune_engine.h"
#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_identity.h"
#include "platform/crt/crt_io.h"
#include "platform/win32/winmm/mmsystem.h"

#include <cmath>
#include <vector>

namespace {

// The single-precision 0.001 widened to double, as the frame values use it.
constexpr double kMillisecond = static_cast<double>(0.001f);

// Whether `at` has been reached by `now`, modulo the clock's wrap.
bool Reached(std::uint32_t now, std::uint32_t at) { return static_cast<std::int32_t>(now - at) >= 0; }

cKestruneScript* FindScript(std::uint32_t identity)
{
    if (g_engine)
        return g_engine->FindScriptById(identity);
    return ScriptFromSaveId(identity);
}

} // namespace

cKestruneTimer::cKestruneTimer()
{
    frameTime = timeGetTime();
    TIMECAPS caps{};
    timeGetDevCaps(&caps, sizeof caps);
    period = caps.wPeriodMin;
    if (period < 1)
        period = 1;
    if (period > caps.wPeriodMax)
        period = caps.wPeriodMax;
    timeBeginPeriod(period);
}

cKestruneTimer::~cKestruneTimer() { timeEndPeriod(period); }

bool cKestruneTimer::Tick()
{
    const std::uint32_t now = timeGetTime();
    const std::uint32_t elapsed = now - frameTime;
    const bool video = g_engine && g_engine->video;
    if (elapsed < (video ? kVideoFrameMs : kFrameMs))
        return false;
    frameDelta = elapsed;
    frameTime = now;
    frameDeltaSeconds = static_cast<float>(elapsed * kMillisecond);
    frameSeconds = static_cast<float>(now * kMillisecond);

    std::int32_t i = 0;
    while (i < timers.count) {
        if (!Reached(frameTime, timers.data[i].due)) {
            ++i;
            continue;
        }
        // The timer leaves the list before its function runs, so a function
        // that empties or refills the list cannot have the wrong one removed.
        const ScriptTimer fired = timers.data[i];
        timers.RemoveAt(i);
        if (cKestruneScript* const script = fired.script.Get())
            script->Run(fired.functionName.GetText());
    }
    return true;
}

std::int32_t cKestruneTimer::AddTimer(cKestruneScript* script, const char* functionName, float seconds)
{
    ScriptTimer timer;
    timer.functionName = functionName;
    timer.script = script;
    // A delay no integer holds (NaN, infinite, absurdly large) counts as 0 ms,
    // what the x86 conversion yields, instead of an undefined conversion.
    const float ms = seconds * 1000.0f;
    const std::int64_t delay = std::fabs(ms) < 9.2e18f ? static_cast<std::int64_t>(ms) : 0;
    timer.due = timeGetTime() + static_cast<std::uint32_t>(delay);
    timers.Add(timer);
    return 0;
}

double cKestruneTimer::GetSecondsSince(std::uint32_t t, float factor) const
{
    return GetSecondsBetween(t, frameTime, factor);
}

double cKestruneTimer::GetSecondsBetween(std::uint32_t a, std::uint32_t b, float factor)
{
    if (!Reached(b, a))
        return 0.0;
    return static_cast<double>(b - a) * kMillisecond * factor;
}

double cKestruneTimer::GetSystemSeconds() { return timeGetTime() * kMillisecond; }

void cKestruneTimer::SaveBlock(int file) const
{
    WriteSavegameBlockHeader(file, "TMR", "", static_cast<std::uint32_t>(timers.count) * kTimerRecordSize);
    std::vector<std::uint8_t> records;
    DatafileByteWriter writer(records);
    for (std::int32_t i = 0; i < timers.count; ++i) {
        const ScriptTimer& timer = timers.data[i];
        writer.FixedText(timer.functionName.GetText(), 64);
        writer.FixedText("", 64);
        // A timer whose script is gone is saved as "no script" (0), which no
        // script's identity ever is.
        writer.U32(ScriptToSaveId(timer.script.Get()));
        writer.U32(timer.due - frameTime);
    }
    _write(file, records.data(), static_cast<unsigned>(records.size()));
}

void cKestruneTimer::LoadBlock(SavegameBlockHeader& header, int file)
{
    if (!CheckSavegameBlockTag(header, "TMR"))
        return;
    while (timers.count > 0)
        timers.RemoveAt(timers.count - 1);
    const std::uint32_t count = header.length / kTimerRecordSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t record[kTimerRecordSize];
        if (_read(file, record, sizeof record) != static_cast<int>(sizeof record))
            break;
        DatafileByteReader reader(record, sizeof record);
        ScriptTimer timer;
        timer.functionName = reader.FixedText(64).c_str();
        reader.Take(64);
        const std::uint32_t identity = reader.U32();
        timer.script = identity != 0 ? FindScript(identity) : nullptr;
        timer.due = frameTime + reader.U32();
        timers.Add(timer);
    }
    ReadSavegameBlockHeader(file, header);
}
