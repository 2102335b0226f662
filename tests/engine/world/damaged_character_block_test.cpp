// A character block that cannot be read ends the chain of blocks it sits in,
// so that a scene reading its characters one after another stops rather
// than taking the same block again forever.

#include "engine/script/savegame_block.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_scene.h"
#include "engine/world/kestrune_view.h"
#include "engine/world/scene_characters.h"
#include "engine/world/world_host.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

#include <cstring>
#include <functional>

namespace vls::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads every character block the scene hands over as the engine does: into
// a new character, kept by the scene when it belongs to a variable.
class ReadingWorld : public cKestruneNullWorldHost {
public:
    ReadingWorld() { SetWorldHost(this); }
    ~ReadingWorld() override { SetWorldHost(nullptr); }
    void LoadCharacterBlock(cKestruneScene& scene, ScriptValue* variable, int file,
                            SavegameBlockHeader& header) override
    {
        // A scene that keeps handing over the same block would never end:
        // the test ends it instead, and counts.
        if (++reads > kMostReads) {
            header = SavegameBlockHeader{};
            return;
        }
        LoadSceneCharacterBlock(scene, variable, file, header);
    }
    void DeleteSceneCharacters(cKestruneScene& scene) override { ::DeleteSceneCharacters(scene); }
    static constexpr int kMostReads = 10;
    int reads = 0;
};

// Where the idle-animation count stands: after the block header, in the
// character's fixed payload.
constexpr std::size_t kIdleCount = kSavegameBlockHeaderSize + 260;

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

class DamagedCharacterBlockTest : public WorldTest {
protected:
    std::string Path(const char* name) const { return (work_.path() / name).string(); }

    // A whole character block followed by an end marker, as bytes.
    Bytes CharacterBlock()
    {
        cKestruneCharacter character;
        character.displayName = "guard";
        character.idleAnimations.Add(IdleAnimation{cString("yawn"), 2});
        const int out = _open(Path("character").c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        character.SaveBlock(out, "guard");
        WriteSavegameBlockHeader(out, "END", "", 0);
        _close(out);
        return ReadFileBytes(work_.path() / "character");
    }

    ScopedConfig config_;
    TempDir work_;
    ReadingWorld world;
};

TEST_F(DamagedCharacterBlockTest, AnUnreadableBlockLeavesNoHeaderBehind)
{
    const Bytes good = CharacterBlock();
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"another tag", [](Bytes& b) { std::memcpy(b.data(), "CHX", 3); }},
        {"no payload", [](Bytes& b) { PutU32(b, 68, 0); }},
        {"payload cut short", [](Bytes& b) { b.resize(kSavegameBlockHeaderSize + 100); }},
        {"more idle animations than the file holds", [](Bytes& b) { PutU32(b, kIdleCount, 500); }},
        {"an idle count past any script's", [](Bytes& b) { PutU32(b, kIdleCount, 0x40000000u); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = good;
        c.damage(damaged);
        WriteFileBytes(work_.path() / "damaged", damaged);
        const int in = _open(Path("damaged").c_str(), _O_RDONLY | _O_BINARY);
        SavegameBlockHeader header;
        ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
        cKestruneCharacter character;
        EXPECT_FALSE(character.LoadBlock(in, header));
        _close(in);
        EXPECT_EQ(header.tag[0], 0) << "no reader takes what is left for its own";
    }

    // The whole block still reads, and leaves the next header.
    WriteFileBytes(work_.path() / "good", good);
    const int in = _open(Path("good").c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
    cKestruneCharacter character;
    EXPECT_TRUE(character.LoadBlock(in, header));
    _close(in);
    EXPECT_STREQ(header.tag, "END");
    EXPECT_STREQ(character.displayName.GetText(), "guard");
}

TEST_F(DamagedCharacterBlockTest, ASceneStopsAtACharacterBlockItCannotRead)
{
    cKestruneScene saved;
    auto* const view = new cKestruneView();
    view->header.name = "quay";
    saved.views.Add(view);
    int out = _open(Path("scene").c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    saved.SaveBlock(out);
    // A character block too short to be one, and an end marker after it.
    WriteSavegameBlockHeader(out, "CHR", "guard", 0);
    WriteSavegameBlockHeader(out, "END", "", 0);
    _close(out);

    cKestruneScene restored;
    restored.views.Add(new cKestruneView());
    restored.views.data[0]->header.name = "quay";
    const int in = _open(Path("scene").c_str(), _O_RDONLY | _O_BINARY);
    SavegameBlockHeader header;
    ASSERT_TRUE(ReadSavegameBlockHeader(in, header));
    restored.LoadBlock(in, header);
    _close(in);
    EXPECT_EQ(world.reads, 1) << "the damaged block is tried once";
    EXPECT_EQ(header.tag[0], 0);
    EXPECT_EQ(restored.characters.count, 0);
}

} // namespace
} // namespace vls::test
