#pragma once

#include "engine/base/dynarray.h"
#include "engine/script/script_format.h"
#include "engine/script/script_program.h"
#include "engine/script/script_value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ScriptBlockFrame;
struct SavegameBlockHeader;

// One saved execution point of a script, for re-entrant runs.
struct ScriptFrameEntry {
    std::uint32_t pc = 0;
    std::uint32_t sp = 0;
    ScriptFrameEntry* next = nullptr;
};

// A compiled script: its code, variables, functions, call sites and its value
// stack. Every script is listed in the engine's live-script list from
// construction to destruction; only listed scripts run.
class cKestruneScript {
public:
    cKestruneScript();
    ~cKestruneScript();
    cKestruneScript(const cKestruneScript&) = delete;
    cKestruneScript& operator=(const cKestruneScript&) = delete;

    // Reads one compiled script from the open datafile slot at its position.
    // 0 when the script loaded, -1 when its data was short or damaged (the
    // failure has been reported; such a script never runs).
    std::int32_t Load(std::int32_t slot);
    // The same from a stream held in memory.
    std::int32_t LoadFromMemory(const std::uint8_t* data, std::size_t size);

    // Runs from a start point: "" = offset 0, "#<offset>" = a resume point,
    // else a function name (ASCII case ignored). 0 after a return, -1 after
    // the end instruction, an error or for a script that is not live, -10 for
    // an unknown function.
    std::int32_t Run(const char* name);
    // Runs from a resume point handed out without a suspension, after the
    // run that made the call has gone on and dropped the call's result: the
    // code at the resume point drops it again, so the run starts on a stack
    // that holds `result` alone. A script that is suspended or running keeps
    // its stack, and a function name runs as Run does.
    std::int32_t RunAfterCall(const char* resumePoint, const ScriptValue& result);

    // The stack encoding; both normalise. Push is false (and reported) when
    // the value does not fit; Pop of an empty stack reports and yields an
    // empty value.
    bool Push(const ScriptValue& value);
    ScriptValue Pop();
    // Reads one typed operand at pc and advances pc.
    ScriptValue DecodeOperand();

    // Most scripts have no global variables: the tables are looked at only
    // for the variables that carry a global name.
    void LoadGlobals()
    {
        if (HasGlobalNamed())
            LoadGlobalsFrom();
    }
    void StoreGlobals() const
    {
        if (HasGlobalNamed())
            StoreGlobalsFrom();
    }

    // The first function whose name equals name without regard to ASCII
    // case, or -1. Natives run the same function again and again (an
    // option's test, a character's handler): the name found last is tried
    // first, as it is, without a call.
    std::int32_t FindFunction(const char* name) const
    {
        if (lastFunction_ >= 0 && functionSlotsFor_ == functions.data && functionSlotsCount_ == functions.count
            && IsLastFunctionName(name))
            return lastFunction_;
        return LookUpFunction(name);
    }

    std::int32_t CallNative(std::uint32_t callSiteIndex, std::uint32_t variableIndex);
    // The fast code's runner of a native call (script_typed.h).
    static std::uint64_t RunNativeInFastCode(ScriptFastInstruction& in, ScriptFastState& state,
        ScriptValue* variables, std::uint8_t* code, std::uint32_t chain);
    // The fast code's runner of a popreg, which writes the run's scratch
    // value (script_fast_call.cpp).
    static std::uint64_t PopScratchInFastCode(ScriptFastInstruction& in, ScriptFastState& state,
        ScriptValue* variables, std::uint8_t* code, std::uint32_t chain);
    static std::int32_t BindNative(const char* name);
    // Natives that run a function of their own script call these around the
    // run, so they are inline; a popped entry is kept for the next push.
    ScriptFrameEntry* PushFrame()
    {
        StoreGlobals();
        if (spareFrame_) {
            *spareFrame_ = ScriptFrameEntry{pc, sp, frames};
            frames = spareFrame_;
            spareFrame_ = nullptr;
        } else {
            frames = new ScriptFrameEntry{pc, sp, frames};
        }
        return frames;
    }
    void PopFrame()
    {
        if (!frames)
            return;
        ScriptFrameEntry* const entry = frames;
        pc = entry->pc;
        sp = entry->sp;
        frames = entry->next;
        delete spareFrame_;
        spareFrame_ = entry;
        LoadGlobals();
    }
    // PushFrame, Run and PopFrame in one, for a native that this script
    // called and that runs a function of it by name. name is read before the
    // run starts, so it may be a text of the native's own call frame.
    std::int32_t RunNested(const char* name)
    {
        PushFrame();
        const std::int32_t result = Run(name);
        PopFrame();
        return result;
    }

