#include "engine/script/kestrune_script.h"

#include "engine/base/datafile_bytes.h"
#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/script/script_machine_internal.h"
#include "engine/script/script_savegame.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::uint32_t g_lastSerial = 0;
bool g_idiomFusion = true;

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The name with its ASCII letters lowered, hashed by multiplying by 33 (a
// shift and an add per character), so that names equal without regard to
// case hash alike.
std::uint32_t FoldedNameHash(const char* name)
{
    std::uint32_t hash = 5381;
    for (; *name; ++name)
        hash = hash * 33 + static_cast<std::uint8_t>(FoldAscii(*name));
    return hash;
}

} // namespace

cKestruneScript::cKestruneScript()
{
    if (++g_lastSerial == 0)
        ++g_lastSerial;
    serial_ = g_lastSerial;
    stack = static_cast<std::uint8_t*>(std::calloc(kScriptStackSize, 1));
    if (!stack) {
        ReportError("script", "", 0, "Memory allocation failed.");
        return;
    }
    AddLiveScript(this);
}

cKestruneScript::~cKestruneScript()
{
    while (frames) {
        ScriptFrameEntry* const next = frames->next;
        delete frames;
        frames = next;
    }
    delete spareFrame_;
    RemoveLiveScript(this);
    std::free(code);
    std::free(stack);
}

void cKestruneScript::ResetTables()
{
    while (variables.count > 0)
        variables.RemoveAt(variables.count - 1);
    while (functions.count > 0)
        functions.RemoveAt(functions.count - 1);
    while (callSites.count > 0)
        callSites.RemoveAt(callSites.count - 1);
    std::free(code);
    code = nullptr;
    program_ = ScriptProgram();
    codeSize = variableCount = functionCount = callSiteCount = 0;
    // A new table may come in the storage of the old one.
    globalNamedCount_ = -1;
    functionSlotsCount_ = -1;
}

std::int32_t cKestruneScript::LookUpFunction(const char* name) const
{
    if (functionSlotsFor_ != functions.data || functionSlotsCount_ != functions.count) {
        // Twice as many slots as functions at the least; the first of equal
        // names holds its slot, as the first found by a scan in order.
        std::size_t size = 1;
        while (size < 2 * static_cast<std::size_t>(functions.count > 0 ? functions.count : 0))
            size *= 2;
        functionSlots_.assign(size, -1);
        for (std::int32_t i = 0; i < functions.count; ++i) {
            const char* const candidate = functions.data[i].name.c_str();
            std::size_t slot = FoldedNameHash(candidate) & (size - 1);
            while (functionSlots_[slot] >= 0 && !script_detail::EqualsIgnoringAsciiCase(functions.data[functionSlots_[slot]].name.c_str(), candidate))
                slot = (slot + 1) & (size - 1);
            if (functionSlots_[slot] < 0)
                functionSlots_[slot] = i;
        }
        functionSlotsFor_ = functions.data;
        functionSlotsCount_ = functions.count;
        lastFunction_ = -1;
    }
    if (lastFunction_ >= 0 && IsLastFunctionName(name))
        return lastFunction_;
    const std::size_t mask = functionSlots_.size() - 1;
    for (std::size_t slot = FoldedNameHash(name) & mask;; slot = (slot + 1) & mask) {
        const std::int32_t index = functionSlots_[slot];
        if (index < 0 || script_detail::EqualsIgnoringAsciiCase(functions.data[index].name.c_str(), name)) {
            const std::size_t length = std::strlen(name);
            lastFunction_ = length < sizeof lastFunctionName_ ? index : -1;
            if (lastFunction_ >= 0)
                std::memcpy(lastFunctionName_, name, length + 1);
            return index;
        }
    }
}

void cKestruneScript::Translate()
{
    program_ = code ? TranslateScript(code, codeSize, variables.count, g_idiomFusion) : ScriptProgram();
}

void SetScriptIdiomFusion(bool fused) { g_idiomFusion = fused; }

