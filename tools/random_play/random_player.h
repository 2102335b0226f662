#pragma once

// Plays a program through its input FIFOs with the actions of a profile, and
// stops at the first crash, sanitizer report, hang or failed exit. Every
// played line goes to a script as it is sent, so a found fault leaves its
// reproduction behind; "# restart" lines mark where the program was closed
// and started again on the same folders.

#include "tools/random_play/random_input.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>

namespace vls::random_play {

struct PlayOptions {
    std::string program;
    std::filesystem::path data;
    // The play ends after this many acknowledged steps, or this much real
    // time, whichever comes first (0: no limit).
    int steps = 0;
    std::chrono::seconds duration{0};
    // A step not acknowledged within this time is a hang.
    std::chrono::seconds hangLimit{120};
    std::filesystem::path script;
    // The script's first lines, as comments.
    std::string header;
};

struct PlayOutcome {
    bool faultFound = false;
    std::string fault;
    int steps = 0;
    int starts = 0;
    // The program's standard error and log of the run that ended it.
    std::string errors;
    std::string log;
};

PlayOutcome Play(PlayProfile& profile, const PlayOptions& options, std::ostream& progress);

// What the program's exit and standard error show: empty for a clean run.
std::string FaultOf(int status, const std::string& errors);

// A script written by Play, played back action by action.
class ReplayProfile : public PlayProfile {
public:
    ReplayProfile(PlayProfile& target, const std::filesystem::path& script);

    void Prepare(const std::filesystem::path& work, const std::filesystem::path& config,
        const std::filesystem::path& data) override
    {
        target_.Prepare(work, config, data);
    }
    Environment ProgramEnvironment(const std::filesystem::path& config) override
    {
        return target_.ProgramEnvironment(config);
    }
    bool MayEnd() const override { return target_.MayEnd(); }
    PlayAction Next() override;

private:
    PlayProfile& target_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// The profile named in a script's header ("# profile <name>"), or "".
std::string ProfileOfScript(const std::filesystem::path& script);

} // namespace vls::random_play
