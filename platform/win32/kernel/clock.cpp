#include "platform/win32/kernel/clock.h"

#include <cerrno>
#include <sched.h>
#include <time.h>

namespace vls::win32 {

namespace {

ClockSource& Source()
{
    static ClockSource source;
    return source;
}

SleepSource& Sleeper()
{
    static SleepSource sleeper;
    return sleeper;
}

} // namespace

void SetSleepSource(SleepSource sleep)
{
    Sleeper() = std::move(sleep);
}

bool SleepThroughSource(std::uint32_t milliseconds)
{
    const SleepSource& sleeper = Sleeper();
    if (!sleeper)
        return false;
    sleeper(milliseconds);
    return true;
}

void SetClockSource(ClockSource source)
{
    Source() = std::move(source);
}

std::uint64_t ClockMicroseconds()
{
    if (const ClockSource& source = Source())
        return source();
    return SystemClockMicroseconds();
}

bool ClockReplaced()
{
    return static_cast<bool>(Source());
}

std::uint64_t SystemClockMicroseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

void SystemSleep(std::uint32_t milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace vls::win32
