// The engine's answers for the player character's savegame block.

#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/script/savegame_block.h"
#include "engine/script/script_globals.h"
#include "engine/script/script_natives.h"
#include "engine/world/kestrune_character.h"
#include "engine/world/kestrune_gameplay.h"
#include "engine/world/savegame_host.h"
#include "platform/crt/crt_io.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vls::test {
namespace {

class SavegameMembersTest : public ::testing::Test {
protected:
    SavegameMembersTest()
    {
        SetScriptGlobalTable(&globals);
        SetScriptNativeCache(&natives);
        gameplay = new cKestruneGameplay();
        engine.gameplay = gameplay;
    }
    ~SavegameMembersTest() override
    {
        engine.gameplay = nullptr;
        delete gameplay->playerCharacter;
        gameplay->playerCharacter = nullptr;
        delete gameplay;
        SetScriptGlobalTable(nullptr);
        SetScriptNativeCache(nullptr);
    }

    // Writes the player's block followed by an end marker.
    void Save()
    {
        const int out = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
        ASSERT_GE(out, 0);
        host.SaveBlock(SavegameOwner::Player, out);
        WriteSavegameBlockHeader(out, "END", "", 0);
        _close(out);
    }
    // Reads the first header and hands it to the player's reader when it is
    // the player's tag, as the savegame reader does; returns the tag left.
    std::string Load()
    {
        const int in = _open(file.c_str(), _O_RDONLY | _O_BINARY);
        EXPECT_GE(in, 0);
        SavegameBlockHeader header;
        EXPECT_TRUE(ReadSavegameBlockHeader(in, header));
        if (std::strncmp(header.tag, "CHR", 4) == 0) {
            EXPECT_STREQ(header.name, "$pc$");
            host.LoadBlock(SavegameOwner::Player, in, header);
        }
        _close(in);
        return std::string(header.tag, strnlen(header.tag, sizeof header.tag));
    }

    ScopedConfig config;
    FakeMembers members;
    ScriptGlobalTable globals;
    ScriptNativeCache natives;
    cKestruneEngine engine{nullptr, nullptr, "", &members};
    cKestruneGameplay* gameplay = nullptr;
    cKestruneEngineSavegameHost host{engine};
    TempDir dir;
    std::string file = (dir / "save").string();
};

TEST_F(SavegameMembersTest, ThePlayerBlockComesBackIntoThePlayerTheSetupMade)
{
    auto* const saved = new cKestruneCharacter();
    gameplay->playerCharacter = saved;
    saved->displayName = "PC";
    saved->visible = 1;
    saved->speechColor = 0xFF102030;
    saved->SetPathfinderDest(4.0f, -2.0f, 0.0f);
    saved->idleAnimations.Add(IdleAnimation{cString("yawn"), 3});
    saved->model->SetPosition(1.0f, 0.0f, 9.0f);
    Save();

    // The setup function re-creates a player before its block is read.
    delete saved;
    auto* const fresh = new cKestruneCharacter();
    gameplay->playerCharacter = fresh;
    EXPECT_EQ(Load(), "END") << "the reader leaves the next header";
    ASSERT_EQ(gameplay->playerCharacter, fresh);
    EXPECT_STREQ(fresh->displayName.GetText(), "PC");
    EXPECT_EQ(fresh->visible, 1);
    EXPECT_EQ(fresh->speechColor, 0xFF102030u);
    EXPECT_EQ(fresh->destX, 4.0f);
    EXPECT_EQ(fresh->destZ, -2.0f);
    ASSERT_EQ(fresh->idleAnimations.count, 1);
    EXPECT_STREQ(fresh->idleAnimations.data[0].name.GetText(), "yawn");
    EXPECT_EQ(fresh->model->position[2], 9.0f);
    EXPECT_NE(fresh->controller, nullptr);
}

TEST_F(SavegameMembersTest, AnObjectTheSetupLinkedFromTheCacheStaysWithTheCache)
{
    auto* const saved = new cKestruneCharacter();
    gameplay->playerCharacter = saved;
    saved->linkedObject = new cKestruneMeshSprite();
    saved->linkedObject->parent = saved->model;
    Save();
    delete saved;

    cKestruneMeshSprite cachedLantern;
    cachedLantern.cached = 1;
    auto* const fresh = new cKestruneCharacter();
    fresh->linkedObject = &cachedLantern;
    gameplay->playerCharacter = fresh;
    EXPECT_EQ(Load(), "END");
    ASSERT_NE(fresh->linkedObject, nullptr);
    EXPECT_NE(fresh->linkedObject, &cachedLantern) << "the saved linked object replaces it, the cache keeps it";
    EXPECT_EQ(fresh->linkedObject->parent, fresh->model);
}

TEST_F(SavegameMembersTest, WithoutAPlayerNothingIsWrittenAndTheBlockIsPassedOver)
{
    Save();
    EXPECT_EQ(Load(), "END");

    gameplay->playerCharacter = new cKestruneCharacter();
    gameplay->playerCharacter->displayName = "PC";
    Save();
    delete gameplay->playerCharacter;
    gameplay->playerCharacter = nullptr;
    EXPECT_EQ(Load(), "END") << "a setup that made no player skips the block and its nested ones";
}

TEST_F(SavegameMembersTest, ASceneVariableHoldingThePlayerWritesNoSceneCharacter)
{
    cKestruneEngineWorldHost world(engine);
    cKestruneCharacter guard;
    gameplay->playerCharacter = new cKestruneCharacter();
    const int out = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    ASSERT_GE(out, 0);
    EXPECT_FALSE(world.SaveCharacterBlock(gameplay->playerCharacter->Handle(), "pc", out));
    EXPECT_EQ(_tell(out), 0) << "nothing written for the player";
    EXPECT_TRUE(world.SaveCharacterBlock(guard.Handle(), "guard", out));
    EXPECT_GT(_tell(out), 0);
    _close(out);
}

} // namespace
} // namespace vls::test
