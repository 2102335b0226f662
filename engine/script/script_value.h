#pragma once

#include "engine/base/kestrune_string.h"
#include "engine/base/object_handles.h"

#include <climits>
#include <cstdint>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

// The value of the script machine. The string view is kept lazily: a value
// set from a number remembers that number and spells it only when the text is
// read, so arithmetic never formats text it does not need. What a reader sees
// is the same as if the text had been written at once.
class ScriptValue {
public:
    std::uint32_t type = 0;
    cString name;
    cString className;
    cString globalName;
    std::int32_t intValue = 0;
    float floatValue = 0.0f;
    std::uint8_t boolValue = 0;
    ObjectHandle object = kNoObject; // the engine object of an object value; not owned

    ScriptValue() = default;
    explicit ScriptValue(std::uint32_t typeTag) : type(typeTag) {}

    const cString& Text() const
    {
        if (textSource_ != kTextStored)
            SpellText();
        return text_;
    }
    const char* GetText() const { return Text().GetText(); }

    // The source may be our own buffer (assigning a value's text to itself);
    // the same text again keeps the storage it has. Texts are short, so the
    // comparison is made here rather than in a library call.
    void SetText(const char* text)
    {
        if (textSource_ == kTextStored && text && HoldsText(text))
            return;
        StoreText(text);
    }
    void SetText(const cString& text) { SetText(text.GetText()); }
    // The same for a text whose length is known: the held text is compared
    // up to the first difference, which comes at its end at the latest, so
    // nothing past it is read.
    void SetText(const char* text, std::uint32_t length)
    {
        if (textSource_ == kTextStored && HoldsText(text, length))
            return;
        StoreText(text);
    }
    void SetTextFromInteger(std::int32_t value)
    {
        textSource_ = kTextInteger;
        textNumber_.i = value;
    }
    void SetTextFromFloat(float value)
    {
        textSource_ = kTextFloat;
        textNumber_.f = value;
    }
    void SetTextFromBoolean(bool value)
    {
        textSource_ = kTextBoolean;
        textNumber_.i = value ? 1 : 0;
    }
    void ClearText() { SetText(""); }
    // Appends to the string view (the string variable's increment).
    void AppendText(const char* text);
    // Drops the last character of the string view; an empty text stays empty.
    void DropLastCharacter();

    // Derives the other views from the field that the type names.
    void Normalise();
    // Makes this a fresh value of the given type (empty strings, zero views)
    // without reallocating strings that are already empty.
    void Reset(std::uint32_t typeTag)
    {
        ResetViews(typeTag);
        if (text_.GetText()[0] != 0)
            text_ = "";
        textSource_ = kTextStored;
    }
    // The same with text as the string view; the text the value holds
    // already keeps its storage.
    void Reset(std::uint32_t typeTag, const char* text);

    static ScriptValue Integer(std::int32_t value);
    static ScriptValue Float(float value);
    static ScriptValue String(const char* text);
    static ScriptValue Boolean(bool value);

private:
    // Reset but for the text.
    void ResetViews(std::uint32_t typeTag)
    {
        type = typeTag;
        if (name.GetText()[0] != 0)
            name = "";
        if (className.GetText()[0] != 0)
            className = "";
        if (globalName.GetText()[0] != 0)
            globalName = "";
        intValue = 0;
        floatValue = 0.0f;
        boolValue = 0;
        object = kNoObject;
    }

    enum TextSource : std::uint8_t { kTextStored, kTextInteger, kTextFloat, kTextBoolean };

    // Writes the text of the number the value remembers.
    void SpellText() const;
    bool HoldsText(const char* text) const
    {
        const char* own = text_.GetText();
        if (text == own)
            return true;
        for (; *text == *own; ++text, ++own) {
            if (*text == 0)
                return true;
        }
        return false;
    }
    bool HoldsText(const char* text, std::uint32_t length) const
    {
        const char* own = text_.GetText();
        for (std::uint32_t i = 0; i <= length; ++i) {
            if (own[i] != text[i])
                return false;
        }
        return true;
    }
    void StoreText(const char* text);

    mutable cString text_;
    mutable TextSource textSource_ = kTextStored;
    union {
        std::int32_t i;
        float f;
    } textNumber_ = {0};
};

// The float's text: 6 significant digits, fixed notation for decimal exponents
// -1..5, otherwise a mantissa with "e", a sign and three exponent digits;
// trailing zeros of the fraction go, the point stays ("12.", "0.5", "1.e+007").
void FormatScriptFloat(float value, char* out, std::size_t outSize);
constexpr std::size_t kScriptFloatTextSize = 32;

// The truncating float-to-integer conversion of the original run-time: values
// outside the int32 range and NaN give the integer indefinite, INT32_MIN.
inline std::int32_t TruncateScriptFloat(float value)
{
#if defined(__x86_64__)
    // The processor's own truncation gives the integer indefinite for them.
    return _mm_cvtt_ss2si(_mm_set_ss(value));
#else
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
#endif
}
