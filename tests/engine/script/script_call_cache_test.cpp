// What the call paths remember between calls (functions found by name, the
// variables that are windows onto globals, the call frames of natives) must
// follow the script when its tables change, and a run by name from inside a
// call must leave the outer run as it was.

#include "engine/script/script_call_frame.h"
#include "tests/engine/script/script_test_support.h"
#include "tools/script_assembler.h"

namespace vls::test {
namespace {

// Loads source into an existing script, as a scene does when it reloads.
void Reload(cKestruneScript& script, const std::string& source)
{
    const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes(source);
    ASSERT_EQ(script.LoadFromMemory(bytes.data(), bytes.size()), 0);
}

// A function that sets the variable r to value.
std::string Setter(const std::string& name, int value)
{
    return "func " + name + "\n push ref r\n push int " + std::to_string(value) + "\n assign\n ret\n";
}

TEST_F(ScriptTest, FunctionsAreFoundInTheTablesOfTheLastLoad)
{
    const auto script = Load("var r int\n" + Setter("twice", 1) + Setter("other", 9));
    EXPECT_EQ(script->Run("twice"), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 1);

    // The same names at other places of a table of the same size.
    Reload(*script, "var r int\n" + Setter("other", 8) + Setter("TWICE", 2));
    EXPECT_EQ(script->Run("twice"), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 2);
    EXPECT_EQ(script->Run("Other"), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 8);

    Reload(*script, "var r int\n func other\n ret\n");
    EXPECT_EQ(script->Run("twice"), -10);
    Reload(*script, "ret\n");
    EXPECT_EQ(script->Run("other"), -10);
    EXPECT_TRUE(link.reports.empty()) << link.LastText();
}

// Many functions, some alike but for case or for a character, as a scene
// script's handlers are: each name finds the first of its equals.
TEST_F(ScriptTest, EveryFunctionOfALargeTableIsFoundByItsName)
{
    std::string source = "var r int\n";
    for (int i = 0; i < 40; ++i)
        source += Setter("on_use_" + std::to_string(i), i);
    source += Setter("ON_USE_7", 700);
    const auto script = Load(source);
    for (int i = 39; i >= 0; --i) {
        EXPECT_EQ(script->Run(("On_Use_" + std::to_string(i)).c_str()), 0) << i;
        EXPECT_EQ(script->Variable(0)->intValue, i);
    }
    EXPECT_EQ(script->Run("on_use_40"), -10);
    EXPECT_EQ(script->Run("on_use_"), -10);
    EXPECT_EQ(script->Run("on_use_7"), 0);
    EXPECT_EQ(script->Variable(0)->intValue, 7);
}

TEST_F(ScriptTest, GlobalWindowsFollowTheVariablesOfTheLastLoad)
{
    auto script = Load("var a int\n func set\n push ref a\n push int 4\n assign\n ret\n");
    EXPECT_EQ(script->Run("set"), 0);
    EXPECT_EQ(globals.entries.count, 0);

    // The same table size, now with a window.
    Reload(*script, "var a int global g_a\n func set\n push ref a\n push int 5\n assign\n ret\n");
    EXPECT_EQ(script->Run("set"), 0);
    ASSERT_EQ(globals.entries.count, 1);
    EXPECT_EQ(globals.entries.data[0].intValue, 5);

    Reload(*script, "var a int\n func set\n push ref a\n push int 6\n assign\n ret\n");
    EXPECT_EQ(script->Run("set"), 0);
    EXPECT_EQ(globals.entries.data[0].intValue, 5);

    // A variable that the engine adds to a loaded table is a window too.
    ScriptValue added(kScriptInteger);
    added.name = "b";
    added.globalName = "g_b";
    added.intValue = 3;
    script->variables.Add(added);
    EXPECT_EQ(script->Run("set"), 0);
    ASSERT_EQ(globals.entries.count, 2);
    EXPECT_EQ(globals.entries.data[1].intValue, 0); // loaded fresh at the start, then published
}

// Publishing and loading work on the entries in place; what they leave must
// be what a normalised copy of the variable, and a copy of the entry, give.
TEST_F(ScriptTest, GlobalsPublishNormalisedCopiesAndLoadWholeEntries)
{
    const auto script = Load("var n int global g_n\n var f float global g_f\n var s string global g_s\n"
                             "var o object class cObject global g_o\n var link ref global g_link\n"
                             "func set\n push ref n\n push float 3.9\n assign\n"
                             "push ref f\n push int 2\n assign\n push ref s\n push int 12\n assign\n ret\n");
    for (int round = 0; round < 2; ++round) {
        // The second round publishes into the entries the first one made.
        EXPECT_EQ(script->Run("set"), 0) << round;
        ASSERT_EQ(globals.entries.count, 4) << round; // a variable reference is no window
        const ScriptValue& n = globals.entries.data[0];
        EXPECT_EQ(n.intValue, 3) << round;
        EXPECT_EQ(n.floatValue, 3.0f) << round;
        EXPECT_STREQ(n.GetText(), "3") << round;
        EXPECT_STREQ(n.name.GetText(), "n") << round;
        EXPECT_EQ(globals.entries.data[1].floatValue, 2.0f) << round;
        EXPECT_STREQ(globals.entries.data[1].GetText(), "2.") << round;
        EXPECT_STREQ(globals.entries.data[2].GetText(), "12") << round;
        EXPECT_EQ(globals.entries.data[2].intValue, 0) << round;
        EXPECT_STREQ(globals.entries.data[3].className.GetText(), "cObject") << round;
    }

    // An entry of another type gives the window its type and all its views;
    // the window keeps its own name and class name.
    ScriptValue& entry = globals.entries.data[0];
    entry.type = kScriptString;
    entry.SetText("true");
    entry.boolValue = 1;
    entry.intValue = 0;
    entry.name = "elsewhere";
    const auto reader = Load("var mine int global g_n\n ret\n end\n");
    EXPECT_EQ(reader->Run("#1"), -1); // the end instruction: loads, publishes nothing
    const ScriptValue* const window = reader->Variable(0);
    EXPECT_EQ(window->type, kScriptString);
    EXPECT_STREQ(window->GetText(), "true");
    EXPECT_EQ(window->boolValue, 1);
    EXPECT_STREQ(window->name.GetText(), "mine");
    EXPECT_STREQ(window->globalName.GetText(), "g_n");
}

std::vector<std::string> g_seenNames;

// Leaves names on its argument slot, which the next call must not see.
std::int32_t NamingNative(ScriptCallFrame* frame)
{
    g_seenNames.push_back(std::string(frame->Argument(0).name.GetText()) + "/"
        + frame->Argument(0).className.GetText() + "/" + frame->Argument(0).globalName.GetText());
    for (std::int32_t i = 0; i < frame->arguments.count; ++i) {
        frame->arguments.data[i].name = "left";
        frame->arguments.data[i].className = "behind";
        frame->arguments.data[i].globalName = "here";
    }
    return 0;
}

TEST_F(ScriptTest, ArgumentsNeverKeepNamesANativeGaveThem)
{
    RegisterScriptNative("test__Naming", NamingNative);
    g_seenNames.clear();
    const auto script = Load("callsite name test__Naming 1 int\n"
                             "push int 1\n native - name\n popreg\n push float 2\n native - name\n popreg\n"
                             "push bool true\n native - name\n popreg\n push string \"x\"\n native - name\n popreg\n"
                             "push int 5\n native - name\n popreg\n ret\n");
    EXPECT_EQ(script->Run(""), 0);
    EXPECT_EQ(g_seenNames, std::vector<std::string>(5, "//"));
}

// Texts are taken off the stack a word at a time when they are short: every
// length around the word sizes must arrive whole, whether the text lies at
// the bottom of the stack or on other values.
TEST_F(ScriptTest, TextArgumentsOfEveryLengthArriveWhole)
{
    RegisterScriptNative("test__Capture", CaptureNative);
    for (const std::size_t length : {0, 1, 3, 4, 6, 7, 8, 9, 14, 15, 16, 17, 40}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        if (length == 4)
            text = "true";
        CapturedCalls().clear();
        const auto script = Load("callsite one test__Capture 1 int\n callsite two test__Capture 2 int\n"
                                 "push string \"" + text + "\"\n native - one\n popreg\n"
                                 "push int 9\n push string \"" + text + "\"\n native - two\n popreg\n"
                                 "push string \"" + text + "\"\n push int 9\n native - two\n ret\n");
        EXPECT_EQ(script->Run(""), 0) << length;
        ASSERT_EQ(CapturedCalls().size(), 3u) << length;
        for (const ScriptValue* value : {&CapturedCalls()[0][0], &CapturedCalls()[1][1], &CapturedCalls()[2][0]}) {
            EXPECT_EQ(value->type, kScriptString) << length;
            EXPECT_EQ(value->GetText(), text) << length;
            EXPECT_EQ(value->boolValue, length == 4) << length;
        }
        EXPECT_EQ(CapturedCalls()[1][0].intValue, 9) << length;
        EXPECT_EQ(CapturedCalls()[2][1].intValue, 9) << length;
        // Only the last call's result is left.
        EXPECT_EQ(script->sp, 5u) << length;
    }
    EXPECT_TRUE(link.reports.empty()) << link.LastText();
}

// An argument keeps the storage of the text it held when the same text comes
// again: texts that share a beginning with the one held, shorter or longer,
// must replace it whole.
TEST_F(ScriptTest, ArgumentTextsSharingABeginningReplaceEachOther)
{
    RegisterScriptNative("test__Capture", CaptureNative);
    CapturedCalls().clear();
    const std::vector<std::string> texts = {"abc", "abcdef", "abc", "abd", "", "abd", "abcdefghijklmno", "abcdefgh"};
    std::string source = "callsite one test__Capture 1 int\n";
    for (const std::string& text : texts)
        source += "push string \"" + text + "\"\n native - one\n popreg\n";
    const auto script = Load(source + "ret\n");
    EXPECT_EQ(script->Run(""), 0);
    ASSERT_EQ(CapturedCalls().size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(CapturedCalls()[i][0].GetText(), texts[i]) << i;
    EXPECT_TRUE(link.reports.empty()) << link.LastText();
}

std::vector<std::int32_t> g_innerResults;

// Runs the function its second argument names, of its own script, keeping
// the caller's point, as a native that evaluates a dialogue option does.
std::int32_t RunByNameNative(ScriptCallFrame* frame)
{
    cKestruneScript* const script = frame->script;
    const std::string function = frame->Argument(1).GetText();
    script->PushFrame();
    g_innerResults.push_back(script->Run(function.c_str()));
    script->PopFrame();
    frame->result.intValue = 70;
    return 0;
}

// What the natives of the nested-run tests record starts empty.
void StartNestedCalls()
{
    RegisterScriptNative("test__Capture", CaptureNative);
    CapturedCalls().clear();
    g_innerResults.clear();
}

// Runs the function its argument names straight from the argument's text.
std::int32_t RunNestedNative(ScriptCallFrame* frame)
{
    g_innerResults.push_back(frame->script->RunNested(frame->Argument(0).GetText()));
    frame->result.intValue = 70;
    return 0;
}

// Each nested run starts with an empty scratch value, whatever the run
// before it at the same depth left there, and the caller goes on from its
// own point on its own stack; an unknown name runs nothing.
TEST_F(ScriptTest, NestedRunsByNameStartFreshAndLeaveTheCallerAsItWas)
{
    RegisterScriptNative("test__RunNested", RunNestedNative);
    StartNestedCalls();
    // probe captures the scratch value it starts with, then leaves a text there.
    const std::string probe = "func probe\n pushreg\n native - cap\n popreg\n push string \"left\"\n popreg\n"
                              "inc ref calls\n ret\n";
    const auto script = Load("var calls int\n callsite run test__RunNested 1 int\n callsite cap test__Capture 1 int\n"
                             "func main\n push int 5\n push string \"probe\"\n native - run\n"
                             "push string \"PROBE\"\n native - run\n push string \"nothing\"\n native - run\n"
                             "add\n add\n add\n native - cap\n ret\n" + probe);
    EXPECT_EQ(script->Run("main"), 0);
    EXPECT_EQ(g_innerResults, (std::vector<std::int32_t>{0, 0, -10}));
    ASSERT_TRUE(link.reports.empty()) << link.LastText();
    ASSERT_EQ(CapturedCalls().size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(CapturedCalls()[i][0].type, 0u) << i;
        EXPECT_STREQ(CapturedCalls()[i][0].GetText(), "") << i;
    }
    // 5 and the three calls' results, added on the caller's stack.
    EXPECT_EQ(CapturedCalls()[2][0].intValue, 5 + 3 * 70);
    EXPECT_EQ(script->Variable(0)->intValue, 2);
    EXPECT_EQ(script->frames, nullptr);
}

std::string g_nestedResume;

std::int32_t SuspendInNestedRunNative(ScriptCallFrame* frame)
{
    g_nestedResume = SuspendScript(frame->script);
    return 0;
}

// The callee is suspended by a native of its own: its run ends at the end
// instruction, the outer run goes on after its call as if the callee had
// returned, and the resume later runs the rest of the callee.
TEST_F(ScriptTest, ACalleeThatSuspendsEndsItsRunAndTheCallerGoesOn)
{
    RegisterScriptNative("test__RunByName", RunByNameNative);
    RegisterScriptNative("test__SuspendNested", SuspendInNestedRunNative);
    StartNestedCalls();
    const auto script = Load("var steps int\n var g int global g_talk\n"
                             "callsite run test__RunByName 2 int\n callsite wait test__SuspendNested 0 int\n"
                             "callsite cap test__Capture 1 int\n"
                             "func main\n push int 0\n push string \"talk\"\n native - run\n native - cap\n"
                             "inc ref steps\n ret\n"
                             "func talk\n push ref g\n push int 4\n assign\n native - wait\n popreg\n"
                             "inc ref steps\n inc ref steps\n ret\n end\n");
    EXPECT_EQ(script->Run("main"), 0);
    ASSERT_TRUE(link.reports.empty()) << link.LastText();
    EXPECT_EQ(g_innerResults, std::vector<std::int32_t>{-1});
    ASSERT_EQ(CapturedCalls().size(), 1u);
    EXPECT_EQ(CapturedCalls()[0][0].intValue, 70); // the outer call's own result
    EXPECT_EQ(script->Variable(0)->intValue, 1);
    EXPECT_EQ(script->frames, nullptr);
    EXPECT_EQ(script->suspendCount, 1);
    // The global set before the suspension was published by it.
    EXPECT_EQ(globals.FetchGlobal("g_talk", kScriptInteger).intValue, 4);

    EXPECT_EQ(ResumeScript(script.get(), g_nestedResume.c_str()), 0);
    EXPECT_EQ(script->suspendCount, 0);
    EXPECT_EQ(script->Variable(0)->intValue, 3);
    EXPECT_TRUE(link.reports.empty()) << link.LastText();
}

} // namespace
} // namespace vls::test
