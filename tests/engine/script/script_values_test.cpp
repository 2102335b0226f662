// Instructions that compute values, checked through the value a native receives.

#include "engine/script/script_call_frame.h"
#include "engine/script/script_format.h"
#include "tests/engine/script/script_test_support.h"

#include <cmath>
#include <cstring>

namespace vls::test {
namespace {

struct ValueCase {
    const char* label;
    const char* code; // leaves one value on the stack
    std::uint32_t type;
    const char* text;
    std::int32_t intValue;
    float floatValue;
    bool boolValue;
};

const ValueCase kValueCases[] = {
    // Arithmetic goes by the type of the value pushed first.
    {"int plus float", "push int 7\n push float 2.5\n add", kScriptInteger, "9", 9, 9.0f, true},
    {"float plus int", "push float 2.5\n push int 7\n add", kScriptFloat, "9.5", 9, 9.5f, true},
    {"string plus int", "push string \"abc\"\n push int 12\n add", kScriptString, "abc12", 0, 0.0f, false},
    {"int plus string", "push int 12\n push string \"abc\"\n add", kScriptInteger, "12", 12, 12.0f, true},
    {"string plus float", "push string \"x\"\n push float 0.5\n add", kScriptString, "x0.5", 0, 0.0f, false},
    {"string plus bool", "push string \"\"\n push bool true\n add", kScriptString, "true", 0, 0.0f, true},
    {"bool plus int keeps bool", "push bool true\n push int 4\n add", kScriptBoolean, "true", 1, 1.0f, true},
    {"int add wraps", "push int 2147483647\n push int 1\n add", kScriptInteger, "-2147483648", INT32_MIN,
        -2147483648.0f, true},
    {"int multiply wraps", "push int 65536\n push int 65536\n mul", kScriptInteger, "0", 0, 0.0f, false},
    {"int divide truncates", "push int -7\n push int 2\n div", kScriptInteger, "-3", -3, -3.0f, true},
    {"minimum int divided by -1 wraps", "push int -2147483648\n push int -1\n div", kScriptInteger, "-2147483648",
        INT32_MIN, -2147483648.0f, true},
    {"float divide by zero", "push float 1\n push int 0\n div", kScriptFloat, "1.#INF", INT32_MIN, INFINITY, true},
    {"float multiply", "push float 1.5\n push float 4\n mul", kScriptFloat, "6.", 6, 6.0f, true},
    {"negate int", "push int 5\n neg", kScriptInteger, "-5", -5, -5.0f, true},
    {"negate float", "push float 2.5\n neg", kScriptFloat, "-2.5", -2, -2.5f, true},
    {"negate string is unchanged", "push string \"x\"\n neg", kScriptString, "x", 0, 0.0f, false},
    {"int or", "push int 12\n push int 3\n or", kScriptInteger, "15", 15, 15.0f, true},
    {"int and", "push int 12\n push int 10\n and", kScriptInteger, "8", 8, 8.0f, true},
    {"int xor", "push int 12\n push int 10\n xor", kScriptInteger, "6", 6, 6.0f, true},
    {"float or uses the integer views", "push float 2.7\n push float 1.2\n or", kScriptFloat, "3.", 3, 3.0f, true},
    {"bool and", "push bool true\n push bool false\n and", kScriptBoolean, "false", 0, 0.0f, false},
    {"bool xor with int view", "push bool true\n push int 9\n xor", kScriptBoolean, "false", 0, 0.0f, false},
    {"not bool", "push bool true\n not", kScriptBoolean, "false", 0, 0.0f, false},
    {"not int is unchanged", "push int 5\n not", kScriptInteger, "5", 5, 5.0f, true},
    {"to boolean of int", "push int -3\n tobool", kScriptBoolean, "true", 1, 1.0f, true},
    {"to boolean of NaN", "push floatbits 0x7fc00000\n tobool", kScriptBoolean, "false", 0, 0.0f, false},
    {"string TRUE is false", "push string \"TRUE\"\n tobool", kScriptBoolean, "false", 0, 0.0f, false},
    {"string true is true", "push string \"true\"\n tobool", kScriptBoolean, "true", 1, 1.0f, true},
    {"non-negative int", "push int 0\n nonneg", kScriptBoolean, "true", 1, 1.0f, true},
    {"negative int", "push int -1\n nonneg", kScriptBoolean, "false", 0, 0.0f, false},
    {"negative float", "push float -0.5\n nonneg", kScriptBoolean, "false", 0, 0.0f, false},
    {"NaN is not non-negative", "push floatbits 0x7fc00000\n nonneg", kScriptBoolean, "false", 0, 0.0f, false},
    {"equal ignores case", "push string \"Door\"\n push string \"dOOR\"\n eq", kScriptBoolean, "true", 1, 1.0f,
        true},
    {"equal strings differ", "push string \"door\"\n push string \"doors\"\n eq", kScriptBoolean, "false", 0, 0.0f,
        false},
    {"equal int against float view", "push int 3\n push float 3.9\n eq", kScriptBoolean, "true", 1, 1.0f, true},
    {"equal NaN on either side", "push float 1\n push floatbits 0x7fc00000\n eq", kScriptBoolean, "true", 1, 1.0f,
        true},
    {"equal bool against int view", "push bool true\n push int 5\n eq", kScriptBoolean, "true", 1, 1.0f, true},
    {"string against int text", "push string \"12\"\n push int 12\n eq", kScriptBoolean, "true", 1, 1.0f, true},
    // The float's text.
    {"twelve", "push float 12", kScriptFloat, "12.", 12, 12.0f, true},
    {"a half", "push float 0.5", kScriptFloat, "0.5", 0, 0.5f, true},
    {"ten million", "push float 1e7", kScriptFloat, "1.e+007", 10000000, 1e7f, true},
    {"largest fixed", "push float 123456", kScriptFloat, "123456.", 123456, 123456.0f, true},
    {"small exponent", "push float 0.01", kScriptFloat, "1.e-002", 0, 0.01f, true},
    {"six digits", "push float 3.14159274", kScriptFloat, "3.14159", 3, 3.14159274f, true},
    // The notation follows the exponent after rounding to 6 digits.
    {"rounds up into exponent notation", "push float 999999.5", kScriptFloat, "1.e+006", 999999, 999999.5f, true},
    {"rounds up into fixed notation", "push floatbits 0x3dcccccc", kScriptFloat, "0.1", 0, 0.099999994f, true},
    {"rounds up within fixed notation", "push float 99999.95", kScriptFloat, "100000.", 99999, 99999.95f, true},
    {"float too large for int", "push float 3e9", kScriptFloat, "3.e+009", INT32_MIN, 3e9f, true},
    // The integer view at the edges of the int32 range, and of a NaN.
    {"float too small for int", "push float -3e9", kScriptFloat, "-3.e+009", INT32_MIN, -3e9f, true},
    {"largest float below 2^31", "push float 2147483520", kScriptFloat, "2.14748e+009", 2147483520, 2147483520.0f,
        true},
    {"float of the lowest int", "push float -2147483648", kScriptFloat, "-2.14748e+009", INT32_MIN, -2147483648.0f,
        true},
    {"NaN has the lowest int", "push floatbits 0x7fc00000", kScriptFloat, "1.#QNAN", INT32_MIN, NAN, false},
    {"fraction truncates toward zero", "push float -2.75", kScriptFloat, "-2.75", -2, -2.75f, true},
    // The scratch register.
    {"scratch register", "push int 4\n popreg\n pushreg\n pushreg\n add", kScriptInteger, "8", 8, 8.0f, true},
    // An operand of unknown type keeps only its tag and skips its 4 bytes.
    {"unknown operand type", "push tag 9 123\n push int 1\n add", 9, "", 0, 0.0f, false},
};

class ScriptValueTable : public ScriptTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ScriptValueTable, NativeReceivesTheComputedValue)
{
    const ValueCase& c = GetParam();
    RegisterScriptNative("test__Capture", CaptureNative);
    CapturedCalls().clear();
    const auto script = Load(std::string("callsite cap test__Capture 1 int\n") + c.code + "\n native - cap\n end\n");
    EXPECT_EQ(script->Run(""), -1);
    ASSERT_TRUE(link.reports.empty()) << link.LastText();
    ASSERT_EQ(CapturedCalls().size(), 1u);
    ASSERT_EQ(CapturedCalls()[0].size(), 1u);
    const ScriptValue& v = CapturedCalls()[0][0];
    EXPECT_EQ(v.type, c.type);
    EXPECT_STREQ(v.GetText(), c.text);
    EXPECT_EQ(v.intValue, c.intValue);
    if (std::isnan(c.floatValue))
        EXPECT_TRUE(std::isnan(v.floatValue));
    else
        EXPECT_EQ(std::memcmp(&v.floatValue, &c.floatValue, sizeof(float)) == 0 || v.floatValue == c.floatValue,
            true)
            << v.floatValue;
    EXPECT_EQ(v.boolValue != 0, c.boolValue);
}

INSTANTIATE_TEST_SUITE_P(Instructions, ScriptValueTable, ::testing::ValuesIn(kValueCases),
    [](const ::testing::TestParamInfo<ValueCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST_F(ScriptTest, StackEncodingMatchesTheByteLayout)
{
    auto script = Load("end\n");
    script->sp = 0;
    ASSERT_TRUE(script->Push(ScriptValue::Integer(5)));
    ASSERT_TRUE(script->Push(ScriptValue::String("ab")));
    const std::uint8_t expected[] = {0x00, 0x00, 0x00, 0x05, 0x01, 0x00, 0x62, 0x61, 0x03};
    EXPECT_EQ(script->sp, 9u);
    EXPECT_EQ(std::memcmp(script->stack + 1, expected, sizeof expected), 0);
    EXPECT_STREQ(script->Pop().GetText(), "ab");
    const ScriptValue five = script->Pop();
    EXPECT_EQ(five.type, kScriptInteger);
    EXPECT_EQ(five.intValue, 5);
    EXPECT_STREQ(five.GetText(), "5");
    EXPECT_EQ(script->sp, 0u);
    // Name, class and global name do not survive the stack.
    ScriptValue named = ScriptValue::Integer(1);
    named.name = "n";
    named.globalName = "g";
    script->Push(named);
    const ScriptValue back = script->Pop();
    EXPECT_STREQ(back.name.GetText(), "");
    EXPECT_STREQ(back.globalName.GetText(), "");
}

struct VariableCase {
    const char* label;
    const char* type;
    const char* code; // works on variable v
    std::int32_t intValue;
    const char* text;
};

const VariableCase kVariableCases[] = {
    {"float assigned to int keeps the integer view", "int", "push ref v\n push float 3.9\n assign", 3, "3.9"},
    {"string assigned to int", "int", "push ref v\n push string \"5\"\n assign", 0, "5"},
    {"increment int", "int", "push ref v\n push int 41\n assign\n inc ref v", 42, "41"},
    {"decrement int wraps", "int", "push ref v\n push int -2147483648\n assign\n dec ref v", INT32_MAX,
        "-2147483648"},
    {"decrement string", "string", "push ref v\n push string \"ab\"\n assign\n dec ref v", 0, "a"},
    {"decrement empty string", "string", "dec ref v", 0, ""},
    {"increment string appends a blank", "string", "push ref v\n push string \"a\"\n assign\n inc ref v", 0, "a "},
    {"assign to a non-reference does nothing", "int", "push int 3\n push int 4\n assign", 0, ""},
    {"increment of a non-reference does nothing", "int", "inc int 3", 0, ""},
};

class ScriptVariableTable : public ScriptTest, public ::testing::WithParamInterface<VariableCase> {};

TEST_P(ScriptVariableTable, VariableKeepsItsTypeAndTakesTheViews)
{
    const VariableCase& c = GetParam();
    const auto script = Load(std::string("var v ") + c.type + "\n" + c.code + "\n end\n");
    EXPECT_EQ(script->Run(""), -1);
    ASSERT_TRUE(link.reports.empty()) << link.LastText();
    const ScriptValue& v = *script->Variable(0);
    EXPECT_STREQ(v.GetText(), c.text);
    EXPECT_EQ(v.intValue, c.intValue);
}

INSTANTIATE_TEST_SUITE_P(Instructions, ScriptVariableTable, ::testing::ValuesIn(kVariableCases),
    [](const ::testing::TestParamInfo<VariableCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST_F(ScriptTest, FloatAndBooleanVariablesStepInPlace)
{
    const auto script = Load("var f float\n var b bool\n"
                             "push ref f\n push float 1.5\n assign\n inc ref f\n inc ref b\n"
                             "pushvar ref f\n popreg\n end\n");
    script->Run("");
    EXPECT_EQ(script->Variable(0)->floatValue, 2.5f);
    EXPECT_EQ(script->Variable(1)->boolValue, 1);
    const auto down = Load("var b bool\n push ref b\n push bool true\n assign\n dec ref b\n end\n");
    down->Run("");
    EXPECT_EQ(down->Variable(0)->boolValue, 0);
}

TEST_F(ScriptTest, VariableIndexPastTheEndNamesTheLastVariable)
{
    const auto script = Load("var a int\n var b int\n push ref #7\n push int 9\n assign\n end\n");
    script->Run("");
    EXPECT_EQ(script->Variable(0)->intValue, 0);
    EXPECT_EQ(script->Variable(1)->intValue, 9);
}

} // namespace
} // namespace vls::test
