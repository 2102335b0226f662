#include "tests/e2e/demo_run.h"

#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace vls::e2e {

DemoRun PlayDemo(DrivenProgram& program, const std::string& script)
{
    test::CopyDemoArchive(program.work.path());
    const auto input = program.config.write("input.txt", script);
    program.Start(input.string(), (program.config / "ack.txt").string());
    DemoRun run;
    run.status = program.Wait();
    run.log = program.work.read("kestrune.log");
    run.errors = program.Errors();
    if (std::filesystem::exists(program.work / "lastgame"))
        run.lastgame = test::ReadFileBytes(program.work / "lastgame");
    return run;
}

void ExpectOrderlyRun(const DemoRun& run)
{
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.log.find("Error"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("-- Shut down successful."), std::string::npos) << run.log;
}

bool Holds(const std::vector<std::uint8_t>& bytes, const std::string& text)
{
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

} // namespace vls::e2e
