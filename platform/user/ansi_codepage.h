#pragma once

// The ANSI code page of our windows (1252) and UTF-8 text from the desktop.

#include <string>

namespace vls::user {

// The 1252 byte for a UTF-16 unit, or -1 when the code page lacks it.
int UnicodeToAnsi(char16_t c);
char16_t AnsiToUnicode(unsigned char c);
// Invalid sequences become U+FFFD; characters beyond the BMP become pairs.
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace vls::user
