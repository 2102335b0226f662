// Loading compiled scripts from datafile slots, where they sit inside a carrier resource.

#include "engine/base/kestrune_file_system.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/script_assembler.h"

#include <filesystem>

namespace vls::test {
namespace {

class ScriptLoadTest : public ScriptTest {
protected:
    ScriptLoadTest() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(work_.path()); }
    ~ScriptLoadTest() override { std::filesystem::current_path(previous_); }

    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
};

const char* const kSource = "var score int class \"\" global g_score\n var hero object class cCharacter\n"
                            "callsite say cCharacter__Say 1 int\n"
                            "func on_enter\n push ref score\n push int 3\n assign\n ret\n end\n";

TEST_F(ScriptLoadTest, ScriptLoadsFromTheMiddleOfItsCarrier)
{
    const std::vector<std::uint8_t> script = tools::AssembleScriptBytes(kSource);
    std::string carrier = "HEAD";
    carrier.append(script.begin(), script.end());
    carrier += "TAIL";
    tools::ArchiveBuilder builder;
    builder.Add("padding", "......");
    builder.Add("room.scene", carrier);
    ASSERT_TRUE(builder.Write(work_.path()));

    cKestruneFileSystem files;
    const std::int32_t slot = files.Open("room.scene");
    ASSERT_EQ(files.Seek(slot, 4), 0);
    cKestruneScript loaded;
    ASSERT_EQ(loaded.Load(slot), 0);
    EXPECT_EQ(files.GetPos(slot), static_cast<std::int32_t>(6 + 4 + script.size()));
    EXPECT_EQ(loaded.variableCount, 2u);
    EXPECT_STREQ(loaded.variables.data[0].globalName.GetText(), "g_score");
    EXPECT_STREQ(loaded.variables.data[1].className.GetText(), "cCharacter");
    EXPECT_EQ(loaded.variables.data[1].object, kNoObject);
    EXPECT_EQ(loaded.callSites.data[0].binding, -1);
    EXPECT_EQ(loaded.Run("ON_ENTER"), 0);
    EXPECT_EQ(globals.FetchGlobal("g_score", kScriptInteger).intValue, 3);
    files.Close(slot);
}

TEST_F(ScriptLoadTest, ScriptCutShortByItsEntryFailsWithoutReadingTheNextEntry)
{
    std::vector<std::uint8_t> script = tools::AssembleScriptBytes(kSource);
    script.resize(script.size() - 3);
    tools::ArchiveBuilder builder;
    builder.Add("room.scene", script);
    builder.Add("next", std::string(64, '\xFF'));
    ASSERT_TRUE(builder.Write(work_.path()));

    cKestruneFileSystem files;
    const std::int32_t slot = files.Open("room.scene");
    cKestruneScript loaded;
    EXPECT_EQ(loaded.Load(slot), -1);
    EXPECT_FALSE(loaded.HasCode());
    EXPECT_EQ(loaded.Run("on_enter"), -1);
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0].text, "Compiled script is larger than the rest of its resource.");

    // A header cut short is the file system's short read.
    link.reports.clear();
    ASSERT_EQ(files.Seek(slot, static_cast<std::int32_t>(script.size()) - 8), 0);
    EXPECT_EQ(loaded.Load(slot), -1);
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0].text, "File reading failed.");
    files.Close(slot);
}

} // namespace
} // namespace vls::test
