#pragma once

// Random play of the control library's programs (the gallery and the
// launcher): input anywhere (clicks, double clicks, drags, the wheel, keys
// with Alt, Ctrl and Shift, text, activation), and aimed at the places that
// matter: the frames' buttons, edges and captions, the system menu, the
// menus and popups, lists, edits, combo boxes, tabs and the control bar.
// Every so many actions the program is closed and started again.

#include "tools/random_play/random_input.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vls::random_play {

struct Spot {
    int x;
    int y;
};

// A place to aim at, and how far the aim may stray from it.
struct Target {
    int x;
    int y;
    int spread = 3;
};

// The places of one program's window (window coordinates).
struct ProgramMap {
    int width = 0, height = 0;
    std::vector<Target> frameButtons;  // the frames' caption buttons
    std::vector<Target> controls;      // controls, menu titles, the control bar
    std::vector<Target> captions;      // captions to drag and double-click
    std::vector<Target> edges;         // borders and corners to size by
    std::vector<Target> avoid;         // centres of places never aimed at on purpose
    // Key presses that open the program's own menus (after Alt).
    std::vector<std::string> menuKeys;
};

class FormsProfile : public PlayProfile {
public:
    FormsProfile(SeededRandom& random, ProgramMap map, int actionsPerStart)
        : random_(random), input_(random, map.width, map.height), map_(std::move(map)),
          actionsPerStart_(actionsPerStart)
    {
    }

    // The launcher's web buttons call the desktop's opener: a stand-in that
    // does nothing comes first on the program's PATH.
    void Prepare(const std::filesystem::path& work, const std::filesystem::path& config,
        const std::filesystem::path& data) override;
    Environment ProgramEnvironment(const std::filesystem::path& config) override;
    bool MayEnd() const override { return true; }
    PlayAction Next() override;

private:
    int Near(int value, int spread) { return value + random_.Between(-spread, spread); }
    Spot Aim(const Target& t) { return {Near(t.x, t.spread), Near(t.y, t.spread)}; }
    Spot Anywhere();
    PlayAction Drag(const Target& from);
    PlayAction KeyWalk(std::vector<std::string> lines);
    PlayAction AnyInput();
    PlayAction Aimed();

    SeededRandom& random_;
    RandomInput input_;
    ProgramMap map_;
    int actionsPerStart_;
    int actions_ = 0;
};

// The maps by profile name ("skin_control_gallery", "vlslaunch"); false
// for an unknown name.
bool MapOf(const std::string& profile, ProgramMap& map);

} // namespace vls::random_play
