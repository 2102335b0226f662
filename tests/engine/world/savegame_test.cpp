#include "engine/audio/sound_block.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_sprites.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_call_frame.h"
#include "engine/script/script_savegame.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/savegame_file.h"
#include "engine/world/savegame_host.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/archive_builder.h"
#include "tools/scene_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace vls::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::string>* g_calls = nullptr;

std::int32_t MarkNative(ScriptCallFrame* frame)
{
    g_calls->push_back(std::string("script ") + frame->Argument(0).GetText());
    return 0;
}

// A sprite-system payload with its light count and that many lights.
Bytes SpritesPayload(std::int32_t lights)
{
    Bytes payload(cKestruneSprites::kBlockFixedSize + lights * kLightRecordSize, 0);
    std::memcpy(payload.data() + cKestruneSprites::kBlockFixedSize - 8, &lights, 4);
    return payload;
}

// The current scene, for the scene's and the writer's questions.
class SceneWorldHost : public cKestruneNullWorldHost {
public:
    SceneWorldHost() { SetWorldHost(this); }
    ~SceneWorldHost() override { SetWorldHost(nullptr); }
    cKestruneScene* CurrentScene() override { return scene; }
    void DeletePlayer() override
    {
        if (g_calls)
            g_calls->push_back("delete player");
    }
    cKestruneScene* scene = nullptr;
};

// Every owner but the scene keeps its state as bytes; the player's block
// carries two nested blocks, as a character's does.
class FakeOwners : public cKestruneNullSavegameHost {
public:
    explicit FakeOwners(SceneWorldHost& world) : world_(world) { SetSavegameHost(this); }
    ~FakeOwners() override { SetSavegameHost(nullptr); }

    void SaveBlock(SavegameOwner owner, int file) override
    {
        if (owner == SavegameOwner::Scene) {
            if (world_.scene)
                world_.scene->SaveBlock(file);
            return;
        }
        const auto found = state.find(owner);
        if (found == state.end())
            return;
        Write(file, SavegameOwnerTag(owner), found->second);
        if (owner == SavegameOwner::Player) {
            Write(file, "MSP", {1, 2, 3});
            Write(file, "PCR", {});
        }
        if (failAfter == owner)
            _write(file, "\x01\x02", 2); // bytes no block accounts for: a torn write
    }
    void LoadBlock(SavegameOwner owner, int file, SavegameBlockHeader& header) override
    {
        if (owner == SavegameOwner::Scene) {
            world_.scene->LoadBlock(file, header);
            return;
        }
        loaded[owner] = Read(file, header);
        while (owner == SavegameOwner::Player && (Is(header, "MSP") || Is(header, "PCR"))) {
            const std::string tag = header.tag;
            nested.push_back(tag + ":" + std::to_string(Read(file, header).size()));
        }
    }
    std::uint32_t EffectCount() override { return static_cast<std::uint32_t>(effects.size()); }
    void SaveEffects(int file) override
    {
        for (const auto& [name, payload] : effects)
            WriteNamed(file, "PAR", name, payload);
    }
    void LoadEffect(int file, SavegameBlockHeader& header) override
    {
        const std::string name = header.name;
        loadedEffects.emplace_back(name, Read(file, header));
    }
    void EnterRestoredScene(cKestruneScene* scene) override
    {
        g_calls->push_back("enter restored " + std::string(scene->RoomName()));
        delete world_.scene;
        world_.scene = scene;
        scene->Enter(1);
    }
    const char* PreviousSceneName() override { return previous.c_str(); }
    void SetPreviousSceneName(const char* name) override { previous = name; }

