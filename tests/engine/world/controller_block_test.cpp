// Damaged "PCR" blocks of the walking, boat, diver and robot controllers are
// refused with the block mismatch report, read nothing past their stated
// length and leave the character with its controller.

#include "engine/base/datafile_bytes.h"
#include "engine/world/player_control_diver.h"
#include "engine/world/player_control_infobot.h"
#include "engine/world/player_control_zodiac.h"
#include "tests/engine/world/model_world_fixture.h"

namespace vls::test {
namespace {

class ControllerBlockTest : public ModelWorldTest {
protected:
    void SetUp() override { StartWorld(); }
};

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint8_t fill = 0) { return std::vector<std::uint8_t>(size, fill); }

// A diver payload whose walk record claims count path records but holds none.
std::vector<std::uint8_t> DiverClaiming(std::int32_t count)
{
    std::vector<std::uint8_t> payload(cKestrunePlayerControlDiver::kNameSize, 0);
    DatafileByteWriter writer(payload);
    writer.I32(count);
    payload.resize(payload.size() + cKestruneWalkMap::kSaveRecordSize - 4, 0);
    return payload;
}

TEST_F(ControllerBlockTest, DamagedPayloadsAreRefusedCleanly)
{
    struct Case {
        const char* what;
        std::int32_t type;
        std::uint32_t statedLength;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"walker: short", cKestrunePlayerControl::kDefault, 515, Bytes(515)},
        {"walker: length past the file", cKestrunePlayerControl::kDefault, 604, Bytes(100)},
        {"walker: huge length", cKestrunePlayerControl::kDefault, 0xFFFFFFFFu, Bytes(604)},
        {"boat: short", cKestrunePlayerControl::kZodiac, 283, Bytes(283)},
        {"boat: long", cKestrunePlayerControl::kZodiac, 285, Bytes(285)},
        {"boat: length past the file", cKestrunePlayerControl::kZodiac, 284, Bytes(100)},
        {"boat: huge length", cKestrunePlayerControl::kZodiac, 0xFFFFFFFFu, Bytes(284)},
        {"diver: no walk record", cKestrunePlayerControl::kDiver, 100, Bytes(100)},
        {"diver: path records it lacks", cKestrunePlayerControl::kDiver, 152, DiverClaiming(5)},
        {"diver: negative record count", cKestrunePlayerControl::kDiver, 152, DiverClaiming(-1)},
        {"diver: huge length", cKestrunePlayerControl::kDiver, 0x7FFFFFF0u, Bytes(152)},
        {"robot: a payload it never has", cKestrunePlayerControl::kInfobot, 4, Bytes(4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reports.reports.clear();
        cKestruneCharacter character;
        cKestrunePlayerControl* const control = CreatePlayerControl(c.type, &character);
        character.ReplaceController(control);
        SavegameBlockHeader header;
        const int in = SaveAndReopen(
            [&](int out) {
                WriteSavegameBlockHeader(out, "PCR", "damaged", c.statedLength);
                _write(out, c.bytes.data(), static_cast<unsigned>(c.bytes.size()));
            },
            header);
        control->LoadBlock(in, header);
        _close(in);
        ASSERT_EQ(reports.reports.size(), 1u);
        EXPECT_EQ(reports.reports[0].text, "Savegame block type or version mismatch.");
        EXPECT_EQ(reports.reports[0].fatal, 1);
        EXPECT_EQ(header.tag[0], 0) << "nothing after the block is taken for the next block";
        EXPECT_EQ(character.controller, control);
        EXPECT_EQ(control->walking, 0);
    }
}

} // namespace
} // namespace vls::test
