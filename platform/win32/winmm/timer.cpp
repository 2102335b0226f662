#include "platform/win32/winmm/mmsystem.h"

#include "platform/win32/kernel/clock.h"

#include <map>
#include <mutex>

namespace {

constexpr UINT kPeriodMin = 1;
constexpr UINT kPeriodMax = 1000000;

struct Periods {
    std::mutex lock;
    std::map<UINT, int> active;
};

Periods& ActivePeriods()
{
    static Periods* periods = new Periods;
    return *periods;
}

} // namespace

DWORD timeGetTime()
{
    return static_cast<DWORD>(vls::win32::ClockMicroseconds() / 1000u);
}

MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size)
{
    if (!caps || size < sizeof(TIMECAPS))
        return TIMERR_NOCANDO;
    caps->wPeriodMin = kPeriodMin;
    caps->wPeriodMax = kPeriodMax;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period)
{
    if (period < kPeriodMin || period > kPeriodMax)
        return TIMERR_NOCANDO;
    Periods& periods = ActivePeriods();
    const std::lock_guard guard(periods.lock);
    ++periods.active[period];
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period)
{
    Periods& periods = ActivePeriods();
    const std::lock_guard guard(periods.lock);
    const auto found = periods.active.find(period);
    if (found == periods.active.end())
        return TIMERR_NOCANDO;
    if (--found->second == 0)
        periods.active.erase(found);
    return TIMERR_NOERROR;
}