    std::map<SavegameOwner, Bytes> state;
    std::map<SavegameOwner, Bytes> loaded;
    std::vector<std::pair<std::string, Bytes>> effects;
    std::vector<std::pair<std::string, Bytes>> loadedEffects;
    std::vector<std::string> nested;
    std::string previous;
    SavegameOwner failAfter = static_cast<SavegameOwner>(-1);

private:
    static bool Is(const SavegameBlockHeader& header, const char* tag) { return std::strncmp(header.tag, tag, 4) == 0; }
    static void Write(int file, const char* tag, const Bytes& payload) { WriteNamed(file, tag, "", payload); }
    static void WriteNamed(int file, const char* tag, const std::string& name, const Bytes& payload)
    {
        WriteSavegameBlockHeader(file, tag, name.c_str(), static_cast<std::uint32_t>(payload.size()));
        _write(file, payload.data(), static_cast<unsigned>(payload.size()));
    }
    static Bytes Read(int file, SavegameBlockHeader& header)
    {
        Bytes payload(header.length);
        _read(file, payload.data(), header.length);
        ReadSavegameBlockHeader(file, header);
        return payload;
    }
    SceneWorldHost& world_;
};

const char* const kProject =
    "callsite mark test__Mark 1 int\n"
    "var score int\n var title string\n var twin int\n var twin int\n var thing object class cObject\n"
    "func pc_hero\n push string \"pc\"\n native - mark\n popreg\n ret\n"
    "func initiate\n ret\n";

const char* const kSceneScript =
    "callsite mark test__Mark 1 int\n var visits int\n var door object class cObject\n"
    "func on_enter\n push string \"enter\"\n native - mark\n ret\n";

class SavegameTest : public WorldTest {
protected:
    SavegameTest() : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(work_.path());
        g_calls = &calls;
        RegisterScriptNative("test__Mark", MarkNative);
        Pack({"room", "harbour"});
        gameplay.projectScript = LoadScript(kProject).release();
        gameplay.playerSetup = "hero";
        owners.EnterRestoredScene(owners.PrepareScene("room"));
        calls.clear();
    }
    ~SavegameTest() override
    {
        delete world.scene;
        g_calls = nullptr;
        std::filesystem::current_path(previous_);
    }

    void Pack(const std::vector<std::string>& rooms)
    {
        tools::ArchiveBuilder builder;
        for (const std::string& room : rooms) {
            tools::SceneDescription description;
            description.name = room;
            description.script = tools::AssembleScriptBytes(kSceneScript);
            builder.Add(room + ".scene", tools::WriteSceneResource(description));
        }
        ASSERT_TRUE(builder.Write(work_.path()));
        files_ = std::make_unique<cKestruneFileSystem>();
    }

    // A game holding every kind of block.
    void FillGame()
    {
        cKestruneScript& project = *gameplay.projectScript;
        project.Run("pc_hero"); // as the game's start does; a load runs it again
        project.Variable(0)->intValue = 42;
        project.Variable(1)->SetText(std::string(64, 'x').c_str()); // fills its field: stored without a NUL
        project.Push(ScriptValue::Integer(7));
        project.Push(ScriptValue::String("waiting"));
        project.suspendCount = 1;
        ScriptValue global = ScriptValue::Integer(5);
        global.name = "tide";
        global.globalName = "g_tide";
        globals.StoreGlobal(global);
        world.scene->saveName = "The Harbour";
        world.scene->script->Variable(0)->intValue = 3;
        gameplay.gameState = 0x207;
        gameplay.gameState2 = 9;
        owners.previous = "market";
        SoundBlock sound;
        sound.musicName = "theme";
        owners.state[SavegameOwner::Sound] = WriteSoundBlock(sound);
        owners.state[SavegameOwner::Player] = {9, 9};
        owners.state[SavegameOwner::Dialogue] = {0}; // no records
        owners.state[SavegameOwner::Messenger] = {2, 2};
        owners.state[SavegameOwner::Inventory] = {1, 0, 3}; // one item shown, none pushed
        owners.state[SavegameOwner::Sprites] = SpritesPayload(1);
        owners.state[SavegameOwner::Timers] = {};
        owners.effects = {{"Fountain", Bytes(kFountainSize, 6)}, {"Smoke", {7}}};
    }

    std::filesystem::path Path(const std::string& name) const { return work_.path() / name; }

    // The saving time differs between two saves; everything else must not.
    static Bytes WithoutTime(Bytes bytes)
    {
        std::fill(bytes.begin() + 144, bytes.begin() + 160, 0);
        return bytes;
    }

    static constexpr std::size_t kFountainSize = 28;
    std::vector<std::string> calls;
    ScopedConfig config_;
    TempDir work_;
    std::filesystem::path previous_;
    std::unique_ptr<cKestruneFileSystem> files_;
    SceneWorldHost world;
    FakeOwners owners{world};
    cKestruneGameplay gameplay;
};

