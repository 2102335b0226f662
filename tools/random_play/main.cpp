// random_play: plays a program with seeded random input until it crashes,
// reports a sanitizer error or an uncaught exception, hangs or fails its
// exit, or its steps or time run out. The profile (by default the program's
// file name) says what to aim at: the engine on the demo ("vls"), the
// control gallery ("skin_control_gallery") or the launcher ("vlslaunch").
// The played script stays behind; --replay plays it again.
#include "tools/random_play/play_profiles.h"
#include "tools/random_play/random_player.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <iostream>
#include <random>
#include <string>

namespace {

using namespace vls::random_play;

constexpr const char* kUsage =
    "usage: random_play --program PATH [--profile NAME] [--seed N] [--steps N] [--seconds N]\n"
    "                   [--hang SECONDS] [--actions N] [--data FOLDER] [--script FILE] [--replay FILE]\n"
    "profiles: vls, skin_control_gallery, vlslaunch (default: the program's file name)\n";

struct Arguments {
    std::string profile;
    std::string program;
    std::string data;
    std::string script;
    std::string replay;
    std::uint64_t seed = 0;
    bool seedGiven = false;
    int steps = 0;
    int seconds = 0;
    int hang = 120;
    int actions = 150;
};

bool Parse(int argc, char** argv, Arguments& out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        try {
            if (name == "--program") out.program = value;
            else if (name == "--profile") out.profile = value;
            else if (name == "--data") out.data = value;
            else if (name == "--script") out.script = value;
            else if (name == "--replay") out.replay = value;
            else if (name == "--seed") { out.seed = std::stoull(value); out.seedGiven = true; }
            else if (name == "--steps") out.steps = std::stoi(value);
            else if (name == "--seconds") out.seconds = std::stoi(value);
            else if (name == "--hang") out.hang = std::stoi(value);
            else if (name == "--actions") out.actions = std::stoi(value);
            else return false;
        } catch (const std::exception&) {
            return false;
        }
    }
    return !out.program.empty() && out.hang > 0 && out.actions > 0;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    if (!Parse(argc, argv, arguments)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (arguments.profile.empty())
        arguments.profile = std::filesystem::path(arguments.program).filename().string();
    if (!arguments.replay.empty()) {
        if (const std::string named = ProfileOfScript(arguments.replay); !named.empty())
            arguments.profile = named;
    } else if (!arguments.seedGiven) {
        arguments.seed = (static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
    }
    SeededRandom random(arguments.seed);
    std::unique_ptr<PlayProfile> profile = MakeProfile(arguments.profile, random, arguments.actions);
    if (!profile) {
        std::cerr << "random_play: no profile \"" << arguments.profile << "\"\n";
        return 2;
    }
    std::unique_ptr<PlayProfile> replay;
    if (!arguments.replay.empty())
        replay = std::make_unique<ReplayProfile>(*profile, arguments.replay);

    PlayOptions options;
    options.program = arguments.program;
    options.data = arguments.data.empty() ? DefaultData(arguments.profile, std::filesystem::absolute(arguments.program)) : std::filesystem::path(arguments.data);
    if (!std::filesystem::is_directory(options.data)) {
        std::cerr << "random_play: no data folder " << options.data << " (--data)\n";
        return 2;
    }
    options.steps = arguments.steps;
    options.duration = std::chrono::seconds(arguments.seconds);
    options.hangLimit = std::chrono::seconds(arguments.hang);
    const std::string seed = std::to_string(arguments.seed);
    options.script = !arguments.script.empty() ? arguments.script
        : !arguments.replay.empty()            ? arguments.replay + ".again"
                                               : "random-play-" + arguments.profile + "-" + seed + ".txt";
    options.header = "# random_play seed " + seed + "\n# profile " + arguments.profile + "\n";

    if (arguments.replay.empty())
        std::cout << "random_play: profile " << arguments.profile << ", seed " << seed << "\n" << std::flush;
    else
        std::cout << "random_play: replaying " << arguments.replay << "\n" << std::flush;
    const PlayOutcome outcome = Play(replay ? *replay : *profile, options, std::cout);
    std::cout << "random_play: " << outcome.steps << " steps, " << outcome.starts << " starts";
    if (arguments.replay.empty())
        std::cout << ", seed " << seed;
    std::cout << "\n";
    if (!outcome.faultFound) {
        std::cout << "random_play: clean\n";
        return 0;
    }
    std::cout << "random_play: FOUND " << outcome.fault << "\nrandom_play: the script is kept in "
              << options.script.string() << "\n--- standard error ---\n" << outcome.errors
              << "--- end of the log ---\n"
              << outcome.log.substr(outcome.log.size() > 4000 ? outcome.log.size() - 4000 : 0) << "\n";
    return 1;
}
