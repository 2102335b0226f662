#include "tools/random_play/forms_profile.h"

#include <cstdlib>
#include <fstream>

namespace vls::random_play {
namespace {

const std::vector<std::string> kKeys = {"ESCAPE", "RETURN", "SPACE", "TAB", "BACK", "DELETE", "LEFT", "RIGHT", "UP",
    "DOWN", "HOME", "END", "PRIOR", "NEXT", "F1", "F4", "F10", "A", "C", "N", "V", "X", "Z", "7"};
const std::vector<std::string> kModifiedKeys = {"ESCAPE", "RETURN", "SPACE", "TAB", "BACK", "DELETE", "LEFT",
    "RIGHT", "UP", "DOWN", "HOME", "END", "F1", "F10", "A", "C", "N", "V", "X", "Z", "7"};
const std::vector<std::string> kWalkKeys = {"DOWN", "UP", "LEFT", "RIGHT", "DOWN", "HOME", "END"};

// The gallery's main window (820 x 600): its caption buttons from the right
// and its system-menu icon, the two children where the program opens them,
// a maximized child's buttons on the bar, the menu titles (also where they
// stand while a child is maximized), the children's controls, the empty
// part of the client (the parent's popup menu) and the status bar.
ProgramMap GalleryMap()
{
    ProgramMap m;
    m.width = 820;
    m.height = 600;
    m.frameButtons = {{788, 13, 2}, {771, 13, 2}, {754, 13, 2}, {737, 13, 2}, {12, 13, 3},
                      {485, 74, 2}, {467, 74, 2}, {451, 74, 2}, {433, 74, 2}, {22, 74, 3},
                      {334, 84, 2}, {316, 84, 2}, {298, 84, 2}, {281, 84, 2}, {80, 84, 3},
                      {365, 34, 2}, {385, 34, 2}, {405, 34, 2}, {24, 34, 3}};
    m.controls = {{34, 34, 8},   {87, 34, 10},  {142, 34, 8},  {54, 34, 8},   {107, 34, 10}, {162, 34, 8},
                  {6, 34, 2},    {72, 137, 20}, {170, 137, 20}, {35, 173, 4},  {297, 243, 30}, {425, 243, 20},
                  {473, 243, 3}, {58, 274, 10}, {110, 274, 10}, {165, 274, 10}, {100, 420, 40}, {168, 393, 3},
                  {168, 455, 3}, {200, 392, 3}, {382, 392, 3},  {274, 392, 40}, {385, 105, 40}, {250, 491, 60},
                  {180, 139, 40}, {175, 200, 40}, {271, 168, 3}, {271, 231, 3}, {650, 400, 100}, {400, 585, 200}};
    m.captions = {{400, 13, 150}, {250, 74, 100}, {200, 84, 60}};
    m.edges = {{818, 300, 1}, {410, 598, 1}, {816, 596, 2}, {1, 300, 1},   {410, 1, 1},   {2, 2, 2},
               {497, 300, 1}, {250, 503, 1}, {495, 500, 2}, {346, 200, 1}, {200, 290, 1}, {344, 288, 2}};
    m.menuKeys = {"F", "W", "H", "SPACE"};
    return m;
}

// The launcher (620 x 400): its close button, start button and the web
// buttons end it or call the desktop's opener, so they are avoided; the
// install and settings buttons, the settings' combo boxes and check box
// are aimed at.
ProgramMap LauncherMap()
{
    ProgramMap m;
    m.width = 620;
    m.height = 400;
    m.controls = {{310, 300, 60}, {310, 324, 60}, {309, 242, 60}, {309, 290, 60}, {309, 338, 60}, {418, 242, 3},
                  {418, 290, 3},  {418, 338, 3},  {200, 370, 5},  {72, 360, 30},  {540, 351, 30}};
    m.captions = {{300, 20, 200}};
    m.edges = {{619, 200, 1}, {310, 399, 1}, {618, 398, 2}};
    m.avoid = {{602, 17, 14}, {310, 252, 126}, {310, 348, 126}, {310, 372, 126}};
    m.menuKeys = {"SPACE"};
    return m;
}

bool Avoided(const ProgramMap& map, int x, int y)
{
    for (const Target& t : map.avoid)
        if (std::abs(x - t.x) <= t.spread && std::abs(y - t.y) <= 13)
            return true;
    return false;
}

} // namespace

bool MapOf(const std::string& profile, ProgramMap& map)
{
    if (profile == "skin_control_gallery")
        map = GalleryMap();
    else if (profile == "vlslaunch")
        map = LauncherMap();
    else
        return false;
    return true;
}

void FormsProfile::Prepare(const std::filesystem::path&, const std::filesystem::path& config,
    const std::filesystem::path&)
{
    const std::filesystem::path folder = config / "bin";
    std::filesystem::create_directories(folder);
    const std::filesystem::path opener = folder / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
}

Environment FormsProfile::ProgramEnvironment(const std::filesystem::path& config)
{
    const char* path = std::getenv("PATH");
    return {{"PATH", (config / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")},
        {"SDL_AUDIODRIVER", "dummy"}};
}

Spot FormsProfile::Anywhere()
{
    for (;;) {
        const Spot at{input_.RandomX(), input_.RandomY()};
        if (!Avoided(map_, at.x, at.y))
            return at;
    }
}

PlayAction FormsProfile::Drag(const Target& from)
{
    const Spot at = Aim(from);
    return input_.Drag(at.x, at.y, at.x + random_.Between(-300, 300), at.y + random_.Between(-250, 250));
}

// A menu opened by its key, walked with the arrows and left by Escape or
// chosen by Enter.
PlayAction FormsProfile::KeyWalk(std::vector<std::string> lines)
{
    lines.push_back(input_.ShortStep());
    for (int i = random_.Between(0, 5); i > 0; --i)
        lines.push_back("key " + random_.Pick(kWalkKeys));
    lines.push_back(random_.Chance(65) ? "key ESCAPE" : "key RETURN");
    lines.push_back(input_.ShortStep());
    return {lines};
}

PlayAction FormsProfile::AnyInput()
{
    const Spot at = Anywhere();
    switch (random_.Between(0, 11)) {
    case 0:
    case 1: return input_.Click(at.x, at.y);
    case 2: return input_.Click(at.x, at.y, "right");
    case 3: return input_.DoubleClick(at.x, at.y);
    case 4: {
        const Spot to = Anywhere();
        return input_.Drag(at.x, at.y, to.x, to.y);
    }
    case 5: return input_.Wheel(at.x, at.y);
    case 6:
    case 7: return input_.Key(random_.Pick(kKeys));
    // Alt+F4 ends the program: the frame's close is played on purpose elsewhere.
    case 8: return input_.KeyWithModifier(random_.Pick(kModifiedKeys));
    case 9: return input_.Text();
    case 10: return {{"move " + std::to_string(at.x) + " " + std::to_string(at.y), input_.ShortStep()}};
    default: return {{random_.Chance(50) ? "deactivate" : "activate", input_.ShortStep()}};
    }
}

PlayAction FormsProfile::Aimed()
{
    switch (random_.Between(0, 17)) {
    case 0:
    case 1:
        if (!map_.frameButtons.empty()) {
            const Spot at = Aim(random_.Pick(map_.frameButtons));
            return input_.Click(at.x, at.y, random_.Chance(90) ? "left" : "right");
        }
        break;
    case 2: {
        const Spot at = Aim(random_.Pick(map_.captions));
        return input_.DoubleClick(at.x, at.y);
    }
    case 3: return Drag(random_.Pick(map_.captions));
    case 4: return Drag(random_.Pick(map_.edges));
    case 5:
    case 6:
    case 7: {
        const Spot at = Aim(random_.Pick(map_.controls));
        return input_.Click(at.x, at.y, random_.Chance(85) ? "left" : "right");
    }
    case 8: {
        const Spot at = Aim(random_.Pick(map_.controls));
        return input_.DoubleClick(at.x, at.y);
    }
    case 9: {
        const Spot at = Aim(random_.Pick(map_.controls));
        return input_.Wheel(at.x, at.y);
    }
    case 10: return KeyWalk({"keydown MENU", "key " + random_.Pick(map_.menuKeys), "keyup MENU"});
    case 11: return KeyWalk({"key F10"});
    case 12: {
        const Spot at = Aim(random_.Pick(map_.controls));
        return KeyWalk({"click " + std::to_string(at.x) + " " + std::to_string(at.y) + " right"});
    }
    case 13: return {{"keydown CONTROL", "key N", "keyup CONTROL", input_.ShortStep()}};
    case 14: return {{"key TAB", "key " + random_.Pick(kWalkKeys), "key SPACE", input_.ShortStep()}};
    default: break;
    }
    return AnyInput();
}

PlayAction FormsProfile::Next()
{
    if (actionsPerStart_ > 0 && actions_ >= actionsPerStart_) {
        actions_ = 0;
        return {{}, true};
    }
    ++actions_;
    return Aimed();
}

} // namespace vls::random_play
