#include "platform/win32/kernel/clock.h"
#include "platform/win32/kernel/time.h"
#include "platform/win32/winmm/mmsystem.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Winmm, TimeFollowsTheSharedClockAndWraps)
{
    std::uint64_t micros = (0xFFFFFFFFull - 5) * 1000;
    vls::win32::SetClockSource([&] { return micros; });
    const DWORD before = timeGetTime();
    EXPECT_EQ(before, 0xFFFFFFFAu);
    micros += 10'000;
    const DWORD after = timeGetTime();
    EXPECT_EQ(after, 4u); // wrapped
    EXPECT_EQ(after - before, 10u); // unsigned difference still right
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    EXPECT_EQ(static_cast<std::uint64_t>(counter.QuadPart), micros);
    vls::win32::SetClockSource({});
    const DWORD real = timeGetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    EXPECT_GE(timeGetTime() - real, 15u);
}

TEST(Winmm, DevCapsAndPeriodsPair)
{
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_GE(caps.wPeriodMax, caps.wPeriodMin);
    EXPECT_EQ(timeGetDevCaps(&caps, 2), TIMERR_NOCANDO);
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO); // never begun
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO);
}

} // namespace