TEST_F(SavegameTest, WriteReadWriteGivesTheSameBytes)
{
    FillGame();
    const std::uint32_t projectIdentity = gameplay.projectScript->SaveIdentity();
    const std::uint32_t sceneIdentity = world.scene->script->SaveIdentity();
    ASSERT_TRUE(gameplay.SaveGame(Path("first").string().c_str()));
    const Bytes first = ReadFileBytes(Path("first"));

    // Another game: a fresh project script and scene, other globals.
    delete gameplay.projectScript;
    gameplay.projectScript = LoadScript(kProject).release();
    gameplay.gameState = 0;
    globals.Clear();
    owners.state.clear();
    owners.effects.clear();
    calls.clear();

    ASSERT_EQ(gameplay.LoadGame(Path("first").string().c_str()), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"enter restored room", "delete player", "script pc"}));
    EXPECT_EQ(gameplay.projectScript->SaveIdentity(), projectIdentity);
    EXPECT_EQ(world.scene->script->SaveIdentity(), sceneIdentity);
    EXPECT_EQ(gameplay.projectScript->Variable(0)->intValue, 42);
    EXPECT_EQ(std::string(gameplay.projectScript->Variable(1)->GetText()), std::string(64, 'x'));
    EXPECT_EQ(world.scene->script->Variable(0)->intValue, 3);
    EXPECT_STREQ(world.scene->saveName.GetText(), "The Harbour");
    EXPECT_EQ(gameplay.gameState, 0x207u);
    EXPECT_EQ(gameplay.gameState2, 9u);
    EXPECT_EQ(owners.previous, "market");
    ASSERT_EQ(globals.entries.count, 1);
    EXPECT_EQ(globals.FetchGlobal("g_tide", kScriptInteger).intValue, 5);
    EXPECT_EQ(owners.nested, (std::vector<std::string>{"MSP:3", "PCR:0"}));
    ASSERT_EQ(owners.loadedEffects.size(), 2u);
    EXPECT_EQ(owners.loadedEffects[1].first, "Smoke");
    EXPECT_EQ(gameplay.projectScript->suspendCount, 1);
    EXPECT_STREQ(gameplay.projectScript->Pop().GetText(), "waiting") << "the stack comes back as it was";
    gameplay.projectScript->Push(ScriptValue::String("waiting"));

    owners.state = owners.loaded;
    owners.effects = owners.loadedEffects;
    ASSERT_TRUE(gameplay.SaveGame(Path("second").string().c_str()));
    const Bytes second = WithoutTime(ReadFileBytes(Path("second")));
    const Bytes expected = WithoutTime(first);
    ASSERT_EQ(second.size(), expected.size());
    const auto differ = std::mismatch(second.begin(), second.end(), expected.begin());
    EXPECT_EQ(differ.first, second.end()) << "first difference at byte " << (differ.first - second.begin());
}

TEST_F(SavegameTest, ScriptRecordsBindByExactNameAndLeaveObjectsAlone)
{
    cKestruneScript& project = *gameplay.projectScript;
    ScriptBlock block = CaptureScriptBlock(project);
    block.variables[2].intValue = 8; // the first "twin"
    block.variables[3].intValue = 9; // the second: the later record wins for both
    block.variables[4].intValue = 1;
    block.variables[4].type = kScriptObject;
    project.Variable(4)->object = 77;
    ScriptValue stranger = ScriptValue::Integer(5);
    stranger.name = "SCORE";
    block.variables.push_back(stranger);
    ScriptBlock read;
    const Bytes payload = WriteScriptBlock(block);
    ASSERT_TRUE(ReadScriptBlock(payload.data(), payload.size(), read));
    RestoreScriptBlock(read, project);
    EXPECT_EQ(project.Variable(2)->intValue, 9);
    EXPECT_EQ(project.Variable(3)->intValue, 9);
    EXPECT_EQ(project.Variable(4)->object, 77u);
    EXPECT_EQ(project.Variable(0)->intValue, 0) << "names match exactly";
}

