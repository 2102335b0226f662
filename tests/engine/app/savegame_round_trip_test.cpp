// A game of the real engine holding every kind of savegame block, saved,
// loaded and saved again: the second file is the first, but for the time of
// saving. Each owner's reader must leave the next owner's header, so the
// blocks are read back into the same state only when the whole chain holds.

#include "engine/app/engine_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/app/kestrune_timer.h"
#include "engine/audio/kestrune_sound.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_particles.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/savegame_block.h"
#include "engine/ui/kestrune_inventory.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "platform/fmod/null_output.h"
#include "platform/win32/kernel/clock.h"
#include "tests/support/demo_data.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_data.h"
#include "tools/demo/demo_story.h"
#include "tools/inventory_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vls::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t StoppedClock() { return 0; }

// The program's clock, moved only by the test.
std::uint64_t g_microseconds = 0;

// The demo's project with a player setup, so a load re-creates the player
// its block is read into.
constexpr std::uint32_t kCharacterPayload = 268;
constexpr std::size_t kCharacterCounts = 260;
constexpr std::size_t kIdleEntrySize = 68;

// The offset after the block at `at` (a character's idle animation entries,
// which follow its payload, included); its tag goes to `tag`.
std::size_t PastBlock(const Bytes& bytes, std::size_t at, std::string& tag)
{
    tag.assign(reinterpret_cast<const char*>(bytes.data() + at), strnlen(reinterpret_cast<const char*>(bytes.data() + at), 4));
    std::uint32_t length = 0;
    std::memcpy(&length, bytes.data() + at + 68, 4);
    const std::size_t payload = at + kSavegameBlockHeaderSize;
    at = payload + length;
    if (tag == "CHR" && length >= kCharacterPayload && at <= bytes.size()) {
        std::uint32_t idle = 0, second = 0;
        std::memcpy(&idle, bytes.data() + payload + kCharacterCounts, 4);
        std::memcpy(&second, bytes.data() + payload + kCharacterCounts + 4, 4);
        at += (std::size_t{idle} + second) * kIdleEntrySize;
    }
    return at;
}

// The tags of a file's blocks, in order, as the chain of lengths gives them.
std::vector<std::string> BlockTags(const Bytes& bytes)
{
    std::vector<std::string> tags;
    std::size_t at = 0;
    std::string tag;
    while (at + kSavegameBlockHeaderSize <= bytes.size()) {
        at = PastBlock(bytes, at, tag);
        tags.push_back(tag);
    }
    return tags;
}

// The tag of the block whose header or payload holds the byte at offset.
std::string BlockAt(const Bytes& bytes, std::size_t offset)
{
    std::size_t at = 0;
    std::string tag = "(none)";
    while (at + kSavegameBlockHeaderSize <= bytes.size() && at <= offset)
        at = PastBlock(bytes, at, tag);
    return tag;
}

Bytes WithoutTime(Bytes bytes)
{
    // The info record's saving time, after the first two block headers.
    std::fill(bytes.begin() + 144, bytes.begin() + 160, 0);
    return bytes;
}

