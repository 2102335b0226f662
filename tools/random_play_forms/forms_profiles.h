#pragma once

// What the random player does to the control library's programs: input
// anywhere (clicks, double clicks, drags, the wheel, keys with Alt, Ctrl and
// Shift, text, activation), and aimed at the places that matter: the
// frame's buttons, edges and caption, the system menu, the menus and
// popups, lists, edits, combo boxes, tabs and the control bar.

#include <memory>
#include <string>
#include <vector>

#include "tools/random_play_forms/seeded_random.h"

namespace vls::random_play_forms {

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

class FormsProfile {
public:
    FormsProfile(SeededRandom& random, ProgramMap map) : random_(random), map_(std::move(map)) {}

    // One action: script lines ending with a `step`.
    std::vector<std::string> Next();

private:
    int Near(int value, int spread) { return value + random_.Between(-spread, spread); }
    std::string Step();
    std::string Where(const Target& t);
    std::string Anywhere();
    std::vector<std::string> Click(const std::string& at, const char* button = "left");
    std::vector<std::string> DoubleClick(const std::string& at);
    std::vector<std::string> Drag(const Target& from);
    std::vector<std::string> KeyWalk(std::vector<std::string> lines);
    std::vector<std::string> AnyInput();

    SeededRandom& random_;
    ProgramMap map_;
};

// The maps by profile name ("skin_control_gallery", "vlslaunch"); false
// for an unknown name.
bool MapOf(const std::string& profile, ProgramMap& map);

}  // namespace vls::random_play_forms
