// The engine's answers to the sound object about speakers.

#include "engine/app/default_members.h"
#include "engine/app/kestrune_engine.h"
#include "engine/audio/sound_host.h"
#include "engine/render/kestrune_mesh_sprite.h"
#include "engine/world/kestrune_character.h"
#include "tests/engine/app/fake_members.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace vls::test {
namespace {

TEST(SoundMembers, ASpeakerStandsWhereItsModelStands)
{
    ScopedConfig config;
    FakeMembers fake;
    cKestruneEngine engine(nullptr, nullptr, "", &fake);
    cKestruneDefaultMembers members(engine);
    ASSERT_TRUE(members.Create(engine, KestruneMember::Sound));

    float position[3] = {};
    EXPECT_FALSE(SoundHost().CharacterPosition(nullptr, position));

    cKestruneCharacter character;
    cKestruneMeshSprite* const model = character.model;
    character.model = nullptr;
    EXPECT_FALSE(SoundHost().CharacterPosition(&character, position)) << "no model: heard at full volume";

    character.model = model;
    ASSERT_NE(model, nullptr);
    model->position[0] = 12.5f;
    model->position[1] = -3.0f;
    model->position[2] = 40.0f;
    ASSERT_TRUE(SoundHost().CharacterPosition(&character, position));
    EXPECT_FLOAT_EQ(position[0], 12.5f);
    EXPECT_FLOAT_EQ(position[1], -3.0f);
    EXPECT_FLOAT_EQ(position[2], 40.0f);

    members.Destroy(engine, KestruneMember::Sound);
}

} // namespace
} // namespace vls::test
