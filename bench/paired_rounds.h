#pragma once

// Timing of our code beside a reference in one process: each round times both
// sides on this thread's processor clock, in alternating order, so that a
// machine whose load changes during the run slows both alike. The figure is
// the median of the per-round ratios, printed with the spread of the rounds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace bench {

inline double CpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// The median and the quartiles of a sample.
struct Spread {
    double median = 0;
    double low = 0;  // first quartile
    double high = 0; // third quartile
};

inline Spread SpreadOf(std::vector<double> values)
{
    Spread s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)]; };
    s.median = at(0.5);
    s.low = at(0.25);
    s.high = at(0.75);
    return s;
}

class PairedRounds {
public:
    // Runs ours and the reference once each per benchmark iteration; odd
    // rounds run the reference first. Both return false on failure.
    template <typename Ours, typename Reference>
    bool Round(benchmark::State& state, Ours&& ours, Reference&& reference)
    {
        double ourTime = 0, referenceTime = 0;
        const auto time = [](auto& body, double& out) {
            const double start = CpuNanoseconds();
            const bool ok = body();
            out = CpuNanoseconds() - start;
            return ok;
        };
        if (!BothInTurn(state, [&] { return time(ours, ourTime); }, [&] { return time(reference, referenceTime); }))
            return false;
        ours_.push_back(ourTime);
        reference_.push_back(referenceTime);
        return true;
    }

    // As Round, for work that this thread's clock does not see (a child
    // process): after both sides ran, `measure` gives the round's figures as
    // a pair, ours first.
    template <typename Ours, typename Reference, typename Measure>
    bool Measured(benchmark::State& state, Ours&& ours, Reference&& reference, Measure&& measure)
    {
        if (!BothInTurn(state, ours, reference))
            return false;
        const auto [our, theirs] = measure();
        ours_.push_back(our);
        reference_.push_back(theirs);
        return true;
    }

    // Counters in units of `scale` nanoseconds per unit of work, and the
    // ratio named ratioName: our time over the reference's, or its inverse
    // (a throughput ratio) when asked.
    void Report(benchmark::State& state, double workUnits, const char* unitName, const char* referenceName,
        const char* ratioName, bool throughput) const
    {
        if (ours_.empty())
            return;
        std::vector<double> ratios;
        for (std::size_t i = 0; i < ours_.size(); ++i)
            ratios.push_back(throughput ? reference_[i] / ours_[i] : ours_[i] / reference_[i]);
        const Spread ratio = SpreadOf(ratios);
        state.counters[std::string("ours_") + unitName] = SpreadOf(ours_).median / workUnits;
        state.counters[std::string(referenceName) + "_" + unitName] = SpreadOf(reference_).median / workUnits;
        state.counters[ratioName] = ratio.median;
        state.counters[std::string(ratioName) + "_q1"] = ratio.low;
        state.counters[std::string(ratioName) + "_q3"] = ratio.high;
        char label[128];
        std::snprintf(label, sizeof label, "%s %.3f (quartiles %.3f..%.3f, %zu rounds)", ratioName, ratio.median,
            ratio.low, ratio.high, ratios.size());
        state.SetLabel(label);
    }

private:
    template <typename Ours, typename Reference>
    bool BothInTurn(benchmark::State& state, Ours&& ours, Reference&& reference) const
    {
        const bool referenceFirst = (ours_.size() & 1) != 0;
        const bool ok = referenceFirst ? reference() && ours() : ours() && reference();
        if (!ok)
            state.SkipWithError("a timed side failed; no ratio printed");
        return ok;
    }

    std::vector<double> ours_;
    std::vector<double> reference_;
};

} // namespace bench
