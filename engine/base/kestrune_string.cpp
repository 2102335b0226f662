#include "engine/base/kestrune_string.h"

#include "platform/crt/gcvt.h"
#include "platform/win32/kernel/code_pages.h"
#include "platform/win32/kernel/locale.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kUnsignedBufferSize = 66;
constexpr size_t kIntBufferSize = 34;
constexpr size_t kFloatBufferSize = 66;
// The formatter writes up to digits + 8 characters.
constexpr int32_t kMaxFloatDigits = static_cast<int32_t>(kFloatBufferSize) - 8;

size_t WideLength(const char16_t* text)
{
    size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

// Whether p points into the buffer [begin, begin + size): text handed to an
// assignment or append may be our own, which a reallocation would free.
bool PointsInto(const void* p, const void* begin, size_t size)
{
    const char* const b = static_cast<const char*>(begin);
    const char* const q = static_cast<const char*>(p);
    return q >= b && q < b + size;
}

} // namespace

cString::cString() : text_(static_cast<char*>(std::calloc(1, 1))) {}

cString::cString(uint32_t number) : text_(static_cast<char*>(std::malloc(kUnsignedBufferSize)))
{
    std::snprintf(text_, kUnsignedBufferSize, "%u", number);
}

cString::cString(const char* text) : text_(nullptr)
{
    const char* const source = text ? text : "";
    const size_t size = std::strlen(source) + 1;
    text_ = static_cast<char*>(std::malloc(size));
    std::memcpy(text_, source, size);
}

cString::cString(const cString& other) : cString(other.text_) {}

cString::~cString() { std::free(text_); }

int32_t cString::GetLength() const { return static_cast<int32_t>(std::strlen(text_)); }

char cString::CharAt(int32_t index) const
{
    if (index < 0 || index > GetLength())
        return 0;
    return text_[index];
}

void cString::AssignText(const char* text)
{
    const char* const source = text ? text : "";
    const size_t size = std::strlen(source) + 1;
    char* const buffer = static_cast<char*>(std::malloc(size));
    std::memcpy(buffer, source, size);
    std::free(text_);
    text_ = buffer;
}

cString& cString::operator=(const cString& other)
{
    if (this != &other)
        AssignText(other.text_);
    return *this;
}

cString& cString::operator=(const char* text)
{
    AssignText(text);
    return *this;
}

cString& cString::operator=(int32_t number)
{
    text_ = static_cast<char*>(std::realloc(text_, kIntBufferSize));
    std::snprintf(text_, kIntBufferSize, "%d", number);
    return *this;
}

void cString::Assign(double value, int32_t digits)
{
    text_ = static_cast<char*>(std::realloc(text_, kFloatBufferSize));
    _gcvt(value, digits > kMaxFloatDigits ? kMaxFloatDigits : digits, text_);
}

void cString::Append(const char* text)
{
    if (!text)
        return;
    const size_t length1 = std::strlen(text_);
    const size_t length2 = std::strlen(text);
    const bool own = PointsInto(text, text_, length1 + 1);
    const size_t offset = own ? static_cast<size_t>(text - text_) : 0;
    text_ = static_cast<char*>(std::realloc(text_, length1 + length2 + 1));
    const char* const source = own ? text_ + offset : text;
    std::memmove(text_ + length1, source, length2);
    text_[length1 + length2] = 0;
}

void cString::ConvertLatin1ToUtf8()
{
    const size_t length = std::strlen(text_);
    size_t high = 0;
    for (size_t i = 0; i < length; ++i)
        high += static_cast<unsigned char>(text_[i]) >= 128;
    if (high == 0)
        return;
    char* const out = static_cast<char*>(std::malloc(length + high + 1));
    size_t o = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char b = static_cast<unsigned char>(text_[i]);
        if (b < 128) {
            out[o++] = static_cast<char>(b);
        } else {
            out[o++] = static_cast<char>(0xC0 | (b >> 6));
            out[o++] = static_cast<char>(0x80 | (b & 63));
        }
    }
    out[o] = 0;
    std::free(text_);
    text_ = out;
}

