// Saving through the real engine where saving goes wrong: a folder that
// refuses the write, a full disk, two engines on one folder, a refused
// "lastgame" and files that are no savegames at all.
#include "tests/e2e/demo_run.h"
#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::FifoDriver;
using vls::e2e::PlayDemo;
using Bytes = std::vector<std::uint8_t>;

// The menu, its save item, a typed "abc" after the scene's caption and a
// click on the entry; then a "d" and the entry again: a save screen still
// open after the first try stores a second name.
constexpr const char* kSaveTwiceScript =
    "step 200\nkey ESCAPE\nstep 50\nclick 500 344\nstep 50\ntext abc\nstep 50\nclick 500 290\nstep 100\n"
    "text d\nstep 50\nclick 500 290\nstep 100\nclose\nstep 1000\n";

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

bool PrivateMountsWork() { return std::system("unshare -rm true >/dev/null 2>&1") == 0; }

struct Refusal {
    const char* name;
    bool needsNamespace;
    // Shell lines run in the program's folder (in a private mount namespace
    // when asked) before the program starts; "" for none.
    const char* setup;
    const char* reason;
};

// The save screen's write fails three ways; each time the player is told
// (the error box), the log says why, no savegame appears and the screen
// stays for another try.
TEST(VlsSaving, AFailedSaveIsReportedAndTheSaveScreenStays)
{
    const Refusal refusals[] = {
        {"read-only folder", true,
         "mkdir -p savegames && mount --bind savegames savegames && mount -o remount,ro,bind savegames",
         "writing there is not allowed"},
        {"full disk", true,
         "mkdir -p savegames && mount -t tmpfs -o size=64k tmpfs savegames && "
         "{ dd if=/dev/zero of=savegames/filler bs=4k 2>/dev/null; true; }",
         "the disk is full"},
        {"a file where the folder belongs", false, "", "its folder does not exist"},
    };
    const bool namespaces = PrivateMountsWork();
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        if (refusal.needsNamespace && !namespaces) {
            std::fprintf(stderr, "skipped (no private mount namespace here): %s\n", refusal.name);
            continue;
        }
        DrivenProgram program(VLS_PROGRAM_PATH);
        if (refusal.needsNamespace)
            program.prefix = {"unshare", "-rm", "sh", "-c", std::string(refusal.setup) + " && exec \"$0\""};
        else
            program.work.write("savegames", "not a folder");
        const DemoRun run = PlayDemo(program, kSaveTwiceScript);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(Count(run.log, "abc.savegame could not be written: " + std::string(refusal.reason) + ".\n"), 1)
            << run.log;
        EXPECT_EQ(Count(run.log, "abcd.savegame could not be written: "), 1) << "the screen stayed\n" << run.log;
        EXPECT_EQ(Count(run.log, "-> Savegame could not be written."), 2) << run.log;
        EXPECT_EQ(Count(run.errors, "Savegame could not be written."), 2) << run.errors;
        EXPECT_TRUE(run.log.find("-- Shut down successful.") != std::string::npos) << run.log;
        if (!refusal.needsNamespace)
            continue;
        // What the private mount hid is the folder under it.
        for (const auto& entry : std::filesystem::directory_iterator(program.work / "savegames"))
            ADD_FAILURE() << "left behind: " << entry.path();
    }
}

