#pragma once

#include "engine/script/script_value.h"

#include <cstdint>
#include <vector>

class DatafileByteReader;
class DatafileByteWriter;

// The 240-byte value record of savegames: the globals of the "INF" block and
// the variables of every "SCR" block. The object view is not stored.
constexpr std::uint32_t kSavegameValueRecordSize = 240;

void WriteSavegameValue(DatafileByteWriter& writer, const ScriptValue& value);
// Reads one record; character fields are taken up to their width.
ScriptValue ReadSavegameValue(DatafileByteReader& reader);
