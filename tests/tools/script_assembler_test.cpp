#include "engine/script/script_format.h"
#include "tools/script_assembler.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vls::tools {
namespace {

const char* const kProgram = R"(
var counter int global g_counter
var "odd name" string
var hero object class cCharacter
var dup int
var dup float
var weird 9
callsite say cCharacter__Say 2 int
callsite none cSystem__Nothing 0 0
func initiate
func "Second Function" loop
func odd 3
    push int -5
    push float 2.5
    push floatbits 0x7fc00000
    push string "say \"hi\"\n\x01"
    push string ""
    push bool true
    push bool 7
    push object hero
    push ref "odd name"
    push ref #4
    push tag 9 123
loop:
    pushvar ref counter
    add
    assign
    neg
    mul
    div
    pushreg
    popreg
    tobool
    or
    and
    xor
    not
    nonneg
    inc ref counter
    dec ref #3
    jmp loop
    jz done
    jnz 65535
    native hero say
    native - #7
    eq
done:
    ret
    .byte 0x00 0x19 0xFE
    .u16 0x1234
    .u32 0xdeadbeef
    end
    .byte 0x13 0x01
)";

TEST(ScriptAssembler, DisassemblyAssemblesToTheSameBytes)
{
    const std::vector<std::uint8_t> bytes = AssembleScriptBytes(kProgram);
    ScriptStream parsed;
    ASSERT_TRUE(ParseScriptStream(bytes.data(), bytes.size(), parsed));
    EXPECT_EQ(parsed.variables.size(), 6u);
    EXPECT_EQ(parsed.variables[0].globalName, "g_counter");
    EXPECT_EQ(parsed.variables[2].className, "cCharacter");
    EXPECT_EQ(parsed.variables[5].type, 9u);
    EXPECT_EQ(parsed.functions[2].offset, 3u);
    EXPECT_EQ(parsed.callSites[0].argumentCount, 2u);
    const std::string text = DisassembleScript(parsed);
    EXPECT_EQ(AssembleScriptBytes(text), bytes) << text;
}

TEST(ScriptAssembler, EncodesInstructionsAsTheMachineReadsThem)
{
    const std::vector<std::uint8_t> bytes
        = AssembleScriptBytes("var v int\n callsite c n 1 int\n top:\n push int 258\n jz top\n native v c\n end\n");
    ScriptStream s;
    ASSERT_TRUE(ParseScriptStream(bytes.data(), bytes.size(), s));
    const std::vector<std::uint8_t> code = {0x01, 0x01, 0x02, 0x01, 0x00, 0x00, 0x14, 0x00, 0x00, 0x17, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0xFF};
    EXPECT_EQ(s.code, code);
    EXPECT_EQ(bytes.size(), kScriptHeaderSize + kScriptVariableRecordSize + kScriptCallSiteRecordSize + code.size());
}

TEST(ScriptAssembler, ErrorsNameTheLine)
{
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"end\n frobnicate\n", "line 2: unknown statement frobnicate"},
        {"jmp nowhere\n", "line 1: unknown or unreachable label nowhere"},
        {"pushvar ref ghost\n", "line 1: unknown variable ghost"},
        {"push string \"open\n", "line 1: unterminated string"},
        {"push int 1x\n", "line 1: bad number 1x"},
        {"native - ghost\n", "line 1: unknown call site ghost"},
    };
    for (const auto& c : cases) {
        ScriptStream stream;
        std::string error;
        EXPECT_FALSE(AssembleScript(c.source, stream, error)) << c.source;
        EXPECT_EQ(error, c.message);
    }
    EXPECT_THROW(AssembleScriptBytes("bogus\n"), std::runtime_error);
}

TEST(ScriptAssembler, DisassemblesTruncatedCodeAsRawBytes)
{
    ScriptStream stream;
    stream.code = {0x01, 0x01, 0x00, 0x13};
    const std::string text = DisassembleScript(stream);
    EXPECT_NE(text.find(".byte 0x01"), std::string::npos);
    EXPECT_EQ(AssembleScriptBytes(text), EncodeScriptStream(stream));
}

} // namespace
} // namespace vls::tools
