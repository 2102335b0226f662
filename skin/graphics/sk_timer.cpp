#include "skin/graphics/sk_timer.h"

#include "platform/win32/kernel/time.h"

namespace skin {

namespace {

std::int64_t Counter()
{
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

}  // namespace

TSkTimer::TSkTimer()
{
    const std::int64_t a = Counter();
    const std::int64_t b = Counter();
    overhead_ = b - a;
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
}

void TSkTimer::Start() { start_ = Counter(); }
void TSkTimer::Stop() { stop_ = Counter(); }

long double TSkTimer::Elapsed() const
{
    return static_cast<long double>(stop_ - overhead_ - start_) / static_cast<long double>(frequency_);
}

void StartTimer(TSkTimer*& timer)
{
    if (!timer)
        timer = new TSkTimer();
    timer->Start();
}

float StopTimer(TSkTimer* timer)
{
    if (!timer)
        return 0;
    timer->Stop();
    return static_cast<float>(timer->Elapsed());
}

}  // namespace skin