char16_t* cString::ToWide() const
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text_, -1, nullptr, 0);
    char16_t* const wide = static_cast<char16_t*>(std::malloc(sizeof(char16_t) * (length > 0 ? length : 1)));
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, 0, text_, -1, wide, length) <= 0)
        wide[0] = 0;
    return wide;
}

cString operator+(const cString& a, const cString& b)
{
    cString result(a);
    result.Append(b.GetText());
    return result;
}

cString operator+(const char* a, const cString& b)
{
    cString result(a);
    result.Append(b.GetText());
    return result;
}

cString operator+(const cString& a, const char* b)
{
    cString result(a);
    result.Append(b);
    return result;
}

bool operator==(const cString& a, const cString& b) { return std::strcmp(a.GetText(), b.GetText()) == 0; }
bool operator!=(const cString& a, const cString& b) { return !(a == b); }
bool operator==(const cString& a, const char* b) { return std::strcmp(a.GetText(), b ? b : "") == 0; }
bool operator!=(const cString& a, const char* b) { return !(a == b); }

cWideString::cWideString() : text_(static_cast<char16_t*>(std::calloc(1, sizeof(char16_t)))) {}

cWideString::cWideString(const char16_t* text) : cWideString() { Assign(text); }

cWideString::cWideString(const cWideString& other) : cWideString() { Assign(other.text_); }

cWideString::~cWideString() { std::free(text_); }

int32_t cWideString::GetLength() const { return static_cast<int32_t>(WideLength(text_)); }

cWideString& cWideString::operator=(const cWideString& other)
{
    if (this != &other)
        Assign(other.text_);
    return *this;
}

void cWideString::Assign(const char16_t* text)
{
    const char16_t* const source = text ? text : u"";
    const size_t size = (WideLength(source) + 1) * sizeof(char16_t);
    char16_t* const buffer = static_cast<char16_t*>(std::malloc(size));
    std::memcpy(buffer, source, size);
    std::free(text_);
    text_ = buffer;
}

void cWideString::Append(const char16_t* text)
{
    if (!text)
        return;
    const size_t length1 = WideLength(text_);
    const size_t length2 = WideLength(text);
    const bool own = PointsInto(text, text_, (length1 + 1) * sizeof(char16_t));
    const size_t offset = own ? static_cast<size_t>(text - text_) : 0;
    text_ = static_cast<char16_t*>(std::realloc(text_, (length1 + length2) * 2 + 2));
    const char16_t* const source = own ? text_ + offset : text;
    std::memmove(text_ + length1, source, length2 * sizeof(char16_t));
    text_[length1 + length2] = 0;
}

char* cWideString::ToAnsi() const
{
    const int length = WideCharToMultiByte(CP_ACP, 0, text_, -1, nullptr, 0, nullptr, nullptr);
    char* const ansi = static_cast<char*>(std::malloc(length > 0 ? length : 1));
    if (length <= 0 || WideCharToMultiByte(CP_ACP, 0, text_, -1, ansi, length, nullptr, nullptr) <= 0)
        ansi[0] = 0;
    return ansi;
}

cWideString operator+(const cWideString& a, const char16_t* b)
{
    cWideString result(a);
    result.Append(b);
    return result;
}

int32_t SplitString(char* text, DynArray<cString>& list, char separator)
{
    list.count = 0;
    const char* p = text ? text : "";
    int32_t fields = 0;
    for (;;) {
        const char* end = p;
        while (*end != 0 && *end != separator)
            ++end;
        const size_t length = static_cast<size_t>(end - p);
        char* const copy = static_cast<char*>(std::malloc(length + 1));
        std::memcpy(copy, p, length);
        copy[length] = 0;
        const cString piece(copy);
        std::free(copy);
        list.Add(piece);
        ++fields;
        if (*end == 0 || end[1] == 0)
            break;
        p = end + 1;
    }
    std::free(text);
    return fields;
}