    // Variable i by the DynArray rule; null for a negative index or an empty table.
    ScriptValue* Variable(std::int32_t index)
    {
        if (index < 0 || variables.count <= 0)
            return nullptr;
        return &variables.data[index < variables.count ? index : variables.count - 1];
    }
    const ScriptValue* Variable(std::int32_t index) const
    {
        return const_cast<cKestruneScript*>(this)->Variable(index);
    }
    // Whether code was loaded (a script whose code failed to load never runs).
    bool HasCode() const { return code != nullptr; }
    // Whether a run of this script is in progress.
    bool IsRunning() const { return runDepth_ > 0; }
    // The identity a savegame records for this script: a serial number, never
    // 0, unique among the scripts of the process. A savegame reader hands it
    // back to the script it restores as id, which FindScriptById matches.
    std::uint32_t SaveIdentity() const { return serial_; }
    // Takes a restored identity; a live script that held it gets a fresh one,
    // and later scripts are numbered above it, so identities stay unique.
    void AdoptSaveIdentity(std::uint32_t identity);
    // Replaces the frame list with entries given newest first.
    void ReplaceFrames(const std::vector<ScriptBlockFrame>& entries);

    // The "SCR" savegame block (script_savegame.cpp). LoadBlock is false when
    // the payload is damaged or does not fit this script's code; the script
    // is then left as it was. Either way the next header is left in header.
    void SaveBlock(int file, const char* name) const;
    bool LoadBlock(int file, SavegameBlockHeader& header);

    // Fields, in the engine's order. pc and sp are offsets into code and stack.
    std::uint32_t pc = 0;
    std::uint32_t sp = 0; // the last byte written; 0 (the unused first byte) when empty
    std::uint8_t* stack = nullptr;
    ScriptFrameEntry* frames = nullptr; // newest first
    std::uint32_t id = 0;
    std::uint32_t codeSize = 0;
    std::uint32_t variableCount = 0;
    std::uint32_t functionCount = 0;
    std::uint32_t callSiteCount = 0;
    DynArray<ScriptValue> variables;
    DynArray<ScriptCallSite> callSites;
    DynArray<ScriptFunction> functions;
    std::uint8_t* code = nullptr;
    std::int32_t suspendCount = 0;

private:
    struct RunState;
    struct StackItem;

    // Runs the program from pc, or from first (an instruction of the
    // program's tables) when given.
    std::int32_t Execute(RunState& state, const ScriptInstruction* first = nullptr);
    std::int32_t CallNativeBody(std::uint32_t callSiteIndex, std::uint32_t variableIndex);
    // A native call from the fast code, whose stack top is state.top: 0 when
    // it goes on with the tables it has and room on the stack, 1 when the run
    // loop must take up pc, sp and the tables again, -1 when the run ends.
    std::int32_t CallNativeInFastCode(const ScriptInstruction& call, ScriptFastState& state);
    // A run state for the next depth.
    RunState& AddRunState();
    // Runs from pc at depth: a start in the fast code runs there first, and
    // a run that returns from it needs nothing else.
    std::int32_t Start(std::size_t depth);
    std::int32_t LookUpFunction(const char* name) const;
    bool IsLastFunctionName(const char* name) const
    {
        for (const char* last = lastFunctionName_;; ++name, ++last) {
            if (*name != *last)
                return false;
            if (*name == 0)
                return true;
        }
    }
    // The indexes of the variables with a global name, in table order. The
    // names come with the compiled script, so the list is made once for a
    // table; a table that was grown or replaced from outside gets a new one.
    const std::vector<std::int32_t>& GlobalNamed() const
    {
        if (globalNamedFor_ != variables.data || globalNamedCount_ != variables.count)
            ListGlobalNamed();
        return globalNamed_;
    }
    void ListGlobalNamed() const;
    // Whether GlobalNamed lists any, told by a flag of its own, as every run
    // and every nested run asks several times.
    bool HasGlobalNamed() const
    {
        if (globalNamedFor_ != variables.data || globalNamedCount_ != variables.count)
            ListGlobalNamed();
        return hasGlobalNamed_;
    }
    void LoadGlobalsFrom();
    void StoreGlobalsFrom() const;
    bool PushItem(const StackItem& item);
    bool PopItem(StackItem& item);
    // Pops the top value into value as Pop does, reusing value's storage.
    bool PopInto(ScriptValue& value);
    // The same for a native's argument, quicker for numbers and short texts.
    bool PopArgument(ScriptValue& argument);
    bool PopShortText(ScriptValue& argument);
    const char* DecodeItem(StackItem& item);
    bool ReadU32(std::uint32_t& value);
    ScriptValue ItemToValue(const StackItem& item) const;
    // The same into an existing value, reusing its storage.
    void FillValue(const StackItem& item, ScriptValue& value) const;
    void ValueToItem(const ScriptValue& value, StackItem& item) const;
    void AssignItem(ScriptValue& variable, std::uint32_t type, std::uint32_t payload, const std::string& text) const;
    std::int32_t Fail(const char* message);
    void ResetTables();
    bool FillTables(DatafileByteReader& reader, const ScriptStreamHeader& header);
    // Makes the program from the loaded code and tables.
    void Translate();

