#include "platform/win32/imm32/imm.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// One input context per window; its handle is the window handle, so a
// context never outlives the lookup that finds it.
struct Context {
    std::u16string result;
    COMPOSITIONFORM form{};
    bool open = true;
};

std::map<HIMC, Context>& Contexts()
{
    static auto* contexts = new std::map<HIMC, Context>;  // outlives exit handlers
    return *contexts;
}

HIMC ContextOf(HWND hwnd) { return reinterpret_cast<HIMC>(hwnd); }

}  // namespace

HIMC ImmGetContext(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    Contexts()[ContextOf(hwnd)];
    return ContextOf(hwnd);
}

BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

HIMC ImmAssociateContext(HWND hwnd, HIMC) { return ContextOf(hwnd); }

LONG ImmGetCompositionStringW(HIMC context, DWORD index, LPVOID buffer, DWORD bufferBytes)
{
    const auto it = Contexts().find(context);
    if (it == Contexts().end())
        return IMM_ERROR_GENERAL;
    if (index != GCS_RESULTSTR)
        return index == GCS_COMPSTR || index == GCS_CURSORPOS ? 0 : IMM_ERROR_NODATA;
    const std::u16string& text = it->second.result;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(char16_t));
    if (!buffer || bufferBytes == 0)
        return static_cast<LONG>(bytes);
    // Never more than the caller's buffer holds, and only whole characters.
    const DWORD copy = std::min(bytes, bufferBytes) & ~1u;
    std::memcpy(buffer, text.data(), copy);
    return static_cast<LONG>(copy);
}

LONG ImmGetCompositionStringA(HIMC context, DWORD index, LPVOID buffer, DWORD bufferBytes)
{
    const auto it = Contexts().find(context);
    if (it == Contexts().end())
        return IMM_ERROR_GENERAL;
    if (index != GCS_RESULTSTR)
        return 0;
    std::string narrow;
    for (const char16_t c : it->second.result)
        narrow.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    if (!buffer || bufferBytes == 0)
        return static_cast<LONG>(narrow.size());
    const DWORD copy = std::min<DWORD>(static_cast<DWORD>(narrow.size()), bufferBytes);
    std::memcpy(buffer, narrow.data(), copy);
    return static_cast<LONG>(copy);
}

BOOL ImmSetCompositionWindow(HIMC context, LPCOMPOSITIONFORM form)
{
    if (!context || !form)
        return FALSE;
    Contexts()[context].form = *form;
    return TRUE;
}

BOOL ImmSetCompositionFontA(HIMC context, LOGFONTA* font) { return context && font; }

BOOL ImmSetCompositionFontW(HIMC context, LOGFONTW* font) { return context && font; }

BOOL ImmGetOpenStatus(HIMC context)
{
    const auto it = Contexts().find(context);
    return it != Contexts().end() && it->second.open;
}

BOOL ImmSetOpenStatus(HIMC context, BOOL open)
{
    if (!context)
        return FALSE;
    Contexts()[context].open = open != FALSE;
    return TRUE;
}

void ImmSetResultString(HWND hwnd, const std::u16string& text)
{
    if (hwnd)
        Contexts()[ContextOf(hwnd)].result = text;
}
