#include "engine/base/engine_link.h"
#include "engine/script/script_machine_internal.h"

using namespace script_detail;

namespace script_detail {

std::int32_t IntView(std::uint32_t type, std::uint32_t payload)
{
    switch (type) {
    case kScriptInteger:
    case kScriptReference:
        return static_cast<std::int32_t>(payload);
    case kScriptFloat:
        return TruncateScriptFloat(FloatFromBits(payload));
    case kScriptBoolean:
        return payload != 0;
    default:
        return 0;
    }
}

float FloatView(std::uint32_t type, std::uint32_t payload)
{
    switch (type) {
    case kScriptInteger:
        return static_cast<float>(static_cast<std::int32_t>(payload));
    case kScriptFloat:
        return FloatFromBits(payload);
    case kScriptBoolean:
        return payload != 0 ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

bool BoolView(std::uint32_t type, std::uint32_t payload, const std::string& text)
{
    switch (type) {
    case kScriptInteger:
    case kScriptBoolean:
        return payload != 0;
    case kScriptFloat: {
        const float f = FloatFromBits(payload);
        return f != 0.0f && !std::isnan(f);
    }
    case kScriptString:
        return text == "true";
    default:
        return false;
    }
}

void AppendTextView(std::uint32_t type, std::uint32_t payload, const std::string& text, std::string& out)
{
    char buffer[kScriptFloatTextSize];
    switch (type) {
    case kScriptInteger:
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<std::int32_t>(payload));
        out += buffer;
        break;
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

std::uint32_t PayloadOf(const ScriptValue& value)
{
    switch (value.type) {
    case kScriptInteger:
    case kScriptReference:
        return static_cast<std::uint32_t>(value.intValue);
    case kScriptFloat:
        return BitsFromFloat(value.floatValue);
    case kScriptBoolean:
        return value.boolValue != 0;
    case kScriptObject:
        return ScriptObjectReference(value.object);
    default:
        return value.type;
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

bool cKestruneScript::PushItem(const StackItem& item)
{
    if (item.type == kScriptString)
        return PushText(stack, sp, item.text.data(), item.text.size());
    return PushPayload(stack, sp, item.type, item.payload);
}

bool cKestruneScript::PopItem(StackItem& item)
{
    if (sp <= stackBase_ || sp > kStackLast)
        return false;
    item.type = stack[sp];
    if (item.type == kScriptString) {
        item.text.clear();
        std::uint32_t k = sp - 1;
        while (k > stackBase_ && stack[k] != 0)
            item.text.push_back(static_cast<char>(stack[k--]));
        if (k <= stackBase_)
            return false;
        sp = k - 1;
        item.payload = 0;
        return true;
    }
    if (sp < stackBase_ + 5)
        return false;
    const std::uint8_t* const p = stack + sp - 4;
    item.payload = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    sp -= 5;
    return true;
}

ScriptValue cKestruneScript::ItemToValue(const StackItem& item) const
{
    ScriptValue value(item.type);
    switch (item.type) {
    case kScriptInteger:
        value.intValue = static_cast<std::int32_t>(item.payload);
        break;
    case kScriptFloat:
        value.floatValue = FloatFromBits(item.payload);
        break;
    case kScriptString:
        value.SetText(item.text.c_str());
        break;
    case kScriptBoolean:
        value.boolValue = item.payload != 0;
        break;
    case kScriptObject:
        value.object = ScriptObjectFromReference(item.payload);
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
    return value;
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

bool cKestruneScript::ReadU16(std::uint16_t& value)
{
    if (codeSize < 2 || pc > codeSize - 2)
        return false;
    value = static_cast<std::uint16_t>(code[pc] | code[pc + 1] << 8);
    pc += 2;
    return true;
}

bool cKestruneScript::ReadU32(std::uint32_t& value)
{
    if (codeSize < 4 || pc > codeSize - 4)
        return false;
    const std::uint8_t* const p = code + pc;
    value = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    pc += 4;
    return true;
}

// Reads a typed operand; the message of what is wrong with it, or null.
const char* cKestruneScript::DecodeItem(StackItem& item)
{
    if (pc >= codeSize)
        return kCodeOverrun;
    item.type = code[pc++];
    if (item.type == kScriptString) {
        const void* const nul = std::memchr(code + pc, 0, codeSize - pc);
        if (!nul)
            return kCodeOverrun;
        const auto length = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - (code + pc));
        item.text.assign(reinterpret_cast<const char*>(code + pc), length);
        item.payload = 0;
        pc += length + 1;
        return nullptr;
    }
    std::uint32_t raw;
    if (!ReadU32(raw))
        return kCodeOverrun;
    switch (item.type) {
    case kScriptBoolean:
        item.payload = raw != 0;
        return nullptr;
    case kScriptObject: {
        const ScriptValue* const variable = Variable(static_cast<std::int32_t>(raw));
        if (!variable)
            return kBadVariable;
        item.payload = ScriptObjectReference(variable->object);
        return nullptr;
    }
    case kScriptReference:
        item.payload = raw;
        return Variable(static_cast<std::int32_t>(raw)) ? nullptr : kBadVariable;
    case kScriptInteger:
    case kScriptFloat:
        item.payload = raw;
        return nullptr;
    default:
        item.payload = item.type;
        return nullptr;
    }
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
