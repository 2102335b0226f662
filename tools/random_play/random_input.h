#pragma once

// Seeded random input for a program played through its input script: the
// numbers come from our own generator, so a seed gives the same script on
// every machine and with every standard library.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vls::random_play {

// splitmix64: small, fast, and fully defined by its seed.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next();
    // A number from `low` to `high`, both included.
    int Between(int low, int high);
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    template <typename T> const T& Pick(const std::vector<T>& choices)
    {
        return choices[static_cast<std::size_t>(Between(0, static_cast<int>(choices.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

// One thing the player does: script lines that end with a `step`, or a
// restart of the program (which then loads what it saved).
struct PlayAction {
    std::vector<std::string> lines;
    bool restart = false;
    // No more actions: the play is over.
    bool end = false;
};

// The number of `step` lines in `lines`: the acknowledgements a played
// action gives back.
int CountSteps(const std::vector<std::string>& lines);

// Input that fits any program: clicks, double clicks, right clicks, drags,
// the wheel, keys with and without modifiers, typed text, focus changes and
// clock steps short and long, anywhere in a window of the given size.
class RandomInput {
public:
    RandomInput(SeededRandom& random, int width, int height) : random_(random), width_(width), height_(height) {}

    PlayAction Any();

    std::string ShortStep();
    std::string LongStep();
    PlayAction Click(int x, int y, const char* button = "left");
    PlayAction DoubleClick(int x, int y);
    PlayAction Drag(int fromX, int fromY, int toX, int toY);
    PlayAction Wheel(int x, int y);
    PlayAction Key(const std::string& key);
    PlayAction KeyWithModifier(const std::string& key);
    PlayAction Text();
    int RandomX() { return random_.Between(0, width_ - 1); }
    int RandomY() { return random_.Between(0, height_ - 1); }

private:
    SeededRandom& random_;
    int width_;
    int height_;
};

// Variables set in the program's environment; an empty value takes one out.
using Environment = std::vector<std::pair<std::string, std::string>>;

// What a program's player knows about the program it plays.
class PlayProfile {
public:
    virtual ~PlayProfile() = default;
    // Puts what the program needs into its fresh folders, from `data`.
    virtual void Prepare(const std::filesystem::path& work, const std::filesystem::path& config,
        const std::filesystem::path& data) = 0;
    // Called after Prepare, with the same config folder.
    virtual Environment ProgramEnvironment(const std::filesystem::path&) { return {}; }
    // Whether the program may end by itself during play (its own close
    // button, say); it is then started again. Otherwise that is a fault.
    virtual bool MayEnd() const { return false; }
    virtual PlayAction Next() = 0;
};

} // namespace vls::random_play
