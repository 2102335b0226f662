#include "tools/random_play/random_input.h"

namespace vls::random_play {
namespace {

const std::vector<std::string> kKeys = {"ESCAPE", "RETURN", "SPACE", "TAB", "BACK", "DELETE", "LEFT", "RIGHT", "UP",
    "DOWN", "HOME", "END", "PRIOR", "NEXT", "F1", "F5", "F8", "F10", "A", "H", "M", "Q", "S", "Z", "0", "7"};
const std::vector<std::string> kModifiers = {"SHIFT", "CONTROL", "MENU"};
const std::vector<std::string> kWords = {"a", "save", "x1", "Zz", "game 2", "\xc3\xa9t\xc3\xa9", "...", "0123456789"};

std::string Step(int ms) { return "step " + std::to_string(ms); }

std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

} // namespace

std::uint64_t SeededRandom::Next()
{
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

int SeededRandom::Between(int low, int high)
{
    if (high <= low)
        return low;
    const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
}

int CountSteps(const std::vector<std::string>& lines)
{
    int steps = 0;
    for (const std::string& line : lines)
        if (line.rfind("step ", 0) == 0)
            ++steps;
    return steps;
}

std::string RandomInput::ShortStep() { return Step(random_.Between(1, 400)); }

std::string RandomInput::LongStep() { return Step(random_.Between(1000, 20000)); }

PlayAction RandomInput::Click(int x, int y, const char* button)
{
    return {{"click " + At(x, y) + " " + button, ShortStep()}};
}

PlayAction RandomInput::DoubleClick(int x, int y)
{
    // Two clicks with no step between them fall within the double-click time.
    return {{"click " + At(x, y), "click " + At(x, y), ShortStep()}};
}

PlayAction RandomInput::Drag(int fromX, int fromY, int toX, int toY)
{
    const char* button = random_.Chance(80) ? "left" : "right";
    return {{"mousedown " + At(fromX, fromY) + " " + button, Step(random_.Between(10, 200)),
        "move " + At((fromX + toX) / 2, (fromY + toY) / 2), Step(random_.Between(10, 100)), "move " + At(toX, toY),
        "mouseup " + At(toX, toY) + " " + button, ShortStep()}};
}

PlayAction RandomInput::Wheel(int x, int y)
{
    return {{"wheel " + At(x, y) + " " + std::to_string(120 * random_.Between(-3, 3)), ShortStep()}};
}

PlayAction RandomInput::Key(const std::string& key) { return {{"key " + key, ShortStep()}}; }

PlayAction RandomInput::KeyWithModifier(const std::string& key)
{
    const std::string& modifier = random_.Pick(kModifiers);
    return {{"keydown " + modifier, "key " + key, "keyup " + modifier, ShortStep()}};
}

PlayAction RandomInput::Text() { return {{"text " + random_.Pick(kWords), ShortStep()}}; }

PlayAction RandomInput::Any()
{
    switch (random_.Between(0, 13)) {
    case 0:
    case 1:
    case 2: return Click(RandomX(), RandomY());
    case 3: return DoubleClick(RandomX(), RandomY());
    case 4: return Click(RandomX(), RandomY(), "right");
    case 5: return Drag(RandomX(), RandomY(), RandomX(), RandomY());
    case 6: return Wheel(RandomX(), RandomY());
    case 7:
    case 8: return Key(random_.Pick(kKeys));
    case 9: return KeyWithModifier(random_.Pick(kKeys));
    case 10: return Text();
    case 11: return {{"move " + At(RandomX(), RandomY()), ShortStep()}};
    case 12: return {{random_.Chance(50) ? "deactivate" : "activate", ShortStep()}};
    default: return {{random_.Chance(70) ? ShortStep() : LongStep()}};
    }
}

} // namespace vls::random_play
