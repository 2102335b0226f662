#include "engine/world/savegame_clock.h"

#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/time.h"

namespace {

// Saturday, 1 January 2000, midnight.
constexpr SYSTEMTIME kVirtualClockStart = {2000, 1, 6, 1, 0, 0, 0, 0};
constexpr ULONGLONG kTicksPerMicrosecond = 10;

} // namespace

void SavingTime(SYSTEMTIME& time)
{
    if (!vls::win32::ClockReplaced()) {
        GetLocalTime(&time);
        return;
    }
    FILETIME start;
    SystemTimeToFileTime(&kVirtualClockStart, &start);
    const FILETIME now = vls::win32::FileTimeFromTicks(
        vls::win32::FileTimeTicks(start) + vls::win32::ClockMicroseconds() * kTicksPerMicrosecond);
    FileTimeToSystemTime(&now, &time);
}
