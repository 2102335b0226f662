#include "engine/script/script_value.h"

#include "engine/script/script_format.h"
#include "platform/crt/gcvt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether the decimal exponent of a nonzero finite value lies in -1..5, the
// range that is written in fixed notation.
bool FixedNotation(double value)
{
    const double magnitude = std::fabs(value);
    return magnitude >= 0.1 && magnitude < 1e6;
}

} // namespace

void FormatScriptFloat(float value, char* out, std::size_t outSize)
{
    char buffer[kScriptFloatTextSize];
    const char* text = _gcvt(value, 6, buffer);
    // The notation goes by the exponent of the value rounded to 6 digits:
    // 999999.5 becomes 1.e+006 and 0.099999994 becomes 0.1. Formatting the
    // rounded value again settles the notation without rounding twice.
    if (std::isfinite(value) && value != 0.0f) {
        const double rounded = std::strtod(text, nullptr);
        const bool fixed = std::strchr(text, 'e') == nullptr;
        if (rounded != 0.0 && fixed != FixedNotation(rounded))
            text = _gcvt(rounded, 6, buffer);
    }
    std::snprintf(out, outSize, "%s", text);
}

void ScriptValue::SpellText() const
{
    char buffer[kScriptFloatTextSize];
    switch (textSource_) {
    case kTextInteger:
        std::snprintf(buffer, sizeof buffer, "%d", textNumber_.i);
        break;
    case kTextFloat:
        FormatScriptFloat(textNumber_.f, buffer, sizeof buffer);
        break;
    default:
        std::snprintf(buffer, sizeof buffer, "%s", textNumber_.i ? "true" : "false");
        break;
    }
    text_ = buffer;
    textSource_ = kTextStored;
}

void ScriptValue::StoreText(const char* text)
{
    text_ = text;
    textSource_ = kTextStored;
}

void ScriptValue::AppendText(const char* text)
{
    Text();
    text_.Append(text);
}

void ScriptValue::DropLastCharacter()
{
    const cString& current = Text();
    const std::int32_t length = current.GetLength();
    if (length == 0)
        return;
    char* const copy = static_cast<char*>(std::malloc(static_cast<std::size_t>(length)));
    std::memcpy(copy, current.GetText(), static_cast<std::size_t>(length - 1));
    copy[length - 1] = 0;
    text_ = copy;
    std::free(copy);
}

void ScriptValue::Normalise()
{
    switch (type) {
    case kScriptInteger:
        floatValue = static_cast<float>(intValue);
        boolValue = intValue != 0;
        SetTextFromInteger(intValue);
        object = kNoObject;
        break;
    case kScriptFloat:
        boolValue = floatValue != 0.0f && !std::isnan(floatValue);
        intValue = TruncateScriptFloat(floatValue);
        SetTextFromFloat(floatValue);
        object = kNoObject;
        break;
    case kScriptString:
        boolValue = std::strcmp(GetText(), "true") == 0;
        intValue = 0;
        floatValue = 0.0f;
        object = kNoObject;
        break;
    case kScriptBoolean:
        boolValue = boolValue != 0;
        intValue = boolValue;
        floatValue = boolValue ? 1.0f : 0.0f;
        SetTextFromBoolean(boolValue);
        object = kNoObject;
        break;
    default:
        break;
    }
}

void ScriptValue::Reset(std::uint32_t typeTag, const char* text)
{
    ResetViews(typeTag);
    SetText(text);
}

ScriptValue ScriptValue::Integer(std::int32_t value)
{
    ScriptValue v(kScriptInteger);
    v.intValue = value;
    v.Normalise();
    return v;
}

ScriptValue ScriptValue::Float(float value)
{
    ScriptValue v(kScriptFloat);
    v.floatValue = value;
    v.Normalise();
    return v;
}

ScriptValue ScriptValue::String(const char* text)
{
    ScriptValue v(kScriptString);
    v.SetText(text);
    v.Normalise();
    return v;
}

ScriptValue ScriptValue::Boolean(bool value)
{
    ScriptValue v(kScriptBoolean);
    v.boolValue = value;
    v.Normalise();
    return v;
}