TEST_F(SavegameTest, ARestoredIdentityStaysUnique)
{
    auto other = LoadScript(kSceneScript);
    auto restored = LoadScript(kSceneScript);
    restored->AdoptSaveIdentity(other->SaveIdentity());
    EXPECT_NE(other->SaveIdentity(), restored->SaveIdentity());
    auto later = LoadScript(kSceneScript);
    EXPECT_NE(later->SaveIdentity(), restored->SaveIdentity());
    EXPECT_NE(later->SaveIdentity(), other->SaveIdentity());
}

// Offsets into the file FillGame saves.
constexpr std::size_t kInf = 72;
constexpr std::size_t kInfPayload = kInf + 72;
constexpr std::size_t kProjectScr = kInfPayload + 288 + 240;

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

std::size_t FindTag(const Bytes& bytes, const char* tag)
{
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, tag, 4) == 0)
            return i;
    return std::string::npos;
}

TEST_F(SavegameTest, DamagedSavegamesAreRefusedWithTheGameIntact)
{
    FillGame();
    ASSERT_TRUE(gameplay.SaveGame(Path("good").string().c_str()));
    const Bytes good = ReadFileBytes(Path("good"));
    const std::size_t sceneScr = FindTag(good, "$scene$") - 4;
    ASSERT_EQ(std::memcmp(good.data() + sceneScr, "SCR", 4), 0);
    const std::size_t par = FindTag(good, "PAR");
    const std::size_t scn = FindTag(good, "SCN");
    const std::size_t end = FindTag(good, "END");

    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const std::vector<Case> cases = {
        {"empty file", [](Bytes& b) { b.clear(); }},
        {"first tag", [](Bytes& b) { b[0] = 'X'; }},
        {"tag without NUL", [](Bytes& b) { b[kInf + 3] = 'F'; }},
        {"global count past the block", [](Bytes& b) { PutU32(b, kInfPayload + 272, 1000000); }},
        {"block longer than the file", [](Bytes& b) { PutU32(b, kInf + 68, 0xFFFFFFF0u); }},
        {"stack deeper than the machine's", [](Bytes& b) { PutU32(b, kProjectScr + 72 + 16, 20000); }},
        {"pc past the code", [](Bytes& b) { PutU32(b, kProjectScr + 72 + 12, 100000); }},
        {"scene pc past the code", [=](Bytes& b) { PutU32(b, sceneScr + 72 + 12, 100000); }},
        {"variable count", [](Bytes& b) { PutU32(b, kProjectScr + 72 + 28, 6); }},
        {"ends after an effect", [=](Bytes& b) { b.resize(end); }},
        {"ends inside the scene", [=](Bytes& b) { b.resize(scn + 100); }},
        {"ends inside a header", [=](Bytes& b) { b.resize(par + 30); }},
        {"unknown block", [=](Bytes& b) { std::memcpy(b.data() + scn, "ZZZ", 3); }},
        {"blocks out of order", [=](Bytes& b) { std::memcpy(b.data() + par, "SND", 3); }},
        {"light count past the lights", [=](Bytes& b) { PutU32(b, FindTag(b, "SPR") + 72 + cKestruneSprites::kBlockFixedSize - 8, 2); }},
        {"fountain of the wrong size", [=](Bytes& b) { PutU32(b, par + 68, 27); }},
        {"dialogue counting a record it lacks", [=](Bytes& b) { b[FindTag(b, "DLG") + 72] = 1; }},
        {"inventory counting more items", [=](Bytes& b) { b[FindTag(b, "INV") + 72] = 2; }},
        {"scene counting a view that does not follow", [=](Bytes& b) { PutU32(b, scn + 72 + 64, 1); }},
        {"scene that cannot be opened", [](Bytes& b) { std::memcpy(b.data() + kInfPayload + 144, "nowhere", 8); }},
        {"player function missing", [](Bytes& b) { std::memcpy(b.data() + kInfPayload + 16, "ghost", 6); }},
    };
    const cKestruneScene* const scene = world.scene;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = good;
        c.damage(damaged);
        WriteFileBytes(Path("damaged"), damaged);
        link.reports.clear();
        calls.clear();
        EXPECT_EQ(gameplay.LoadGame(Path("damaged").string().c_str()), -1);
        EXPECT_EQ(world.scene, scene);
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(gameplay.projectScript->Variable(0)->intValue, 42);
        EXPECT_EQ(globals.entries.count, 1);
        ASSERT_EQ(link.reports.size(), 1u);
        EXPECT_EQ(link.reports[0].fatal, 0);
    }
    link.reports.clear();
    EXPECT_EQ(gameplay.LoadGame(Path("absent").string().c_str()), -1);
    EXPECT_TRUE(link.reports.empty()) << "a missing savegame is no error";
}