// Two engines on one folder, each played step by step: the slot saved by
// the first holds the game the first one's menu opened on, although the
// second has written "lastgame" since.
TEST(VlsSaving, TwoEnginesOnOneFolderKeepTheirOwnGames)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    DrivenProgram second(VLS_PROGRAM_PATH);
    vls::test::CopyDemoArchive(first.work.path());
    second.folder = first.work.path();
    FifoDriver one(first.config);
    FifoDriver two(second.config);
    first.Start(one.InputPath(), one.AckPath());
    second.Start(two.InputPath(), two.AckPath());
    ASSERT_TRUE(one.Connect());
    ASSERT_TRUE(two.Connect());
    one.Send("step 200\n");
    two.Send("step 200\n");
    ASSERT_NE(one.NextAck(), "");
    ASSERT_NE(two.NextAck(), "");

    // The first walks to the quay and opens its menu; the second opens its
    // menu where it stands.
    const auto lastgame = first.work / "lastgame";
    one.Send("click 700 600\nstep 2000\nkey ESCAPE\nstep 50\n");
    ASSERT_NE(one.NextAck(), "");
    ASSERT_NE(one.NextAck(), "");
    const Bytes firstGame = vls::test::ReadFileBytes(lastgame);
    two.Send("key ESCAPE\nstep 50\n");
    ASSERT_NE(two.NextAck(), "");
    const Bytes secondGame = vls::test::ReadFileBytes(lastgame);
    ASSERT_NE(firstGame, secondGame) << "the two games differ";

    one.Send("click 500 344\nstep 50\ntext one\nstep 50\nclick 500 290\nstep 100\n");
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(one.NextAck(), "");
    two.Send("click 500 344\nstep 50\ntext two\nstep 50\nclick 500 290\nstep 100\n");
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(two.NextAck(), "");
    one.CloseInput();
    two.CloseInput();
    EXPECT_EQ(first.Wait(), 0) << first.Errors();
    EXPECT_EQ(second.Wait(), 0) << second.Errors();

    Bytes savedOne;
    Bytes savedTwo;
    ASSERT_TRUE(std::filesystem::is_directory(first.work / "savegames"));
    for (const auto& entry : std::filesystem::directory_iterator(first.work / "savegames")) {
        const std::string name = entry.path().filename().string();
        ASSERT_NE(entry.path().extension(), ".tmp") << "no temporary file is left: " << name;
        if (name.find("one.savegame") != std::string::npos)
            savedOne = vls::test::ReadFileBytes(entry.path());
        if (name.find("two.savegame") != std::string::npos)
            savedTwo = vls::test::ReadFileBytes(entry.path());
    }
    EXPECT_TRUE(savedOne == firstGame) << "the first engine's slot holds its own game";
    EXPECT_TRUE(savedTwo == secondGame) << "the second engine's slot holds its own game";
}

// A "lastgame" the start refuses is kept aside before the menu writes a new
// one, and the log says where.
TEST(VlsSaving, ARefusedLastgameIsKeptAside)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    const Bytes damaged = {'V', 'L', 'S', 0, 1, 2, 3};
    program.work.write("lastgame", std::string(damaged.begin(), damaged.end()));
    const DemoRun run = PlayDemo(program, "step 300\nkey ESCAPE\nstep 50\nclose\nstep 1000\n");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.log.find("Savegame lastgame was not loaded; it is kept as lastgame.refused.\n"), std::string::npos)
        << run.log;
    EXPECT_EQ(vls::test::ReadFileBytes(program.work / "lastgame.refused"), damaged);
    ASSERT_GE(run.lastgame.size(), 4u) << "the menu wrote a new one";
    EXPECT_EQ(std::string(run.lastgame.begin(), run.lastgame.begin() + 4), std::string("VLS\0", 4));
}

// FIFOs in the place of "lastgame" and of a savegame are never opened: the
// engine starts a new game, lists the savegames without the FIFO, says so,
// and shuts down as asked.
TEST(VlsSaving, FifosInThePlaceOfSavegamesAreNotOpened)
{
    DrivenProgram program(VLS_PROGRAM_PATH);
    ASSERT_EQ(mkfifo((program.work / "lastgame").c_str(), 0644), 0);
    std::filesystem::create_directory(program.work / "savegames");
    ASSERT_EQ(mkfifo((program.work / "savegames" / "pipe.savegame").c_str(), 0644), 0);
    // The menu, then its load screen.
    const DemoRun run =
        PlayDemo(program, "step 300\nkey ESCAPE\nstep 50\nclick 500 280\nstep 50\nclose\nstep 1000\n");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.log.find("Savegame lastgame was not loaded; it is kept as lastgame.refused.\n"), std::string::npos)
        << run.log;
    EXPECT_NE(run.log.find("Savegame .\\savegames\\pipe.savegame left out of the list: it cannot be read as a file.\n"),
              std::string::npos)
        << run.log;
    EXPECT_TRUE(std::filesystem::is_fifo(program.work / "lastgame.refused"));
    EXPECT_NE(run.log.find("-- Shut down successful."), std::string::npos) << run.log;
}

}  // namespace
