#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DatafileByteReader;

// The stream layout of a compiled script: a 16-byte header (code size,
// variable, function and call-site counts), the three record tables, then the
// code. Shared by the loader and by the assembler in tools/.
constexpr std::size_t kScriptHeaderSize = 16;
constexpr std::size_t kScriptVariableRecordSize = 196;
constexpr std::size_t kScriptFunctionRecordSize = 68;
constexpr std::size_t kScriptCallSiteRecordSize = 76;
constexpr std::size_t kScriptNameSize = 64;
constexpr std::size_t kScriptStackSize = 16384;

// Type tags of values, variables and operands.
enum : std::uint32_t {
    kScriptInteger = 1,
    kScriptFloat = 2,
    kScriptString = 3,
    kScriptBoolean = 4,
    kScriptObject = 5,
    kScriptReference = 6,
};

enum ScriptOpcode : std::uint8_t {
    kOpPush = 0x01,
    kOpPushVariable = 0x02,
    kOpAdd = 0x03,
    kOpAssign = 0x04,
    kOpNegate = 0x06,
    kOpMultiply = 0x07,
    kOpDivide = 0x08,
    kOpPushScratch = 0x09,
    kOpPopScratch = 0x0A,
    kOpToBoolean = 0x0B,
    kOpOr = 0x0C,
    kOpAnd = 0x0D,
    kOpXor = 0x0E,
    kOpNot = 0x0F,
    kOpTestNonNegative = 0x10,
    kOpIncrement = 0x11,
    kOpDecrement = 0x12,
    kOpJump = 0x13,
    kOpJumpIfFalse = 0x14,
    kOpReturn = 0x15,
    kOpJumpIfTrue = 0x16,
    kOpCallNative = 0x17,
    kOpEqual = 0x18,
    kOpEnd = 0xFF,
};

struct ScriptStreamHeader {
    std::uint32_t codeSize = 0;
    std::uint32_t variableCount = 0;
    std::uint32_t functionCount = 0;
    std::uint32_t callSiteCount = 0;
};

struct ScriptVariableRecord {
    std::uint32_t type = 0;
    std::string name;
    std::string className; // "cCharacter" or "cObject" for the two kinds of engine object
    std::string globalName; // empty: the variable belongs to its script alone
};

struct ScriptFunction {
    std::string name; // matched without regard to ASCII case
    std::uint32_t offset = 0;
};

struct ScriptCallSite {
    std::string nativeName;
    std::uint32_t argumentCount = 0;
    std::uint32_t resultType = 0;
    std::int32_t binding = -1; // index into the native cache once bound
};

// A whole compiled script held as plain records.
struct ScriptStream {
    std::vector<ScriptVariableRecord> variables;
    std::vector<ScriptFunction> functions;
    std::vector<ScriptCallSite> callSites;
    std::vector<std::uint8_t> code;
};

ScriptStreamHeader ReadScriptHeader(DatafileByteReader& reader);
// Bytes that the three tables of header take (64-bit, so no count can wrap).
std::uint64_t ScriptTablesSize(const ScriptStreamHeader& header);

ScriptVariableRecord ReadScriptVariableRecord(DatafileByteReader& reader);
ScriptFunction ReadScriptFunctionRecord(DatafileByteReader& reader);
// The stored binding slot is ignored: a loaded call site is never bound.
ScriptCallSite ReadScriptCallSiteRecord(DatafileByteReader& reader);

// Writes the whole stream; the header's counts and code size come from the records.
std::vector<std::uint8_t> EncodeScriptStream(const ScriptStream& stream);
// Reads a whole stream from memory; false when the header's counts do not fit the bytes.
bool ParseScriptStream(const std::uint8_t* data, std::size_t size, ScriptStream& out);