bool cKestruneScript::FillTables(DatafileByteReader& reader, const ScriptStreamHeader& header)
{
    codeSize = header.codeSize;
    variableCount = header.variableCount;
    functionCount = header.functionCount;
    callSiteCount = header.callSiteCount;
    for (std::uint32_t i = 0; i < header.variableCount; ++i) {
        const ScriptVariableRecord record = ReadScriptVariableRecord(reader);
        ScriptValue variable(record.type);
        variable.name = record.name.c_str();
        variable.className = record.className.c_str();
        variable.globalName = record.globalName.c_str();
        variables.Add(variable);
    }
    for (std::uint32_t i = 0; i < header.functionCount; ++i)
        functions.Add(ReadScriptFunctionRecord(reader));
    for (std::uint32_t i = 0; i < header.callSiteCount; ++i)
        callSites.Add(ReadScriptCallSiteRecord(reader));
    return !reader.Failed();
}

std::int32_t cKestruneScript::Load(std::int32_t slot)
{
    ResetTables();
    cKestruneFileSystem* const files = cKestruneFileSystem::Current();
    std::uint8_t headerBytes[kScriptHeaderSize];
    if (!files || files->Read(slot, headerBytes, sizeof headerBytes) != 0)
        return -1;
    DatafileByteReader headerReader(headerBytes, sizeof headerBytes);
    const ScriptStreamHeader header = ReadScriptHeader(headerReader);

    // Counts are trusted only as far as the entry holds their records.
    const std::uint64_t tablesSize = ScriptTablesSize(header);
    if (tablesSize + header.codeSize > static_cast<std::uint64_t>(files->GetRemaining(slot))) {
        ReportError("script", "", 0, "Compiled script is larger than the rest of its resource.");
        return -1;
    }
    std::vector<std::uint8_t> tables(static_cast<std::size_t>(tablesSize));
    if (!tables.empty() && files->Read(slot, tables.data(), static_cast<std::int32_t>(tables.size())) != 0)
        return -1;
    DatafileByteReader reader(tables.data(), tables.size());
    FillTables(reader, header);
    code = static_cast<std::uint8_t*>(files->ReadAlloc(slot, static_cast<std::int32_t>(header.codeSize)));
    Translate();
    return code ? 0 : -1;
}

std::int32_t cKestruneScript::LoadFromMemory(const std::uint8_t* data, std::size_t size)
{
    ResetTables();
    DatafileByteReader reader(data, size);
    const ScriptStreamHeader header = ReadScriptHeader(reader);
    if (reader.Failed() || ScriptTablesSize(header) + header.codeSize > reader.Remaining()) {
        ReportError("script", "", 0, "Compiled script is larger than the rest of its resource.");
        return -1;
    }
    FillTables(reader, header);
    const std::uint8_t* const bytes = reader.Take(header.codeSize);
    code = static_cast<std::uint8_t*>(std::malloc(header.codeSize > 0 ? header.codeSize : 1));
    if (!code) {
        ReportError("script", "", 0, "Memory allocation failed.");
        return -1;
    }
    if (header.codeSize > 0)
        std::memcpy(code, bytes, header.codeSize);
    Translate();
    return 0;
}

void cKestruneScript::AdoptSaveIdentity(std::uint32_t identity)
{
    if (identity == 0 || identity == serial_)
        return;
    DynArray<cKestruneScript*>& live = LiveScripts();
    for (std::int32_t i = 0; i < live.count; ++i) {
        cKestruneScript* const other = live.data[i];
        if (other != this && other->serial_ == identity) {
            if (++g_lastSerial == 0)
                ++g_lastSerial;
            other->serial_ = g_lastSerial;
        }
    }
    serial_ = identity;
    id = identity;
    if (g_lastSerial < identity)
        g_lastSerial = identity;
}

void cKestruneScript::ReplaceFrames(const std::vector<ScriptBlockFrame>& entries)
{
    while (frames) {
        ScriptFrameEntry* const next = frames->next;
        delete frames;
        frames = next;
    }
    // The list is newest first, like the entries: build it from the oldest.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        frames = new ScriptFrameEntry{entry->pc, entry->sp, frames};
}

std::string SuspendScript(cKestruneScript* script)
{
    std::string resumePoint = "#";
    resumePoint += std::to_string(script->pc);
    // The code's last byte is the end instruction: the run stops there and
    // keeps its stack for the resume.
    script->pc = script->codeSize > 0 ? script->codeSize - 1 : 0;
    script->suspendCount += 1;
    return resumePoint;
}

std::int32_t ResumeScript(cKestruneScript* script, const char* resumePoint)
{
    if (!IsLiveScript(script))
        return -1;
    return script->Run(resumePoint);
}
