#pragma once

// A stopwatch on the performance counter, for timing transition frames.

#include <cstdint>

namespace skin {

class TSkTimer {
public:
    TSkTimer();  // measures the overhead of two readings, then the frequency
    void Start();
    void Stop();
    long double Elapsed() const;  // seconds

private:
    std::int64_t start_ = 0, stop_ = 0, frequency_ = 1, overhead_ = 0;
};

void StartTimer(TSkTimer*& timer);
float StopTimer(TSkTimer* timer);

}  // namespace skin
