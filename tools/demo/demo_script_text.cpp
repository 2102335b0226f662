#include "tools/demo/demo_script_text.h"

#include <cstdio>
#include <set>
#include <sstream>

namespace vls::tools {

std::string FloorSpotArguments(const DemoFloorCamera& camera, BandPoint spot, float degrees)
{
    FloorPoint floor{};
    camera.Unproject(spot, floor);
    char text[160];
    std::snprintf(text, sizeof text, " push float %.3f\n push float %.3f\n push float %.1f\n", floor.x, floor.z, degrees);
    return text;
}

std::string SceneEntryStatements(float red, float green, float blue)
{
    char light[160];
    std::snprintf(light, sizeof light, " push float %g\n push float %g\n push float %g\n native - ambient\n", red, green,
                  blue);
    return std::string(" push int -1\n push string \"sounds\"\n native - project\n push int 0\n push bool true\n"
                       " native - floor\n")
        + light;
}

std::string DropIntResults(const std::string& source)
{
    std::set<std::string> intSites;
    std::istringstream declarations(source);
    for (std::string line; std::getline(declarations, line);) {
        std::istringstream words(line);
        std::string keyword, name, native, arguments, result;
        if (words >> keyword >> name >> native >> arguments >> result && keyword == "callsite" && result == "int")
            intSites.insert(name);
    }
    std::string out;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
        out += line + "\n";
        std::istringstream words(line);
        std::string keyword, variable, site;
        if (words >> keyword >> variable >> site && keyword == "native" && intSites.count(site))
            out += " popreg\n";
    }
    return out;
}

} // namespace vls::tools
