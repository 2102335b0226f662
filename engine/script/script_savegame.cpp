// The "SCR" savegame block of a script.

#include "engine/script/script_savegame.h"

#include "engine/base/datafile_bytes.h"
#include "engine/script/kestrune_script.h"
#include "engine/script/savegame_block.h"
#include "engine/script/savegame_value.h"
#include "engine/script/script_format.h"
#include "platform/crt/crt_io.h"

#include <cstring>

namespace {

// sp names the last byte written and byte 0 is never used, so the deepest
// stack holds one byte less than the buffer.
constexpr std::uint32_t kDeepestStack = kScriptStackSize - 1;

bool PlainType(std::uint32_t type) { return type >= kScriptInteger && type <= kScriptBoolean; }

} // namespace

ScriptBlock CaptureScriptBlock(const cKestruneScript& script)
{
    ScriptBlock block;
    block.identity = script.SaveIdentity();
    block.pc = script.pc;
    block.sp = script.sp;
    block.suspendCount = static_cast<std::uint32_t>(script.suspendCount);
    if (script.stack && script.sp > 0 && script.sp <= kDeepestStack)
        block.stack.assign(script.stack + 1, script.stack + 1 + script.sp);
    for (std::int32_t i = 0; i < script.variables.count; ++i)
        block.variables.push_back(script.variables.data[i]);
    for (const ScriptFrameEntry* entry = script.frames; entry; entry = entry->next)
        block.frames.push_back({entry->pc, entry->sp});
    return block;
}

std::vector<std::uint8_t> WriteScriptBlock(const ScriptBlock& block)
{
    std::vector<std::uint8_t> bytes;
    DatafileByteWriter writer(bytes);
    writer.U32(block.identity);
    writer.U32(block.codeBase);
    writer.U32(block.stackBase);
    writer.U32(block.pc);
    writer.U32(block.stackBase + static_cast<std::uint32_t>(block.stack.size()));
    writer.U32(static_cast<std::uint32_t>(block.frames.size()));
    writer.U32(block.suspendCount);
    writer.U32(static_cast<std::uint32_t>(block.variables.size()));
    writer.Bytes(block.stack.data(), block.stack.size());
    for (const ScriptValue& value : block.variables)
        WriteSavegameValue(writer, value);
    for (const ScriptBlockFrame& frame : block.frames) {
        writer.U32(frame.pc);
        writer.U32(frame.sp);
        writer.U32(0);
    }
    return bytes;
}

bool ReadScriptBlock(const std::uint8_t* data, std::size_t size, ScriptBlock& block)
{
    DatafileByteReader reader(data, size);
    block = ScriptBlock{};
    block.identity = reader.U32();
    block.codeBase = reader.U32();
    block.stackBase = reader.U32();
    block.pc = reader.U32();
    block.sp = reader.U32();
    const std::uint32_t frameCount = reader.U32();
    block.suspendCount = reader.U32();
    const std::uint32_t variableCount = reader.U32();
    if (reader.Failed() || block.sp < block.stackBase || block.pc < block.codeBase)
        return false;
    const std::uint64_t depth = block.sp - block.stackBase;
    if (depth > kDeepestStack)
        return false;
    const std::uint64_t expected = kScriptBlockStateSize + depth + std::uint64_t{variableCount} * kSavegameValueRecordSize
        + std::uint64_t{frameCount} * kScriptBlockFrameSize;
    if (expected != size)
        return false;
    const std::uint8_t* const stack = reader.Take(depth);
    block.stack.assign(stack, stack + depth);
    block.variables.reserve(variableCount);
    for (std::uint32_t i = 0; i < variableCount; ++i)
        block.variables.push_back(ReadSavegameValue(reader));
    for (std::uint32_t i = 0; i < frameCount; ++i) {
        ScriptBlockFrame frame;
        frame.pc = reader.U32();
        frame.sp = reader.U32();
        reader.U32();
        // Frames were measured against the same bases as pc and sp.
        if (frame.pc < block.codeBase || frame.sp < block.stackBase || frame.sp - block.stackBase > kDeepestStack)
            return false;
        frame.pc -= block.codeBase;
        frame.sp -= block.stackBase;
        block.frames.push_back(frame);
    }
    block.pc -= block.codeBase;
    block.sp -= block.stackBase;
    block.codeBase = block.stackBase = 0;
    return !reader.Failed();
}

bool ScriptBlockFits(const ScriptBlock& block, const cKestruneScript& script)
{
    if (block.CodeOffset() > script.codeSize)
        return false;
    for (const ScriptBlockFrame& frame : block.frames)
        if (frame.pc > script.codeSize)
            return false;
    return true;
}

void RestoreScriptBlock(const ScriptBlock& block, cKestruneScript& script)
{
    script.AdoptSaveIdentity(block.identity);
    script.pc = block.CodeOffset();
    script.suspendCount = static_cast<std::int32_t>(block.suspendCount);
    script.sp = static_cast<std::uint32_t>(block.stack.size());
    if (script.stack && !block.stack.empty())
        std::memcpy(script.stack + 1, block.stack.data(), block.stack.size());
    for (const ScriptValue& saved : block.variables) {
        if (!PlainType(saved.type))
            continue;
        for (std::int32_t i = 0; i < script.variables.count; ++i) {
            ScriptValue& variable = script.variables.data[i];
            if (std::strcmp(variable.name.GetText(), saved.name.GetText()) != 0)
                continue;
            variable.type = saved.type;
            variable.SetText(saved.GetText());
            variable.intValue = saved.intValue;
            variable.boolValue = saved.boolValue;
            variable.floatValue = saved.floatValue;
        }
    }
    script.ReplaceFrames(block.frames);
}

void cKestruneScript::SaveBlock(int file, const char* name) const
{
    const std::vector<std::uint8_t> payload = WriteScriptBlock(CaptureScriptBlock(*this));
    WriteSavegameBlockHeader(file, "SCR", name, static_cast<std::uint32_t>(payload.size()));
    _write(file, payload.data(), static_cast<unsigned>(payload.size()));
}

bool cKestruneScript::LoadBlock(int file, SavegameBlockHeader& header)
{
    if (!CheckSavegameBlockTag(header, "SCR"))
        return false;
    std::vector<std::uint8_t> payload(header.length);
    ScriptBlock block;
    const bool read = _read(file, payload.data(), header.length) == static_cast<int>(header.length)
        && ReadScriptBlock(payload.data(), payload.size(), block) && ScriptBlockFits(block, *this);
    if (read)
        RestoreScriptBlock(block, *this);
    ReadSavegameBlockHeader(file, header);
    return read;
}