    // The lowest byte a pop may consume: a re-entrant run works above the
    // stack top of the run it interrupted.
    std::uint32_t stackBase_ = 0;
    // What the run loop executes: the code translated once, at load.
    ScriptProgram program_;
    std::uint32_t serial_ = 0;
    // How many runs of this script are in progress (more than one while a
    // native runs it again from inside a call).
    std::int32_t runDepth_ = 0;
    // Set by DeleteScript while a run is in progress: the outermost run
    // deletes the script when it ends.
    bool deletePending_ = false;
    // The text of the last string PopInto took off the stack.
    std::string poppedText_;
    // The entry PopFrame freed last, for PushFrame to reuse; owned.
    ScriptFrameEntry* spareFrame_ = nullptr;
    // One run state per nesting depth, kept from run to run, so that a
    // native that runs this script again sets nothing up but the state's
    // scratch value.
    std::vector<std::unique_ptr<RunState>> runStates_;
    // What GlobalNamed lists, and the table it was made for.
    mutable std::vector<std::int32_t> globalNamed_;
    mutable const ScriptValue* globalNamedFor_ = nullptr;
    mutable std::int32_t globalNamedCount_ = -1;
    mutable bool hasGlobalNamed_ = false;
    // The function table hashed by ASCII-lowercased name (each slot holds
    // a function index or -1), and the table it was made for.
    mutable std::vector<std::int32_t> functionSlots_;
    mutable const ScriptFunction* functionSlotsFor_ = nullptr;
    mutable std::int32_t functionSlotsCount_ = -1;
    // The name FindFunction was asked for last and what it gave (-1: none).
    mutable char lastFunctionName_[32] = {};
    mutable std::int32_t lastFunction_ = -1;

    friend void DeleteScript(cKestruneScript* script);
};

// Owners delete scripts through this. A native may delete the script that
// called it (its scene, say): the script then leaves the live-script list at
// once, so nothing runs it again, its runs end after the native returns, and
// the object is freed when the outermost run has unwound.
void DeleteScript(cKestruneScript* script);

// Ends every run after this many taken jumps from now on (0: no limit), so
// that code that may loop forever can be run under a budget (fuzzing).
void SetScriptJumpBudget(std::uint64_t jumps);

// Whether scripts loaded from now on run the fixed idioms of compiled code in
// fused forms (the default). Both ways give the same results; off runs every
// instruction on its own, so that the two can be compared.
void SetScriptIdiomFusion(bool fused);

// Suspension: the object that takes over the work calls Suspend inside the
// native and keeps the returned resume point ("#" + code offset after the
// call); when the work is done it calls Resume, which runs the script from
// there if it is still live.
std::string SuspendScript(cKestruneScript* script);
std::int32_t ResumeScript(cKestruneScript* script, const char* resumePoint);