class SavegameRoundTripTest : public ::testing::Test {
protected:
    SavegameRoundTripTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
    }
    ~SavegameRoundTripTest() override
    {
        engine_.reset();
        g_engine = nullptr;
        fmod::SetNullOutputClock(nullptr);
        win32::SetClockSource({});
        std::filesystem::current_path(previous_);
    }

    // The demo's archive with the project replaced through the updates
    // folder, the engine started on it and a new game entered.
    void StartGame()
    {
        CopyDemoArchive(work_.path());
        std::filesystem::create_directories(work_.path() / "updates");
        std::vector<std::uint8_t> project =
            tools::MakeDemoProject(tools::DemoProjectScriptSource());
        const tools::DemoStory story = tools::MakeDemoStory();
        tools::PutProjectItems(project, story.items, story.inventory);
        WriteFileBytes(work_.path() / "updates" / "project", project);
        g_microseconds = 1'000'000;
        win32::SetClockSource([] { return g_microseconds; });
        engine_ = std::make_unique<cKestruneEngine>(nullptr, nullptr, "");
        // The program's one engine, as its entry makes it.
        g_engine = engine_.get();
        ASSERT_EQ(engine_->Init(), 0);
        // The music's place moves only when the test says so.
        fmod::SetNullOutputClock(StoppedClock);
        cKestruneMembers& members = engine_->Members();
        members.SetGameState(*engine_, 0x207);
        members.RunProjectFunction(*engine_, "initiate");
        ASSERT_NE(engine_->pendingScene, nullptr);
        cKestruneScene* const next = engine_->pendingScene;
        engine_->pendingScene = nullptr;
        ASSERT_EQ(engine_->SetScene(next, 0), 0);
        // The player as a load re-creates it: the setup's function run last.
        engine_->gameplay->playerSetup = "hero";
        members.RunProjectFunction(*engine_, "pc_hero");
        ASSERT_NE(engine_->gameplay->playerCharacter, nullptr);
    }

    std::string Path(const char* name) const { return (work_.path() / name).string(); }

    TempDir work_;
    ScopedConfig config_;
    std::filesystem::path previous_;
    std::unique_ptr<cKestruneEngine> engine_;
};

TEST_F(SavegameRoundTripTest, AGameHoldingEveryBlockSavesTheSameBytesAfterALoad)
{
    StartGame();
    cKestruneEngine& engine = *engine_;
    // Music playing, an animation on the player, a timer and all three kinds
    // of effect. (The demo's data has no messenger.)
    engine.sound->PlayMusic("harbour_theme", nullptr, "", kSoundLoop, false);
    engine.Members().UpdateSound(engine);
    engine.gameplay->playerCharacter->PlaySlot1("figure_idle", 0);
    engine.timer->AddTimer(engine.gameplay->projectScript, "initiate", 60.0f);
    WeatherParams weather;
    weather.halfWidth = 10.0f;
    weather.top = 8.0f;
    weather.count = 20;
    FountainParams fountain;
    fountain.count = 15;
    fountain.speed = 2.0f;
    engine.graphics->objects.Add(new cKestruneWeatherSnow(weather));
    engine.graphics->objects.Add(new cKestruneWeatherRain(weather));
    engine.graphics->objects.Add(new cKestruneFountain(fountain));

    ASSERT_TRUE(engine.gameplay->SaveGame(Path("first").c_str()));
    const Bytes first = ReadFileBytes(Path("first"));
    const std::vector<std::string> tags = BlockTags(first);
    for (const char* tag : {"VLS", "INF", "SCR", "SND", "CHR", "MSP", "PCR", "MAN", "DLG", "INV", "SPR", "TMR",
                            "SCN", "VIE", "PAR", "END"})
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag << " is missing";
    EXPECT_EQ(std::count(tags.begin(), tags.end(), "PAR"), 3);

    // The game that loads plays no music of its own, as at the next start:
    // music playing at a load fades out beside the restored one.
    engine.sound->StopMusic(0.0f, 0);
    for (int frame = 0; frame < 3; ++frame)
        engine.Members().UpdateSound(engine);
    ASSERT_EQ(engine.sound->channels.count, 0);
    ASSERT_EQ(engine.gameplay->LoadGame(Path("first").c_str()), 0);
    ASSERT_NE(engine.gameplay->playerCharacter, nullptr);
    ASSERT_TRUE(engine.gameplay->SaveGame(Path("second").c_str()));
    const Bytes second = WithoutTime(ReadFileBytes(Path("second")));
    const Bytes expected = WithoutTime(first);
    EXPECT_EQ(BlockTags(second), tags);
    ASSERT_EQ(second.size(), expected.size());
    const auto differ = std::mismatch(second.begin(), second.end(), expected.begin());
    const std::size_t at = static_cast<std::size_t>(differ.first - second.begin());
    EXPECT_EQ(differ.first, second.end()) << "first difference at byte " << at << ", in the " << BlockAt(second, at)
                                          << " block";
}

} // namespace
} // namespace vls::test
