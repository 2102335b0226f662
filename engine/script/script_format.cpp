#include "engine/script/script_format.h"

#include "engine/base/datafile_bytes.h"

ScriptStreamHeader ReadScriptHeader(DatafileByteReader& reader)
{
    ScriptStreamHeader header;
    header.codeSize = reader.U32();
    header.variableCount = reader.U32();
    header.functionCount = reader.U32();
    header.callSiteCount = reader.U32();
    return header;
}

std::uint64_t ScriptTablesSize(const ScriptStreamHeader& header)
{
    return std::uint64_t(header.variableCount) * kScriptVariableRecordSize
        + std::uint64_t(header.functionCount) * kScriptFunctionRecordSize
        + std::uint64_t(header.callSiteCount) * kScriptCallSiteRecordSize;
}

ScriptVariableRecord ReadScriptVariableRecord(DatafileByteReader& reader)
{
    ScriptVariableRecord record;
    record.type = reader.U32();
    record.name = reader.FixedText(kScriptNameSize);
    record.className = reader.FixedText(kScriptNameSize);
    record.globalName = reader.FixedText(kScriptNameSize);
    return record;
}

ScriptFunction ReadScriptFunctionRecord(DatafileByteReader& reader)
{
    ScriptFunction function;
    function.name = reader.FixedText(kScriptNameSize);
    function.offset = reader.U32();
    return function;
}

ScriptCallSite ReadScriptCallSiteRecord(DatafileByteReader& reader)
{
    ScriptCallSite site;
    site.nativeName = reader.FixedText(kScriptNameSize);
    site.argumentCount = reader.U32();
    site.resultType = reader.U32();
    reader.U32();
    site.binding = -1;
    return site;
}

std::vector<std::uint8_t> EncodeScriptStream(const ScriptStream& stream)
{
    std::vector<std::uint8_t> out;
    DatafileByteWriter writer(out);
    writer.U32(static_cast<std::uint32_t>(stream.code.size()));
    writer.U32(static_cast<std::uint32_t>(stream.variables.size()));
    writer.U32(static_cast<std::uint32_t>(stream.functions.size()));
    writer.U32(static_cast<std::uint32_t>(stream.callSites.size()));
    for (const ScriptVariableRecord& variable : stream.variables) {
        writer.U32(variable.type);
        writer.FixedText(variable.name, kScriptNameSize);
        writer.FixedText(variable.className, kScriptNameSize);
        writer.FixedText(variable.globalName, kScriptNameSize);
    }
    for (const ScriptFunction& function : stream.functions) {
        writer.FixedText(function.name, kScriptNameSize);
        writer.U32(function.offset);
    }
    for (const ScriptCallSite& site : stream.callSites) {
        writer.FixedText(site.nativeName, kScriptNameSize);
        writer.U32(site.argumentCount);
        writer.U32(site.resultType);
        writer.I32(site.binding);
    }
    writer.Bytes(stream.code.data(), stream.code.size());
    return out;
}

bool ParseScriptStream(const std::uint8_t* data, std::size_t size, ScriptStream& out)
{
    out = ScriptStream{};
    DatafileByteReader reader(data, size);
    const ScriptStreamHeader header = ReadScriptHeader(reader);
    if (reader.Failed() || ScriptTablesSize(header) + header.codeSize > reader.Remaining())
        return false;
    for (std::uint32_t i = 0; i < header.variableCount; ++i)
        out.variables.push_back(ReadScriptVariableRecord(reader));
    for (std::uint32_t i = 0; i < header.functionCount; ++i)
        out.functions.push_back(ReadScriptFunctionRecord(reader));
    for (std::uint32_t i = 0; i < header.callSiteCount; ++i)
        out.callSites.push_back(ReadScriptCallSiteRecord(reader));
    const std::uint8_t* const code = reader.Take(header.codeSize);
    out.code.assign(code, code + header.codeSize);
    return !reader.Failed();
}
