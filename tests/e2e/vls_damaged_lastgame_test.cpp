// A damaged "lastgame" never stops the engine's start: the whole-file check
// refuses it, says so in the log, and a new game starts, whichever owner's
// payload the damage is in.
#include "tests/e2e/demo_run.h"
#include "tests/e2e/vls_savegame_view.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using vls::e2e::DemoRun;
using vls::e2e::DrivenProgram;
using vls::e2e::PlayDemo;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeader = 72;
constexpr std::size_t kCharacterCounts = 260;
constexpr std::size_t kCharacterEntry = 68;

std::uint32_t U32At(const Bytes& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// Where the payload of the first block with that tag (and name, when given)
// starts; 0 when there is none. A character's idle entries follow its
// payload outside its length.
std::size_t PayloadOf(const Bytes& save, const std::string& tag, const std::string& name = "")
{
    for (std::size_t at = 0; at + kHeader <= save.size();) {
        const std::string blockTag(reinterpret_cast<const char*>(save.data() + at), strnlen(reinterpret_cast<const char*>(save.data() + at), 4));
        const std::string blockName(reinterpret_cast<const char*>(save.data() + at + 4), strnlen(reinterpret_cast<const char*>(save.data() + at + 4), 64));
        const std::uint32_t length = U32At(save, at + 68);
        const std::size_t payload = at + kHeader;
        if (blockTag == tag && (name.empty() || blockName == name))
            return payload;
        at = payload + length;
        if (blockTag == "CHR" && length >= kCharacterCounts + 8)
            at += (std::size_t{U32At(save, payload + kCharacterCounts)} + U32At(save, payload + kCharacterCounts + 4)) * kCharacterEntry;
    }
    return 0;
}

// Adds one to the u32 at `offset` of a payload.
void AddToU32(Bytes& save, std::size_t payload, std::size_t offset)
{
    ASSERT_NE(payload, 0u) << "no such block";
    const std::size_t at = payload + offset;
    const std::uint32_t value = U32At(save, at) + 1;
    std::memcpy(save.data() + at, &value, 4);
}

void AddToByte(Bytes& save, std::size_t payload)
{
    ASSERT_NE(payload, 0u) << "no such block";
    save[payload] += 1;
}

constexpr const char* kMenuScript = "step 200\nkey ESCAPE\nstep 50\nclose\nstep 1000\n";

TEST(VlsDamagedLastgame, IsRefusedWithAMessageAndANewGameStarts)
{
    DrivenProgram first(VLS_PROGRAM_PATH);
    const DemoRun saved = PlayDemo(first, kMenuScript);
    ASSERT_EQ(saved.status, 0) << saved.errors;
    const Bytes good = saved.lastgame;
    ASSERT_FALSE(vls::e2e::ReadBlocks(good).empty());

    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const std::vector<Case> cases = {
        {"a view more than the VIE blocks", [](Bytes& b) { AddToU32(b, PayloadOf(b, "SCN"), 64); }},
        {"a dialogue record more", [](Bytes& b) { AddToByte(b, PayloadOf(b, "DLG")); }},
        {"an inventory count past its list", [](Bytes& b) { AddToByte(b, PayloadOf(b, "INV")); }},
        {"a walk record more than the player's controller holds", [](Bytes& b) { AddToU32(b, PayloadOf(b, "PCR", "PCtrlDefault"), 516); }},
        {"an overlay more than the view holds", [](Bytes& b) { AddToU32(b, PayloadOf(b, "VIE"), 16); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = good;
        c.damage(damaged);
        ASSERT_NE(damaged, good);
        DrivenProgram program(VLS_PROGRAM_PATH);
        vls::test::WriteFileBytes(program.work.path() / "lastgame", damaged);
        const DemoRun run = PlayDemo(program, kMenuScript);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_NE(run.log.find("refused"), std::string::npos) << run.log;
        EXPECT_EQ(run.log.find("Error was fatal"), std::string::npos) << run.log;
        EXPECT_NE(run.log.find("-- Shut down successful."), std::string::npos) << run.log;
        EXPECT_FALSE(vls::e2e::ReadBlocks(run.lastgame).empty()) << "the new game's menu saved a whole game";
    }
}

} // namespace
