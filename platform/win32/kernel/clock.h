#pragma once

#include <cstdint>
#include <functional>

namespace vls::win32 {

// The one monotonic clock behind timeGetTime, GetTickCount and the
// performance counter, in microseconds. Tests and the headless backend put a
// virtual clock in its place; an empty function restores the system clock.
// Replace it before other threads read it.
using ClockSource = std::function<std::uint64_t()>;
void SetClockSource(ClockSource source);
std::uint64_t ClockMicroseconds();
// True while a replacement stands in for the system clock.
bool ClockReplaced();
// The system's monotonic clock in microseconds, whatever replaces it above:
// for a replacement that must keep in step with real time.
std::uint64_t SystemClockMicroseconds();

// What Sleep does, for a virtual clock that must move forward instead of the
// thread waiting in real time; an empty function restores the real wait.
using SleepSource = std::function<void(std::uint32_t milliseconds)>;
void SetSleepSource(SleepSource sleep);
// Sleeps through the hook when one is set; false when there is none.
bool SleepThroughSource(std::uint32_t milliseconds);
// A real wait of the thread, whatever replaces Sleep above.
void SystemSleep(std::uint32_t milliseconds);

constexpr std::int64_t kPerformanceFrequency = 1000000;

} // namespace vls::win32
