#include "platform/win32/kernel/locale.h"

#include "platform/win32/kernel/last_error.h"

#include <cstdio>
#include <cstring>

namespace vls::win32 {

namespace {
constexpr LCID kUserLocale = 0x0409;
}

UINT AnsiCodePageOfLocale(LCID locale)
{
    switch (locale & 0x3FF) { // the primary language
    case 0x02: // Bulgarian
    case 0x19: // Russian
    case 0x22: // Ukrainian
    case 0x23: // Belarusian
    case 0x2F: // Macedonian
        return 1251;
    default:
        return 1252;
    }
}

int CopyOut(const char* text, LPSTR out, int size)
{
    const int needed = static_cast<int>(std::strlen(text)) + 1;
    if (size == 0)
        return needed;
    if (!out || size < needed) {
        SetLastError(out ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(out, text, static_cast<size_t>(needed));
    return needed;
}

} // namespace vls::win32

LCID GetUserDefaultLCID()
{
    return vls::win32::kUserLocale;
}

LCID GetSystemDefaultLCID()
{
    return vls::win32::kUserLocale;
}

LANGID GetUserDefaultLangID()
{
    return static_cast<LANGID>(vls::win32::kUserLocale);
}

UINT GetACP()
{
    return 1252;
}

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size)
{
    if (size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* text = nullptr;
    char number[8];
    switch (type & ~LOCALE_NOUSEROVERRIDE) {
    case LOCALE_IDEFAULTANSICODEPAGE:
        std::snprintf(number, sizeof number, "%u", vls::win32::AnsiCodePageOfLocale(locale));
        text = number;
        break;
    case LOCALE_SDECIMAL:
        text = ".";
        break;
    case LOCALE_STHOUSAND:
        text = ",";
        break;
    case LOCALE_SDATE:
        text = ".";
        break;
    case LOCALE_STIME:
        text = ":";
        break;
    case LOCALE_SSHORTDATE:
        text = vls::win32::kShortDateFormat;
        break;
    case LOCALE_SLONGDATE:
        text = vls::win32::kLongDateFormat;
        break;
    case LOCALE_STIMEFORMAT:
        text = vls::win32::kTimeFormat;
        break;
    default:
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return vls::win32::CopyOut(text, data, size);
}
