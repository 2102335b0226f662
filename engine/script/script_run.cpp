#include "engine/base/engine_link.h"
#include "engine/script/script_machine_internal.h"
#include "engine/script/script_typed.h"

#include <climits>

using namespace script_detail;

namespace {

// "#" followed by decimal digits; anything after the digits is ignored. A
// number too large for the code saturates and fails the first fetch.
std::uint32_t ParseResumeOffset(const char* digits)
{
    std::uint64_t offset = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        offset = offset * 10 + static_cast<std::uint32_t>(*digits - '0');
        if (offset > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(offset);
}

} // namespace

std::int32_t cKestruneScript::Fail(const char* message)
{
    ReportError("script", "", 0, "%s", message);
    return -1;
}

void DeleteScript(cKestruneScript* script)
{
    if (!script)
        return;
    if (script->runDepth_ > 0) {
        script->deletePending_ = true;
        RemoveLiveScript(script);
        return;
    }
    delete script;
}

cKestruneScript::RunState& cKestruneScript::AddRunState()
{
    runStates_.push_back(std::make_unique<RunState>());
    return *runStates_.back();
}

// Most runs are short: a function that returns from the fast code never
// needs the run loop.
inline std::int32_t cKestruneScript::Start(std::size_t depth)
{
    RunState& state = depth < runStates_.size() ? *runStates_[depth] : AddRunState();
    // The scratch value lives for one run, and the fast code may write it
    // too; the other items are written before they are read.
    state.scratch.type = 0;
    state.scratch.payload = 0;
    state.scratch.text.clear();
    const std::vector<ScriptInstruction>& table = program_.instructions;
    const ScriptInstruction* first = nullptr;
    // Past the code the run loop reports the overrun.
    if (pc < table.size() - 1) {
        first = &table[pc];
        // Room and variables as the run loop's entry into the fast code
        // wants them; otherwise the run loop enters it itself or runs the
        // long form.
        if (first->op == ScriptOp::Fast && sp + kFastRoomSlots * 5u <= kStackLast
            && program_.fastHighestVariable < static_cast<std::uint32_t>(variables.count)) {
            ScriptFastState fastState;
            fastState.variables = variables.data;
            fastState.variableCount = variables.count;
            fastState.stack = stack;
            fastState.top = sp;
            fastState.leaves = program_.leaves.data();
            fastState.instructions = program_.instructions.data();
            fastState.program = &program_;
            fastState.text = &state.textBuffer;
            fastState.script = this;
            fastState.base = stackBase_;
            std::uint32_t index = first->a;
            const std::uint32_t stop = RunScriptFastCode(program_.fast.data(), index, fastState);
            // A native call left pc and sp in the script, as the run loop's
            // own calls do.
            if (stop == kFastRunEnded)
                return -1;
            if (stop == kFastReload) {
                first = nullptr;
            } else {
                sp = fastState.top;
                const ScriptFastInstruction& stopped = program_.fast[index];
                if (stop == kFastBudgetSpent) {
                    pc = stopped.end;
                    return Fail(kJumpBudgetSpent);
                }
                first = &stopped.general;
            }
        }
        if (first && first->op == ScriptOp::Return) {
            pc = first->next;
            StoreGlobals();
            return 0;
        }
    }
    return Execute(state, first);
}

std::int32_t cKestruneScript::Run(const char* name)
{
    // A script leaves the live list only through DeleteScript, which marks
    // a script whose run is in progress: such a run need not search the list.
    if ((runDepth_ > 0 ? deletePending_ : !IsLiveScript(this)) || !code)
        return -1;
    // Only a damaged savegame can leave sp outside the stack.
    if (sp > kStackLast)
        return Fail(kStackOverflow);
    // A run that starts while another run of this script waits inside a
    // native call works above that run's stack top.
    const std::uint32_t base = runDepth_ > 0 ? sp : 0;
    if (suspendCount == 0)
        sp = base;

    if (!name)
        name = "";
    if (name[0] == 0) {
        pc = 0;
    } else if (name[0] == '#') {
        pc = ParseResumeOffset(name + 1);
        if (suspendCount > 0)
            --suspendCount;
    } else {
        const std::int32_t found = FindFunction(name);
        if (found < 0)
            return -10;
        pc = functions.data[found].offset;
    }
    LoadGlobals();

    const std::uint32_t savedBase = stackBase_;
    stackBase_ = base;
    const auto depth = static_cast<std::size_t>(runDepth_++);
    const std::int32_t result = Start(depth);
    --runDepth_;
    stackBase_ = savedBase;
    if (deletePending_) {
        if (runDepth_ == 0)
            delete this;
        return -1;
    }
    return result;
}

std::int32_t cKestruneScript::RunAfterCall(const char* resumePoint, const ScriptValue& result)
{
    if (!resumePoint || resumePoint[0] != '#' || suspendCount > 0 || runDepth_ > 0 || !IsLiveScript(this) || !code)
        return Run(resumePoint);
    sp = 0;
    if (!Push(result))
        return -1;
    // Held as a suspension so that Run keeps the stack it starts with.
    ++suspendCount;
    return Run(resumePoint);
}

// The variable takes the popped value's views and keeps its own type.
void cKestruneScript::AssignItem(
    ScriptValue& variable, std::uint32_t type, std::uint32_t p, const std::string& text) const
{
    switch (type) {
    case kScriptInteger:
    case kScriptFloat:
    case kScriptBoolean:
        AssignPlainViews(variable, type, p);
        return;
    case kScriptString:
        AssignTextViews(variable, text.c_str());
        return;
    default:
        // A popped object or reference carries only its payload.
        variable.intValue = type == kScriptReference ? static_cast<std::int32_t>(p) : 0;
        variable.floatValue = 0.0f;
        variable.boolValue = 0;
        variable.ClearText();
        variable.object = type == kScriptObject ? p : kNoObject;
        return;
    }
}
