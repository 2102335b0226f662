#include "tools/random_play/random_player.h"

#include "tests/e2e/driven_program.h"

#include <fstream>
#include <memory>
#include <thread>

namespace vls::random_play {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kRestartMark = "# restart";
// Where the program ended by itself and was started again: a comment, so a
// replay, which ends it at the same place, does not start it twice.
constexpr const char* kEndedMark = "# ended by itself, started again";
constexpr auto kAckPoll = std::chrono::seconds(1);
// The program is closed as by the desktop; a shut-down that takes longer is a hang.
constexpr const char* kCloseLines = "close\nstep 1000\n";

// Texts the sanitizers and the C++ run-time print when they stop a program.
constexpr const char* kReports[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
    "ERROR: UndefinedBehaviorSanitizer", "runtime error:", "terminate called", "Uncaught exception",
    "Error was fatal"};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// One program run on the shared folders, from its start to its close.
class ProgramRun {
public:
    ProgramRun(e2e::DrivenProgram& program, const PlayOptions& options)
        : program_(program), options_(options), driver_(std::make_unique<e2e::FifoDriver>(program.config))
    {
        program_.Start(driver_->InputPath(), driver_->AckPath());
    }

    // Empty when the program took the lines and acknowledged every step.
    std::string Send(const std::vector<std::string>& lines)
    {
        if (!connected_) {
            if (!driver_->Connect(options_.hangLimit))
                return Ended("the program did not open its input");
            connected_ = true;
        }
        driver_->Send(Joined(lines));
        for (int steps = CountSteps(lines); steps > 0; --steps) {
            const auto deadline = Clock::now() + options_.hangLimit;
            while (driver_->NextAck(kAckPoll).empty()) {
                if (const std::optional<int> status = program_.Poll()) {
                    endedCleanly_ = FaultOf(*status, program_.Errors()).empty();
                    return Ended("the program ended during play", *status);
                }
                if (Clock::now() > deadline)
                    return Ended("hang: a step was not acknowledged within "
                        + std::to_string(options_.hangLimit.count()) + " s");
            }
        }
        return {};
    }

    // Closes the program as the desktop does and checks how it ended.
    std::string Close()
    {
        if (const std::optional<int> status = program_.Poll())
            return FaultOf(*status, program_.Errors());
        // A program closed before it was given any line still waits to
        // open its input: it is connected first, so it can hear the close.
        if (!connected_ && !driver_->Connect(options_.hangLimit))
            return Ended("the program did not open its input");
        connected_ = true;
        driver_->Send(kCloseLines);
        driver_->CloseInput();
        const int status = program_.Wait(options_.hangLimit);
        if (status == -1000)
            return Ended("hang: the program did not shut down");
        return FaultOf(status, program_.Errors());
    }

private:
    std::string Ended(const std::string& what, std::optional<int> status = std::nullopt)
    {
        const int code = status ? *status : program_.Wait(std::chrono::seconds(0));
        const std::string fault = FaultOf(code, program_.Errors());
        return fault.empty() ? what : what + ": " + fault;
    }

    e2e::DrivenProgram& program_;
    const PlayOptions& options_;
    std::unique_ptr<e2e::FifoDriver> driver_;
    bool connected_ = false;
    bool endedCleanly_ = false;

public:
    // The program ended by itself during play, without a fault.
    bool EndedCleanly() const { return endedCleanly_; }
};

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

std::string FaultOf(int status, const std::string& errors)
{
    for (const char* report : kReports)
        if (errors.find(report) != std::string::npos)
            return std::string("report \"") + report + "\" (exit status " + std::to_string(status) + ")";
    if (status == -1000)
        return "killed after a hang";
    if (status < 0)
        return "killed by signal " + std::to_string(-status);
    if (status != 0)
        return "exit status " + std::to_string(status);
    return {};
}

PlayOutcome Play(PlayProfile& profile, const PlayOptions& options, std::ostream& progress)
{
    e2e::DrivenProgram program(options.program);
    profile.Prepare(program.work.path(), program.config.path(), options.data);
    program.environment = profile.ProgramEnvironment(program.config.path());
    std::ofstream script(options.script, std::ios::trunc);
    script << options.header;
    script.flush();

    PlayOutcome outcome;
    const auto started = Clock::now();
    auto run = std::make_unique<ProgramRun>(program, options);
    outcome.starts = 1;
    const auto finish = [&](std::string fault) {
        outcome.faultFound = !fault.empty();
        outcome.fault = std::move(fault);
        outcome.errors = program.Errors();
        outcome.log = ReadText(program.work / "kestrune.log");
        return outcome;
    };
    for (;;) {
        const bool outOfSteps = options.steps > 0 && outcome.steps >= options.steps;
        const bool outOfTime = options.duration.count() > 0 && Clock::now() - started >= options.duration;
        const PlayAction action = outOfSteps || outOfTime ? PlayAction{{}, false, true} : profile.Next();
        if (action.end)
            return finish(run->Close());
        if (action.restart) {
            script << kRestartMark << "\n";
            script.flush();
            if (std::string fault = run->Close(); !fault.empty())
                return finish(fault);
            // The old run lets go of the FIFOs before the new program opens them.
            run.reset();
            run = std::make_unique<ProgramRun>(program, options);
            ++outcome.starts;
            continue;
        }
        script << Joined(action.lines);
        script.flush();
        if (std::string fault = run->Send(action.lines); !fault.empty()) {
            if (!run->EndedCleanly() || !profile.MayEnd())
                return finish(fault);
            // Its own close button or menu ended it: it starts again.
            script << kEndedMark << "\n";
            script.flush();
            run.reset();
            run = std::make_unique<ProgramRun>(program, options);
            ++outcome.starts;
            continue;
        }
        const int before = outcome.steps;
        outcome.steps += CountSteps(action.lines);
        if (outcome.steps / 100 != before / 100)
            progress << "  " << outcome.steps << " steps, " << outcome.starts << " starts\n" << std::flush;
    }
}

ReplayProfile::ReplayProfile(PlayProfile& target, const std::filesystem::path& script) : target_(target)
{
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);)
        lines_.push_back(line);
}

PlayAction ReplayProfile::Next()
{
    PlayAction action;
    while (next_ < lines_.size()) {
        const std::string& line = lines_[next_++];
        if (line == kRestartMark)
            return {{}, true};
        if (line.empty() || line[0] == '#')
            continue;
        action.lines.push_back(line);
        if (line.rfind("step ", 0) == 0)
            return action;
    }
    action.end = action.lines.empty();
    return action;
}

std::string ProfileOfScript(const std::filesystem::path& script)
{
    std::ifstream in(script);
    const std::string mark = "# profile ";
    for (std::string line; std::getline(in, line) && !line.empty() && line[0] == '#';)
        if (line.rfind(mark, 0) == 0)
            return line.substr(mark.size());
    return {};
}

} // namespace vls::random_play
