#include "platform/win32/kernel/date_format.h"

#include "platform/win32/kernel/last_error.h"
#include "platform/win32/kernel/locale.h"
#include "platform/win32/kernel/time.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vls::win32 {

namespace {

constexpr const char* kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[12] = {"January", "February", "March", "April", "May", "June", "July", "August",
    "September", "October", "November", "December"};

// One element of a picture: a run of one picture letter, or literal text.
struct Token {
    char letter = 0; // 0 for literal text
    int count = 0;
    std::string text;
};

std::vector<Token> Tokenize(const std::string& picture, const std::string& letters)
{
    std::vector<Token> tokens;
    auto literal = [&]() -> std::string& {
        if (tokens.empty() || tokens.back().letter != 0)
            tokens.push_back(Token{});
        return tokens.back().text;
    };
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            ++i;
            if (i < picture.size() && picture[i] == '\'') { // '' is a quote
                literal() += '\'';
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        literal() += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal() += picture[i++];
            }
        } else if (letters.find(c) != std::string::npos) {
            size_t end = i;
            while (end < picture.size() && picture[end] == c)
                ++end;
            tokens.push_back(Token{c, static_cast<int>(end - i), {}});
            i = end;
        } else {
            literal() += c;
            ++i;
        }
    }
    return tokens;
}

std::string Number(int value, int width)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

int Finish(const std::string& text, LPSTR out, int size)
{
    if (size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CopyOut(text.c_str(), out, size);
}

} // namespace

} // namespace vls::win32

using namespace vls::win32;

int GetDateFormatA(LCID, DWORD flags, const SYSTEMTIME* date, LPCSTR format, LPSTR dateText, int size)
{
    constexpr DWORD kKnown = DATE_SHORTDATE | DATE_LONGDATE | DATE_USE_ALT_CALENDAR | DATE_YEARMONTH | 0x80000000u;
    const DWORD layout = flags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH);
    if ((flags & ~kKnown) || (format && layout) || (layout & (layout - 1))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    SYSTEMTIME when;
    if (date) {
        // The day of the week comes from the date, whatever the field says.
        SYSTEMTIME day = *date;
        day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
        FILETIME file;
        if (!SystemTimeToFileTime(&day, &file)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        FileTimeToSystemTime(&file, &when);
    } else {
        GetLocalTime(&when);
    }
    const std::string picture = format ? format
        : layout == DATE_LONGDATE    ? kLongDateFormat
        : layout == DATE_YEARMONTH   ? "MMMM yyyy"
                                     : kShortDateFormat;
    std::string text;
    for (const Token& token : Tokenize(picture, "dMyg")) {
        switch (token.letter) {
        case 0:
            text += token.text;
            break;
        case 'd':
            text += token.count >= 4 ? std::string(kDayNames[when.wDayOfWeek])
                : token.count == 3   ? std::string(kDayNames[when.wDayOfWeek], 3)
                                     : Number(when.wDay, token.count);
            break;
        case 'M':
            text += token.count >= 4 ? std::string(kMonthNames[when.wMonth - 1])
                : token.count == 3   ? std::string(kMonthNames[when.wMonth - 1], 3)
                                     : Number(when.wMonth, token.count);
            break;
        case 'y':
            text += token.count >= 3 ? Number(when.wYear, 1) : Number(when.wYear % 100, token.count);
            break;
        case 'g':
            text += "A.D.";
            break;
        }
    }
    return Finish(text, dateText, size);
}

int GetTimeFormatA(LCID, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR timeText, int size)
{
    constexpr DWORD kKnown = TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT | 0x80000000u;
    if (flags & ~kKnown) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    SYSTEMTIME when;
    if (time) {
        when = *time;
        if (when.wHour > 23 || when.wMinute > 59 || when.wSecond > 59 || when.wMilliseconds > 999) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    } else {
        GetLocalTime(&when);
    }
    const bool noMinutes = flags & TIME_NOMINUTESORSECONDS;
    const bool noSeconds = noMinutes || (flags & TIME_NOSECONDS);
    const bool noMarker = flags & TIME_NOTIMEMARKER;

    // A left-out element takes the separator before it along ("HH:mm").
    std::vector<Token> tokens = Tokenize(format ? format : kTimeFormat, "hHmst");
    std::vector<Token> kept;
    for (const Token& token : tokens) {
        const bool drop = (token.letter == 'm' && noMinutes) || (token.letter == 's' && noSeconds) || (token.letter == 't' && noMarker);
        if (!drop) {
            kept.push_back(token);
        } else if (!kept.empty() && kept.back().letter == 0 && kept.size() > 1) {
            kept.pop_back();
        }
    }
    std::string text;
    for (const Token& token : kept) {
        char letter = token.letter;
        if (letter == 'h' && (flags & TIME_FORCE24HOURFORMAT))
            letter = 'H';
        const int width = token.count >= 2 ? 2 : 1;
        switch (letter) {
        case 0:
            text += token.text;
            break;
        case 'h':
            text += Number(when.wHour % 12 == 0 ? 12 : when.wHour % 12, width);
            break;
        case 'H':
            text += Number(when.wHour, width);
            break;
        case 'm':
            text += Number(when.wMinute, width);
            break;
        case 's':
            text += Number(when.wSecond, width);
            break;
        case 't':
            text += std::string(when.wHour < 12 ? "AM" : "PM").substr(0, static_cast<size_t>(width));
            break;
        }
    }
    return Finish(text, timeText, size);
}
