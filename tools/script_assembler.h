#pragma once

#include "engine/script/script_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vls::tools {

// A small text form of compiled scripts, one statement a line; ';' starts a comment.
//
//   var NAME TYPE [class CLASS] [global GLOBAL]   TYPE: int float string bool object ref, or a number
//   callsite NAME NATIVE ARGS RESULT              declares call site NAME (index = declaration order)
//   func NAME [TARGET]                            a function record (default: here)
//   LABEL:                                        names the current code offset
//
// Instructions: end push pushvar add assign neg mul div pushreg popreg tobool
// or and xor not nonneg inc dec jmp jz ret jnz native eq. push, pushvar, inc
// and dec take a typed operand: `int N`, `float F`, `floatbits 0xBITS`,
// `string "TEXT"`, `bool N|true|false`, `object VAR`, `ref VAR`, `tag T U32`.
// jmp, jz (jump when false) and jnz (jump when true) take a TARGET (a label or
// a number); `native VAR CALLSITE` names the variable the method is called on
// (`-` for none). A VAR is a variable's name or `#INDEX`; a CALLSITE is a
// declared name or `#INDEX`. `.byte N...`, `.u16 N` and `.u32 N` write raw
// code bytes, for damaged scripts.
//
// Names may be written bare or quoted; quoted text knows \" \\ \n \t \xHH.
bool AssembleScript(const std::string& source, ScriptStream& out, std::string& error);

// Assembles and encodes; an error throws std::runtime_error with its line.
std::vector<std::uint8_t> AssembleScriptBytes(const std::string& source);

// The text form of a stream; assembling it gives the same bytes back.
std::string DisassembleScript(const ScriptStream& stream);

} // namespace vls::tools
