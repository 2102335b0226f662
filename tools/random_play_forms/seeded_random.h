#pragma once

// splitmix64: small, fast and fully defined by its seed, so a seed gives the
// same play on every machine and with every standard library.

#include <cstdint>
#include <string>
#include <vector>

namespace vls::random_play_forms {

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // From `low` to `high`, both included.
    int Between(int low, int high)
    {
        if (high <= low)
            return low;
        return low + static_cast<int>(Next() % (static_cast<std::uint64_t>(high - low) + 1));
    }
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& choices)
    {
        return choices[static_cast<std::size_t>(Between(0, static_cast<int>(choices.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

}  // namespace vls::random_play_forms
