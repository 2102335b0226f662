#pragma once

// Input-method composition: text typed through an input method reaches a
// window as WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION with GCS_RESULTSTR
// and WM_IME_ENDCOMPOSITION; the window reads the finished text here.

#include "platform/gdi/wingdi.h"
#include "platform/win32/wintypes.h"

#include <string>

constexpr DWORD GCS_COMPSTR = 0x0008;
constexpr DWORD GCS_CURSORPOS = 0x0080;
constexpr DWORD GCS_RESULTSTR = 0x0800;
constexpr LONG IMM_ERROR_NODATA = -1;
constexpr LONG IMM_ERROR_GENERAL = -2;

constexpr DWORD CFS_DEFAULT = 0x0000;
constexpr DWORD CFS_RECT = 0x0001;
constexpr DWORD CFS_POINT = 0x0002;
constexpr DWORD CFS_FORCE_POSITION = 0x0020;

struct COMPOSITIONFORM {
    DWORD dwStyle;
    POINT ptCurrentPos;
    RECT rcArea;
};
using LPCOMPOSITIONFORM = COMPOSITIONFORM*;

HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC context);
HIMC ImmAssociateContext(HWND hwnd, HIMC context);
// With GCS_RESULTSTR: the finished text in bytes (UTF-16); a null buffer or
// zero size asks for the size only.
LONG ImmGetCompositionStringW(HIMC context, DWORD index, LPVOID buffer, DWORD bufferBytes);
LONG ImmGetCompositionStringA(HIMC context, DWORD index, LPVOID buffer, DWORD bufferBytes);
BOOL ImmSetCompositionWindow(HIMC context, LPCOMPOSITIONFORM form);
BOOL ImmSetCompositionFontA(HIMC context, LOGFONTA* font);
BOOL ImmSetCompositionFontW(HIMC context, LOGFONTW* font);
BOOL ImmGetOpenStatus(HIMC context);
BOOL ImmSetOpenStatus(HIMC context, BOOL open);

// The window manager hands a window the text an input method finished.
void ImmSetResultString(HWND hwnd, const std::u16string& text);
