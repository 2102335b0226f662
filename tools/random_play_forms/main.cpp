// random_play_forms: plays the control gallery or the launcher with seeded
// random input, run after run, until the time is up or a fault is found.
//   random_play_forms --program PATH [--profile NAME] [--seed N] [--seconds N | --runs N]
//                     [--actions N] [--hang S] [--out DIR] [--keep]
//   random_play_forms --program PATH --replay SCRIPT
// Each run is one start of the program, played by a script of --actions
// random actions and then asked to shut down. The first fault stops the
// play; that run's script is kept in --out as the reproduction (--keep
// keeps the clean runs' scripts too).

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>

#include "tools/random_play_forms/forms_player.h"
#include "tools/random_play_forms/forms_profiles.h"

using namespace vls::random_play_forms;

namespace {

constexpr const char* kUsage =
    "usage: random_play_forms --program PATH [--profile NAME] [--seed N] [--seconds N | --runs N]\n"
    "                         [--actions N] [--hang S] [--out DIR] [--keep]\n"
    "       random_play_forms --program PATH --replay SCRIPT\n"
    "profiles: skin_control_gallery, vlslaunch (default: the program's file name)\n";

struct Arguments {
    std::filesystem::path program;
    std::string profile;
    std::uint64_t seed = 0;
    bool seedGiven = false;
    int seconds = 60;
    int runs = 0;
    int actions = 150;
    int hang = 60;
    bool keep = false;
    std::filesystem::path out = ".";
    std::filesystem::path replay;
};

bool Parse(int argc, char** argv, Arguments& a)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--keep") {
            a.keep = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        try {
            if (name == "--program")
                a.program = value;
            else if (name == "--profile")
                a.profile = value;
            else if (name == "--seed") {
                a.seed = std::stoull(value);
                a.seedGiven = true;
            } else if (name == "--seconds")
                a.seconds = std::stoi(value);
            else if (name == "--runs")
                a.runs = std::stoi(value);
            else if (name == "--actions")
                a.actions = std::stoi(value);
            else if (name == "--hang")
                a.hang = std::stoi(value);
            else if (name == "--out")
                a.out = value;
            else if (name == "--replay")
                a.replay = value;
            else
                return false;
        } catch (const std::exception&) {
            return false;
        }
    }
    return !a.program.empty() && a.actions > 0 && a.hang > 0;
}

int Report(const RunOutcome& outcome, const std::filesystem::path& script)
{
    std::cout << "random_play_forms: FOUND " << outcome.fault << "\nrandom_play_forms: the script is kept in "
              << script.string() << "\n--- standard error ---\n"
              << outcome.errors.substr(outcome.errors.size() > 6000 ? outcome.errors.size() - 6000 : 0)
              << "--- end ---\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments a;
    if (!Parse(argc, argv, a)) {
        std::cerr << kUsage;
        return 2;
    }
    const std::chrono::seconds hang(a.hang);
    if (!a.replay.empty()) {
        std::cout << "random_play_forms: replaying " << a.replay.string() << "\n" << std::flush;
        const RunOutcome outcome = RunScript({a.program, a.replay, hang});
        if (!outcome.fault.empty())
            return Report(outcome, a.replay);
        std::cout << "random_play_forms: clean, " << outcome.steps << " steps\n";
        return 0;
    }
    if (a.profile.empty())
        a.profile = a.program.filename().string();
    ProgramMap map;
    if (!MapOf(a.profile, map)) {
        std::cerr << "random_play_forms: no profile \"" << a.profile << "\"\n" << kUsage;
        return 2;
    }
    if (!a.seedGiven)
        a.seed = (static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
    std::cout << "random_play_forms: profile " << a.profile << ", seed " << a.seed << "\n" << std::flush;
    std::filesystem::create_directories(a.out);
    SeededRandom random(a.seed);
    FormsProfile profile(random, map);
    const auto started = std::chrono::steady_clock::now();
    int steps = 0;
    for (int run = 0;; ++run) {
        const bool outOfRuns = a.runs > 0 && run >= a.runs;
        const bool outOfTime = a.runs == 0 && std::chrono::steady_clock::now() - started >= std::chrono::seconds(a.seconds);
        if (outOfRuns || outOfTime) {
            std::cout << "random_play_forms: " << run << " runs, " << steps << " steps, seed " << a.seed
                      << "\nrandom_play_forms: clean\n";
            return 0;
        }
        const std::filesystem::path script =
            a.out / ("random-play-forms-" + a.profile + "-" + std::to_string(a.seed) + "-" + std::to_string(run) + ".txt");
        {
            std::ofstream out(script, std::ios::trunc);
            out << "# random_play_forms seed " << a.seed << " run " << run << "\n# profile " << a.profile << "\n";
            for (int i = 0; i < a.actions; ++i)
                for (const std::string& line : profile.Next())
                    out << line << "\n";
        }
        const RunOutcome outcome = RunScript({a.program, script, hang});
        steps += outcome.steps;
        if (!outcome.fault.empty()) {
            std::cout << "random_play_forms: run " << run << ", seed " << a.seed << "\n";
            return Report(outcome, script);
        }
        if (!a.keep)
            std::filesystem::remove(script);
        if (run % 10 == 9)
            std::cout << "  " << run + 1 << " runs, " << steps << " steps\n" << std::flush;
    }
}
