#include "platform/win32/backend/headless/input_script.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace vls::headless;

namespace {

constexpr std::uint32_t kNoTimeout = 0xFFFFFFFFu;

class RecordingTarget : public ScriptTarget {
public:
    std::string Apply(const ScriptCommand& command) override
    {
        applied.push_back(command);
        return command.op == ScriptOp::Close ? "no window is shown" : "";
    }
    void InputClosed() override { ++closed; }

    std::vector<ScriptCommand> applied;
    int closed = 0;
};

// An input script over a pipe that already holds all of `text`: the writer
// end is closed unless `keepOpen`, so the script sees its end.
struct ScriptRun {
    explicit ScriptRun(const std::string& text, bool fifo = false, bool keepOpen = false)
    {
        int in[2];
        int ack[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(ack), 0);
        EXPECT_EQ(write(in[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        if (keepOpen)
            writer = in[1];
        else
            close(in[1]);
        ackReader = ack[0];
        fcntl(ackReader, F_SETFL, O_NONBLOCK);
        EXPECT_EQ(pipe(wake), 0);
        script = std::make_unique<InputScript>(in[0], ack[1], fifo, wake[0],
            [this](const std::string& message) { reports.push_back(message); });
    }

    ~ScriptRun()
    {
        script.reset();
        for (const int fd : {writer, ackReader, wake[0], wake[1]})
            if (fd >= 0)
                close(fd);
    }

    std::string Acks()
    {
        std::string out;
        char buffer[256];
        ssize_t n;
        while ((n = read(ackReader, buffer, sizeof buffer)) > 0)
            out.append(buffer, static_cast<std::size_t>(n));
        return out;
    }

    // Reads the clock until it shows `ms`.
    void RunTo(std::uint64_t ms)
    {
        while (script->PeekClock() < ms * 1000)
            script->ReadClock();
    }

    std::unique_ptr<InputScript> script;
    RecordingTarget target;
    std::vector<std::string> reports;
    int writer = -1;
    int ackReader = -1;
    int wake[2] = {-1, -1};
};

TEST(InputScript, EachReadingOfTheClockMovesItOneMillisecond)
{
    ScriptRun run("step 100\n");
    EXPECT_EQ(run.script->PeekClock(), 0u);
    EXPECT_EQ(run.script->ReadClock(), 1000u);
    EXPECT_EQ(run.script->ReadClock(), 2000u);
    EXPECT_EQ(run.script->PeekClock(), 2000u);
    run.script->Sleep(40);
    EXPECT_EQ(run.script->PeekClock(), 42000u);
    EXPECT_TRUE(run.script->Virtual());
}

TEST(InputScript, CommandsUpToAStepComeAtOnceAndTheStepEndsAtTheFirstLookAfterItsTime)
{
    ScriptRun run("key ESCAPE\nmove 5 6\nstep 100\nkey M\nstep 50\nclick 1 2\n", false, true);
    run.RunTo(10);
    run.script->Poll(run.target);
    ASSERT_EQ(run.target.applied.size(), 2u);
    EXPECT_EQ(run.target.applied[0].op, ScriptOp::Key);
    EXPECT_EQ(run.target.applied[1].op, ScriptOp::Move);
    EXPECT_EQ(run.script->StepsDone(), 1u);

    // The step runs from 10 ms to 110 ms; looks for input before that read nothing.
    run.RunTo(109);
    run.script->Poll(run.target);
    EXPECT_EQ(run.target.applied.size(), 2u);
    EXPECT_EQ(run.Acks(), "");

    // The clock goes on past the step's end until the program looks again.
    run.RunTo(115);
    run.script->Poll(run.target);
    ASSERT_EQ(run.target.applied.size(), 3u);
    EXPECT_EQ(run.target.applied[2].vk, 'M');
    EXPECT_EQ(run.Acks(), "1 115\n");
    EXPECT_EQ(run.script->StepsDone(), 2u);

    run.RunTo(165);
    close(run.writer);
    run.writer = -1;
    run.script->Poll(run.target);
    EXPECT_EQ(run.Acks(), "2 165\n");
    ASSERT_EQ(run.target.applied.size(), 4u);
    EXPECT_EQ(run.target.applied[3].op, ScriptOp::Click);
}

TEST(InputScript, WaitsEndAtTheirTimeoutOrAtTheStepsEnd)
{
    ScriptRun run("step 100\n");
    run.script->Poll(run.target);
    EXPECT_TRUE(run.script->Wait(30));
    EXPECT_EQ(run.script->PeekClock(), 30000u);
    EXPECT_TRUE(run.script->Wait(500));
    EXPECT_EQ(run.script->PeekClock(), 100000u);
    // Past the end nothing moves: the caller looks for input next.
    EXPECT_TRUE(run.script->Wait(kNoTimeout));
    EXPECT_EQ(run.script->PeekClock(), 100000u);

    ScriptRun idle("step 70\n");
    idle.script->Poll(idle.target);
    EXPECT_TRUE(idle.script->Wait(kNoTimeout));
    EXPECT_EQ(idle.script->PeekClock(), 70000u);
}

TEST(InputScript, BadLinesAreReportedWithTheirNumberAndSkipped)
{
    ScriptRun run("# start\r\nkey ESCAPE\r\njump 3\n\nkey NOSUCH\n" + std::string(5000, 'x') +
        "\nclose\nkey M\nstep 10");
    run.script->Poll(run.target);
    ASSERT_EQ(run.reports.size(), 4u);
    EXPECT_EQ(run.reports[0], "VEILSTRAND_INPUT line 3: unknown command \"jump\"");
    EXPECT_EQ(run.reports[1], "VEILSTRAND_INPUT line 5: unknown key \"NOSUCH\"");
    EXPECT_EQ(run.reports[2], "VEILSTRAND_INPUT line 6: longer than 4096 bytes");
    EXPECT_EQ(run.reports[3], "VEILSTRAND_INPUT line 7: no window is shown");
    ASSERT_EQ(run.target.applied.size(), 3u);
    EXPECT_EQ(run.target.applied[0].vk, 27);
    EXPECT_EQ(run.target.applied[2].vk, 'M');
    // The last line needs no line end.
    EXPECT_EQ(run.script->StepsDone(), 1u);
}

TEST(InputScript, AFileThatEndsHandsTheClockToRealTimeFromWhereItStood)
{
    ScriptRun run("step 20\n");
    run.script->Poll(run.target);
    run.RunTo(25);
    run.script->Poll(run.target);
    EXPECT_EQ(run.Acks(), "1 25\n");
    EXPECT_FALSE(run.script->Virtual());
    EXPECT_EQ(run.target.closed, 0);
    const std::uint64_t first = run.script->ReadClock();
    EXPECT_GE(first, 25000u);
    EXPECT_LT(first, 25000u + 60'000'000u);
    EXPECT_GE(run.script->ReadClock(), first);
    EXPECT_FALSE(run.script->Wait(10));
}

TEST(InputScript, AStreamThatEndsAsksTheProgramToCloseAndKeepsTheClockVirtual)
{
    ScriptRun run("step 20\nkey A\n", true);
    run.script->Poll(run.target);
    run.RunTo(20);
    run.script->Poll(run.target);
    EXPECT_EQ(run.target.closed, 1);
    EXPECT_EQ(run.target.applied.size(), 1u);
    EXPECT_TRUE(run.script->Virtual());
    EXPECT_EQ(run.script->ReadClock(), 21000u);
    EXPECT_TRUE(run.script->Wait(100));
    EXPECT_EQ(run.script->PeekClock(), 121000u);
    // With no timer to wait for, the program waits for real (a signal).
    EXPECT_FALSE(run.script->Wait(kNoTimeout));
    run.script->Poll(run.target);
    EXPECT_EQ(run.target.closed, 1);
}

TEST(InputScript, AWakeUpWhileWaitingForTheDriverLeavesTheScript)
{
    ScriptRun run("key A\n", true, true);
    ASSERT_EQ(write(run.wake[1], "x", 1), 1);
    run.script->Poll(run.target);
    EXPECT_EQ(run.target.applied.size(), 1u);
    ASSERT_EQ(run.reports.size(), 1u);
    EXPECT_NE(run.reports[0].find("interrupted"), std::string::npos);
    EXPECT_EQ(run.target.closed, 0);
    EXPECT_TRUE(run.script->Virtual());
    // Lines that come later are not read.
    ASSERT_EQ(write(run.writer, "key B\n", 6), 6);
    run.script->Poll(run.target);
    EXPECT_EQ(run.target.applied.size(), 1u);
}

TEST(InputScript, ADriverThatStopsReadingAcknowledgementsEndsThemNotTheProgram)
{
    ScriptRun run("step 0\nstep 0\nstep 0\n");
    close(run.ackReader);
    run.ackReader = -1;
    run.script->Poll(run.target);
    run.script->Poll(run.target);
    run.script->Poll(run.target);
    ASSERT_EQ(run.reports.size(), 1u);
    EXPECT_NE(run.reports[0].find("VEILSTRAND_INPUT_ACK: cannot write"), std::string::npos) << run.reports[0];
    EXPECT_EQ(run.script->StepsDone(), 3u);
}

}  // namespace
