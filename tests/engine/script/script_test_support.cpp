#include "tests/engine/script/script_test_support.h"

#include "engine/script/script_call_frame.h"
#include "tools/script_assembler.h"

namespace vls::test {

std::unique_ptr<cKestruneScript> ScriptTest::Load(const std::string& source)
{
    const std::vector<std::uint8_t> bytes = tools::AssembleScriptBytes(source);
    auto script = std::make_unique<cKestruneScript>();
    EXPECT_EQ(script->LoadFromMemory(bytes.data(), bytes.size()), 0);
    return script;
}

std::vector<std::vector<ScriptValue>>& CapturedCalls()
{
    static std::vector<std::vector<ScriptValue>> calls;
    return calls;
}

std::int32_t CaptureNative(ScriptCallFrame* frame)
{
    std::vector<ScriptValue> arguments;
    for (std::int32_t i = 0; i < frame->arguments.count; ++i)
        arguments.push_back(frame->arguments.data[i]);
    CapturedCalls().push_back(arguments);
    return 0;
}

} // namespace vls::test
