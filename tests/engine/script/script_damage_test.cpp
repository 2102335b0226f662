// Damaged scripts and streams: every one ends with a report, never a crash.

#include "engine/script/script_format.h"
#include "tests/engine/script/script_test_support.h"
#include "tools/script_assembler.h"

namespace vls::test {
namespace {

struct DamageCase {
    const char* label;
    const char* source;
    const char* report;
};

const DamageCase kDamageCases[] = {
    {"no end instruction", "push int 1\n", "Script code ends inside an instruction."},
    {"truncated operand", ".byte 1 1 0 0\n", "Script code ends inside an instruction."},
    {"string operand without terminator", ".byte 1 3 0x61 0x62\n", "Script code ends inside an instruction."},
    {"truncated jump", ".byte 0x13 0\n", "Script code ends inside an instruction."},
    {"truncated call", ".byte 0x17 0 0 0 0 0\n", "Script code ends inside an instruction."},
    {"jump past the code", "jmp 100\n end\n", "Script jump target lies outside the code."},
    {"opcode 0x00", ".byte 0x00\n end\n", "Opcode not supported."},
    {"opcode 0x05", ".byte 0x05\n end\n", "Opcode not supported."},
    {"opcode 0x19", ".byte 0x19\n end\n", "Opcode not supported."},
    {"opcode 0x80", ".byte 0x80\n end\n", "Opcode not supported."},
    {"opcode 0xFE", ".byte 0xFE\n end\n", "Opcode not supported."},
    {"endless pushes", "loop:\n push int 1\n jmp loop\n", "Script stack overflow."},
    {"endless string pushes", "loop:\n push string \"abcdefghijklmnop\"\n jmp loop\n", "Script stack overflow."},
    {"add on an empty stack", "add\n end\n", "Script stack underflow."},
    {"pop into the register from an empty stack", "popreg\n end\n", "Script stack underflow."},
    {"conditional jump on an empty stack", "jz 0\n end\n", "Script stack underflow."},
    {"native pops more than was pushed", "callsite c test__Capture 2 int\n push int 1\n native - c\n end\n",
        "Script stack underflow."},
    {"integer division by zero", "push int 1\n push int 0\n div\n end\n", "Script integer division by zero."},
    {"negative variable index", "var v int\n pushvar ref #-1\n end\n", "Script variable index out of range."},
    {"variable of an empty table", "pushvar ref #0\n end\n", "Script variable index out of range."},
    {"object of an empty table", "push object #0\n end\n", "Script variable index out of range."},
    {"call site of an empty table", "native - #0\n end\n", "Script call-site index out of range."},
};

class ScriptDamageTable : public ScriptTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(ScriptDamageTable, RunStopsWithAReport)
{
    RegisterScriptNative("test__Capture", CaptureNative);
    const auto script = Load(GetParam().source);
    EXPECT_EQ(script->Run(""), -1);
    ASSERT_EQ(link.reports.size(), 1u);
    EXPECT_EQ(link.reports[0].text, GetParam().report);
    EXPECT_EQ(link.reports[0].module, "script");
    EXPECT_EQ(link.reports[0].fatal, 0);
    EXPECT_LE(script->sp, kScriptStackSize - 1);
}

INSTANTIATE_TEST_SUITE_P(Damaged, ScriptDamageTable, ::testing::ValuesIn(kDamageCases),
    [](const ::testing::TestParamInfo<DamageCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST_F(ScriptTest, ResumePointPastTheCodeStopsWithAReport)
{
    const auto script = Load("end\n");
    EXPECT_EQ(script->Run("#500"), -1);
    EXPECT_EQ(link.LastText(), "Script code ends inside an instruction.");
    EXPECT_EQ(script->Run("#99999999999999999999"), -1);
}

TEST_F(ScriptTest, DamagedStackBytesNeverReadBelowTheStack)
{
    const auto script = Load("end\n");
    // A string type byte with no terminator below it, as a damaged savegame could leave.
    script->stack[1] = 'a';
    script->stack[2] = 'b';
    script->stack[3] = kScriptString;
    script->sp = 3;
    EXPECT_STREQ(script->Pop().GetText(), "");
    EXPECT_EQ(link.LastText(), "Script stack underflow.");
    script->stack[3] = kScriptInteger;
    script->Pop();
    EXPECT_EQ(link.reports.size(), 2u);
}

struct StreamCase {
    const char* label;
    std::size_t offset; // where the damage goes
    std::uint32_t value;
    std::size_t cut; // bytes removed from the end
};

TEST_F(ScriptTest, DamagedStreamsFailToLoadAndNeverRun)
{
    const std::vector<std::uint8_t> good = tools::AssembleScriptBytes(
        "var v int\n callsite c test__Capture 0 int\n func main\n push int 1\n end\n");
    const StreamCase cases[] = {
        {"code size past the end", 0, 1000, 0},
        {"variable count past the end", 4, 0xFFFFFFFFu, 0},
        {"function count past the end", 8, 0x40000000u, 0},
        {"call-site count past the end", 12, 2, 0},
        {"truncated code", 0, 7, 1},
        {"truncated header", 0, 7, good.size() - 10},
    };
    for (const StreamCase& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[c.offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c.value >> (8 * i));
        bytes.resize(bytes.size() - c.cut);
        cKestruneScript script;
        link.reports.clear();
        EXPECT_EQ(script.LoadFromMemory(bytes.data(), bytes.size()), -1) << c.label;
        EXPECT_FALSE(script.HasCode()) << c.label;
        EXPECT_EQ(script.Run(""), -1) << c.label;
        EXPECT_EQ(link.reports.size(), 1u) << c.label;
    }
}

} // namespace
} // namespace vls::test

namespace vls::test {
namespace {

TEST_F(ScriptTest, JumpBudgetEndsAnEndlessLoop)
{
    const auto script = Load("loop:\n jmp loop\n");
    SetScriptJumpBudget(1000);
    EXPECT_EQ(script->Run(""), -1);
    SetScriptJumpBudget(0);
    EXPECT_EQ(link.LastText(), "Script jump budget spent.");
}

} // namespace
} // namespace vls::test
