#include "engine/base/engine_link.h"
#include "engine/script/script_machine_internal.h"

#include <charconv>

using namespace script_detail;

namespace script_detail {

void AppendTextView(std::uint32_t type, std::uint32_t payload, const std::string& text, std::string& out)
{
    char buffer[kScriptFloatTextSize];
    switch (type) {
    case kScriptInteger: {
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int32_t>(payload));
        (void)error;
        out.append(buffer, end);
        break;
    }
    case kScriptFloat:
        FormatScriptFloat(FloatFromBits(payload), buffer, sizeof buffer);
        out += buffer;
        break;
    case kScriptString:
        out += text;
        break;
    case kScriptBoolean:
        out += payload != 0 ? "true" : "false";
        break;
    default:
        break;
    }
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

bool PushText(std::uint8_t* stack, std::uint32_t& sp, const char* text, std::size_t length)
{
    if (length + 2 > kStackLast - sp)
        return false;
    std::uint8_t* p = stack + sp + 1;
    *p++ = 0;
    for (std::size_t i = length; i > 0; --i)
        *p++ = static_cast<std::uint8_t>(text[i - 1]);
    *p = kScriptString;
    sp += static_cast<std::uint32_t>(length + 2);
    return true;
}

} // namespace script_detail

ScriptValue cKestruneScript::ItemToValue(const StackItem& item) const
{
    ScriptValue value;
    FillValue(item, value);
    return value;
}

void cKestruneScript::FillValue(const StackItem& item, ScriptValue& value) const
{
    if (item.type == kScriptString)
        value.Reset(item.type, item.text.c_str());
    else
        value.Reset(item.type);
    switch (item.type) {
    case kScriptInteger:
        value.intValue = static_cast<std::int32_t>(item.payload);
        break;
    case kScriptFloat:
        value.floatValue = FloatFromBits(item.payload);
        break;
    case kScriptBoolean:
        value.boolValue = item.payload != 0;
        break;
    case kScriptObject:
        value.object = item.payload;
        break;
    case kScriptReference: {
        value.intValue = static_cast<std::int32_t>(item.payload);
        if (const ScriptValue* const variable = Variable(value.intValue))
            value.name = variable->name;
        break;
    }
    default:
        break;
    }
    value.Normalise();
}

bool cKestruneScript::PopInto(ScriptValue& value)
{
    if (sp <= stackBase_ || sp > kStackLast)
        return false;
    const std::uint32_t type = stack[sp];
    // Numbers, booleans and strings set every view they have, so only the
    // names need emptying; the other types go the long way.
    const bool named = value.name.GetText()[0] != 0 || value.className.GetText()[0] != 0
        || value.globalName.GetText()[0] != 0;
    if (type == kScriptString) {
        const std::uint32_t k = FindTextStart(stack, sp, stackBase_);
        if (k == 0)
            return false;
        // The characters lie reversed from sp - 1 down to k + 1.
        const std::uint8_t* const last = stack + sp - 1;
        const std::uint32_t length = sp - 1 - k;
        if (named)
            value.Reset(kScriptString);
        // A value that takes the same text again (an argument that a call
        // site passes every time) keeps the text it has.
        const char* const old = value.GetText();
        std::uint32_t same = 0;
        while (same < length && old[same] == static_cast<char>(last[-static_cast<std::ptrdiff_t>(same)]))
            ++same;
        if (same < length || old[length] != 0) {
            poppedText_.resize(length);
            std::reverse_copy(stack + k + 1, stack + sp, poppedText_.begin());
            value.SetText(poppedText_.c_str());
        }
        value.type = kScriptString;
        value.intValue = 0;
        value.floatValue = 0.0f;
        value.boolValue = length == 4 && std::memcmp(stack + k + 1, "eurt", 4) == 0;
        value.object = kNoObject;
        sp = k - 1;
        return true;
    }
    if (sp < stackBase_ + 5)
        return false;
    const std::uint8_t* const p = stack + sp - 4;
    const std::uint32_t payload = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    sp -= 5;
    if (named || (type != kScriptInteger && type != kScriptFloat && type != kScriptBoolean)) {
        StackItem item;
        item.type = type;
        item.payload = payload;
        FillValue(item, value);
        return true;
    }
    value.type = type;
    AssignPlainViews(value, type, payload);
    return true;
}

void cKestruneScript::ValueToItem(const ScriptValue& value, StackItem& item) const
{
    item.type = value.type;
    if (value.type == kScriptString) {
        item.text = value.GetText();
        item.payload = 0;
    } else {
        item.payload = PayloadOf(value);
    }
}

bool cKestruneScript::Push(const ScriptValue& value)
{
    ScriptValue normalised = value;
    normalised.Normalise();
    StackItem item;
    ValueToItem(normalised, item);
    if (!PushItem(item)) {
        ReportError("script", "", 0, "%s", kStackOverflow);
        return false;
    }
    return true;
}

ScriptValue cKestruneScript::Pop()
{
    StackItem item;
    if (!PopItem(item)) {
        ReportError("script", "", 0, "%s", kStackUnderflow);
        return ScriptValue();
    }
    return ItemToValue(item);
}

ScriptValue cKestruneScript::DecodeOperand()
{
    const std::uint32_t start = pc;
    StackItem item;
    if (const char* const error = DecodeItem(item)) {
        ReportError("script", "", 0, "%s", error);
        return ScriptValue();
    }
    ScriptValue value = ItemToValue(item);
    if (item.type == kScriptObject) {
        // The operand names the variable; the value carries its class name too.
        const std::uint8_t* const p = code + start + 1;
        const std::uint32_t index
            = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
        if (const ScriptValue* const variable = Variable(static_cast<std::int32_t>(index)))
            value.className = variable->className;
    }
    return value;
}