TEST_F(SavegameTest, AFailedWriteKeepsTheOldSave)
{
    FillGame();
    ASSERT_TRUE(gameplay.SaveGame(Path("slot").string().c_str()));
    const Bytes old = ReadFileBytes(Path("slot"));
    owners.failAfter = SavegameOwner::Inventory;
    link.reports.clear();
    EXPECT_FALSE(gameplay.SaveGame(Path("slot").string().c_str()));
    EXPECT_EQ(ReadFileBytes(Path("slot")), old);
    EXPECT_FALSE(std::filesystem::exists(Path("slot.tmp")));
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0].fatal, 0);

    owners.failAfter = static_cast<SavegameOwner>(-1);
    EXPECT_FALSE(gameplay.SaveGame(Path("no/such/folder/slot").string().c_str()));
}

TEST_F(SavegameTest, AGameWithoutEffectsEndsWithTheSceneAndEnd)
{
    gameplay.playerSetup = ""; // no player character set up: no "pc_" function is needed
    ASSERT_TRUE(gameplay.SaveGame(Path("plain").string().c_str()));
    const Bytes bytes = ReadFileBytes(Path("plain"));
    ASSERT_GE(bytes.size(), 72u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + bytes.size() - 72), 24),
              std::string("END\0Anyone reading this?", 24));
    EXPECT_EQ(FindTag(bytes, "PAR"), std::string::npos);
    EXPECT_EQ(gameplay.LoadGame(Path("plain").string().c_str()), 0);
    EXPECT_TRUE(owners.loadedEffects.empty());
}

} // namespace
} // namespace vls::test

namespace vls::test {
namespace {

// A player block as characters write it: the 268-byte payload counts its
// idle animations, whose 68-byte entries follow outside the stated length.
Bytes WithCharacterEntries(const Bytes& save, std::uint32_t counted, std::uint32_t written)
{
    const std::size_t chr = FindTag(save, "CHR");
    std::uint32_t oldLength = 0;
    std::memcpy(&oldLength, save.data() + chr + 68, 4);
    Bytes out(save.begin(), save.begin() + static_cast<std::ptrdiff_t>(chr) + 68);
    Bytes payload(268, 0);
    std::memcpy(payload.data() + 260, &counted, 4);
    const std::uint32_t length = 268;
    out.insert(out.end(), reinterpret_cast<const std::uint8_t*>(&length), reinterpret_cast<const std::uint8_t*>(&length) + 4);
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), written * 68, 'i');
    out.insert(out.end(), save.begin() + static_cast<std::ptrdiff_t>(chr + 72 + oldLength), save.end());
    return out;
}

TEST_F(SavegameTest, ACharactersIdleEntriesAreSteppedOverWhenTheFileIsChecked)
{
    FillGame();
    ASSERT_TRUE(gameplay.SaveGame(Path("good").string().c_str()));
    const Bytes good = ReadFileBytes(Path("good"));
    struct Case {
        std::uint32_t counted, written;
        bool accepted;
    } const cases[] = {{0, 0, true}, {2, 2, true}, {2, 1, false}, {0x7FFFFFFF, 2, false}};
    for (const Case& c : cases) {
        const Bytes save = WithCharacterEntries(good, c.counted, c.written);
        SavegameContents contents;
        std::string why;
        EXPECT_EQ(CheckSavegame(save.data(), save.size(), contents, why), c.accepted)
            << c.counted << " counted, " << c.written << " written: " << why;
    }
}

} // namespace
} // namespace vls::test
