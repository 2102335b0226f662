#pragma once

#include "engine/base/dynarray.h"

#include <cstdint>

// The engine's 8-bit string: one pointer to a heap buffer (C run-time
// allocation) holding NUL-terminated byte text, never null, sized to the text
// after every change.
class cString {
public:
    cString();
    explicit cString(uint32_t number);
    cString(const char* text);
    cString(const cString& other);
    ~cString();

    const char* GetText() const { return text_; }
    int32_t GetLength() const;
    // The byte at index; 0 past the end (index == length reads the terminator).
    char CharAt(int32_t index) const;

    cString& operator=(const cString& other);
    cString& operator=(const char* text);
    cString& operator=(int32_t number);
    // The number as the script machine shows it: digits significant digits.
    void Assign(double value, int32_t digits);
    void Append(const char* text);

    // Rewrites Latin-1 text as UTF-8 in place.
    void ConvertLatin1ToUtf8();
    // A new C run-time heap buffer with the text, read as UTF-8, in UTF-16;
    // the caller frees it.
    char16_t* ToWide() const;

private:
    void AssignText(const char* text);

    char* text_;
};

cString operator+(const cString& a, const cString& b);
cString operator+(const char* a, const cString& b);
cString operator+(const cString& a, const char* b);
bool operator==(const cString& a, const cString& b);
bool operator!=(const cString& a, const cString& b);
bool operator==(const cString& a, const char* b);
bool operator!=(const cString& a, const char* b);

// The same shape for NUL-terminated UTF-16 text.
class cWideString {
public:
    cWideString();
    explicit cWideString(const char16_t* text);
    cWideString(const cWideString& other);
    ~cWideString();

    const char16_t* GetText() const { return text_; }
    int32_t GetLength() const;

    cWideString& operator=(const cWideString& other);
    void Assign(const char16_t* text);
    void Append(const char16_t* text);
    // A new C run-time heap buffer with the text in the system code page; the
    // caller frees it.
    char* ToAnsi() const;

private:
    char16_t* text_;
};

cWideString operator+(const cWideString& a, const char16_t* b);

// Splits text at each separator into list (whose count is set to 0 first) and
// returns the number of fields. The call takes over text, a C run-time heap
// buffer, and frees it. A trailing separator adds no empty field.
int32_t SplitString(char* text, DynArray<cString>& list, char separator);
