#include "engine/script/savegame_value.h"

#include "engine/base/datafile_bytes.h"

#include <cstring>

void WriteSavegameValue(DatafileByteWriter& writer, const ScriptValue& value)
{
    writer.U32(value.type);
    writer.FixedText(value.name.GetText(), 64);
    writer.FixedText(value.className.GetText(), 32);
    writer.FixedText(value.globalName.GetText(), 64);
    writer.FixedText(value.GetText(), 64);
    writer.I32(value.intValue);
    writer.F32(value.floatValue);
    writer.U8(value.boolValue);
    const std::uint8_t unused[3] = {};
    writer.Bytes(unused, sizeof unused);
}

ScriptValue ReadSavegameValue(DatafileByteReader& reader)
{
    ScriptValue value;
    value.type = reader.U32();
    value.name = reader.FixedText(64).c_str();
    value.className = reader.FixedText(32).c_str();
    value.globalName = reader.FixedText(64).c_str();
    value.SetText(reader.FixedText(64).c_str());
    value.intValue = reader.I32();
    value.floatValue = reader.F32();
    value.boolValue = reader.U8();
    reader.Take(3);
    return value;
}
